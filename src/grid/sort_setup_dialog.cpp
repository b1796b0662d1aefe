#include "grid/sort_setup_dialog.h"

#include "common/app_error.h"
#include "common/prompter.h"
#include "data/dataset.h"
#include "grid/error_caption.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/plain_caption.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
QString sortOf(DbGrid *grid)
{
    return grid && grid->dataSet() ? grid->dataSet()->sortText() : QString();
}

GridColumns columnsOf(DbGrid *grid)
{
    return grid ? grid->columns() : GridColumns();
}

int selectedRow(const QListWidget *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}
} // namespace

TFrmSetSort::TFrmSetSort(DbGrid *grid, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_grid(grid), m_prompter(prompter), m_setup(columnsOf(grid), sortOf(grid))
{
    setObjectName(QStringLiteral("FrmSetSort"));
    setWindowTitle(QStringLiteral("设置排序"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(293, 201);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, GridColours::Window);
    setPalette(pal);
    setAutoFillBackground(true);

    auto *fieldLabel = new QLabel(QStringLiteral("字段名"), this);
    fieldLabel->setObjectName(QStringLiteral("Label1"));
    fieldLabel->setGeometry(8, 6, 120, 16);
    auto *sortLabel = new QLabel(QStringLiteral("排序方式"), this);
    sortLabel->setObjectName(QStringLiteral("Label2"));
    sortLabel->setGeometry(136, 6, 66, 16);

    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("CbField"));
    m_field->setAccessibleName(QStringLiteral("字段名"));
    m_field->setGeometry(8, 24, 122, 24);
    for (const SortSetup::Choice &c : m_setup.choices())
        m_field->addItem(c.title);
    fieldLabel->setBuddy(m_field);

    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("CbSort"));
    m_direction->setAccessibleName(QStringLiteral("排序方式"));
    m_direction->setGeometry(136, 24, 66, 24);
    m_direction->addItems({SortSetup::AscText, SortSetup::DescText});
    sortLabel->setBuddy(m_direction);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("LbField"));
    m_list->setAccessibleName(QStringLiteral("排序字段列表"));
    m_list->setGeometry(8, 54, 194, 139);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &TFrmSetSort::removeSelected);

    struct Button {
        const char *name;
        QString caption;
        void (TFrmSetSort::*handler)();
    };
    const Button buttons[] = {
        {"BtnAdd", QStringLiteral("增加(&N)"), &TFrmSetSort::add},
        {"BtnDel", QStringLiteral("删除(&D)"), &TFrmSetSort::removeSelected},
        {"BtnUp", QStringLiteral("向上(&U)"), nullptr},
        {"BtnDown", QStringLiteral("向下(&L)"), nullptr},
        {"BtnClear", QStringLiteral("清除(&Q)"), &TFrmSetSort::clearAll},
        {"BtnOk", QStringLiteral("确定(&O)"), &TFrmSetSort::apply},
        {"BtnClose", QStringLiteral("关闭(&C)"), nullptr},
    };
    int y = 8;
    for (const Button &b : buttons) {
        auto *button = new QPushButton(b.caption, this);
        button->setObjectName(QLatin1String(b.name));
        button->setAccessibleName(plainCaption(b.caption));
        button->setGeometry(212, y, 73, 23);
        button->setAutoDefault(false);
        y += 27;
        if (b.handler)
            connect(button, &QPushButton::clicked, this, b.handler);
    }
    connect(findChild<QPushButton *>(QStringLiteral("BtnUp")), &QPushButton::clicked, this, [this] { move(-1); });
    connect(findChild<QPushButton *>(QStringLiteral("BtnDown")), &QPushButton::clicked, this, [this] { move(1); });
    connect(findChild<QPushButton *>(QStringLiteral("BtnClose")), &QPushButton::clicked, this, &QDialog::reject);

    showEntries(-1);
}

void TFrmSetSort::showEntries(int selected)
{
    m_list->clear();
    m_list->addItems(m_setup.entries());
    if (selected >= 0 && selected < m_list->count())
        m_list->setCurrentRow(selected);
}

void TFrmSetSort::add()
{
    const auto result = m_setup.add(m_field->currentIndex(), m_direction->currentIndex() == 1);
    if (result == SortSetup::AddResult::Duplicate) {
        m_prompter.info(QStringLiteral("该字段已存在！"));
        return;
    }
    if (result == SortSetup::AddResult::Added)
        showEntries(selectedRow(m_list));
}

void TFrmSetSort::removeSelected()
{
    const int row = selectedRow(m_list);
    if (row >= 0)
        showEntries(m_setup.remove(row));
}

void TFrmSetSort::move(int direction)
{
    const int row = selectedRow(m_list);
    if (row >= 0)
        showEntries(direction < 0 ? m_setup.moveUp(row) : m_setup.moveDown(row));
}

void TFrmSetSort::clearAll()
{
    m_setup.clear();
    showEntries(-1);
}

void TFrmSetSort::apply()
{
    DataSet *ds = m_grid ? m_grid->dataSet() : nullptr;
    if (!ds)
        return;
    try {
        // The title markers go only once the list took the new sort: a refused sort leaves
        // the list's order and its titles as they were.
        m_grid->applySortText(m_setup.working().toString());
    } catch (const AppError &e) {
        m_prompter.message(e.text(), errorCaption(), MsgFlags::Error);
        return;
    }
    accept();
}
