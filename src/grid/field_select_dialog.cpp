#include "grid/field_select_dialog.h"

#include "common/ini_reader.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/plain_caption.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

TFrmSelField::TFrmSelField(DbGrid *grid, int displayFieldMode, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_grid(grid), m_mode(displayFieldMode), m_prompter(prompter)
{
    setObjectName(QStringLiteral("FrmSelField"));
    setWindowTitle(QStringLiteral("设置显示项"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(238, 320);
    GridColours::paintBackground(this, GridColours::Window);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);

    auto *heading = new QLabel(QStringLiteral("显示内容列表"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setGeometry(8, 6, 200, 16);

    auto *area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("SbField"));
    area->setAccessibleName(QStringLiteral("显示内容列表"));
    area->setGeometry(7, 24, 224, 257);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    auto *panel = new QWidget;
    GridColours::paintBackground(panel, GridColours::TabBackground);

    const QString noShow = Ini::readProfileString(QStringLiteral("ALL"), QStringLiteral("sNoShowFieldList"));
    if (grid)
        m_choices = FieldSelection::choices(grid->columns(), grid->dataSet(), m_mode, noShow);
    for (int i = 0; i < m_choices.size(); ++i) {
        const FieldChoice &c = m_choices[i];
        auto *box = new QCheckBox(c.caption, panel);
        box->setAccessibleName(GridColumns::plainTitle(c.caption));
        box->setGeometry(12, 5 + 21 * i, 200, 17);
        box->setChecked(c.checked);
        box->setEnabled(c.enabled);
        m_boxes << box;
    }
    panel->setMinimumHeight(5 + 21 * int(m_choices.size()) + 4);
    area->setWidget(panel);

    auto *all = new QCheckBox(QStringLiteral("全选"), this);
    all->setObjectName(QStringLiteral("CbAll"));
    all->setGeometry(10, 291, 64, 17);
    all->setAccessibleName(QStringLiteral("全选"));
    // On every change of its state, whether by mouse, key, program or assistive tool.
    connect(all, &QCheckBox::toggled, this, &TFrmSelField::allToggled);

    auto *ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    ok->setObjectName(QStringLiteral("BtnOk"));
    ok->setAccessibleName(plainCaption(ok->text()));
    ok->setGeometry(84, 287, 70, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        apply();
        accept();
    });

    auto *close = new QPushButton(QStringLiteral("关闭(&C)"), this);
    close->setObjectName(QStringLiteral("BtnClose"));
    close->setAccessibleName(plainCaption(close->text()));
    close->setGeometry(160, 287, 70, 25);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmSelField::allToggled(bool checked)
{
    for (QCheckBox *box : std::as_const(m_boxes)) {
        if (box->isEnabled())
            box->setChecked(checked);
    }
}

void TFrmSelField::apply()
{
    if (!m_grid)
        return;
    for (int i = 0; i < m_boxes.size(); ++i)
        m_choices[i].checked = m_boxes[i]->isChecked();
    GridColumns columns = m_grid->columns();
    FieldSelection::apply(m_choices, columns, m_grid->dataSet(), m_mode);
    if (columns.count() != m_grid->columns().count()) {
        m_grid->setShownColumns(columns);
        return;
    }
    for (int i = 0; i < columns.count(); ++i)
        m_grid->setColumnVisible(i, columns.at(i).visible);
}
