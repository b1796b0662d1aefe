#pragma once
// The table model of a grid: the rows of a DataSet under the grid's own column list, plus the
// marks of a marked-row list in the mark columns. Values are read on demand, so opening a
// 50,000-row list costs one reset. Display text follows each field's display format; the raw
// value is under RawValueRole. A mark cell reports its tick as a check state, or nothing for
// a row that cannot be marked (its `cdcs` is above 0). Ticks belong to the rows' keys, so they
// follow their rows through sorts and refreshes.
//
// Cells are read-only, except those of one field a window names with setEditableField(): an
// edited value that the field's validator accepts is posted to the DataSet (its change hook
// runs, e.g. SL -> MY); anything else leaves the value as it was and is reported
// (editRefused).
#include "grid/grid_columns.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

class DataSet;
class MarkedRowList;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        RawValueRole = Qt::UserRole + 1,
        TitleEmphasisRole,   // header: the sorted column's title (blue and bold)
        MarkableRole,        // mark cells: the row can be marked
        FieldNameRole,       // header: the column's field name
    };

    explicit GridModel(QObject *parent = nullptr);

    // Not owned. A grid without columns shows every field of the list (automatic columns).
    void setDataSet(DataSet *ds);
    DataSet *dataSet() const;

    void setColumns(const GridColumns &columns);
    const GridColumns &columns() const { return m_columns; }
    void setColumnVisible(int column, bool visible);
    void setColumnWidth(int column, int width);

    // Not owned; nullptr for a grid without marks. A list not yet bound to a data set is
    // bound to the grid's list.
    void setMarkedRows(MarkedRowList *marked);
    MarkedRowList *markedRows() const { return m_marked; }

    bool isOpenWithRows() const;
    bool isMarkable(int row) const;
    bool isMarkColumn(int column) const;
    // Whether the key of row is ticked in the marked-row list.
    bool isMarked(int row) const;
    // Toggles the mark of row (the list's current row on a click): nothing for a closed or
    // empty list, a row that cannot be marked, or a grid without a marked-row list.
    bool toggleMark(int row);
    // Ticks every markable row of the list (after the marks were emptied this is "全选").
    void markAll();
    // Tell the views that the marked-row list was changed from outside.
    void marksChanged();

    bool titleClick(int column);
    void clearSort();
    // Sets the list's sort text and drops every title marker, or, when the list refuses the
    // sort (AppError, rethrown), changes neither the order nor the titles.
    void applySortText(const QString &sortText);
    // Sets a remembered sort: like applySortText(), and when marked (a title click's sort) the
    // sorted column's title gets its marker and emphasis back.
    void restoreSort(const QString &sortText, bool marked);
    // Whether a column title carries the sort marker.
    bool hasSortMarker() const;

    // Takes a value typed into a cell and returns the value to post, or nothing to refuse it.
    using Validator = std::function<std::optional<QVariant>(const QVariant &)>;
    // Whole numbers from min to max, typed as text or given as a number; blanks around the
    // digits are allowed, signs, decimals and empty text are not.
    static Validator wholeNumbers(int min, int max);
    // The cells of field (case ignored) become editable through validator; an empty field
    // name makes every cell read-only again.
    void setEditableField(const QString &field, Validator validator);
    QString editableField() const { return m_editField; }
    bool isEditable(const QModelIndex &index) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // Column count, visibility or width changed.
    void columnsChanged();
    // A value typed into an editable cell was refused by the field's validator (the cell keeps
    // its value): the window says so. Leaving an empty cell empty is no refusal.
    void editRefused(const QModelIndex &index, const QString &typed);

private:
    void onOpened();
    void onClosed();
    void resetAll();
    void cacheFieldIndexes();
    void titlesChanged();

    QPointer<DataSet> m_ds;
    QList<QMetaObject::Connection> m_connections;
    GridColumns m_columns;
    std::vector<int> m_fieldIndex;   // per column; -1 without a field
    std::vector<bool> m_numeric;     // per column: right-aligned
    int m_cdcs = -1;                 // field index of `cdcs`, or -1
    int m_key = -1;                  // field index of the marked-row list's key, or -1
    int m_rows = 0;
    MarkedRowList *m_marked = nullptr;
    QString m_editField;
    Validator m_validator;
};
