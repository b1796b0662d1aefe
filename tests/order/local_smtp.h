#pragma once
// A real mail server on 127.0.0.1 (tests/support/smtp_server.py over Debian's aiosmtpd) that
// keeps what it takes, certificates made with the openssl command line, a port that takes
// connections and says nothing, and Python's mail parser as an independent reader of a
// message. Every server listens on a free port and dies with its object.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace LocalSmtp {

inline QString python()
{
    return QStringLiteral(ZD_SYSTEM_PYTHON);
}

inline QString script()
{
    return QStringLiteral(ZD_SOURCE_DIR "/tests/support/smtp_server.py");
}

struct Certificate {
    QString cert, key;
};

// A self-signed certificate for the given subject alternative names ("IP:127.0.0.1",
// "DNS:localhost"), written into folder; empty paths when openssl failed.
inline Certificate makeCertificate(const QString &folder, const QString &stem, const QStringList &names)
{
    const Certificate c{folder + u'/' + stem + QStringLiteral(".pem"), folder + u'/' + stem + QStringLiteral("-key.pem")};
    QProcess p;
    p.start(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
             QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
             QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
             QStringLiteral("/CN=") + names.first().section(u':', 1), QStringLiteral("-addext"),
             QStringLiteral("subjectAltName=") + names.join(u','), QStringLiteral("-keyout"), c.key,
             QStringLiteral("-out"), c.cert});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return c;
}

struct Received {
    QString from;
    QStringList to;
    QByteArray raw;
};

class Server {
public:
    struct Options {
        QString tls = QStringLiteral("none");   // none | starttls | tls
        Certificate certificate;
        QString user, password;
        QStringList refuse;
    };

    // Starts the server; port() is 0 when it did not come up (error() says why).
    explicit Server(const Options &o)
    {
        QStringList args{script(), QStringLiteral("serve"), QStringLiteral("--folder"), m_folder.path(),
                         QStringLiteral("--tls"), o.tls};
        if (o.tls != u"none")
            args << QStringLiteral("--cert") << o.certificate.cert << QStringLiteral("--key") << o.certificate.key;
        if (!o.user.isEmpty())
            args << QStringLiteral("--user") << o.user << QStringLiteral("--password") << o.password;
        for (const QString &r : o.refuse)
            args << QStringLiteral("--refuse") << r;
        m_process.start(python(), args);
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (clock.elapsed() < 30000 && !out.contains('\n') && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(200);
            out += m_process.readAllStandardOutput();
        }
        if (out.startsWith("PORT "))
            m_port = out.mid(5).trimmed().toInt();
    }
    ~Server()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

    int port() const { return m_port; }
    QString error() { return QString::fromUtf8(m_process.readAllStandardError()); }

    // The messages taken so far, in order.
    QList<Received> received() const
    {
        QList<Received> out;
        for (int n = 1;; ++n) {
            QFile envelope(m_folder.filePath(QStringLiteral("%1.json").arg(n)));
            QFile raw(m_folder.filePath(QStringLiteral("%1.eml").arg(n)));
            if (!envelope.open(QIODevice::ReadOnly) || !raw.open(QIODevice::ReadOnly))
                return out;
            const QJsonObject e = QJsonDocument::fromJson(envelope.readAll()).object();
            Received r{e.value(QStringLiteral("from")).toString(), {}, raw.readAll()};
            for (const QJsonValue &to : e.value(QStringLiteral("to")).toArray())
                r.to << to.toString();
            out << r;
        }
    }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};

// A port on 127.0.0.1 that takes connections (the system completes them) and never answers.
class SilentPort {
public:
    SilentPort()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr *>(&a), size) == 0
            && ::listen(m_socket, 8) == 0 && ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&a), &size) == 0)
            m_port = ntohs(a.sin_port);
    }
    ~SilentPort()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    SilentPort(const SilentPort &) = delete;
    SilentPort &operator=(const SilentPort &) = delete;
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A port on 127.0.0.1 where nothing listens (free a moment ago).
inline int closedPort()
{
    return SilentPort().port();
}

// The message as Python's mail parser reads it (see smtp_server.py read); empty on failure.
inline QJsonObject parse(const QByteArray &raw)
{
    QProcess p;
    p.start(python(), {script(), QStringLiteral("read")});
    p.write(raw);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The bytes of a parsed part's payload.
inline QByteArray payload(const QJsonObject &part)
{
    return QByteArray::fromBase64(part.value(QStringLiteral("payload")).toString().toLatin1());
}

} // namespace LocalSmtp
