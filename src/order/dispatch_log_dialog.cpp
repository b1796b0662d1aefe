#include "order/dispatch_log_dialog.h"

#include "widgets/read_only_table_gui.h"

#include <QLabel>
#include <QTableWidget>

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
    QList<QStringList> rows;
    for (const DispatchLog::Entry &e : entries)
        rows.append({e.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), DispatchLog::channelText(e.channel),
                     e.recipients.join(QStringLiteral("、")), e.subject, e.attachmentName, e.attachmentSha256,
                     DispatchLog::resultText(e.result), e.failure.simplified()});
    m_table = readOnlyTable(this, QStringLiteral("TbLog"), QStringLiteral("发送记录"), heads, rows);
    for (int row = 0; row < entries.size(); ++row)
        m_table->item(row, 7)->setToolTip(entries.at(row).failure);   // with its line breaks

    layOutReport(this, caption, m_table);
    resize(900, 320);
}
