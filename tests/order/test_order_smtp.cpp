// Orders sent by the program itself to a real mail server on the loopback address, with and
// without TLS and login: what the server takes (envelope, subject, body, attachment bytes and
// name), and each way a send fails — told in Chinese, logged as "发送失败", not counted.
// zhengding-admin mail-test against the same server.
#include "dispatch_fixture.h"
#include "local_smtp.h"

#include "common/string_cipher.h"
#include "order/mail_config.h"
#include "order/order_text.h"

#include <QCryptographicHash>
#include <QTest>

namespace {

const QString Sender = QStringLiteral("orders@school.cn");
const QString User = QStringLiteral("orders");
const QString Password = QStringLiteral("口令-Pw1");

class SmtpDispatchTest : public OrderDispatchTest {
protected:
    QString certs = tree.path(QStringLiteral("certs"));

    void SetUp() override
    {
        OrderDispatchTest::SetUp();
        QDir().mkpath(certs);
        mailConfig = tree.path(QStringLiteral("bin/mail.dbm"));
        smtpLimits = {5000, 20000};
    }
    LocalSmtp::Certificate certificate(const QString &stem, const QStringList &names)
    {
        const LocalSmtp::Certificate c = LocalSmtp::makeCertificate(certs, stem, names);
        EXPECT_FALSE(c.cert.isEmpty()) << "openssl could not make a certificate";
        return c;
    }
    LocalSmtp::Certificate loopbackCertificate()
    {
        return certificate(QStringLiteral("loopback"), {QStringLiteral("IP:127.0.0.1"), QStringLiteral("DNS:localhost")});
    }
    MailConfig::Smtp smtp(int port, MailConfig::Tls tls, const QString &caFile = QString())
    {
        MailConfig::Smtp s;
        s.server = QStringLiteral("127.0.0.1");
        s.port = port;
        s.tls = tls;
        s.fromAddress = Sender;
        s.fromName = QStringLiteral("第一中学教材科");
        s.caFile = caFile;
        return s;
    }
    void writeMail(const MailConfig::Smtp &s)
    {
        MailConfig::Settings settings;
        settings.smtp = s;
        MailConfig::save(settings, mailConfig);
    }
};

TEST_F(SmtpDispatchTest, TheServerTakesTheOrderAsItWasWritten)
{
    const LocalSmtp::Certificate loopback = loopbackCertificate();
    const struct {
        const char *what;
        MailConfig::Tls tls;
        bool login;
    } cases[] = {
        {"no TLS, no login", MailConfig::Tls::None, false},
        {"STARTTLS and login", MailConfig::Tls::StartTls, true},
        {"TLS and login", MailConfig::Tls::Tls, true},
    };
    int sent = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        LocalSmtp::Server::Options o;
        o.tls = MailConfig::tlsKey(c.tls);
        o.certificate = loopback;
        if (c.login) {
            o.user = User;
            o.password = Password;
        }
        LocalSmtp::Server server(o);
        ASSERT_NE(server.port(), 0) << server.error().toStdString();
        MailConfig::Smtp s = smtp(server.port(), c.tls, loopback.cert);
        if (c.login) {
            s.user = User;
            s.password = Password;
        }
        writeMail(s);

        const DispatchOutcome outcome = dispatch(1, OrderSource::Query);
        ASSERT_TRUE(outcome.handedOver) << outcome.message.toStdString();
        ++sent;
        EXPECT_EQ(outcome.channel, DispatchLog::Channel::Smtp);
        EXPECT_EQ(outcome.message, QStringLiteral("订单 %1 已发送至 a@x.cn、b@y.cn。").arg(orders[1]));

        const QList<LocalSmtp::Received> received = server.received();
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received[0].from, Sender);
        EXPECT_EQ(received[0].to, (QStringList{QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}));
        const QJsonObject mail = LocalSmtp::parse(received[0].raw);
        EXPECT_EQ(mail.value(QStringLiteral("subject")).toString(), QStringLiteral("图书征定单"));
        EXPECT_EQ(mail.value(QStringLiteral("from")).toString(), QStringLiteral("第一中学教材科 <orders@school.cn>"));
        const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
        ASSERT_EQ(parts.size(), 2);
        EXPECT_EQ(LocalSmtp::payload(parts[0].toObject()), QStringLiteral("您好：\r\n附件是订单。").toUtf8());
        const QJsonObject attached = parts[1].toObject();
        const QByteArray orderText = OrderText::render(document(1), OrderSource::Query);
        EXPECT_EQ(LocalSmtp::payload(attached), orderText);
        const QString name = QStringLiteral("图书征定单20260315143005.xls");
        EXPECT_EQ(attached.value(QStringLiteral("filename")).toString(), name);
        EXPECT_EQ(attached.value(QStringLiteral("type")).toString(), QStringLiteral("application/vnd.ms-excel"));

        const QList<DispatchLog::Entry> log = DispatchLog::entries(db, orders[1]);
        ASSERT_EQ(log.size(), sent);
        const DispatchLog::Entry &row = log.last();
        EXPECT_EQ(row.channel, DispatchLog::Channel::Smtp);
        EXPECT_EQ(row.result, DispatchLog::Result::Sent);
        EXPECT_EQ(row.recipients, (QStringList{QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}));
        EXPECT_EQ(row.subject, QStringLiteral("图书征定单"));
        EXPECT_EQ(row.attachmentName, name);
        EXPECT_EQ(row.attachmentSha256,
                  QString::fromLatin1(QCryptographicHash::hash(orderText, QCryptographicHash::Sha256).toHex()));
        EXPECT_EQ(cdcs(orders[1]), sent);
        EXPECT_EQ(cdcs(orders[0]), 0);
        EXPECT_TRUE(spoolFolders().isEmpty()) << spoolFolders().join(u' ').toStdString();
    }
}

TEST_F(SmtpDispatchTest, TheChosenAttachmentsGoWithTheMailAndTheLogNamesThem)
{
    LocalSmtp::Server server({});
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    MailConfig::Settings settings;
    settings.smtp = smtp(server.port(), MailConfig::Tls::None);
    settings.attachment = MailConfig::Attachment::Both;
    MailConfig::save(settings, mailConfig);

    const DispatchOutcome outcome = dispatch(0, OrderSource::Wizard);
    ASSERT_TRUE(outcome.handedOver) << outcome.message.toStdString();
    const QList<LocalSmtp::Received> received = server.received();
    ASSERT_EQ(received.size(), 1);
    const QJsonArray parts = LocalSmtp::parse(received[0].raw).value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 3);   // the body, the order text, the workbook
    const QString text = QStringLiteral("图书征订单20260315143005.xls");
    EXPECT_EQ(parts[1].toObject().value(QStringLiteral("filename")).toString(), text);
    EXPECT_EQ(LocalSmtp::payload(parts[1].toObject()), OrderText::render(document(0), OrderSource::Wizard));
    const QJsonObject workbook = parts[2].toObject();
    EXPECT_EQ(workbook.value(QStringLiteral("filename")).toString(), text + u'x');
    EXPECT_EQ(workbook.value(QStringLiteral("type")).toString(),
              QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));
    EXPECT_TRUE(LocalSmtp::payload(workbook).startsWith("PK\x03\x04"));
    const QList<DispatchLog::Entry> log = DispatchLog::entries(db, orders[0]);
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0].attachmentName, text + QStringLiteral("、") + text + u'x');
}

TEST_F(SmtpDispatchTest, EachFailureIsToldLoggedAndNotCounted)
{
    const LocalSmtp::Certificate loopback = loopbackCertificate();
    const LocalSmtp::Certificate other = certificate(QStringLiteral("other"), {QStringLiteral("DNS:other.example")});
    enum Kind { Answering, Silent, Closed };
    const struct {
        const char *what;
        Kind kind;
        QString serverTls;                 // the server's mode, and what it requires
        bool serverLogin;
        QStringList refuse;
        MailConfig::Tls tls;               // the settings
        LocalSmtp::Certificate trusted;
        QString user, password;
        const char *reason;                // in the message, "%1" the port
    } cases[] = {
        {"refused login", Answering, QStringLiteral("starttls"), true, {}, MailConfig::Tls::StartTls,
         loopback, User, QStringLiteral("wrong"), "拒绝了登录"},
        {"login required, none set", Answering, QStringLiteral("none"), true, {}, MailConfig::Tls::None,
         {}, {}, {}, "要求先登录"},
        {"refused recipient", Answering, QStringLiteral("none"), false, {QStringLiteral("b@y.cn")},
         MailConfig::Tls::None, {}, {}, {}, "拒绝了收件人 b@y.cn"},
        {"a server that never answers", Silent, {}, false, {}, MailConfig::Tls::None, {}, {}, {},
         "127.0.0.1:%1 没有应答"},
        {"nothing listening", Closed, {}, false, {}, MailConfig::Tls::None, {}, {}, {},
         "无法连接 SMTP 服务器 127.0.0.1:%1"},
        {"certificate for another name", Answering, QStringLiteral("starttls"), false, {},
         MailConfig::Tls::StartTls, other, {}, {}, "证书不是为这个服务器名称签发的"},
        {"certificate not trusted", Answering, QStringLiteral("tls"), false, {}, MailConfig::Tls::Tls, {},
         {}, {}, "证书不可信"},
        {"no STARTTLS offered", Answering, QStringLiteral("none"), false, {}, MailConfig::Tls::StartTls,
         {}, {}, {}, "不提供 STARTTLS"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        std::unique_ptr<LocalSmtp::Server> server;
        std::unique_ptr<LocalSmtp::SilentPort> silent;
        int port = 0;
        if (c.kind == Answering) {
            LocalSmtp::Server::Options o;
            o.tls = c.serverTls;
            o.certificate = c.trusted.cert.isEmpty() ? loopback : c.trusted;
            if (c.serverLogin) {
                o.user = User;
                o.password = Password;
            }
            o.refuse = c.refuse;
            server = std::make_unique<LocalSmtp::Server>(o);
            port = server->port();
            ASSERT_NE(port, 0) << server->error().toStdString();
        } else if (c.kind == Silent) {
            silent = std::make_unique<LocalSmtp::SilentPort>();
            port = silent->port();
            smtpLimits = {1000, 2000};
        } else {
            port = LocalSmtp::closedPort();
        }
        ASSERT_NE(port, 0);
        MailConfig::Smtp s = smtp(port, c.tls, c.trusted.cert);
        s.user = c.user;
        s.password = c.password;
        writeMail(s);

        const DispatchOutcome outcome = dispatch(0);
        expectFailure(outcome, orders[0]);
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("订单 %1 未能发送：").arg(orders[0])))
            << outcome.message.toStdString();
        QString reason = QString::fromUtf8(c.reason);
        if (reason.contains(QStringLiteral("%1")))
            reason = reason.arg(port);
        EXPECT_TRUE(outcome.message.contains(reason)) << outcome.message.toStdString();
        const DispatchLog::Entry row = onlyRow(orders[0]);
        EXPECT_EQ(row.channel, DispatchLog::Channel::Smtp);
        EXPECT_EQ(DispatchLog::stateText(row).left(5), QStringLiteral("发送失败："));
        EXPECT_TRUE(DispatchLog::stateText(row).contains(reason.left(8))) << DispatchLog::stateText(row).toStdString();
        if (server)
            EXPECT_TRUE(server->received().isEmpty());
        EXPECT_TRUE(spoolFolders().isEmpty()) << spoolFolders().join(u' ').toStdString();
    }
}

// The window that sent the order closes before the server answers: the mail that went out is
// still logged and counted.
TEST_F(SmtpDispatchTest, AMailSentAfterItsWindowClosedIsStillCounted)
{
    LocalSmtp::Server server({});
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    writeMail(smtp(server.port(), MailConfig::Tls::None));
    {
        OrderDispatch unit(db, dispatchOptions());
        ASSERT_TRUE(unit.start(document(0), OrderSource::Wizard));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !DispatchLog::entries(db, orders[0]).isEmpty(); }, 20000));
    const DispatchLog::Entry row = onlyRow(orders[0]);
    EXPECT_EQ(row.result, DispatchLog::Result::Sent);
    EXPECT_EQ(row.channel, DispatchLog::Channel::Smtp);
    EXPECT_EQ(cdcs(orders[0]), 1);
    EXPECT_EQ(server.received().size(), 1);
    EXPECT_TRUE(spoolFolders().isEmpty()) << spoolFolders().join(u' ').toStdString();
}

// Settings that cannot be used, or a mail without a recipient, stop before any server is asked.
TEST_F(SmtpDispatchTest, UnusableSettingsOrNoRecipientStopTheMail)
{
    const int port = LocalSmtp::closedPort();
    const struct {
        const char *what;
        QByteArray config;
        const char *recipients;   // nullptr: no file
        const char *reason;
    } cases[] = {
        {"no sender", "[Mail]\r\nsServer=127.0.0.1\r\niPort=" + QByteArray::number(port) + "\r\n", "a@x.cn\r\n",
         "必须填写发件人地址"},
        {"unknown TLS mode", "[Mail]\r\nsServer=127.0.0.1\r\nsTls=ssl3\r\nsFrom=o@s.cn\r\n", "a@x.cn\r\n",
         "sTls"},
        {"empty recipients file", "[Mail]\r\nsServer=127.0.0.1\r\nsTls=none\r\nsFrom=o@s.cn\r\niPort="
                                      + QByteArray::number(port) + "\r\n",
         "\r\n  \r\n", "没有收件人地址"},
        {"no recipients file", "[Mail]\r\nsServer=127.0.0.1\r\nsTls=none\r\nsFrom=o@s.cn\r\niPort="
                                   + QByteArray::number(port) + "\r\n",
         nullptr, "没有收件人地址"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        tree.writeFile(QStringLiteral("bin/mail.dbm"), c.config);
        QFile::remove(tree.path(QStringLiteral("init/mailadd.txt")));
        if (c.recipients)
            tree.writeFile(QStringLiteral("init/mailadd.txt"), c.recipients);
        const DispatchOutcome outcome = dispatch(0);
        expectFailure(outcome, orders[0]);
        EXPECT_TRUE(outcome.message.contains(QString::fromUtf8(c.reason))) << outcome.message.toStdString();
        EXPECT_EQ(onlyRow(orders[0]).channel, DispatchLog::Channel::Smtp);
        EXPECT_TRUE(spoolFolders().isEmpty()) << spoolFolders().join(u' ').toStdString();
    }
}

// zhengding-admin mail-test with the [Mail] settings of the configuration it reads.
TEST_F(SmtpDispatchTest, MailTestSendsAndPrintsTheServersAnswer)
{
    const LocalSmtp::Certificate loopback = loopbackCertificate();
    LocalSmtp::Server::Options o;
    o.tls = QStringLiteral("starttls");
    o.certificate = loopback;
    o.user = User;
    o.password = Password;
    o.refuse = {QStringLiteral("nobody@y.cn")};
    LocalSmtp::Server server(o);
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    MailConfig::Smtp s = smtp(server.port(), MailConfig::Tls::StartTls, loopback.cert);
    s.user = User;
    s.password = Password;
    writeMail(s);

    const struct {
        const char *to;
        int exitCode;
        const char *said;   // on standard output when 0, else on standard error
    } cases[] = {
        {"clerk@y.cn", 0, "250 2.0.0 Ok: queued as ZD1"},
        {"nobody@y.cn", 1, "SMTP 服务器拒绝了收件人 nobody@y.cn"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.to);
        QProcess p;
        p.start(QStringLiteral(ZD_ADMIN), {QStringLiteral("--config"), mailConfig, QStringLiteral("mail-test"),
                                            QString::fromUtf8(c.to)});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), c.exitCode) << out.toStdString() << err.toStdString();
        EXPECT_TRUE((c.exitCode ? err : out).contains(QString::fromUtf8(c.said))) << out.toStdString() << err.toStdString();
    }
    const QList<LocalSmtp::Received> received = server.received();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].to, QStringList{QStringLiteral("clerk@y.cn")});
    EXPECT_EQ(LocalSmtp::parse(received[0].raw).value(QStringLiteral("subject")).toString(), QStringLiteral("征订 测试邮件"));
}

} // namespace
