#include "order/order_dispatch.h"

#include "common/app_error.h"
#include "order/dispatch_log.h"
#include "order/mail_request.h"

#include <QFileInfo>
#include <QTimer>

#include <utility>

OrderDispatch::OrderDispatch(const QSqlDatabase &db, Options options, QObject *parent)
    : QObject(parent), m_db(db), m_options(std::move(options))
{
}

QString OrderDispatch::failedFirstLine()
{
    return QStringLiteral("发送订单时发生错误！");
}

QString OrderDispatch::handedOverText(const QString &order, const QStringList &recipients)
{
    return DispatchLog::handedOverText(order, recipients);
}

QString OrderDispatch::failedText(const QString &order, const QString &reason)
{
    return failedFirstLine() + u'\n'
           + QStringLiteral("订单 %1 未能交给邮件程序：%2\n该订单没有发送。").arg(order, reason);
}

bool OrderDispatch::start(const OrderDocument &order, OrderSource source)
{
    if (m_busy)
        return false;
    m_busy = true;
    const QString number = order.header.dhdh.trimmed();
    m_time = m_options.now.isValid() ? m_options.now : QDateTime::currentDateTime();
    m_recipients.clear();
    m_subject.clear();
    m_attachmentName.clear();
    m_attachmentSha.clear();
    OrderMail::Prepared mail;
    try {
        mail = OrderMail::prepare(order, source,
                                  m_options.spoolRoot.isEmpty() ? OrderMail::defaultSpoolRoot()
                                                                : m_options.spoolRoot,
                                  m_time);
    } catch (const AppError &e) {
        const QString reason = e.text();
        QTimer::singleShot(0, this, [this, number, reason] { conclude(number, false, reason); });
        return true;
    }
    m_recipients = mail.request.recipients;
    m_subject = mail.request.subject;
    m_attachmentName = QFileInfo(mail.attachmentPath).fileName();
    m_attachmentSha = DispatchLog::fileSha256(mail.attachmentPath);

    auto *handOver = new MailHandOver(mail.request, mail.spoolFolder, m_options.handOver, this);
    connect(handOver, &MailHandOver::finished, this,
            [this, handOver, number](bool handedOver, const QString &reason) {
                handOver->deleteLater();
                conclude(number, handedOver, reason);
            });
    if (!handOver->start()) {
        const QString reason = handOver->reason();
        handOver->deleteLater();
        QTimer::singleShot(0, this, [this, number, reason] { conclude(number, false, reason); });
    }
    return true;
}

void OrderDispatch::conclude(const QString &order, bool handedOver, const QString &reason)
{
    DispatchOutcome outcome;
    outcome.order = order;
    outcome.handedOver = handedOver;
    outcome.recipients = m_recipients;
    outcome.message = handedOver ? handedOverText(order, m_recipients) : failedText(order, reason);
    outcome.failure = handedOver ? QString() : reason;

    DispatchLog::Entry entry;
    entry.orderNumber = order;
    entry.time = m_time;
    entry.channel = DispatchLog::Channel::MailProgram;
    entry.recipients = m_recipients;
    entry.subject = m_subject;
    entry.attachmentName = m_attachmentName;
    entry.attachmentSha256 = m_attachmentSha;
    entry.result = handedOver ? DispatchLog::Result::HandedOver : DispatchLog::Result::Failed;
    entry.failure = handedOver ? QString() : reason;
    try {
        DispatchLog::record(m_db, entry);
    } catch (const AppError &e) {
        outcome.logError = e.text();
        outcome.message += QStringLiteral("\n发送记录没有写入数据库：") + e.text();
    }
    m_busy = false;
    emit finished(outcome);
}
