// zhengding-admin mail-test: one short mail through the SMTP settings of [Mail], so that the
// administrator sees the server's own answer before the first order goes out.
#include "admin_commands.h"

#include "order/mail_config.h"
#include "order/mail_request.h"
#include "order/smtp_message.h"
#include "order/smtp_sender.h"

#include <QDateTime>
#include <QDir>

namespace Admin {

int mailTest(const Options &options, const QString &address, QTextStream &out, QTextStream &err)
{
    const MailConfig::Settings settings = MailConfig::load(options.configPath);
    const QString path = QDir::toNativeSeparators(options.configPath);
    if (!settings.smtp.enabled()) {
        err << QStringLiteral("%1 的 [Mail] 中没有 SMTP 服务器（sServer）：订单由桌面的邮件程序发送，"
                              "没有可以测试的服务器。").arg(path)
            << Qt::endl;
        return Failed;
    }
    const QString fault = MailConfig::fault(settings);
    if (!fault.isEmpty()) {
        err << path << QStringLiteral("：") << fault << Qt::endl;
        return Failed;
    }
    const QString addressFault = OrderMail::addressFault(address.trimmed());
    if (!addressFault.isEmpty()) {
        err << QStringLiteral("收件人不是一个邮件地址（%1）：%2").arg(addressFault, address) << Qt::endl;
        return Failed;
    }
    const MailConfig::Smtp &smtp = settings.smtp;
    MailRequest request;
    request.recipients = {address.trimmed()};
    request.subject = QStringLiteral("征订 测试邮件");
    request.body = QStringLiteral("这是征订发出的测试邮件：SMTP 服务器 %1 的设置可以发送订单。\n"
                                  "发件人：%2\n发送时间：%3\n")
                       .arg(SmtpSender::url(smtp), smtp.fromAddress.trimmed(),
                            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    const QByteArray message = SmtpMessage::compose(request, {smtp.fromAddress.trimmed(), smtp.fromName});

    out << QStringLiteral("正在通过 %1 发送测试邮件至 %2 …").arg(SmtpSender::url(smtp), request.recipients.first())
        << Qt::endl;
    const SmtpSender::Result result =
        SmtpSender::send(smtp, {smtp.fromAddress.trimmed(), request.recipients}, message);
    if (!result.replies.isEmpty()) {
        out << QStringLiteral("服务器的答复：") << Qt::endl;
        for (const QString &line : result.replies)
            out << QStringLiteral("  ") << line << Qt::endl;
    }
    if (!result.sent) {
        err << QStringLiteral("测试邮件没有发送：") << result.reason << Qt::endl;
        if (!result.details.isEmpty())
            err << QStringLiteral("详细信息：") << result.details << Qt::endl;
        return Failed;
    }
    out << QStringLiteral("测试邮件已发送至 %1。").arg(request.recipients.first()) << Qt::endl;
    return Ok;
}

} // namespace Admin
