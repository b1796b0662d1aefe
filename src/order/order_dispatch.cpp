#include "order/order_dispatch.h"

#include "common/app_error.h"
#include "order/dispatch_log.h"
#include "order/mail_program.h"
#include "order/mail_request.h"

#include <QDir>
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

QString OrderDispatch::attachmentQuestion(const DispatchOutcome &outcome)
{
    return outcome.message + QStringLiteral("\n\n")
           + QStringLiteral("您的邮件程序可能没有附上订单文件“%1”：它只能从邮件链接中取得附件，"
                            "许多邮件程序会忽略。请在邮件中查看附件，没有时请手工附加该文件。\n\n"
                            "现在打开订单文件所在的文件夹吗？\n%2")
                 .arg(outcome.attachmentName, QDir::toNativeSeparators(outcome.spoolFolder));
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
    m_spoolFolder.clear();
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
    m_spoolFolder = mail.spoolFolder;

    auto *handOver = new MailHandOver(mail.request, mail.spoolFolder, m_options.handOver, this);
    connect(handOver, &MailHandOver::finished, this,
            [this, handOver, number](bool handedOver, const QString &reason) {
                handOver->deleteLater();
                conclude(number, handedOver, reason, handOver->details());
            });
    if (!handOver->start()) {
        const QString reason = handOver->reason();
        handOver->deleteLater();
        QTimer::singleShot(0, this, [this, number, reason] { conclude(number, false, reason); });
    }
    return true;
}

void OrderDispatch::conclude(const QString &order, bool handedOver, const QString &reason,
                             const QString &details)
{
    DispatchOutcome outcome;
    outcome.order = order;
    outcome.handedOver = handedOver;
    outcome.recipients = m_recipients;
    outcome.message = handedOver ? handedOverText(order, m_recipients) : failedText(order, reason);
    outcome.details = details;
    if (handedOver) {
        outcome.attachmentMayBeMissing = !MailProgram::passesAttachment(m_options.handOver.environment);
        outcome.spoolFolder = m_spoolFolder;
        outcome.attachmentName = m_attachmentName;
    }

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
