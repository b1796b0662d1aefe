#include "order/order_wizard_controls_widget.h"

#include "data/dataset.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/value_label_widget.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>

namespace OrderWizardControls {
namespace {

ValueLabel *totalLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = new ValueLabel(caption, parent);
    l->setObjectName(name);
    l->setMinimumWidth(90);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

QWidget *stepNote(QWidget *parent)
{
    auto *note = new QPlainTextEdit(parent);
    note->setObjectName(QStringLiteral("MmStep"));
    note->setAccessibleName(QStringLiteral("订购步骤"));
    note->setReadOnly(true);
    note->setFocusPolicy(Qt::NoFocus);
    note->setFrameShape(QFrame::NoFrame);
    note->setPlainText(QStringLiteral("订购步骤：1.修改书目的订购数量; 2.输入订货信息;\n"
                                      "          3.确认信息完整性;     4.订购完成信息显示"));
    QPalette purple = note->palette();
    purple.setColor(QPalette::Text, QColor(0x80, 0x00, 0x80));
    purple.setColor(QPalette::Base, GridColours::Window);
    note->setPalette(purple);
    note->setFixedHeight(QFontMetrics(note->font()).lineSpacing() * 2 + 10);
    note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return note;
}

DbGrid *grid(QWidget *parent, const char *name, const QString &accessible, PpMenu *popupMenu)
{
    auto *grid = new DbGrid(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setAccessibleName(accessible);
    grid->useTitleListFonts(12);
    if (popupMenu)
        grid->setPopupMenu(popupMenu);
    return grid;
}

QGroupBox *Totals::build(QWidget *parent, const char *prefix)
{
    auto *box = new QGroupBox(QStringLiteral("明细汇总"), parent);
    const QString p = QString::fromLatin1(prefix);
    count = totalLabel(box, p + QStringLiteral("Count"), QStringLiteral("品种"));
    sl = totalLabel(box, p + QStringLiteral("Sl"), QStringLiteral("数量"));
    my = totalLabel(box, p + QStringLiteral("My"), QStringLiteral("码洋"));
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(10, 4, 10, 4);
    for (auto [caption, label] : {std::pair{"品种：", count}, {"数量：", sl}, {"码洋：", my}}) {
        auto *c = new QLabel(QString::fromUtf8(caption), box);
        c->setBuddy(label);
        row->addWidget(c);
        row->addWidget(label);
        row->addSpacing(24);
    }
    row->addStretch(1);
    return box;
}

void Totals::show(const QString &titles, const QVariant &quantity, const QVariant &amount)
{
    count->setValue(titles);
    sl->setValue(DataSet::formatNumber(quantity, QStringLiteral("#,")));
    my->setValue(DataSet::formatNumber(amount, QStringLiteral("#,.00;#,.00;0")));
}

} // namespace OrderWizardControls
