#include "order/smtp_sender.h"

#include <QDir>
#include <QFile>

#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace SmtpSender {
namespace {

// What the conversation showed: the server's reply lines, and the recipient named by the
// last RCPT command when the server refused it.
struct Conversation {
    QByteArray pendingIn;
    QStringList replies;
    QString lastRecipient;      // of the last RCPT command sent
    QString refusedRecipient;   // the one the server answered with an error
    QString lastRefusal;        // the last reply that was an error (4xx, 5xx)
};

int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *c = static_cast<Conversation *>(user);
    if (type == CURLINFO_HEADER_OUT) {
        const QByteArray command = QByteArray(data, qsizetype(size)).trimmed();
        // Only recipients are kept: other commands may carry the login.
        if (command.startsWith("RCPT TO:"))
            c->lastRecipient = QString::fromUtf8(command.mid(8)).remove(u'<').remove(u'>').trimmed();
        else
            c->lastRecipient.clear();
    } else if (type == CURLINFO_HEADER_IN) {
        c->pendingIn.append(data, qsizetype(size));
        qsizetype end;
        while ((end = c->pendingIn.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(c->pendingIn.left(end)).trimmed();
            c->pendingIn.remove(0, end + 1);
            if (line.isEmpty())
                continue;
            c->replies << line;
            if (line.startsWith(u'4') || line.startsWith(u'5')) {
                c->lastRefusal = line;
                if (!c->lastRecipient.isEmpty())
                    c->refusedRecipient = c->lastRecipient;
            }
        }
    }
    return 0;
}

struct Upload {
    const QByteArray *bytes;
    qsizetype at = 0;
};

size_t onRead(char *buffer, size_t size, size_t count, void *user)
{
    auto *u = static_cast<Upload *>(user);
    const qsizetype n = qMin(qsizetype(size * count), u->bytes->size() - u->at);
    std::memcpy(buffer, u->bytes->constData() + u->at, size_t(n));
    u->at += n;
    return size_t(n);
}

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The libcurl handle and recipient list, freed on every path.
struct Handle {
    CURL *curl = curl_easy_init();
    curl_slist *recipients = nullptr;
    ~Handle()
    {
        curl_slist_free_all(recipients);
        if (curl)
            curl_easy_cleanup(curl);
    }
};

// The clerk's sentence for a failed attempt.
QString reasonFor(CURLcode code, const QString &words, const Conversation &talk,
                  const MailConfig::Smtp &smtp)
{
    const QString server = smtp.server.trimmed();
    const QString at = QStringLiteral("%1:%2").arg(server).arg(smtp.effectivePort());
    if (!talk.refusedRecipient.isEmpty())
        return QStringLiteral("SMTP 服务器拒绝了收件人 %1。").arg(talk.refusedRecipient);
    switch (code) {
    case CURLE_LOGIN_DENIED:
        return QStringLiteral("SMTP 服务器 %1 拒绝了登录：用户名（%2）或口令不对。").arg(server, smtp.user.trimmed());
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("找不到 SMTP 服务器 %1：这个主机名无法解析。").arg(server);
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("无法连接 SMTP 服务器 %1：服务器没有运行、端口不对或被防火墙挡住。").arg(at);
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("SMTP 服务器 %1 没有应答。").arg(at);
    case CURLE_PEER_FAILED_VERIFICATION:
        if (words.contains(QStringLiteral("subject name"), Qt::CaseInsensitive)
            || words.contains(QStringLiteral("does not match"), Qt::CaseInsensitive))
            return QStringLiteral("SMTP 服务器 %1 的证书不是为这个服务器名称签发的。").arg(server);
        return QStringLiteral("SMTP 服务器 %1 的证书不可信：它不是由本机信任的机构签发的，也不是“设置”中指定的证书。").arg(server);
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("证书文件 %1 无法读取，或其中没有证书。").arg(QDir::toNativeSeparators(smtp.caFile.trimmed()));
    case CURLE_USE_SSL_FAILED:
        return QStringLiteral("SMTP 服务器 %1 不提供 STARTTLS 加密，邮件没有以明文发送。").arg(at);
    case CURLE_SSL_CONNECT_ERROR:
        return QStringLiteral("无法与 SMTP 服务器 %1 建立加密连接（加密方式可能设置得不对）。").arg(at);
    default:
        break;
    }
    if (talk.lastRefusal.startsWith(QStringLiteral("530")))
        return QStringLiteral("SMTP 服务器 %1 要求先登录：请在“设置”中填写用户名和口令。").arg(server);
    if (!talk.lastRefusal.isEmpty())
        return QStringLiteral("SMTP 服务器 %1 没有接受这封邮件。").arg(server);
    return QStringLiteral("通过 SMTP 服务器 %1 发送时发生错误。").arg(at);
}

} // namespace

QString url(const MailConfig::Smtp &smtp)
{
    QString host = smtp.server.trimmed();
    if (host.contains(u':') && !host.startsWith(u'['))
        host = u'[' + host + u']';
    return QStringLiteral("%1://%2:%3")
        .arg(smtp.tls == MailConfig::Tls::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp"), host)
        .arg(smtp.effectivePort());
}

Result send(const MailConfig::Smtp &smtp, const Envelope &envelope, const QByteArray &message,
            const Limits &limits)
{
    initialiseOnce();
    Result result;
    Handle h;
    if (!h.curl) {
        result.reason = QStringLiteral("无法启动 SMTP 发送（libcurl 没有初始化）。");
        return result;
    }
    Conversation talk;
    Upload upload{&message};
    char words[CURL_ERROR_SIZE] = {};

    const QByteArray address = url(smtp).toUtf8();
    const QByteArray from = "<" + envelope.from.trimmed().toUtf8() + ">";
    for (const QString &r : envelope.recipients)
        h.recipients = curl_slist_append(h.recipients, ("<" + r.trimmed().toUtf8() + ">").constData());
    const QByteArray user = smtp.user.trimmed().toUtf8();
    const QByteArray password = smtp.password.toUtf8();
    const QByteArray caFile = QFile::encodeName(smtp.caFile.trimmed());

    CURL *c = h.curl;
    curl_easy_setopt(c, CURLOPT_URL, address.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, h.recipients);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, onRead);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     smtp.tls == MailConfig::Tls::None ? long(CURLUSESSL_NONE) : long(CURLUSESSL_ALL));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty()) {
        // The school's own certificate besides, not instead of, the system's.
        curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
        curl_easy_setopt(c, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    if (!user.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connectMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(limits.totalMs));
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, long((limits.totalMs + 999) / 1000));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);   // a worker thread: no alarm signals
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, words);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);      // feeds the debug function
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &talk);

    const CURLcode code = curl_easy_perform(c);
    result.replies = talk.replies;
    result.reply = talk.replies.isEmpty() ? QString() : talk.replies.last();
    if (code == CURLE_OK) {
        result.sent = true;
        return result;
    }
    const QString curlWords = QString::fromUtf8(words[0] ? words : curl_easy_strerror(code)).trimmed();
    result.reason = reasonFor(code, curlWords, talk, smtp);
    QStringList details;
    if (!talk.lastRefusal.isEmpty())
        details << QStringLiteral("服务器答复“%1”").arg(talk.lastRefusal);
    details << curlWords;
    result.details = details.join(QStringLiteral("；"));
    return result;
}

} // namespace SmtpSender
