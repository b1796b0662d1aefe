#include "order/mail_settings.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/whole_file.h"

#include <QDir>

namespace MailSettings {
namespace {

void writeText(const QString &path, const QString &text, const QString &savedBefore)
{
    QString reason;
    if (!WholeFile::write(path, fileBytes(text), &reason))
        throw AppError(QStringLiteral("无法保存文件 %1：%2%3")
                           .arg(QDir::toNativeSeparators(path), reason, savedBefore));
}

} // namespace

Texts load(const QString &recipientsPath, const QString &bodyPath)
{
    // Both are read as the hand-over reads the body: the whole text, line breaks as "\n".
    return {OrderMail::readBody(recipientsPath), OrderMail::readBody(bodyPath)};
}

QByteArray fileBytes(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(u'\n', QStringLiteral("\r\n"));
    QByteArray bytes = Gbk::encode(lines);
    if (OrderMail::decodeMailFile(bytes) != lines)
        bytes = QByteArray("\xEF\xBB\xBF") + lines.toUtf8();
    return bytes;
}

Fault recipientsFault(const QString &recipients)
{
    OrderMail::RecipientFault fault;
    OrderMail::parseRecipients(recipients, &fault);
    if (!fault.line)
        return {};
    return {fault.line, QStringLiteral("收件人第 %1 行不是一个邮件地址（%2）：%3").arg(fault.line).arg(fault.fault, fault.shown)};
}

QStringList exampleRecipients(const QString &recipients)
{
    QStringList examples;
    for (const QString &address : OrderMail::parseRecipients(recipients, nullptr)) {
        const QString domain = address.section(u'@', 1).toLower();
        for (const char *example : {"example.com", "example.org", "example.net"})
            if (domain == QLatin1String(example) || domain.endsWith(u'.' + QLatin1String(example)))
                examples << address;
    }
    return examples;
}

void save(const Texts &texts, const QString &recipientsPath, const QString &bodyPath)
{
    const Fault fault = recipientsFault(texts.recipients);
    if (fault.line)
        throw AppError(fault.text + QStringLiteral("\n请改正该行；设置没有保存。"));
    writeText(recipientsPath, texts.recipients, QString());
    writeText(bodyPath, texts.body, QStringLiteral("\n收件人已经保存，邮件正文没有保存。"));
}

} // namespace MailSettings
