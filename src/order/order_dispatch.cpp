#include "order/order_dispatch.h"

#include "common/app_error.h"
#include "order/mail_request.h"
#include "order/smtp_message.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
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
    m_sentSpool.clear();
    const MailConfig::Settings config = MailConfig::load(
        m_options.mailConfigFile.isEmpty() ? MailConfig::configFile() : m_options.mailConfigFile);
    m_channel = config.smtp.enabled() ? DispatchLog::Channel::Smtp : DispatchLog::Channel::MailProgram;
    OrderMail::Prepared mail;
    try {
        if (m_channel == DispatchLog::Channel::Smtp) {
            const QString fault = MailConfig::fault(config);
            if (!fault.isEmpty())
                throw AppError(fault);
        }
        mail = OrderMail::prepare(order, source,
                                  m_options.spoolRoot.isEmpty() ? OrderMail::defaultSpoolRoot()
                                                                : m_options.spoolRoot,
                                  m_time);
    } catch (const AppError &e) {
        concludeLater(number, e.text());
        return true;
    }
    m_recipients = mail.request.recipients;
    m_subject = mail.request.subject;
    m_attachmentName = QFileInfo(mail.attachmentPath).fileName();
    m_attachmentSha = DispatchLog::fileSha256(mail.attachmentPath);
    if (m_channel == DispatchLog::Channel::Smtp)
        sendBySmtp(number, mail, config.smtp);
    else
        handOver(number, mail);
    return true;
}

void OrderDispatch::handOver(const QString &order, const OrderMail::Prepared &mail)
{
    auto *handOver = new MailHandOver(mail.request, mail.spoolFolder, m_options.handOver, this);
    connect(handOver, &MailHandOver::finished, this,
            [this, handOver, order](bool handedOver, const QString &reason) {
                handOver->deleteLater();
                conclude(order, handedOver, reason);
            });
    if (!handOver->start()) {
        const QString reason = handOver->reason();
        handOver->deleteLater();
        concludeLater(order, reason);
    }
}

void OrderDispatch::sendBySmtp(const QString &order, const OrderMail::Prepared &mail,
                               const MailConfig::Smtp &smtp)
{
    m_sentSpool = mail.spoolFolder;
    if (mail.request.recipients.isEmpty()) {
        concludeLater(order, QStringLiteral("收件人文件 %1 中没有收件人地址。通过 SMTP 服务器发送的订单"
                                            "至少要有一个收件人：请在“设置”中填写收件人。")
                                 .arg(QDir::toNativeSeparators(OrderMail::recipientsFile())));
        return;
    }
    QByteArray message;
    try {
        message = SmtpMessage::compose(mail.request, {smtp.fromAddress.trimmed(), smtp.fromName}, m_time);
    } catch (const AppError &e) {
        concludeLater(order, e.text());
        return;
    }
    const SmtpSender::Envelope envelope{smtp.fromAddress.trimmed(), mail.request.recipients};
    // The watcher goes with this unit; a send still under way then ends on its own in the
    // pool, and its folder goes with the stale spool folders at a later start.
    auto *watcher = new QFutureWatcher<SmtpSender::Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, order] {
        const SmtpSender::Result result = watcher->result();
        watcher->deleteLater();
        conclude(order, result.sent, result.failureText());
    });
    watcher->setFuture(QtConcurrent::run(&SmtpSender::send, smtp, envelope, message,
                                         m_options.smtpLimits));
}

void OrderDispatch::concludeLater(const QString &order, const QString &reason)
{
    QTimer::singleShot(0, this, [this, order, reason] { conclude(order, false, reason); });
}

void OrderDispatch::conclude(const QString &order, bool wentOut, const QString &reason)
{
    if (!m_sentSpool.isEmpty())
        QDir(m_sentSpool).removeRecursively();
    const bool smtp = m_channel == DispatchLog::Channel::Smtp;
    DispatchOutcome outcome;
    outcome.order = order;
    outcome.channel = m_channel;
    outcome.handedOver = wentOut;
    outcome.recipients = m_recipients;
    outcome.message = !wentOut ? failedText(order, reason, m_channel)
                      : smtp   ? sentText(order, m_recipients)
                               : handedOverText(order, m_recipients);

    DispatchLog::Entry entry;
    entry.orderNumber = order;
    entry.time = m_time;
    entry.channel = m_channel;
    entry.recipients = m_recipients;
    entry.subject = m_subject;
    entry.attachmentName = m_attachmentName;
    entry.attachmentSha256 = m_attachmentSha;
    entry.result = !wentOut ? DispatchLog::Result::Failed
                   : smtp   ? DispatchLog::Result::Sent
                            : DispatchLog::Result::HandedOver;
    entry.failure = wentOut ? QString() : reason;
    try {
        DispatchLog::record(m_db, entry);
    } catch (const AppError &e) {
        outcome.logError = e.text();
        outcome.message += QStringLiteral("\n发送记录没有写入数据库：") + e.text();
    }
    m_busy = false;
    emit finished(outcome);
}
