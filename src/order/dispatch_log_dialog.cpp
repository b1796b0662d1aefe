#include "order/dispatch_log_dialog.h"

#include "widgets/captioned_controls_gui.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

DispatchLogDialog::DispatchLogDialog(const QString &order, const QList<DispatchLog::Entry> &entries,
                                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DispatchLogDialog"));
    setWindowTitle(QStringLiteral("发送记录 - 订单 %1").arg(order));

    auto *caption = new QLabel(entries.isEmpty() ? QStringLiteral("订单 %1 还没有发送过。").arg(order)
                                                 : QStringLiteral("订单 %1 共发送 %2 次：").arg(order).arg(entries.size()),
                               this);
    caption->setObjectName(QStringLiteral("LbLog"));

    const QStringList heads = {QStringLiteral("时间"),   QStringLiteral("方式"), QStringLiteral("收件人"),
                               QStringLiteral("主题"),   QStringLiteral("附件"), QStringLiteral("附件 SHA-256"),
                               QStringLiteral("结果"),   QStringLiteral("失败原因")};
    m_table = new QTableWidget(int(entries.size()), int(heads.size()), this);
    m_table->setObjectName(QStringLiteral("TbLog"));
    m_table->setAccessibleName(QStringLiteral("发送记录"));
    m_table->setHorizontalHeaderLabels(heads);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setVisible(false);
    for (int row = 0; row < entries.size(); ++row) {
        const DispatchLog::Entry &e = entries.at(row);
        const QStringList cells = {e.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                   DispatchLog::channelText(e.channel),
                                   e.recipients.join(QStringLiteral("、")),
                                   e.subject,
                                   e.attachmentName,
                                   e.attachmentSha256,
                                   DispatchLog::resultText(e.result),
                                   e.failure.simplified()};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            item->setToolTip(column == 7 ? e.failure : cells.at(column));
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);

    QPushButton *close = captionedButton(this, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), 72);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(900, 320);
}
