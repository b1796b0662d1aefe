#include "cart/order_count_dialog.h"

#include "common/guarded.h"
#include "common/prompter.h"
#include "data/dataset.h"
#include "grid/grid_view.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

// Price × quantity in currency arithmetic (four decimal places).
double amountOf(const QVariant &price, qint64 quantity)
{
    return std::round(price.toDouble() * double(quantity) * 10000.0) / 10000.0;
}

} // namespace

TFrmOrderCount::TFrmOrderCount(Prompter &prompter, DbGrid &grid, QWidget *parent)
    : QDialog(parent), m_prompter(prompter), m_grid(grid)
{
    setObjectName(QStringLiteral("FrmOrderCount"));
    setWindowTitle(QStringLiteral("设置订购数量"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_count = new QLineEdit(this);
    m_count->setObjectName(QStringLiteral("EdtCount"));
    m_count->setAccessibleName(QStringLiteral("订购数量"));
    m_count->setFixedWidth(110);
    auto *caption = new QLabel(QStringLiteral("订购数量："), this);
    caption->setBuddy(m_count);
    auto *unit = new QLabel(QStringLiteral("本"), this);

    m_all = new QCheckBox(QStringLiteral("所有图书"), this);
    m_all->setObjectName(QStringLiteral("All"));
    m_all->setAccessibleName(QStringLiteral("所有图书"));

    m_ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    m_ok->setObjectName(QStringLiteral("BtnOk"));
    m_ok->setAccessibleName(QStringLiteral("确定"));
    m_close = new QPushButton(QStringLiteral("关闭(&C)"), this);
    m_close->setObjectName(QStringLiteral("BtnClose"));
    m_close->setAccessibleName(QStringLiteral("关闭"));
    // Enter in the edit applies through returnPressed alone; no button is the default.
    for (QPushButton *b : {m_ok, m_close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(m_count);
    row->addWidget(unit);
    row->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_all);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(14);
    layout->addLayout(row);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);   // fixed dialog border

    connect(m_ok, &QPushButton::clicked, this, [this] { guarded(m_prompter, [this] { apply(); }); });
    // Enter acts when it is pressed: the release that closes a message box does nothing here.
    connect(m_count, &QLineEdit::returnPressed, this, [this] { guarded(m_prompter, [this] { apply(); }); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<qint64> TFrmOrderCount::parseQuantity(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return std::nullopt;
    for (const QChar ch : digits)
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
    const qint64 quantity = digits.toLongLong();
    if (quantity > MaxQuantity)
        return std::nullopt;
    return quantity;
}

void TFrmOrderCount::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QWidget *owner = parentWidget()) {
        const QRect area = owner->window()->geometry();
        move(area.center() - rect().center());
    }
    const DataSet *ds = m_grid.dataSet();
    m_count->setText(ds && ds->isOpen() ? ds->currentText(QStringLiteral("sl")) : QString());
    m_count->selectAll();
    m_count->setFocus();
}

bool TFrmOrderCount::apply()
{
    const std::optional<qint64> quantity = parseQuantity(m_count->text());
    if (!quantity) {
        m_prompter.info(QStringLiteral("输入错误！"));
        m_count->setFocus();
        return false;
    }
    DataSet *ds = m_grid.dataSet();
    if (ds && ds->isOpen() && !ds->isEmpty()) {
        const auto setRow = [&](int row) {
            ds->setValue(row, QStringLiteral("sl"), *quantity);
            ds->setValue(row, QStringLiteral("my"), amountOf(ds->value(row, QStringLiteral("dj")), *quantity));
        };
        if (m_all->isChecked()) {
            ds->disableControls();
            for (int row = 0; row < ds->recordCount(); ++row)
                setRow(row);
            ds->enableControls();
            ds->last();   // the walk ends on the last row
        } else {
            setRow(ds->currentRow());
        }
    }
    accept();
    return true;
}
