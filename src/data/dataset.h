#pragma once
// One result list in memory: statement text plus bound values, fields with captions and display
// formats, calculated fields, the rows, a current row with 1-based record numbers, navigation,
// locate, an in-memory sort ("SM ASC,ZBH DESC", Chinese text by pinyin, numbers as numbers),
// and edit/post of values with a per-field change hook. Every list of every window is one.
//
// Rows are addressed by position in the current order: row 0 … recordCount()-1; the record
// number of a row is its position + 1.
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

enum class FieldType { Text, Integer, Decimal, Memo, Date, Boolean };

struct FieldDef {
    QString name;            // as the statement returns it (lookups ignore case)
    QString caption;         // display label; empty means the name
    FieldType type = FieldType::Text;
    QString displayFormat;   // "#," or "#,.00;#,.00;0" or empty
    int displayWidth = 0;    // characters; 0 = automatic
    bool visible = true;
    bool readOnly = true;
    bool calculated = false;
};

class DataSet : public QObject {
    Q_OBJECT
public:
    using Calculator = std::function<QVariant(const DataSet &, int row)>;
    using ChangeHook = std::function<void(DataSet &, int row)>;

    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    // --- statement ---------------------------------------------------------------------
    void setConnection(const QSqlDatabase &db);
    QSqlDatabase connection() const;
    // Positional ("?") values, or named (":sTm") values; named ones are set with setParam()
    // after the statement (a new statement forgets them; one never set is null). Takes effect
    // at the next open().
    void setStatement(const QString &text, const QVariantList &values = {});
    QString statement() const;
    void setParam(const QString &name, const QVariant &value);   // name with or without ':'

    // --- field set-up (kept across open/close; applied to fields of the same name) --------
    // Changes made through field(i) and setFieldVisible() are kept the same way.
    // Preset caption, format and width for a field the statement returns.
    void defineField(const QString &name, const QString &caption, const QString &displayFormat = {},
                     int displayWidth = 0);
    // A calculated field, computed per row on demand (never stored); it follows the
    // statement's fields. It cannot be sorted on or edited.
    void addCalculatedField(const QString &name, const QString &caption, Calculator calc);
    // Called after a value of the field was changed by setValue() (e.g. SL -> MY).
    void setChangeHook(const QString &field, ChangeHook hook);

    // --- open/close ----------------------------------------------------------------------
    // Runs the statement and loads every row (an open list is closed first); throws AppError
    // with the database's text (the list is then closed). Drops the in-memory sort; the
    // current row becomes the first. Field types come from the driver's declared type, else
    // from the values: Decimal for NUMERIC/floating columns, Memo for text longer than 255.
    void open();
    void close();
    void refresh();   // close and open again
    bool isOpen() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const;

    // --- fields --------------------------------------------------------------------------
    int fieldCount() const;
    const FieldDef &field(int index) const;
    FieldDef &field(int index);
    int fieldIndex(const QString &name) const;   // -1 when absent; ignores case
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    void setFieldVisible(const QString &name, bool visible);

    // --- values (row = position in the current order) --------------------------------------
    // A row outside the list gives a null value and empty text. A field name the open list
    // does not have throws AppError (a closed list answers with null values).
    QVariant value(int row, int fieldIndex) const;
    QVariant value(int row, const QString &name) const;
    bool isNull(int row, int fieldIndex) const;
    bool isNull(int row, const QString &name) const;
    // Plain text: numbers bare ("12.5"), null as empty.
    QString text(int row, int fieldIndex) const;
    QString text(int row, const QString &name) const;
    // Text in the field's display format ("1,234", "12.50"); text() for fields without one.
    QString displayText(int row, int fieldIndex) const;
    // Values of the current row.
    QVariant currentValue(const QString &name) const;
    QString currentText(const QString &name) const;

    // Edit and post one value in memory (the caller writes the database); runs the field's
    // change hook, then emits valueChanged. The value is converted to the field's type (an
    // empty text makes a number null; a text that is no number throws AppError). readOnly
    // concerns editing in grids and does not stop this call.
    void setValue(int row, const QString &name, const QVariant &value);

    // --- cursor --------------------------------------------------------------------------
    int currentRow() const;    // -1 when closed or empty
    int recNo() const { return currentRow() + 1; }
    void setCurrentRow(int row);   // clamped to the rows; nothing happens on an empty list
    void first();
    void prior();
    void next();
    void last();
    bool atFirst() const;      // BOF: on the first row (or empty)
    bool atLast() const;       // EOF: on the last row (or empty)
    // Makes current the first row whose plain text starts with prefix (case ignored); returns
    // false and leaves the current row when none does.
    bool locate(const QString &field, const QString &prefix);
    // Makes current the first row whose plain text matches (each distinct text is asked once);
    // returns false and leaves the current row when none does.
    bool locateWhere(const QString &field, const std::function<bool(const QString &)> &matches);

    // --- sort ----------------------------------------------------------------------------
    // "" = statement order; "SM ASC", "sm ASC,zbh DESC". Unknown or calculated fields (or a
    // closed list) throw AppError and leave the order unchanged. Nulls come first (last when
    // DESC); ties keep the statement order. Record numbers follow the new order; the
    // current row keeps its position (not its record).
    void setSortText(const QString &sortText);
    QString sortText() const;

    // --- display ---------------------------------------------------------------------------
    // While suspended, navigation emits no currentRowChanged (nested calls counted); resuming
    // emits nothing either: the caller restores its row.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // Display-format helpers shared by grids, panes, pages. Sections "positive;negative;zero"
    // of '#', '0', ',' and '.' with literal text around; the negative section shows no minus
    // of its own; the zero section is used when the value rounds to zero. A null value gives
    // "", an empty format the plain text.
    static QString formatNumber(const QVariant &value, const QString &displayFormat);

signals:
    void opened();
    void closed();
    void currentRowChanged(int row);
    void valueChanged(int row, int fieldIndex);
    void orderChanged();      // the sort changed: rows moved, the current position holds another record

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
