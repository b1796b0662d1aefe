#include "grid/grid_view.h"

#include "data/dataset.h"
#include "grid/grid_header_view.h"
#include "grid/grid_model.h"
#include "grid/grid_popup_gui.h"
#include "grid/striped_delegate.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

DbGrid::DbGrid(QWidget *parent) : QTableView(parent), m_model(new GridModel(this))
{
    setModel(m_model);
    setItemDelegate(new StripedDelegate(this));
    setHorizontalHeader(new GridHeaderView(Qt::Horizontal, this));
    setVerticalHeader(new GridHeaderView(Qt::Vertical, this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setAccessibleName(QStringLiteral("数据列表"));

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setSortIndicatorShown(false);
    titles->setStretchLastSection(false);
    titles->setMinimumSectionSize(8);

    QHeaderView *rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 5);
    rows->setFixedWidth(12);

    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (columns().at(index.column()).title == GridColumns::MarkTitle)
            toggleMark(index.row());
    });
    connect(titles, &QHeaderView::sectionClicked, this, [this](int column) { titleClick(column); });
    connect(titles, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (!m_syncing && size > 0)
            m_model->setColumnWidth(column, size);
    });
    connect(m_model, &GridModel::columnsChanged, this, &DbGrid::syncColumns);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DbGrid::followCurrentRow);
}

DbGrid::~DbGrid() = default;

void DbGrid::setDataSet(DataSet *ds)
{
    disconnect(m_rowConnection);
    m_model->setDataSet(ds);
    if (ds)
        m_rowConnection = connect(ds, &DataSet::currentRowChanged, this, &DbGrid::followCurrentRow);
    followCurrentRow();
}

DataSet *DbGrid::dataSet() const
{
    return m_model->dataSet();
}

void DbGrid::setColumns(const GridColumns &columns)
{
    m_model->setColumns(columns);
}

const GridColumns &DbGrid::columns() const
{
    return m_model->columns();
}

void DbGrid::setColumnVisible(int column, bool visible)
{
    m_model->setColumnVisible(column, visible);
}

void DbGrid::setMarkedRows(MarkedRowList *marked)
{
    m_model->setMarkedRows(marked);
    viewport()->update();
}

MarkedRowList *DbGrid::markedRows() const
{
    return m_model->markedRows();
}

void DbGrid::marksChanged()
{
    m_model->marksChanged();
    viewport()->update();
}

void DbGrid::setPopupOptions(int displayFieldMode, int browseAction, bool withMarkedRows)
{
    m_displayFieldMode = displayFieldMode;
    m_browseAction = browseAction;
    m_popupWithMarks = withMarkedRows;
}

void DbGrid::setPopupMenu(PpMenu *menu)
{
    m_popup = menu;
}

PpMenu *DbGrid::popupMenu() const
{
    return m_popup;
}

void DbGrid::openPopup(const QPoint &globalPos)
{
    if (PpMenu *menu = popupMenu())
        menu->popupAt(this, m_displayFieldMode, m_popupWithMarks ? markedRows() : nullptr, m_browseAction,
                      globalPos);
}

bool DbGrid::titleClick(int column)
{
    if (!m_model->titleClick(column))
        return false;
    horizontalHeader()->viewport()->update();
    return true;
}

void DbGrid::clearSort()
{
    m_model->clearSort();
    horizontalHeader()->viewport()->update();
}

void DbGrid::applySortText(const QString &sortText)
{
    m_model->applySortText(sortText);
    horizontalHeader()->viewport()->update();
}

void DbGrid::setEditableField(const QString &field, GridModel::Validator validator)
{
    m_model->setEditableField(field, std::move(validator));
    setEditTriggers(field.isEmpty() ? QAbstractItemView::NoEditTriggers
                                    : QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                                          | QAbstractItemView::SelectedClicked);
}

bool DbGrid::toggleMark(int row)
{
    if (columns().markColumn() < 0 || !m_model->toggleMark(row))
        return false;
    viewport()->update();
    emit markToggled(row);
    return true;
}

void DbGrid::openDetail()
{
    PpMenu *menu = popupMenu();
    if (menu && dataSet())
        menu->openDetail(*dataSet());
}

void DbGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        openPopup(event->globalPosition().toPoint());
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && m_opensDetail && indexAt(event->position().toPoint()).isValid())
        openDetail();
}

void DbGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (currentIndex().isValid() && event->modifiers() == Qt::NoModifier) {
            toggleMark(currentIndex().row());
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_opensDetail) {
            openDetail();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void DbGrid::contextMenuEvent(QContextMenuEvent *event)
{
    // The mouse opens the menu on the right button's release; the menu key opens it here.
    event->accept();
    if (event->reason() != QContextMenuEvent::Keyboard)
        return;
    const QRect cell = visualRect(currentIndex());
    openPopup(viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0)));
}

void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    viewport()->update();
    verticalHeader()->viewport()->update();
    DataSet *ds = dataSet();
    if (!m_syncing && ds && current.isValid() && current.row() != ds->currentRow())
        ds->setCurrentRow(current.row());
}

void DbGrid::followCurrentRow()
{
    viewport()->update();
    verticalHeader()->viewport()->update();
    DataSet *ds = dataSet();
    if (!ds || ds->currentRow() < 0 || ds->currentRow() >= m_model->rowCount())
        return;
    const int row = ds->currentRow();
    if (currentIndex().row() == row)
        return;
    int column = currentIndex().column();
    if (column < 0 || isColumnHidden(column)) {
        column = 0;
        while (column < m_model->columnCount() - 1 && isColumnHidden(column))
            ++column;
    }
    if (column >= m_model->columnCount())
        return;
    m_syncing = true;
    const QModelIndex index = m_model->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    m_syncing = false;
}

int DbGrid::defaultWidth(int column) const
{
    const GridColumn &c = columns().at(column);
    int width = fontMetrics().horizontalAdvance(c.title) + 16;
    const DataSet *ds = dataSet();
    const int field = ds ? ds->fieldIndex(c.fieldName) : -1;
    if (field >= 0 && ds->field(field).displayWidth > 0)
        width = std::max(width, fontMetrics().averageCharWidth() * ds->field(field).displayWidth + 8);
    return std::clamp(width, 40, 320);
}

void DbGrid::syncColumns()
{
    m_syncing = true;
    const GridColumns &list = columns();
    for (int i = 0; i < list.count(); ++i) {
        setColumnWidth(i, list.at(i).width > 0 ? list.at(i).width : defaultWidth(i));
        setColumnHidden(i, !list.at(i).visible);
    }
    m_syncing = false;
    followCurrentRow();
}
