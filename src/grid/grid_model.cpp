#include "grid/grid_model.h"

#include "common/app_error.h"
#include "data/dataset.h"
#include "grid/marked_rows.h"
#include "grid/sort_text.h"

#include <QRegularExpression>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

void GridModel::setDataSet(DataSet *ds)
{
    for (const auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_ds = ds;
    if (ds) {
        m_connections << connect(ds, &DataSet::opened, this, &GridModel::onOpened)
                      << connect(ds, &DataSet::closed, this, &GridModel::onClosed)
                      << connect(ds, &DataSet::orderChanged, this, [this] {
                             if (m_rows > 0 && columnCount() > 0)
                                 emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
                         })
                      << connect(ds, &DataSet::valueChanged, this, [this](int row, int) {
                             // Calculated fields of the row may follow the changed value.
                             if (row >= 0 && row < m_rows && columnCount() > 0)
                                 emit dataChanged(index(row, 0), index(row, columnCount() - 1));
                         })
                      << connect(ds, &QObject::destroyed, this, [this] { setDataSet(nullptr); });
        if (ds->isOpen() && (m_columns.isEmpty() || m_columns.isAutomatic()))
            m_columns.syncWithFields(*ds);
        if (m_marked && !m_marked->dataSet())
            m_marked->setDataSet(ds);
    }
    resetAll();
    emit columnsChanged();
}

DataSet *GridModel::dataSet() const
{
    return m_ds;
}

void GridModel::setColumns(const GridColumns &columns)
{
    m_columns = columns;
    if (m_ds && m_ds->isOpen() && (m_columns.isEmpty() || m_columns.isAutomatic()))
        m_columns.syncWithFields(*m_ds);
    resetAll();
    emit columnsChanged();
}

void GridModel::setColumnVisible(int column, bool visible)
{
    if (column < 0 || column >= m_columns.count() || m_columns.at(column).visible == visible)
        return;
    m_columns[column].visible = visible;
    emit columnsChanged();
}

void GridModel::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < m_columns.count())
        m_columns[column].width = width;
}

void GridModel::setMarkedRows(MarkedRowList *marked)
{
    m_marked = marked;
    if (m_marked && !m_marked->dataSet() && m_ds)
        m_marked->setDataSet(m_ds);
    cacheFieldIndexes();
    marksChanged();
}

void GridModel::onOpened()
{
    if (m_columns.isEmpty() || m_columns.isAutomatic())
        m_columns.syncWithFields(*m_ds);
    resetAll();
    emit columnsChanged();
}

void GridModel::onClosed()
{
    resetAll();
}

void GridModel::resetAll()
{
    beginResetModel();
    m_rows = m_ds && m_ds->isOpen() ? m_ds->recordCount() : 0;
    cacheFieldIndexes();
    endResetModel();
}

void GridModel::cacheFieldIndexes()
{
    m_fieldIndex.assign(m_columns.count(), -1);
    m_numeric.assign(m_columns.count(), false);
    m_cdcs = -1;
    m_key = -1;
    if (!m_ds || !m_ds->isOpen())
        return;
    for (int i = 0; i < m_columns.count(); ++i) {
        const int f = m_ds->fieldIndex(m_columns.at(i).fieldName);
        m_fieldIndex[i] = m_columns.at(i).fieldName.isEmpty() ? -1 : f;
        if (f >= 0) {
            const FieldType type = m_ds->field(f).type;
            m_numeric[i] = type == FieldType::Integer || type == FieldType::Decimal;
        }
    }
    m_cdcs = m_ds->fieldIndex(QStringLiteral("cdcs"));
    m_key = m_marked ? m_ds->fieldIndex(m_marked->keyField()) : -1;
}

bool GridModel::isOpenWithRows() const
{
    return m_ds && m_ds->isOpen() && m_rows > 0;
}

bool GridModel::isMarkable(int row) const
{
    if (!isOpenWithRows() || row < 0 || row >= m_rows)
        return false;
    return m_cdcs < 0 || m_ds->value(row, m_cdcs).toInt() <= 0;
}

bool GridModel::isMarkColumn(int column) const
{
    return column >= 0 && column < m_columns.count() && m_columns.isMarkColumn(column);
}

bool GridModel::isMarked(int row) const
{
    if (!m_marked || m_marked->isEmpty() || m_key < 0 || !isOpenWithRows() || row < 0 || row >= m_rows)
        return false;
    return m_marked->containsKey(m_ds->text(row, m_key));
}

bool GridModel::toggleMark(int row)
{
    if (!m_marked || m_key < 0 || !isMarkable(row))
        return false;
    const QString key = m_ds->text(row, m_key);
    if (m_marked->containsKey(key))
        m_marked->unmarkKey(key);
    else
        m_marked->markKey(key);
    for (int c = 0; c < m_columns.count(); ++c) {
        if (m_columns.isMarkColumn(c))
            emit dataChanged(index(row, c), index(row, c), {Qt::CheckStateRole});
    }
    return true;
}

void GridModel::markAll()
{
    if (!m_marked || m_key < 0 || !isOpenWithRows())
        return;
    for (int row = 0; row < m_rows; ++row) {
        if (isMarkable(row))
            m_marked->markKey(m_ds->text(row, m_key));
    }
    marksChanged();
}

void GridModel::marksChanged()
{
    if (m_rows == 0)
        return;
    for (int c = 0; c < m_columns.count(); ++c) {
        if (m_columns.isMarkColumn(c))
            emit dataChanged(index(0, c), index(m_rows - 1, c), {Qt::CheckStateRole});
    }
}

void GridModel::titlesChanged()
{
    if (!m_columns.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, m_columns.count() - 1);
}

bool GridModel::titleClick(int column)
{
    if (!m_ds || !GridSort::titleClick(m_columns, column, *m_ds))
        return false;
    titlesChanged();
    return true;
}

void GridModel::clearSort()
{
    if (!m_ds)
        return;
    GridSort::clearSort(m_columns, *m_ds);
    titlesChanged();
}

void GridModel::applySortText(const QString &sortText)
{
    if (!m_ds)
        return;
    m_ds->setSortText(sortText);   // throws before anything changed
    GridSort::clearTitleMarkers(m_columns);
    titlesChanged();
}

void GridModel::restoreSort(const QString &sortText, bool marked)
{
    if (!m_ds)
        return;
    applySortText(sortText);
    const SortText sort = SortText::parse(sortText);
    if (!marked || sort.size() != 1)
        return;
    const int column = m_columns.indexOfField(sort.terms().first().field);
    if (column < 0 || m_columns.isMarkColumn(column))
        return;
    GridColumn &c = m_columns[column];
    c.title += sort.terms().first().descending ? GridColumns::DescMarker : GridColumns::AscMarker;
    c.emphasised = true;
    titlesChanged();
}

bool GridModel::hasSortMarker() const
{
    for (int i = 0; i < m_columns.count(); ++i) {
        if (GridColumns::hasMarker(m_columns.at(i).title))
            return true;
    }
    return false;
}

GridModel::Validator GridModel::wholeNumbers(int min, int max)
{
    return [min, max](const QVariant &value) -> std::optional<QVariant> {
        static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
        const QString text = value.toString().trimmed();
        if (!digits.match(text).hasMatch())
            return std::nullopt;
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (!ok || n < min || n > max)
            return std::nullopt;
        return QVariant(int(n));
    };
}

void GridModel::setEditableField(const QString &field, Validator validator)
{
    m_editField = field;
    m_validator = std::move(validator);
    if (m_rows > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

bool GridModel::isEditable(const QModelIndex &index) const
{
    if (!index.isValid() || m_editField.isEmpty() || !m_validator || !isOpenWithRows()
        || index.row() >= m_rows || index.column() >= m_columns.count())
        return false;
    const int field = m_fieldIndex[index.column()];
    return field >= 0 && !m_ds->field(field).calculated
           && m_ds->field(field).name.compare(m_editField, Qt::CaseInsensitive) == 0;
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !isEditable(index))
        return false;
    const int field = m_fieldIndex[index.column()];
    const std::optional<QVariant> accepted = m_validator(value);
    if (!accepted) {
        if (value.toString() != m_ds->value(index.row(), field).toString())
            emit editRefused(index, value.toString());
        return false;
    }
    try {
        // Posts the value and runs the field's change hook; valueChanged repaints the row.
        m_ds->setValue(index.row(), m_ds->field(field).name, *accepted);
    } catch (const AppError &) {
        return false;
    }
    return true;
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.count();
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_ds || index.row() >= m_rows || index.column() >= m_columns.count())
        return {};
    const int row = index.row();
    const int column = index.column();
    const int field = m_fieldIndex[column];
    switch (role) {
    case Qt::DisplayRole:
        return field >= 0 ? QVariant(m_ds->displayText(row, field)) : QVariant();
    case RawValueRole:
        return field >= 0 ? m_ds->value(row, field) : QVariant();
    case Qt::EditRole:
        return field >= 0 && isEditable(index) ? QVariant(m_ds->text(row, field)) : QVariant();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter | (m_numeric[column] ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::CheckStateRole:
        if (!m_columns.isMarkColumn(column) || !isMarkable(row))
            return {};
        return isMarked(row) ? Qt::Checked : Qt::Unchecked;
    case MarkableRole:
        return m_columns.isMarkColumn(column) ? QVariant(isMarkable(row)) : QVariant();
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < m_rows)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_columns.count())
        return {};
    const GridColumn &c = m_columns.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return c.title;
    case TitleEmphasisRole:
        return c.emphasised;
    case FieldNameRole:
        return c.fieldName;
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Marks are toggled by the grid, not by the item view's check-box handling.
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (isEditable(index))
        f |= Qt::ItemIsEditable;
    return f;
}
