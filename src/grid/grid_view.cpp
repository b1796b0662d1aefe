#include "grid/grid_view.h"

#include "common/app_error.h"
#include "common/user_settings.h"
#include "data/dataset.h"
#include "grid/chinese_font_gui.h"
#include "grid/column_widths.h"
#include "grid/grid_header_view.h"
#include "grid/grid_model.h"
#include "grid/grid_popup_gui.h"
#include "grid/striped_delegate.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>
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
    titles->setSectionsMovable(true);

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
        if (m_syncing || size <= 0 || column >= columns().count())
            return;
        m_model->setColumnWidth(column, size);
        m_userWidths.insert(GridMemory::columnId(columns().at(column)));
        userChangedLayout();
    });
    connect(titles, &QHeaderView::sectionMoved, this, [this] {
        if (!m_syncing && !m_restoring)
            userChangedLayout();
    });
    // A double click on a title's right edge fits the column (instead of the view's own rule).
    disconnect(titles, &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
    connect(titles, &QHeaderView::sectionHandleDoubleClicked, this, &DbGrid::fitColumn);
    connect(m_model, &GridModel::columnsChanged, this, &DbGrid::syncColumns);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DbGrid::followCurrentRow);

    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(400);
    connect(m_saveTimer, &QTimer::timeout, this, &DbGrid::saveLayout);
}

DbGrid::~DbGrid()
{
    saveLayout();
}

void DbGrid::setDataSet(DataSet *ds)
{
    disconnect(m_rowConnection);
    for (const auto &c : m_dataConnections)
        disconnect(c);
    m_dataConnections.clear();
    m_model->setDataSet(ds);
    if (ds) {
        m_rowConnection = connect(ds, &DataSet::currentRowChanged, this, &DbGrid::followCurrentRow);
        // After the model has taken the new rows (its connections come first).
        m_dataConnections << connect(ds, &DataSet::opened, this, [this] {
            applyPendingSort();
            noteSort();
            if (!m_grown)
                QTimer::singleShot(0, this, &DbGrid::growIntoSpareRoom);
        }) << connect(ds, &DataSet::orderChanged, this, &DbGrid::noteSort);
    }
    noteSort();
    followCurrentRow();
}

DataSet *DbGrid::dataSet() const
{
    return m_model->dataSet();
}

void DbGrid::setColumns(const GridColumns &columns)
{
    // What the user changed so far is kept before the remembered layout is given to the new
    // columns.
    saveLayout();
    m_defaults = columns;
    m_restoredSignature.clear();
    m_model->setColumns(columns);
}

void DbGrid::setShownColumns(const GridColumns &columns)
{
    const GridColumns before = this->columns();
    m_model->setColumns(columns);
    for (int i = 0; i < this->columns().count(); ++i) {
        if (this->columns().at(i).visible && (i >= before.count() || !before.at(i).visible))
            fitShownColumn(i);
    }
    userChangedLayout();
}

const GridColumns &DbGrid::columns() const
{
    return m_model->columns();
}

void DbGrid::setColumnVisible(int column, bool visible)
{
    if (column < 0 || column >= columns().count() || columns().at(column).visible == visible)
        return;
    m_model->setColumnVisible(column, visible);
    if (visible)
        fitShownColumn(column);
    userChangedLayout();
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
    noteSort();
    userChangedLayout();
    return true;
}

void DbGrid::clearSort()
{
    m_model->clearSort();
    horizontalHeader()->viewport()->update();
    noteSort();
    userChangedLayout();
}

void DbGrid::applySortText(const QString &sortText)
{
    m_model->applySortText(sortText);
    horizontalHeader()->viewport()->update();
    noteSort();
    userChangedLayout();
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

bool DbGrid::hasUserWidth(int column) const
{
    return m_userWidths.contains(GridMemory::columnId(columns().at(column)));
}

int DbGrid::captionWidth(int column) const
{
    const GridColumn &c = columns().at(column);
    const DataSet *ds = dataSet();
    const int field = ds && !c.fieldName.isEmpty() ? ds->fieldIndex(c.fieldName) : -1;
    const bool sortable = !c.fieldName.isEmpty() && !columns().isMarkColumn(column)
                          && !(field >= 0 && ds->field(field).calculated);
    // A column that can be sorted may carry the marker, drawn bold.
    QFont font = horizontalHeader()->font();
    font.setBold(sortable);
    const QFontMetrics metrics(font);
    const QString caption = GridColumns::plainTitle(c.title) + (sortable ? QString(GridColumns::AscMarker) : QString());
    return ColumnWidths::captionWidth(caption, [&metrics](const QString &t) { return metrics.horizontalAdvance(t); });
}

int DbGrid::fittedWidth(int column) const
{
    const int caption = captionWidth(column);
    if (columns().isMarkColumn(column))
        return std::max(caption, style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) + 8);
    const QFontMetrics metrics(font());
    const auto measure = [&metrics](const QString &t) { return metrics.horizontalAdvance(t); };
    QStringList samples;
    if (m_model->isOpenWithRows()) {
        const int first = std::max(0, rowAt(0));
        const int last = std::min(m_model->rowCount(), first + ColumnWidths::SampleRows);
        for (int row = first; row < last; ++row)
            samples << m_model->data(m_model->index(row, column)).toString();
    } else if (const DataSet *ds = dataSet()) {
        // No rows yet: the field's display width in average characters, if it has one.
        const int field = ds->fieldIndex(columns().at(column).fieldName);
        if (field >= 0 && ds->field(field).displayWidth > 0)
            return std::max(caption, std::min(metrics.averageCharWidth() * ds->field(field).displayWidth
                                                  + ColumnWidths::CellPadding,
                                              ColumnWidths::MaxFitted));
    }
    return ColumnWidths::fitted(caption, samples, measure);
}

void DbGrid::fitColumn(int column)
{
    if (column < 0 || column >= columns().count())
        return;
    const int width = fittedWidth(column);
    if (columnWidth(column) == width) {
        // Nothing moves, but the user asked for this width: it is theirs now.
        m_model->setColumnWidth(column, width);
        m_userWidths.insert(GridMemory::columnId(columns().at(column)));
        userChangedLayout();
        return;
    }
    setColumnWidth(column, width);   // sectionResized records it as the user's width
}

void DbGrid::fitShownColumn(int column)
{
    if (column < 0 || column >= columns().count() || hasUserWidth(column))
        return;
    const int width = fittedWidth(column);
    m_model->setColumnWidth(column, width);
    m_syncing = true;
    setColumnWidth(column, width);
    m_syncing = false;
}

void DbGrid::syncColumns()
{
    if (restoreLayout())
        return;   // the restored columns were synced on the way
    const GridColumns &list = columns();
    if (list.isAutomatic() && m_defaultFieldShown.isEmpty()) {
        for (int i = 0; i < list.count(); ++i)
            m_defaultFieldShown.insert(list.at(i).fieldName.toUpper(), list.at(i).visible);
    }
    const bool rows = m_model->isOpenWithRows();
    m_syncing = true;
    for (int i = 0; i < list.count(); ++i) {
        const GridColumn &c = list.at(i);
        int width = c.width;
        if (!c.visible) {
            // Fitted when shown.
            width = width > 0 ? width : captionWidth(i);
        } else if (width <= 0) {
            width = fittedWidth(i);
            // Fitted against rows, the width stays; fitted to the caption alone it is tried
            // again when rows come.
            if (rows)
                m_model->setColumnWidth(i, width);
        } else if (!hasUserWidth(i)) {
            width = std::max(width, captionWidth(i));
        }
        setColumnWidth(i, width);
        setColumnHidden(i, !c.visible);
    }
    m_syncing = false;
    followCurrentRow();
}

void DbGrid::growIntoSpareRoom()
{
    if (m_grown || !isVisible() || !m_model->isOpenWithRows())
        return;
    m_grown = true;
    QHeaderView *titles = horizontalHeader();
    QList<int> shown;
    for (int v = 0; v < titles->count(); ++v) {
        const int i = titles->logicalIndex(v);
        if (i >= 0 && i < columns().count() && !isColumnHidden(i))
            shown << i;
    }
    QList<int> widths, wanted;
    QList<bool> growable;
    int used = 0;
    for (int i : std::as_const(shown)) {
        widths << columnWidth(i);
        used += columnWidth(i);
        const bool mayGrow = !hasUserWidth(i) && !columns().isMarkColumn(i);
        growable << mayGrow;
        wanted << (mayGrow ? fittedWidth(i) : 0);
    }
    const QList<int> grown = ColumnWidths::grow(widths, wanted, growable, viewport()->width() - used);
    m_syncing = true;
    for (qsizetype k = 0; k < shown.size(); ++k) {
        if (grown[k] != widths[k]) {
            m_model->setColumnWidth(shown[k], grown[k]);
            setColumnWidth(shown[k], grown[k]);
        }
    }
    m_syncing = false;
}

QString DbGrid::formName() const
{
    // The working window: the widget inside a child-window frame, or the top-level window.
    const QWidget *w = this;
    while (!w->isWindow() && w->parentWidget() && !qobject_cast<const QMdiSubWindow *>(w->parentWidget()))
        w = w->parentWidget();
    return w->objectName();
}

QString DbGrid::columnSignature() const
{
    QStringList ids;
    for (int i = 0; i < columns().count(); ++i)
        ids << GridMemory::columnId(columns().at(i));
    return ids.join(u';');
}

bool DbGrid::restoreLayout()
{
    if (m_memoryKey.isEmpty() || m_restoring || columns().isEmpty())
        return false;
    const QString signature = columnSignature();
    if (signature == m_restoredSignature)
        return false;
    m_restoredSignature = signature;
    const GridState state = GridMemory::load(m_memoryKey);
    if (state.isEmpty())
        return false;

    m_restoring = true;
    GridColumns restored = columns();
    const QList<int> order = GridMemory::apply(state, restored);
    for (const GridColumnState &c : state.columns) {
        if (c.width > 0)
            m_userWidths.insert(c.id);
    }
    // Columns made from the list's fields take their visibility from the fields.
    if (restored.isAutomatic()) {
        if (DataSet *ds = dataSet()) {
            for (int i = 0; i < restored.count(); ++i)
                ds->setFieldVisible(restored.at(i).fieldName, restored.at(i).visible);
        }
    }
    m_model->setColumns(restored);
    QHeaderView *titles = horizontalHeader();
    m_syncing = true;
    for (int v = 0; v < order.size() && v < titles->count(); ++v)
        titles->moveSection(titles->visualIndex(order[v]), v);
    m_syncing = false;
    m_restoring = false;
    syncColumns();

    m_hasPendingSort = !state.sortText.isEmpty();
    m_pendingSort = state.sortText;
    m_pendingMarked = state.sortMarked;
    applyPendingSort();
    return true;
}

void DbGrid::applyPendingSort()
{
    if (!m_hasPendingSort || !m_model->isOpenWithRows())
        return;
    m_hasPendingSort = false;
    try {
        m_model->restoreSort(m_pendingSort, m_pendingMarked);
    } catch (const AppError &) {
        // A sort on a field the list no longer has is dropped.
    }
    horizontalHeader()->viewport()->update();
    noteSort();
}

void DbGrid::noteSort()
{
    const DataSet *ds = dataSet();
    if (!ds || !ds->isOpen())
        return;
    m_sort = ds->sortText();
    m_sortMarked = !m_sort.isEmpty() && m_model->hasSortMarker();
}

void DbGrid::userChangedLayout()
{
    if (m_restoring || m_memoryKey.isEmpty())
        return;
    m_dirty = true;
    m_saveTimer->start();
}

GridState DbGrid::currentLayout() const
{
    GridState state;
    const QHeaderView *titles = horizontalHeader();
    for (int v = 0; v < titles->count(); ++v) {
        const int i = titles->logicalIndex(v);
        if (i < 0 || i >= columns().count())
            continue;
        const GridColumn &c = columns().at(i);
        GridColumnState s;
        s.id = GridMemory::columnId(c);
        s.visible = c.visible;
        if (hasUserWidth(i))
            s.width = isColumnHidden(i) ? c.width : columnWidth(i);
        state.columns << s;
    }
    state.sortText = m_sort;
    state.sortMarked = m_sortMarked;
    return state;
}

void DbGrid::saveLayout()
{
    m_saveTimer->stop();
    if (!m_dirty || m_memoryKey.isEmpty())
        return;
    m_dirty = false;
    GridMemory::save(m_memoryKey, currentLayout());
}

void DbGrid::restoreDefaultLayout()
{
    m_saveTimer->stop();
    m_dirty = false;
    GridMemory::forget(m_memoryKey);
    m_userWidths.clear();
    m_hasPendingSort = false;

    m_restoring = true;
    if (m_defaults.isEmpty() || m_defaults.isAutomatic()) {
        if (DataSet *ds = dataSet()) {
            for (auto it = m_defaultFieldShown.cbegin(); it != m_defaultFieldShown.cend(); ++it)
                ds->setFieldVisible(it.key(), it.value());
        }
    }
    m_model->setColumns(m_defaults);
    QHeaderView *titles = horizontalHeader();
    m_syncing = true;
    for (int i = 0; i < titles->count(); ++i)
        titles->moveSection(titles->visualIndex(i), i);
    m_syncing = false;
    m_restoring = false;
    m_restoredSignature = columnSignature();   // nothing remembered to give back
    syncColumns();
    if (DataSet *ds = dataSet(); ds && ds->isOpen()) {
        m_model->clearSort();
        horizontalHeader()->viewport()->update();
        noteSort();
    }
    m_grown = false;
    growIntoSpareRoom();
}

void DbGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (m_memoryKey.isEmpty() && UserSettings::isEnabled() && !objectName().isEmpty()) {
        const QString form = formName();
        if (!form.isEmpty()) {
            m_memoryKey = form + u'/' + objectName();
            syncColumns();   // gives the remembered layout to the columns
        }
    }
    if (!m_grown)
        QTimer::singleShot(0, this, &DbGrid::growIntoSpareRoom);
}

void DbGrid::hideEvent(QHideEvent *event)
{
    saveLayout();
    QTableView::hideEvent(event);
}

void DbGrid::useTitleListFonts(int titlePixelSize)
{
    QFont cells(ChineseFont::resolve(QStringLiteral("宋体")));
    cells.setPixelSize(12);
    setFont(cells);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(cells).height() + 6);
    QFont titles = cells;
    titles.setPixelSize(titlePixelSize);
    horizontalHeader()->setFont(titles);
}
