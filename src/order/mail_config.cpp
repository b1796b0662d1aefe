#include "order/mail_config.h"

#include "common/app_error.h"
#include "common/ini_reader.h"
#include "common/ini_writer.h"
#include "common/program_paths.h"
#include "common/string_cipher.h"
#include "order/mail_request.h"

#include <QFileInfo>

#include <initializer_list>

namespace MailConfig {
namespace {

const QString Section = QStringLiteral("Mail");

QString value(const QString &path, const char *key)
{
    return Ini::readValue(path, Section, QString::fromLatin1(key)).trimmed();
}

void addFault(QString *faults, const QString &text)
{
    if (!faults->isEmpty())
        *faults += u'\n';
    *faults += text;
}

} // namespace

int Smtp::defaultPort(Tls tls)
{
    switch (tls) {
    case Tls::None: return 25;
    case Tls::StartTls: return 587;
    case Tls::Tls: return 465;
    }
    return 25;
}

QString tlsKey(Tls tls)
{
    switch (tls) {
    case Tls::None: return QStringLiteral("none");
    case Tls::StartTls: return QStringLiteral("starttls");
    case Tls::Tls: return QStringLiteral("tls");
    }
    return {};
}

QString attachmentKey(Attachment attachment)
{
    switch (attachment) {
    case Attachment::Text: return QStringLiteral("text");
    case Attachment::Workbook: return QStringLiteral("xlsx");
    case Attachment::Both: return QStringLiteral("both");
    }
    return {};
}

QString tlsText(Tls tls)
{
    switch (tls) {
    case Tls::None: return QStringLiteral("不加密");
    case Tls::StartTls: return QStringLiteral("STARTTLS");
    case Tls::Tls: return QStringLiteral("SSL/TLS");
    }
    return {};
}

QString attachmentText(Attachment attachment)
{
    switch (attachment) {
    case Attachment::Text: return QStringLiteral("订单文本（.xls）");
    case Attachment::Workbook: return QStringLiteral("订单工作簿（.xlsx）");
    case Attachment::Both: return QStringLiteral("两者都附上");
    }
    return {};
}

QString configFile()
{
    return ProgramPaths::programFolder() + QStringLiteral("syscfg.dbm");
}

Settings load(const QString &path)
{
    Settings s;
    Smtp &m = s.smtp;
    m.server = value(path, "sServer");
    m.user = value(path, "sUser");
    m.fromAddress = value(path, "sFrom");
    m.fromName = value(path, "sFromName");
    m.caFile = value(path, "sCaFile");

    const QString port = value(path, "iPort");
    if (!port.isEmpty()) {
        bool ok = false;
        const int n = port.toInt(&ok);
        if (ok && n >= 0 && n <= 65535)
            m.port = n;
        else
            addFault(&s.readFault, QStringLiteral("[Mail] iPort 不是端口号：%1").arg(port));
    }
    const auto choose = [&](const char *key, auto *target, auto choices, auto keyOf, const char *allowed) {
        const QString text = value(path, key);
        if (text.isEmpty())
            return;
        for (auto choice : choices) {
            if (text.compare(keyOf(choice), Qt::CaseInsensitive) == 0) {
                *target = choice;
                return;
            }
        }
        addFault(&s.readFault, QStringLiteral("[Mail] %1 只能是 %2：%3")
                                   .arg(QString::fromLatin1(key), QString::fromUtf8(allowed), text));
    };
    choose("sTls", &m.tls, std::initializer_list<Tls>{Tls::None, Tls::StartTls, Tls::Tls}, tlsKey,
           "none、starttls 或 tls");
    choose("sAttach", &s.attachment,
           std::initializer_list<Attachment>{Attachment::Text, Attachment::Workbook, Attachment::Both},
           attachmentKey, "text、xlsx 或 both");
    const QString pwd = value(path, "sPwd");
    if (!pwd.isEmpty()) {
        try {
            m.password = StringCipher::decipherPassword(pwd);
        } catch (const AppError &) {
            addFault(&s.readFault, QStringLiteral("[Mail] sPwd 已损坏，请在“设置”中重新填写口令。"));
        }
    }
    return s;
}

QString fault(const Settings &settings, Field *field)
{
    Field where = Field::None;
    const QString why = [&]() -> QString {
        if (!settings.readFault.isEmpty())
            return settings.readFault;
        const Smtp &m = settings.smtp;
        if (!m.enabled())
            return {};
        where = Field::Server;
        if (m.server.trimmed().contains(u' ') || m.server.contains(u'/'))
            return QStringLiteral("SMTP 服务器不是一个主机名：%1").arg(m.server);
        where = Field::Port;
        if (m.port < 0 || m.port > 65535)
            return QStringLiteral("SMTP 端口必须在 1 到 65535 之间。");
        where = Field::From;
        if (m.fromAddress.trimmed().isEmpty())
            return QStringLiteral("使用 SMTP 服务器时必须填写发件人地址。");
        const QString addressFault = OrderMail::addressFault(m.fromAddress.trimmed());
        if (!addressFault.isEmpty())
            return QStringLiteral("发件人地址不是一个邮件地址（%1）：%2").arg(addressFault, m.fromAddress);
        where = Field::User;
        if (m.user.trimmed().isEmpty() && !m.password.isEmpty())
            return QStringLiteral("填写了口令，但没有填写用户名。");
        where = Field::CaFile;
        if (!m.caFile.trimmed().isEmpty() && !QFileInfo(m.caFile.trimmed()).isFile())
            return QStringLiteral("证书文件不存在：%1").arg(m.caFile);
        where = Field::None;
        return {};
    }();
    if (field)
        *field = why.isEmpty() ? Field::None : where;
    return why;
}

void save(const Settings &settings, const QString &path)
{
    Settings checked = settings;
    checked.readFault.clear();
    const QString why = fault(checked);
    if (!why.isEmpty())
        throw AppError(why);
    const Smtp &m = settings.smtp;
    const QString password = m.password.isEmpty() ? QString()
                                                  : StringCipher::encipherPassword(m.password);
    Ini::writeValues(path, Section,
                     {{QStringLiteral("sServer"), m.server.trimmed()},
                      {QStringLiteral("iPort"), m.port > 0 ? QString::number(m.port) : QString()},
                      {QStringLiteral("sTls"), tlsKey(m.tls)},
                      {QStringLiteral("sUser"), m.user.trimmed()},
                      {QStringLiteral("sPwd"), password},
                      {QStringLiteral("sFrom"), m.fromAddress.trimmed()},
                      {QStringLiteral("sFromName"), m.fromName.trimmed()},
                      {QStringLiteral("sCaFile"), m.caFile.trimmed()},
                      {QStringLiteral("sAttach"), attachmentKey(settings.attachment)}});
}

} // namespace MailConfig
