#pragma once
// A grid's own column list (title, field or none, width, visibility, title emphasis) and the
// two operations that change titles and the list's sort together: the title-click sort and
// clearing the sort. Titles of sorted columns end with a marker, ▲ or ▼; an emphasised title
// is drawn blue and bold, any other white and regular.
#include <QList>
#include <QString>

class DataSet;

struct GridColumn {
    QString title;
    QString fieldName;       // empty: a mark column
    int width = 0;           // pixels; 0 lets the grid choose
    bool visible = true;
    bool emphasised = false; // the sorted column's title: blue and bold
};

class GridColumns {
public:
    static const QString MarkTitle;     // "选择": the mark column that toggles on a click
    static const QString DeleteTitle;   // "删除": a mark column of the order lists
    static const QChar AscMarker;       // ▲
    static const QChar DescMarker;      // ▼

    int count() const { return int(m_columns.size()); }
    bool isEmpty() const { return m_columns.isEmpty(); }
    const GridColumn &at(int i) const { return m_columns.at(i); }
    GridColumn &operator[](int i) { return m_columns[i]; }
    void append(const GridColumn &column) { m_columns.append(column); }
    GridColumn &addField(const QString &fieldName, const QString &title, int width = 0);
    GridColumn &addMark(const QString &title = MarkTitle, int width = 0);
    void clear() { m_columns.clear(); }

    // Column of that field name (case ignored), or -1.
    int indexOfField(const QString &fieldName) const;
    // First column titled "选择", or -1.
    int markColumn() const;
    // Titled "选择" or "删除".
    bool isMarkColumn(int i) const;

    // True when the list was built from the data set's fields rather than set by a window.
    bool isAutomatic() const { return m_automatic; }
    // One column per field in field order, titled by caption (or name), visible as the field.
    // A list whose fields are unchanged keeps its titles and only takes the fields' visibility.
    void syncWithFields(const DataSet &ds);

    static bool hasMarker(const QString &title);
    // The title without a trailing ▲ or ▼.
    static QString plainTitle(const QString &title);

private:
    QList<GridColumn> m_columns;
    bool m_automatic = false;
};

namespace GridSort {

// A click on the title of column `column`. Sorts ascending by its field, or descending when
// the list is already sorted ascending by exactly that field; moves the marker and the
// emphasis. Mark columns, columns without a field, calculated fields and closed or empty
// lists change nothing (returns false). A sort the list refuses throws AppError and leaves
// the titles as they were.
bool titleClick(GridColumns &columns, int column, DataSet &ds);

// Drops every marker and emphasis and returns the list to statement order.
void clearSort(GridColumns &columns, DataSet &ds);

// Drops markers and emphasis from the titles only.
void clearTitleMarkers(GridColumns &columns);

} // namespace GridSort
