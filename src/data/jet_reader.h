#pragma once
// Reads the tables of an Access/Jet database file (Jet 3, Jet 4; ACE files as far as mdbtools
// reads them) through mdbtools' libmdb. Text comes out as UTF-8 whatever the file stores:
// Jet 4 keeps it in UCS-2 (possibly compressed), Jet 3 in a code page (GBK unless the
// environment names another one in MDB_JET3_CHARSET).
//
// A file that is not a Jet database, or one whose pages end early, is refused with AppError;
// a table whose pages hold fewer rows than its definition counts is refused while it is read.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace Jet {

// Column types as Jet stores them (the numbers of the file format).
enum ColumnType {
    Bool = 0x01, Byte = 0x02, Int = 0x03, LongInt = 0x04, Money = 0x05, Float = 0x06,
    Double = 0x07, DateTime = 0x08, Binary = 0x09, Text = 0x0a, Ole = 0x0b, Memo = 0x0c,
    RepId = 0x0f, Numeric = 0x10, Complex = 0x12
};
// "Standard Jet DB" or "Standard ACE DB" when the file's header says it is an Access/Jet
// database (the signature follows a 4-byte page header), else empty.
QString signatureOf(const QString &path);
// The name Access shows for the type ("Text", "Memo", "Currency", "Long Integer", …).
QString typeName(int type);
// Whether values of the type come out as text that means something (not OLE, binary, GUIDs).
bool isReadable(int type);

struct Column {
    QString name;
    int type = 0;
    int size = 0;        // bytes in the row (text: UCS-2 bytes in Jet 4)
    int precision = 0;   // Numeric only
    int scale = 0;
};

struct Table {
    QString name;
    QList<Column> columns;
    qint64 rows = 0;   // as the table definition counts them
};

// A row's values in column order; a null or empty value is a null QString.
// Numbers come as plain decimals ("12.3400" for Currency), dates as
// "yyyy-MM-dd HH:mm:ss", Yes/No as "1"/"0".
using RowSink = std::function<void(const QStringList &values)>;

class Reader {
public:
    explicit Reader(const QString &path);   // throws AppError
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    QString path() const { return m_path; }
    // "Jet 3", "Jet 4", "ACE 12", …
    QString versionName() const;
    // The user tables of the file (no system tables), in the file's order.
    QStringList tableNames() const;
    // The definition of a table; throws AppError when the file has none of that name.
    Table table(const QString &name) const;
    // Calls sink for every row of the table and returns how many rows there were. Throws
    // AppError when the rows cannot be read whole (damaged pages, a value longer than the
    // reader takes). The sink may throw; the table is left cleanly then.
    qint64 readRows(const QString &name, const RowSink &sink) const;

private:
    struct Handle;
    QString m_path;
    std::unique_ptr<Handle> m_handle;
};

} // namespace Jet
