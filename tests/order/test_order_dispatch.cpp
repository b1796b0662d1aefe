// Handing an order to the mail composer as both ordering windows do, through a stand-in
// xdg-email: the mail the composer gets, the recipients file, a composer that gives up, no
// xdg-email at all, an order text that cannot be written — each attempt with its log row, and
// only a hand-over counted as a transfer of the order.
#include "dispatch_fixture.h"

#include "common/gbk_codec.h"

#include <QCryptographicHash>

namespace {

TEST_F(OrderDispatchTest, TheComposerGetsTheCurrentOrderAndTheLogNamesIt)
{
    installStandIn("exit 0\n");
    const struct {
        OrderSource source;
        const char *title;
        const char *tableHead;
    } cases[] = {
        {OrderSource::Query, "图书征定单", "征定号\t书名\tISBN\t版别\t订购数量\t定价\t码洋"},
        {OrderSource::Wizard, "图书征订单", "征订号\t书名\tISBN\t版别\t订购数量"},
    };
    int sent = 0;
    for (const auto &c : cases) {
        const QString title = QString::fromUtf8(c.title);
        SCOPED_TRACE(c.title);
        QDir(record).removeRecursively();
        const DispatchOutcome outcome = dispatch(1, c.source);   // the second order is the current one
        ASSERT_TRUE(outcome.handedOver) << outcome.message.toStdString();
        ++sent;
        EXPECT_EQ(outcome.order, orders[1]);
        EXPECT_EQ(outcome.message, QStringLiteral("订单 %1 已交给邮件程序（收件人 a@x.cn、b@y.cn）。").arg(orders[1]));

        EXPECT_EQ(recordedOption(QStringLiteral("--subject")), title);
        EXPECT_EQ(recordedOption(QStringLiteral("--body")), QStringLiteral("您好：\n附件是订单。"));
        const QStringList args = recordedArguments();
        ASSERT_GE(args.size(), 2);
        EXPECT_EQ(args.mid(args.size() - 2), (QStringList{QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}));
        const QString attached = recordedOption(QStringLiteral("--attach"));
        EXPECT_EQ(QFileInfo(attached).fileName(), title + QStringLiteral("20260315143005.xls"));
        EXPECT_TRUE(attached.startsWith(spoolRoot + u'/')) << attached.toStdString();

        // The attachment is the order text of the current order, not of the first one.
        const QByteArray bytes = attachmentCopy();
        const QStringList lines = Gbk::decode(bytes).split(QStringLiteral("\r\n"));
        ASSERT_GE(lines.size(), 26);
        EXPECT_EQ(lines[0], title);
        EXPECT_EQ(lines[1], QStringLiteral("订货单号：\t") + orders[1]);
        EXPECT_EQ(lines[24], QString::fromUtf8(c.tableHead));

        // The log row names what went out; each hand-over counts once.
        const QList<DispatchLog::Entry> log = DispatchLog::entries(db, orders[1]);
        ASSERT_EQ(log.size(), sent);
        const DispatchLog::Entry &row = log.last();
        EXPECT_EQ(row.result, DispatchLog::Result::HandedOver);
        EXPECT_EQ(row.channel, DispatchLog::Channel::MailProgram);
        EXPECT_EQ(row.time, sendTime);
        EXPECT_EQ(row.recipients, (QStringList{QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}));
        EXPECT_EQ(row.subject, title);
        EXPECT_EQ(row.attachmentName, QFileInfo(attached).fileName());
        EXPECT_EQ(row.attachmentSha256,
                  QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        EXPECT_TRUE(row.failure.isEmpty());
        EXPECT_EQ(cdcs(orders[1]), sent);
        EXPECT_EQ(cdcs(orders[0]), 0);
    }
}

// Each line of the recipients file is one bare address; any other line stops the mail before
// xdg-email starts, and the clerk is told the file and the line.
TEST_F(OrderDispatchTest, EachRecipientLineIsOneAddressOrTheMailStopsNamingTheLine)
{
    installStandIn("exit 0\n");
    const struct {
        const char *what;
        QByteArray file;
        QStringList recipients;   // what the stand-in gets last; empty: refused
        int badLine;              // the line named when refused
    } cases[] = {
        {"plain", "a@x.cn\r\n", {"a@x.cn"}, 0},
        {"SMTP: prefix", "SMTP:a@b.cn\r\n", {"a@b.cn"}, 0},
        {"blanks around", "  a@x.cn \t\r\n", {"a@x.cn"}, 0},
        {"empty lines skipped", "\r\na@x.cn\r\n\r\n   \r\nb@y.cn\r\n", {"a@x.cn", "b@y.cn"}, 0},
        {"--bcc and an address", "a@x.cn\r\n--bcc\r\nspy@evil.cn\r\n", {}, 2},
        {"--attach a file", "--attach /etc/passwd\r\na@x.cn\r\n", {}, 1},
        {"-x", "a@x.cn\r\n\r\n-x\r\n", {}, 3},
        {"SMTP: then an option", "SMTP:--bcc\r\n", {}, 1},
        {"two @", "a@b@c\r\n", {}, 1},
        {"no @", "a.x.cn\r\n", {}, 1},
        {"inner blank", "a@x.cn\r\na b@c\r\n", {}, 2},
        {"mailto query", "a@b?attach=x\r\n", {}, 1},
        {"a mailto link", "mailto:a@b.cn\r\n", {}, 1},
        {"shell", "a@x.cn;rm\r\n", {}, 1},
        {"name and address", "张三 <a@x.cn>\r\n", {}, 1},
    };
    const QString file = QDir::toNativeSeparators(tree.path(QStringLiteral("init/mailadd.txt")));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        tree.writeFile(QStringLiteral("init/mailadd.txt"), c.file);
        QDir(record).removeRecursively();
        QDir(spoolRoot).removeRecursively();
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        Sql::exec(db, QStringLiteral("update deorder set cdcs=0"));
        const DispatchOutcome outcome = dispatch(0);
        if (c.badLine == 0) {
            EXPECT_TRUE(outcome.handedOver) << outcome.message.toStdString();
            const QStringList args = recordedArguments();
            ASSERT_GE(args.size(), c.recipients.size());
            EXPECT_EQ(args.mid(args.size() - c.recipients.size()), c.recipients);
            EXPECT_EQ(onlyRow(orders[0]).recipients, c.recipients);
            // Options come only from the program; no recipient line is one.
            for (const QString &a : args) {
                if (a.startsWith(u'-')) {
                    EXPECT_TRUE(a == QStringLiteral("--utf8") || a == QStringLiteral("--subject")
                                || a == QStringLiteral("--body") || a == QStringLiteral("--attach"))
                        << a.toStdString();
                }
            }
            continue;
        }
        expectFailure(outcome, orders[0]);
        EXPECT_TRUE(recordedArguments().isEmpty()) << "xdg-email was started";
        EXPECT_TRUE(spoolFolders().isEmpty());
        EXPECT_TRUE(outcome.message.contains(file)) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("第 %1 行").arg(c.badLine))) << outcome.message.toStdString();
    }
}

TEST_F(OrderDispatchTest, AFailedHandOverIsToldInChineseLoggedAndNotCounted)
{
    const struct {
        const char *what;
        bool standIn;   // false: no xdg-email at all
        QByteArray tail;
        const char *reasonPart;
        const char *details;   // the launcher's own words, kept apart from the message
    } cases[] = {
        {"no mail program", true, "echo 'no method available for opening mailto' >&2\nexit 3\n",
         "没有可用的邮件程序", "no method available for opening mailto"},
        {"no xdg-email", false, "", "xdg-email", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        QFile::remove(stubs.filePath(QStringLiteral("xdg-email")));
        if (c.standIn)
            installStandIn(c.tail);
        const DispatchOutcome outcome = dispatch(0, OrderSource::Query, c.standIn ? QString() : stubs.path());
        expectFailure(outcome, orders[0]);
        EXPECT_TRUE(outcome.message.contains(QString::fromUtf8(c.reasonPart))) << outcome.message.toStdString();
        EXPECT_EQ(outcome.details, QString::fromUtf8(c.details));
        EXPECT_FALSE(outcome.message.contains(QStringLiteral("no method"))) << outcome.message.toStdString();
        EXPECT_FALSE(outcome.attachmentMayBeMissing);
        // The row still names what would have gone out.
        EXPECT_EQ(onlyRow(orders[0]).recipients, (QStringList{QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}));
        // No composer holds the attachment: its folder is gone.
        EXPECT_TRUE(spoolFolders().isEmpty()) << spoolFolders().join(u' ').toStdString();
    }
}

// A mail program that reads the attachment only from the mail link may leave it out: the
// outcome says so and names the folder where the order file lies.
TEST_F(OrderDispatchTest, AHandOverToAProgramThatMayDropTheFileNamesItsFolder)
{
    installStandIn("exit 0\n");
    const struct {
        const char *desktopFile, *program;
        bool mayBeMissing;
    } cases[] = {
        {"org.gnome.Evolution.desktop", "evolution", false},
        {"org.gnome.Geary.desktop", "geary", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.program);
        mailProgram(QString::fromUtf8(c.desktopFile), QString::fromUtf8(c.program));
        const DispatchOutcome outcome = dispatch(0);
        ASSERT_TRUE(outcome.handedOver) << outcome.message.toStdString();
        EXPECT_EQ(outcome.attachmentMayBeMissing, c.mayBeMissing);
        EXPECT_EQ(outcome.message, OrderDispatch::handedOverText(orders[0], outcome.recipients));
        const QString attachment = recordedOption(QStringLiteral("--attach"));
        EXPECT_EQ(QFileInfo(attachment).absolutePath(), QFileInfo(outcome.spoolFolder).absoluteFilePath());
        EXPECT_EQ(outcome.attachmentName, QFileInfo(attachment).fileName());
        if (c.mayBeMissing) {
            const QString question = OrderDispatch::attachmentQuestion(outcome);
            EXPECT_TRUE(question.startsWith(outcome.message)) << question.toStdString();
            EXPECT_TRUE(question.contains(outcome.attachmentName)) << question.toStdString();
            EXPECT_TRUE(question.contains(outcome.spoolFolder)) << question.toStdString();
        }
    }
}

TEST_F(OrderDispatchTest, AnOrderTextThatCannotBeWrittenIsToldAndLogged)
{
    installStandIn("exit 0\n");
    tree.writeFile(QStringLiteral("spool"), "a file where the spool folder should be");
    expectFailure(dispatch(0), orders[0]);
    EXPECT_TRUE(recordedArguments().isEmpty());
}

} // namespace
