// The order mail: recipients and body from the init files, the request's command line, the
// spool folders, and the hand-over to a stand-in xdg-email on PATH (recording, failing with
// exit 3, still running, missing).
#include "order_samples.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "order/mail_hand_over.h"
#include "order/mail_request.h"
#include "order/order_text.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/time.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes, bool executable = false)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
}

TEST(OrderMailFiles, RecipientsAreTheNonEmptyTrimmedLinesWithoutSmtpPrefix)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        QStringList expected;
    };
    const Case cases[] = {
        {"two lines, CR LF", "a@x.cn\r\nb@y.cn\r\n", {QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}},
        {"empty lines, blanks, SMTP: prefix", "\r\n  a@x.cn \t\r\n\r\nSMTP:b@y.cn\nsmtp: c@z.cn\n   \n",
         {QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn"), QStringLiteral("c@z.cn")}},
        {"GBK addresses", Gbk::encode(QStringLiteral("张三@x.cn\r\n李四@y.cn")),
         {QStringLiteral("张三@x.cn"), QStringLiteral("李四@y.cn")}},
        {"UTF-8 with byte-order mark", QByteArray("\xEF\xBB\xBF") + QStringLiteral("王五@x.cn\n").toUtf8(),
         {QStringLiteral("王五@x.cn")}},
        {"files joined, each with its byte-order mark",
         "\xEF\xBB\xBF" "a@x.cn\r\n\xEF\xBB\xBFSMTP:b@y.cn\r\n \xEF\xBB\xBF\r\n",
         {QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}},
        {"no line at all", "\r\n\r\n", {}},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("mailadd.txt"));
        writeAll(path, c.bytes);
        EXPECT_EQ(OrderMail::readRecipients(path), c.expected) << c.what;
    }
    EXPECT_TRUE(OrderMail::readRecipients(dir.filePath(QStringLiteral("none.txt"))).isEmpty());
}

TEST(OrderMailFiles, BodyKeepsItsLineBreaksInEitherEncoding)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {"CR LF lines", "abc\r\ndef\r\n", QStringLiteral("abc\ndef\n")},
        {"GBK", Gbk::encode(QStringLiteral("您好：\r\n附件是本校的图书征订单。")),
         QStringLiteral("您好：\n附件是本校的图书征订单。")},
        {"UTF-8, LF and a lone CR", QStringLiteral("您好：\n第二行\r第三行").toUtf8(),
         QStringLiteral("您好：\n第二行\n第三行")},
        {"UTF-8 with its byte-order mark written twice", "\xEF\xBB\xBF\xEF\xBB\xBF" "abc\r\n",
         QStringLiteral("abc\n")},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("mail.txt"));
        writeAll(path, c.bytes);
        EXPECT_EQ(OrderMail::readBody(path), c.expected) << c.what;
    }
    EXPECT_EQ(OrderMail::readBody(dir.filePath(QStringLiteral("none.txt"))), QString());
}

TEST(MailRequestLine, OptionsComeFirstThenEachRecipientAsAnAddress)
{
    MailRequest request;
    request.recipients = {QStringLiteral("a@x.cn"), QStringLiteral("张三 <b@y.cn>")};
    request.subject = QStringLiteral("图书征订单");
    request.body = QStringLiteral("您好\n附件");
    request.attachments = {QStringLiteral("/spool/图书征订单20260315143005.xls")};
    EXPECT_EQ(request.arguments(),
              (QStringList{QStringLiteral("--utf8"), QStringLiteral("--subject"), QStringLiteral("图书征订单"),
                           QStringLiteral("--body"), QStringLiteral("您好\n附件"), QStringLiteral("--attach"),
                           QStringLiteral("/spool/图书征订单20260315143005.xls"), QStringLiteral("a@x.cn"),
                           QStringLiteral("张三 <b@y.cn>")}));
    EXPECT_EQ(request.to(), QStringLiteral("a@x.cn;张三 <b@y.cn>"));

    // xdg-email refuses an empty --body: no body, no option.
    request.body.clear();
    request.recipients.clear();
    EXPECT_EQ(request.arguments(),
              (QStringList{QStringLiteral("--utf8"), QStringLiteral("--subject"), QStringLiteral("图书征订单"),
                           QStringLiteral("--attach"), QStringLiteral("/spool/图书征订单20260315143005.xls")}));
}

TEST(MailLocale, XdgEmailGetsAUtf8LocaleWhenTheEnvironmentHasNone)
{
    struct Case {
        const char *what;
        QStringList given;      // NAME=value
        QStringList expected;   // the locale variables afterwards, sorted
    };
    const Case cases[] = {
        {"UTF-8 LANG", {"LANG=zh_CN.UTF-8"}, {"LANG=zh_CN.UTF-8"}},
        {"utf8 LC_ALL over C", {"LC_ALL=en_US.utf8", "LANG=C"}, {"LANG=C", "LC_ALL=en_US.utf8"}},
        {"C", {"LANG=C"}, {"LANG=C.UTF-8"}},
        {"nothing set", {}, {"LANG=C.UTF-8"}},
        {"LC_ALL=C over a UTF-8 LANG", {"LC_ALL=C", "LANG=zh_CN.UTF-8"}, {"LANG=zh_CN.UTF-8"}},
        {"GBK LC_CTYPE", {"LC_CTYPE=zh_CN.GBK", "LANG=zh_CN.GBK", "LC_MESSAGES=zh_CN.GBK"},
         {"LANG=C.UTF-8", "LC_MESSAGES=zh_CN.GBK"}},
        {"UTF-8 LC_CTYPE under LC_ALL=POSIX", {"LC_ALL=POSIX", "LC_CTYPE=C.UTF-8"}, {"LC_CTYPE=C.UTF-8"}},
    };
    for (const Case &c : cases) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin"));
        for (const QString &pair : c.given)
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        QStringList locale;
        for (const QString &pair : MailHandOver::withUtf8Locale(env).toStringList())
            if (pair.startsWith(QStringLiteral("LC_")) || pair.startsWith(QStringLiteral("LANG=")))
                locale << pair;
        locale.sort();
        EXPECT_EQ(locale, c.expected) << c.what;
    }
}

class OrderMailSpool : public ::testing::Test {
protected:
    TempTree tree;   // the program folder is tree/bin, so the init files are tree/init/*
    QString root = tree.path(QStringLiteral("spool"));
    QDateTime when{QDate(2026, 3, 15), QTime(14, 30, 5)};

    void SetUp() override
    {
        tree.writeFile(QStringLiteral("init/mailadd.txt"), "\r\norders@supplier.cn\r\n\r\nSMTP:copy@supplier.cn\r\n");
        tree.writeFile(QStringLiteral("init/mail.txt"), Gbk::encode(QStringLiteral("您好：\r\n请查收附件。\r\n")));
    }
};

TEST_F(OrderMailSpool, PrepareWritesTheOrderTextUnderItsNameInAFolderOfItsOwn)
{
    const OrderDocument order = sampleOrder();
    const OrderMail::Prepared first = OrderMail::prepare(order, OrderSource::Wizard, root, when);
    const OrderMail::Prepared second = OrderMail::prepare(order, OrderSource::Query, root, when);

    EXPECT_EQ(first.attachmentPath, first.spoolFolder + QStringLiteral("/图书征订单20260315143005.xls"));
    EXPECT_EQ(second.attachmentPath, second.spoolFolder + QStringLiteral("/图书征定单20260315143005.xls"));
    EXPECT_NE(first.spoolFolder, second.spoolFolder);   // the same second, two folders
    EXPECT_EQ(QFileInfo(first.spoolFolder).absolutePath(), QFileInfo(root).absoluteFilePath());
    EXPECT_EQ(readAll(first.attachmentPath), OrderText::render(order, OrderSource::Wizard));
    EXPECT_EQ(readAll(second.attachmentPath), OrderText::render(order, OrderSource::Query));

    EXPECT_EQ(first.request.recipients,
              (QStringList{QStringLiteral("orders@supplier.cn"), QStringLiteral("copy@supplier.cn")}));
    EXPECT_EQ(first.request.subject, QStringLiteral("图书征订单"));
    EXPECT_EQ(second.request.subject, QStringLiteral("图书征定单"));
    EXPECT_EQ(first.request.body, QStringLiteral("您好：\n请查收附件。\n"));
    EXPECT_EQ(first.request.attachments, QStringList{first.attachmentPath});
}

TEST_F(OrderMailSpool, TheConfiguredAttachmentKindDecidesWhatGoesWithTheMail)
{
    struct Case {
        const char *config;   // the [Mail] section of syscfg.dbm
        QStringList names;    // the attachments, in order
    };
    const QString text = QStringLiteral("图书征订单20260315143005.xls");
    const QString workbook = text + u'x';
    const Case cases[] = {
        {"", {text}},
        {"[Mail]\r\nsAttach=text\r\n", {text}},
        {"[Mail]\r\nsAttach=XLSX\r\n", {workbook}},
        {"[Mail]\r\nsAttach=both\r\n", {text, workbook}},
    };
    const OrderDocument order = sampleOrder();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.config);
        tree.writeConfig(QByteArray("[All]\r\nsDbType=Oledb40\r\n") + c.config);
        const OrderMail::Prepared mail = OrderMail::prepare(order, OrderSource::Wizard, root, when);
        QStringList names;
        for (const QString &path : mail.request.attachments) {
            names << QFileInfo(path).fileName();
            EXPECT_EQ(QFileInfo(path).absolutePath(), mail.spoolFolder);
            if (path.endsWith(QStringLiteral(".xls")))
                EXPECT_EQ(readAll(path), OrderText::render(order, OrderSource::Wizard));
            else
                EXPECT_TRUE(readAll(path).startsWith("PK\x03\x04"));   // a workbook package
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(mail.attachmentPath, mail.request.attachments.value(0));
    }
}

TEST_F(OrderMailSpool, AnUnreadableAttachmentSettingStopsTheMailAndNamesTheKey)
{
    tree.writeConfig("[Mail]\r\nsAttach=pdf\r\n");
    try {
        OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
        FAIL() << "prepared with an unknown attachment kind";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("sAttach"))) << e.text().toStdString();
    }
    EXPECT_TRUE(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(OrderMailSpool, MissingInitFilesGiveNoRecipientAndNoBody)
{
    QFile::remove(tree.path(QStringLiteral("init/mailadd.txt")));
    QFile::remove(tree.path(QStringLiteral("init/mail.txt")));
    const OrderMail::Prepared mail = OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
    EXPECT_TRUE(mail.request.recipients.isEmpty());
    EXPECT_TRUE(mail.request.body.isEmpty());
    EXPECT_TRUE(QFile::exists(mail.attachmentPath));
}

TEST_F(OrderMailSpool, OnlySpoolFoldersOlderThanADayAreRemoved)
{
    const OrderMail::Prepared old = OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
    const OrderMail::Prepared fresh = OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
    QDir(root).mkpath(QStringLiteral("not-ours"));
    const QDateTime now = QDateTime::currentDateTime();
    const timeval twoDaysAgo[2] = {{now.toSecsSinceEpoch() - 2 * 86400, 0}, {now.toSecsSinceEpoch() - 2 * 86400, 0}};
    for (const QString &folder : {old.spoolFolder, root + QStringLiteral("/not-ours")})
        ASSERT_EQ(::utimes(QFile::encodeName(folder).constData(), twoDaysAgo), 0);

    EXPECT_EQ(OrderMail::removeStaleSpoolFolders(root, now), 1);
    EXPECT_FALSE(QFile::exists(old.spoolFolder));
    EXPECT_TRUE(QFile::exists(fresh.attachmentPath));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("/not-ours")));
    EXPECT_EQ(OrderMail::removeStaleSpoolFolders(tree.path(QStringLiteral("no-spool-yet")), now), 0);
}

// A stand-in xdg-email first on PATH records its arguments (NUL-separated), its locale and a
// copy of the attachment, then does what the case asks.
class MailHandOverTest : public OrderMailSpool {
protected:
    QTemporaryDir stubs;
    QString record = tree.path(QStringLiteral("record"));

    void installStandIn(const QByteArray &tail)
    {
        writeAll(stubs.filePath(QStringLiteral("xdg-email")),
                 "#!/bin/sh\n"
                 "mkdir -p \"$ZD_RECORD\"\n"
                 "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$ZD_RECORD/args\"\n"
                 "printf '%s' \"$LANG\" > \"$ZD_RECORD/lang\"\n"
                 "prev=\n"
                 "for a in \"$@\"; do [ \"$prev\" = --attach ] && cp \"$a\" \"$ZD_RECORD/attachment\"; prev=$a; done\n"
                     + tail,
                 true);
    }
    MailHandOver::Settings settings(int graceMs = 30000)
    {
        MailHandOver::Settings s;
        s.environment = QProcessEnvironment::systemEnvironment();
        s.environment.insert(QStringLiteral("PATH"), stubs.path() + QStringLiteral(":/usr/bin:/bin"));
        s.environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        s.environment.remove(QStringLiteral("LC_ALL"));
        s.environment.remove(QStringLiteral("LC_CTYPE"));
        s.environment.insert(QStringLiteral("ZD_RECORD"), record);
        s.graceMs = graceMs;
        s.pollMs = 20;
        return s;
    }
    QStringList recordedArguments() const
    {
        QStringList args;
        for (const QByteArray &a : readAll(record + QStringLiteral("/args")).split('\0'))
            args << QString::fromUtf8(a);
        if (!args.isEmpty())
            args.removeLast();   // after the last NUL
        return args;
    }
};

TEST_F(MailHandOverTest, XdgEmailGetsTheWholeRequestAndTheAttachmentStaysForTheComposer)
{
    installStandIn("exit 0\n");
    const OrderMail::Prepared mail = OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
    MailHandOver handOver(mail.request, mail.spoolFolder, settings());
    QSignalSpy finished(&handOver, &MailHandOver::finished);
    ASSERT_TRUE(handOver.start()) << handOver.reason().toStdString();
    ASSERT_TRUE(finished.wait(60000));

    EXPECT_EQ(finished.first().at(0).toBool(), true);
    EXPECT_EQ(recordedArguments(),
              (QStringList{QStringLiteral("--utf8"), QStringLiteral("--subject"), QStringLiteral("图书征订单"),
                           QStringLiteral("--body"), QStringLiteral("您好：\n请查收附件。\n"), QStringLiteral("--attach"),
                           mail.attachmentPath, QStringLiteral("orders@supplier.cn"),
                           QStringLiteral("copy@supplier.cn")}));
    EXPECT_EQ(readAll(record + QStringLiteral("/attachment")), OrderText::render(sampleOrder(), OrderSource::Wizard));
    EXPECT_EQ(readAll(record + QStringLiteral("/lang")), "C.UTF-8");
    EXPECT_TRUE(QFile::exists(mail.attachmentPath));
}

TEST_F(MailHandOverTest, XdgEmailStillRunningAfterTheGracePeriodIsAHandOver)
{
    // The stand-in keeps running until the test has seen the hand-over (at most a minute).
    installStandIn("i=0\n"
                   "while [ ! -e \"$ZD_RECORD/release\" ] && [ $i -lt 3000 ]; do sleep 0.02; i=$((i + 1)); done\n");
    const OrderMail::Prepared mail = OrderMail::prepare(sampleOrder(), OrderSource::Query, root, when);
    MailHandOver handOver(mail.request, mail.spoolFolder, settings(300));
    QSignalSpy finished(&handOver, &MailHandOver::finished);
    ASSERT_TRUE(handOver.start());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.first().at(0).toBool(), true);
    EXPECT_TRUE(QFile::exists(mail.attachmentPath));
    // Let the stand-in end before its folders go with the fixture.
    writeAll(record + QStringLiteral("/release"), QByteArray(), false);
    QDeadlineTimer deadline(30000);
    while (!QFile::exists(mail.spoolFolder + QStringLiteral("/.xdg-email-status")) && !deadline.hasExpired())
        QThread::msleep(50);
}

TEST(MailHandOverLog, TheLaunchersWordsAreKeptWholeUnlessVeryLong)
{
    const QString tried = QStringLiteral("firefox: not found\nlynx: not found\nxdg-email: no method\n");
    const QString longLog = QStringLiteral("a: not found\n") + QString(9000, u'x') + QStringLiteral("\nxdg-email: no method");
    const struct {
        QString log;
        QString kept;
    } cases[] = {
        {QString(), QString()},
        {QStringLiteral("\n  \n"), QString()},
        {tried + u'\n', tried.trimmed()},
        {longLog, QStringLiteral("…") + longLog.right(8000)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MailHandOver::launcherWords(c.log), c.kept) << c.log.left(80).toStdString();
}

TEST_F(MailHandOverTest, NoMailProgramIsAFailedHandOverAndItsFolderGoes)
{
    installStandIn("echo 'xdg-email: no method available for opening mailto' >&2\nexit 3\n");
    const OrderMail::Prepared mail = OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
    MailHandOver handOver(mail.request, mail.spoolFolder, settings());
    QSignalSpy finished(&handOver, &MailHandOver::finished);
    ASSERT_TRUE(handOver.start());
    ASSERT_TRUE(finished.wait(60000));

    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.first().at(0).toBool(), false);
    // The clerk reads Chinese; the launcher's own words are kept apart for "详细信息".
    const QString reason = finished.first().at(1).toString();
    EXPECT_EQ(reason, MailHandOver::exitReason(3));
    EXPECT_TRUE(reason.contains(QStringLiteral("没有可用的邮件程序"))) << reason.toStdString();
    EXPECT_FALSE(reason.contains(QStringLiteral("no method"))) << reason.toStdString();
    EXPECT_EQ(handOver.reason(), reason);
    EXPECT_EQ(handOver.details(), QStringLiteral("xdg-email: no method available for opening mailto"));
    EXPECT_FALSE(QFile::exists(mail.spoolFolder));
}

TEST_F(MailHandOverTest, MissingXdgEmailFailsAtOnce)
{
    const OrderMail::Prepared mail = OrderMail::prepare(sampleOrder(), OrderSource::Wizard, root, when);
    MailHandOver::Settings s = settings();
    s.environment.insert(QStringLiteral("PATH"), stubs.path());   // empty: no xdg-email anywhere
    MailHandOver handOver(mail.request, mail.spoolFolder, s);
    QSignalSpy finished(&handOver, &MailHandOver::finished);
    EXPECT_FALSE(handOver.start());
    EXPECT_TRUE(handOver.reason().contains(QStringLiteral("xdg-email"))) << handOver.reason().toStdString();
    EXPECT_FALSE(QFile::exists(mail.spoolFolder));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.size(), 0);
    EXPECT_FALSE(QFile::exists(record));
}

} // namespace
