#include "grid/grid_columns.h"

#include "data/dataset.h"
#include "grid/sort_text.h"

const QString GridColumns::MarkTitle = QStringLiteral("选择");
const QString GridColumns::DeleteTitle = QStringLiteral("删除");
const QChar GridColumns::AscMarker = QChar(0x25B2);
const QChar GridColumns::DescMarker = QChar(0x25BC);

GridColumn &GridColumns::addField(const QString &fieldName, const QString &title, int width)
{
    GridColumn column;
    column.fieldName = fieldName;
    column.title = title;
    column.width = width;
    m_columns.append(column);
    m_automatic = false;
    return m_columns.last();
}

GridColumn &GridColumns::addMark(const QString &title, int width)
{
    GridColumn column;
    column.title = title;
    column.width = width;
    m_columns.append(column);
    m_automatic = false;
    return m_columns.last();
}

int GridColumns::indexOfField(const QString &fieldName) const
{
    if (fieldName.isEmpty())
        return -1;
    for (int i = 0; i < count(); ++i) {
        if (m_columns[i].fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int GridColumns::markColumn() const
{
    for (int i = 0; i < count(); ++i) {
        if (m_columns[i].title == MarkTitle)
            return i;
    }
    return -1;
}

bool GridColumns::isMarkColumn(int i) const
{
    const QString &title = m_columns.at(i).title;
    return title == MarkTitle || title == DeleteTitle;
}

void GridColumns::syncWithFields(const DataSet &ds)
{
    bool same = m_automatic && count() == ds.fieldCount();
    for (int i = 0; same && i < count(); ++i)
        same = m_columns[i].fieldName == ds.field(i).name;
    if (same) {
        for (int i = 0; i < count(); ++i)
            m_columns[i].visible = ds.field(i).visible;
        return;
    }
    m_columns.clear();
    for (int i = 0; i < ds.fieldCount(); ++i) {
        const FieldDef &f = ds.field(i);
        GridColumn column;
        column.fieldName = f.name;
        column.title = f.caption.isEmpty() ? f.name : f.caption;
        column.visible = f.visible;
        m_columns.append(column);
    }
    m_automatic = true;
}

bool GridColumns::hasMarker(const QString &title)
{
    return title.contains(AscMarker) || title.contains(DescMarker);
}

QString GridColumns::plainTitle(const QString &title)
{
    if (title.endsWith(AscMarker) || title.endsWith(DescMarker))
        return title.left(title.size() - 1);
    return title;
}

namespace GridSort {

void clearTitleMarkers(GridColumns &columns)
{
    for (int i = 0; i < columns.count(); ++i) {
        GridColumn &c = columns[i];
        if (GridColumns::hasMarker(c.title)) {
            c.title.chop(1);
            c.emphasised = false;
        }
    }
}

bool titleClick(GridColumns &columns, int column, DataSet &ds)
{
    if (column < 0 || column >= columns.count() || columns.isMarkColumn(column))
        return false;
    const QString field = columns.at(column).fieldName;
    if (field.isEmpty() || !ds.isOpen() || ds.isEmpty())
        return false;
    const int fieldIndex = ds.fieldIndex(field);
    if (fieldIndex >= 0 && ds.field(fieldIndex).calculated)
        return false;

    const bool descending = ds.sortText() == SortText::single(field, false).toString();
    // Sort first: a refused sort leaves the titles untouched.
    ds.setSortText(SortText::single(field, descending).toString());

    clearTitleMarkers(columns);
    GridColumn &clicked = columns[column];
    clicked.title += descending ? GridColumns::DescMarker : GridColumns::AscMarker;
    clicked.emphasised = true;
    return true;
}

void clearSort(GridColumns &columns, DataSet &ds)
{
    clearTitleMarkers(columns);
    ds.setSortText(QString());
}

} // namespace GridSort
