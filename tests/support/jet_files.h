#pragma once
// Jet files for tests: the generator's catalogue (tests/support/jet_writer.py), the shipped
// tests/data/jet/fruit.mdb, and what mdbtools' own tools read from a file, to compare with.
#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <ostream>

// Failure messages of these tests name tables, columns and values.
inline std::ostream &operator<<(std::ostream &os, const QString &s)
{
    return os << s.toStdString();
}

namespace JetFiles {

inline QString fruit()
{
    return QStringLiteral(ZD_SOURCE_DIR "/tests/data/jet/fruit.mdb");
}

// Runs a program; returns its standard output, or a null array when it failed.
inline QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    QByteArray out = p.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// Writes the generator's catalogue with the given number of titles; false when it failed.
// With faulty, three more titles that cannot be taken (see the generator).
inline bool generate(const QString &path, int titles, bool faulty = false)
{
    QStringList args{QStringLiteral(ZD_SOURCE_DIR "/tests/support/jet_writer.py"), path,
                     QStringLiteral("--titles"), QString::number(titles)};
    if (faulty)
        args << QStringLiteral("--faulty");
    return !run(QStringLiteral("python3"), args).isNull();
}

// The user tables as mdb-tables lists them.
inline QStringList mdbTables(const QString &path)
{
    const QByteArray out = run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path});
    return QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
}

// The rows of a table as mdb-export prints them (header first; dates as
// "yyyy-MM-dd HH:mm:ss"), parsed from its CSV: fields in double quotes may hold commas, line
// breaks and doubled quotes. An unquoted empty field is a null (QString()).
inline QList<QStringList> mdbExport(const QString &path, const QString &table)
{
    const QString text = QString::fromUtf8(
        run(QStringLiteral("mdb-export"),
            {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-D"),
             QStringLiteral("%Y-%m-%d %H:%M:%S"), path, table}));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
            wasQuoted = true;
            field = QStringLiteral("");
        } else if (c == u',' || c == u'\n') {
            row << (wasQuoted || !field.isEmpty() ? field : QString());
            field.clear();
            wasQuoted = false;
            if (c == u'\n') {
                rows << row;
                row.clear();
            }
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (!row.isEmpty() || !field.isEmpty())
        rows << (row << field);
    return rows;
}

inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray digestOf(const QString &path)
{
    return QCryptographicHash::hash(bytesOf(path), QCryptographicHash::Sha256);
}

// Copies the first `bytes` bytes of a file to another.
inline bool truncatedCopy(const QString &from, const QString &to, qint64 bytes)
{
    QFile out(to);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && out.write(bytesOf(from).left(bytes)) == bytes;
}

} // namespace JetFiles
