#include "order/order_dispatch.h"

#include "common/app_error.h"
#include "order/mail_program.h"
#include "order/mail_request.h"
#include "order/smtp_message.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

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

QString OrderDispatch::sentText(const QString &order, const QStringList &recipients)
{
    return DispatchLog::sentText(order, recipients);
}

QString OrderDispatch::failedText(const QString &order, const QString &reason,
                                  DispatchLog::Channel channel)
{
    const QString what = channel == DispatchLog::Channel::Smtp
                             ? QStringLiteral("订单 %1 未能发送：%2")
                             : QStringLiteral("订单 %1 未能交给邮件程序：%2");
    return failedFirstLine() + u'\n' + what.arg(order, reason)
           + QStringLiteral("\n该订单没有发送。");
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
    m_attempt = {};
    DispatchLog::Entry &entry = m_attempt.entry;
    entry.orderNumber = order.header.dhdh.trimmed();
    entry.time = m_options.now.isValid() ? m_options.now : QDateTime::currentDateTime();
    const MailConfig::Settings config = MailConfig::load(
        m_options.mailConfigFile.isEmpty() ? MailConfig::configFile() : m_options.mailConfigFile);
    const bool smtp = config.smtp.enabled();
    entry.channel = smtp ? DispatchLog::Channel::Smtp : DispatchLog::Channel::MailProgram;
    OrderMail::Prepared mail;
    try {
        // Settings that cannot be read stop the mail on either channel (the attachment kind
        // is among them); those of a server only matter when it is used.
        const QString fault = MailConfig::fault(config);
        if (!fault.isEmpty())
            throw AppError(fault);
        mail = OrderMail::prepare(order, source,
                                  m_options.spoolRoot.isEmpty() ? OrderMail::defaultSpoolRoot()
                                                                : m_options.spoolRoot,
                                  entry.time, config.attachment);
    } catch (const AppError &e) {
        concludeLater(e.text());
        return true;
    }
    entry.recipients = mail.request.recipients;
    entry.subject = mail.request.subject;
    QStringList names;
    for (const QString &path : mail.request.attachments)
        names << QFileInfo(path).fileName();
    // With the text and the workbook both attached, the log names both and keeps the text's
    // hash (the order as its supplier's system reads it).
    entry.attachmentName = names.join(QStringLiteral("、"));
    entry.attachmentSha256 = DispatchLog::fileSha256(mail.attachmentPath);
    if (smtp)
        sendBySmtp(mail, config.smtp);
    else
        handOver(mail);
    return true;
}

void OrderDispatch::handOver(const OrderMail::Prepared &mail)
{
    m_attempt.spoolFolder = mail.spoolFolder;
    auto *handOver = new MailHandOver(mail.request, mail.spoolFolder, m_options.handOver, this);
    connect(handOver, &MailHandOver::finished, this,
            [this, handOver](bool handedOver, const QString &reason) {
                handOver->deleteLater();
                conclude(handedOver, reason, handOver->details());
            });
    if (!handOver->start()) {
        const QString reason = handOver->reason();
        handOver->deleteLater();
        concludeLater(reason);
    }
}

void OrderDispatch::sendBySmtp(const OrderMail::Prepared &mail, const MailConfig::Smtp &smtp)
{
    m_attempt.spoolToRemove = mail.spoolFolder;
    if (mail.request.recipients.isEmpty()) {
        concludeLater(QStringLiteral("收件人文件 %1 中没有收件人地址。通过 SMTP 服务器发送的订单"
                                     "至少要有一个收件人：请在“设置”中填写收件人。")
                          .arg(QDir::toNativeSeparators(OrderMail::recipientsFile())));
        return;
    }
    QByteArray message;
    try {
        message = SmtpMessage::compose(mail.request, {smtp.fromAddress.trimmed(), smtp.fromName},
                                       m_attempt.entry.time);
    } catch (const AppError &e) {
        concludeLater(e.text());
        return;
    }
    const SmtpSender::Envelope envelope{smtp.fromAddress.trimmed(), mail.request.recipients};
    // The watcher is no child of this unit: when the window goes before the server answers,
    // the answer is still logged (and the order counted when it went out).
    auto *watcher = new QFutureWatcher<SmtpSender::Result>;
    const QPointer<OrderDispatch> self(this);
    connect(watcher, &QFutureWatcherBase::finished, watcher,
            [watcher, self, db = m_db, attempt = m_attempt] {
                const SmtpSender::Result result = watcher->result();
                watcher->deleteLater();
                const DispatchOutcome outcome = settle(db, attempt, result.sent, result.reason, result.details);
                if (self)
                    self->finish(outcome);
            });
    watcher->setFuture(QtConcurrent::run(&SmtpSender::send, smtp, envelope, message,
                                         m_options.smtpLimits));
}

void OrderDispatch::concludeLater(const QString &reason)
{
    QTimer::singleShot(0, this, [this, reason] { conclude(false, reason); });
}

void OrderDispatch::conclude(bool wentOut, const QString &reason, const QString &details)
{
    DispatchOutcome outcome = settle(m_db, m_attempt, wentOut, reason, details);
    if (wentOut && m_attempt.entry.channel == DispatchLog::Channel::MailProgram) {
        outcome.attachmentMayBeMissing = !MailProgram::passesAttachment(m_options.handOver.environment);
        outcome.spoolFolder = m_attempt.spoolFolder;
        outcome.attachmentName = m_attempt.entry.attachmentName;
    }
    finish(outcome);
}

DispatchOutcome OrderDispatch::settle(const QSqlDatabase &db, const Attempt &attempt, bool wentOut,
                                      const QString &reason, const QString &details)
{
    if (!attempt.spoolToRemove.isEmpty())
        QDir(attempt.spoolToRemove).removeRecursively();
    DispatchLog::Entry entry = attempt.entry;
    const bool smtp = entry.channel == DispatchLog::Channel::Smtp;
    entry.result = !wentOut ? DispatchLog::Result::Failed
                   : smtp   ? DispatchLog::Result::Sent
                            : DispatchLog::Result::HandedOver;
    // The log keeps the launcher's or the server's own words after the clerk's reason, for
    // whoever looks into the failure later; the state column shows the first line.
    entry.failure = wentOut ? QString() : details.isEmpty() ? reason : reason + u'\n' + details;

    DispatchOutcome outcome;
    outcome.order = entry.orderNumber;
    outcome.channel = entry.channel;
    outcome.handedOver = wentOut;
    outcome.recipients = entry.recipients;
    outcome.failure = entry.failure;
    outcome.details = wentOut ? QString() : details;
    outcome.message = !wentOut ? failedText(entry.orderNumber, reason, entry.channel)
                      : smtp   ? sentText(entry.orderNumber, entry.recipients)
                               : handedOverText(entry.orderNumber, entry.recipients);
    try {
        DispatchLog::record(db, entry);
    } catch (const AppError &e) {
        outcome.logError = e.text();
        outcome.message += QStringLiteral("\n发送记录没有写入数据库：") + e.text();
    }
    return outcome;
}

void OrderDispatch::finish(const DispatchOutcome &outcome)
{
    m_busy = false;
    emit finished(outcome);
}
