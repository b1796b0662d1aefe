#include "order/order_done_page_widget.h"

#include "order/order_batch.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/value_label_widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

OrderDonePage::OrderDonePage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tb8"));
    QFont big = font();
    big.setPixelSize(16);
    const auto style = [&](auto *l, const char *name) {
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(big);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    const auto line = [&](const char *name, const QString &text) { return style(new QLabel(text, this), name); };
    m_lbDone = line("LbDone", QString());
    const QString count = QStringLiteral("您此次订购的书目总数为："),
                  batch = QStringLiteral("您此次订购书目的订单流水号为："),
                  orders = QStringLiteral("您此次订购操作生成订单数量为：");
    m_lbCount = style(new ValueLabel(count, this), "LbCount");
    m_lbOrderNo = style(new ValueLabel(batch, this), "LbOrderNo");
    m_lbOrderCount = style(new ValueLabel(orders, this), "LbOrderCount");
    m_lbUnsent = line("LbUnsent", QString());
    QPalette red = m_lbUnsent->palette();
    red.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    m_lbUnsent->setPalette(red);
    const auto pair = [&](const QString &caption, QLabel *value) {
        auto *row = new QHBoxLayout;
        auto *c = line("", caption);
        c->setWordWrap(false);
        c->setBuddy(value);
        QPalette blue = value->palette();
        blue.setColor(QPalette::WindowText, GridColours::TabActive);
        value->setPalette(blue);
        row->addWidget(c);
        row->addWidget(value, 1);
        return row;
    };
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(60, 50, 60, 40);
    layout->setSpacing(18);
    layout->addWidget(m_lbDone);
    layout->addLayout(pair(count, m_lbCount));
    layout->addLayout(pair(batch, m_lbOrderNo));
    layout->addLayout(pair(orders, m_lbOrderCount));
    layout->addWidget(m_lbUnsent);
    layout->addWidget(line("LbQuery", QStringLiteral("如果需要查看生成订单情况，请在\"订单查询\"模块中进行查询。")));
    layout->addStretch(1);
}

void OrderDonePage::setTitleCount(int count)
{
    m_lbCount->setValue(QString::number(count));
}

void OrderDonePage::showMade(const OrderBatch &batch)
{
    m_lbOrderNo->setValue(batch.number());
    m_lbOrderCount->setValue(QString::number(batch.orders().size()));
}

void OrderDonePage::showSummary(const OrderBatch &batch)
{
    m_lbDone->setText(batch.doneText());
    const QString notes = batch.notesText();
    m_lbUnsent->setText(notes);
    m_lbUnsent->setVisible(!notes.isEmpty());
    setTitleCount(batch.lineCount());
}
