#include "grid/grid_popup_gui.h"

#include "common/guarded.h"
#include "data/dataset.h"
#include "grid/field_select_dialog.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"
#include "grid/marked_rows.h"
#include "grid/sort_setup_dialog.h"

#include <QStyle>

namespace {
const QString OrderWizardClass = QStringLiteral("TFrmOrderDo");
const QString CartGridName = QStringLiteral("DbgOk");
} // namespace

PpMenu::PpMenu(Prompter &prompter, QWidget *parent) : QMenu(parent), m_prompter(prompter)
{
    setObjectName(QStringLiteral("PpMenu"));
    setAccessibleName(QStringLiteral("列表菜单"));
    QStyle *s = style();

    m_ownItem = addAction(QString());
    connect(m_ownItem, &QAction::triggered, this, [this] {
        guarded(m_prompter, [this] {
            if (DbGrid *grid = m_context.grid)
                grid->runOwnPopupItem();
        });
    });
    m_ownItemSeparator = addSeparator();
    addItem(Browse, QStringLiteral("浏览(&L)"), &PpMenu::browse)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    m_quantitySeparator = addSeparator();
    addItem(OrderQuantity, QStringLiteral("订购数量(&D)"), &PpMenu::orderQuantity);
    addItem(RecordCount, QStringLiteral("记录数(&C)"), &PpMenu::recordCount);
    addSeparator();
    addItem(DisplayFields, QStringLiteral("设置显示项(&F)"), &PpMenu::displayFields)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    addItem(RestoreDefaults, QStringLiteral("恢复默认显示"), &PpMenu::restoreDefaults);
    addSeparator();
    addItem(SortSetup, QStringLiteral("设置排序(&S)"), &PpMenu::sortSetup)
        ->setIcon(s->standardIcon(QStyle::SP_ArrowDown));
    addItem(CancelSort, QStringLiteral("取消排序(&C)"), &PpMenu::cancelSort);
    m_markAllSeparator = addSeparator();
    // A checkable action flips its check before it reports the trigger; markAll() flips it
    // itself, so undo the automatic flip first.
    QAction *all = addAction(QStringLiteral("全选(&A)"));
    all->setCheckable(true);
    connect(all, &QAction::triggered, this, [this, all](bool checked) {
        all->setChecked(!checked);
        guarded(m_prompter, [this] { markAll(); });
    });
    m_actions[MarkAll] = all;
    addSeparator();
    addItem(Refresh, QStringLiteral("刷新(&R)"), &PpMenu::refresh)
        ->setIcon(s->standardIcon(QStyle::SP_BrowserReload));
}

PpMenu::~PpMenu() = default;

QAction *PpMenu::addItem(Item item, const QString &caption, void (PpMenu::*handler)())
{
    QAction *a = addAction(caption);
    // Every item catches its own errors: none may cross the menu's event handling.
    connect(a, &QAction::triggered, this, [this, handler] { guarded(m_prompter, [this, handler] { (this->*handler)(); }); });
    m_actions[item] = a;
    return a;
}

bool PpMenu::prepare(DbGrid *grid, int displayFieldMode, MarkedRowList *marked, int browseAction)
{
    DataSet *ds = grid ? grid->dataSet() : nullptr;
    if (!ds || !ds->isOpen())
        return false;
    m_context = {grid, displayFieldMode, marked, browseAction, QString()};
    m_actions[CancelSort]->setVisible(!ds->sortText().isEmpty());
    m_actions[Browse]->setVisible(browseAction != -1);
    m_ownItem->setText(grid->ownPopupItemCaption());
    m_ownItem->setVisible(!grid->ownPopupItemCaption().isEmpty());
    m_ownItemSeparator->setVisible(m_ownItem->isVisible());

    const QString owner = m_ownerName ? m_ownerName() : QString();
    if (owner != m_previousOwner)
        m_actions[MarkAll]->setChecked(false);
    m_previousOwner = owner;
    m_context.ownerName = owner;

    const bool quantity = owner == OrderWizardClass && grid->objectName() == CartGridName;
    m_actions[OrderQuantity]->setVisible(quantity);
    m_quantitySeparator->setVisible(quantity);
    m_actions[MarkAll]->setVisible(marked != nullptr);
    m_markAllSeparator->setVisible(marked != nullptr);
    return true;
}

void PpMenu::popupAt(DbGrid *grid, int displayFieldMode, MarkedRowList *marked, int browseAction,
                     const QPoint &globalPos)
{
    if (prepare(grid, displayFieldMode, marked, browseAction))
        exec(globalPos);
}

void PpMenu::openDetail(DataSet &ds)
{
    if (ds.isOpen() && m_detailOpener)
        guarded(m_prompter, [&] { m_detailOpener(ds); });
}

void PpMenu::browse()
{
    DbGrid *grid = m_context.grid;
    if (m_context.browseAction == 0 && grid && grid->dataSet())
        openDetail(*grid->dataSet());
}

void PpMenu::orderQuantity()
{
    DbGrid *grid = m_context.grid;
    if (!grid || !grid->gridModel()->isOpenWithRows()) {
        m_prompter.info(QStringLiteral("没有选择要修改的记录，不能修改定购数量！"));
        return;
    }
    if (m_quantityOpener)
        m_quantityOpener(*grid);
}

void PpMenu::recordCount()
{
    DbGrid *grid = m_context.grid;
    if (!grid || !grid->dataSet())
        return;
    const DataSet *ds = grid->dataSet();
    const int rows = ds->isOpen() ? ds->recordCount() : 0;
    m_prompter.message(QStringLiteral("当前数据集记录数量为：") + QString::number(rows),
                       QStringLiteral("系统提示"), MsgFlags::Plain);
}

void PpMenu::displayFields()
{
    DbGrid *grid = m_context.grid;
    if (!grid)
        return;
    TFrmSelField dialog(grid, m_context.displayFieldMode, m_prompter, grid->window());
    dialog.exec();
}

void PpMenu::restoreDefaults()
{
    if (DbGrid *grid = m_context.grid)
        grid->restoreDefaultLayout();
}

void PpMenu::sortSetup()
{
    DbGrid *grid = m_context.grid;
    if (!grid)
        return;
    TFrmSetSort dialog(grid, m_prompter, grid->window());
    dialog.exec();
}

void PpMenu::cancelSort()
{
    if (DbGrid *grid = m_context.grid)
        grid->clearSort();
}

void PpMenu::markAll()
{
    DbGrid *grid = m_context.grid;
    MarkedRowList *marked = m_context.marked;
    if (!grid || !marked)
        return;
    marked->clear();
    QAction *all = m_actions[MarkAll];
    GridModel *model = grid->gridModel();
    if (!all->isChecked() && model->isOpenWithRows()) {
        if (marked == model->markedRows()) {
            model->markAll();
        } else {
            if (!marked->dataSet())
                marked->setDataSet(model->dataSet());
            marked->markAll();
        }
        // The walk ends on the last row, which stays the current row.
        model->dataSet()->last();
    }
    all->setChecked(!all->isChecked());
    grid->marksChanged();
}

void PpMenu::refresh()
{
    DbGrid *grid = m_context.grid;
    if (!grid || !grid->dataSet())
        return;
    grid->dataSet()->refresh();
}
