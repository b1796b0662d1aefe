// Sending the current order by mail as both ordering windows do: nothing to send, the mail
// the composer gets (title, attachment, recipients, body), a composer that gives up, and no
// xdg-email at all.
#include "sending_fixture.h"
#include "scripted_prompter.h"

#include "common/gbk_codec.h"
#include "data/dataset.h"
#include "order/order_query.h"
#include "order/order_sending.h"

#include <QRegularExpression>

namespace {

const QDate day(2026, 3, 5);
const QDateTime sendTime(QDate(2026, 3, 15), QTime(14, 30, 5));

class OrderSendingTest : public SendingTest {
protected:
    ScriptedPrompter prompter;
    DataSet headers;
    DataSet rows;
    QStringList orders;

    void SetUp() override
    {
        orders = makeRun(day, QStringLiteral("一中"), {QStringLiteral("G1"), QStringLiteral("G2")});
        tree.writeFile(QStringLiteral("init/mailadd.txt"), "a@x.cn\r\nb@y.cn\r\n");
        tree.writeFile(QStringLiteral("init/mail.txt"), Gbk::encode(QStringLiteral("您好：\r\n附件是订单。")));
        headers.setConnection(db);
        rows.setConnection(db);
    }
    // The orders of the run, and the rows of the one at position current.
    void openLists(int current)
    {
        const BoundStatement h = OrderQueryStatement({day, day, QStringLiteral("订货单号"), QString()});
        headers.setStatement(h.text, h.values);
        headers.open();
        headers.setCurrentRow(current);
        const BoundStatement r = OrderLinesStatement(headers.currentText(QStringLiteral("dhdh")));
        rows.setStatement(r.text, r.values);
        rows.open();
    }
    OrderSendOptions options() const
    {
        OrderSendOptions o;
        o.spoolRoot = spoolRoot;
        o.handOver = handOverSettings();
        o.now = sendTime;
        return o;
    }
};

TEST_F(OrderSendingTest, NothingToSendIsToldPlainlyAndStartsNothing)
{
    installStandIn("exit 0\n");
    const BoundStatement none =
        OrderQueryStatement({day, day, QStringLiteral("订货单号"), QStringLiteral("不存在")});
    const struct {
        const char *what;
        bool headersOpen, headersEmpty, rowsOpen, rowsEmpty;
    } cases[] = {
        {"header list closed", false, false, true, false},
        {"header list empty", true, true, true, false},
        {"row list closed", true, false, false, false},
        {"row list empty", true, false, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        prompter.shown.clear();
        openLists(0);
        if (c.headersEmpty) {
            headers.setStatement(none.text, none.values);
            headers.open();
        }
        if (!c.headersOpen)
            headers.close();
        if (c.rowsEmpty) {
            const BoundStatement r = OrderLinesStatement(QStringLiteral("不存在"));
            rows.setStatement(r.text, r.values);
            rows.open();
        }
        if (!c.rowsOpen)
            rows.close();
        EXPECT_FALSE(SendOrderMail(prompter, headers, rows, OrderSource::Query, options()));
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].text, QStringLiteral("没有可以发送的数据"));
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Plain);
        EXPECT_TRUE(spoolFolders().isEmpty());
        EXPECT_TRUE(recordedArguments().isEmpty());
    }
}

TEST_F(OrderSendingTest, TheComposerGetsTheCurrentOrderUnderTheWindowsTitle)
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
    for (const auto &c : cases) {
        const QString title = QString::fromUtf8(c.title);
        SCOPED_TRACE(c.title);
        QDir(record).removeRecursively();
        prompter.shown.clear();
        openLists(1);   // the second order is the current one
        ASSERT_TRUE(SendOrderMail(prompter, headers, rows, c.source, options()));
        EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'\n').toStdString();

        EXPECT_EQ(recordedOption(QStringLiteral("--subject")), title);
        EXPECT_EQ(recordedOption(QStringLiteral("--body")), QStringLiteral("您好：\n附件是订单。"));
        const QStringList args = recordedArguments();
        ASSERT_GE(args.size(), 2);
        EXPECT_EQ(args.mid(args.size() - 2), (QStringList{QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")}));
        const QString attached = recordedOption(QStringLiteral("--attach"));
        EXPECT_EQ(QFileInfo(attached).fileName(), title + QStringLiteral("20260315143005.xls"));
        EXPECT_TRUE(attached.startsWith(spoolRoot + u'/')) << attached.toStdString();

        // The attachment is the order text of the current order, not of the first one.
        const QStringList lines = Gbk::decode(attachmentCopy()).split(QStringLiteral("\r\n"));
        ASSERT_GE(lines.size(), 26);
        EXPECT_EQ(lines[0], title);
        EXPECT_EQ(lines[1], QStringLiteral("订货单号：\t") + orders[1]);
        EXPECT_EQ(lines[24], QString::fromUtf8(c.tableHead));
        EXPECT_EQ(lines.size() - 26, rows.recordCount());
    }
}

// Each line of the recipients file is one bare address; any other line stops the mail before
// xdg-email starts, and the clerk is told the file and the line.
TEST_F(OrderSendingTest, EachRecipientLineIsOneAddressOrTheMailStopsNamingTheLine)
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
        prompter.shown.clear();
        openLists(0);
        const bool sent = SendOrderMail(prompter, headers, rows, OrderSource::Query, options());
        if (c.badLine == 0) {
            EXPECT_TRUE(sent);
            EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'\n').toStdString();
            const QStringList args = recordedArguments();
            ASSERT_GE(args.size(), c.recipients.size());
            EXPECT_EQ(args.mid(args.size() - c.recipients.size()), c.recipients);
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
        EXPECT_FALSE(sent);
        EXPECT_TRUE(recordedArguments().isEmpty()) << "xdg-email was started";
        EXPECT_TRUE(spoolFolders().isEmpty());
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
        const QString text = prompter.shown[0].text;
        EXPECT_TRUE(text.contains(file)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("第 %1 行").arg(c.badLine))) << text.toStdString();
    }
}

TEST_F(OrderSendingTest, AFailedHandOverIsToldAndNotCountedAsSent)
{
    const struct {
        const char *what;
        bool standIn;   // false: no xdg-email on PATH
        QByteArray tail;
        const char *reasonPart;
    } cases[] = {
        {"no mail program", true, "echo 'no method available for opening mailto' >&2\nexit 3\n",
         "no method available"},
        {"no xdg-email", false, "", "xdg-email"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        prompter.shown.clear();
        QFile::remove(stubs.filePath(QStringLiteral("xdg-email")));
        if (c.standIn)
            installStandIn(c.tail);
        openLists(0);
        EXPECT_FALSE(SendOrderMail(prompter, headers, rows, OrderSource::Query, options()));
        ASSERT_EQ(prompter.shown.size(), 1);
        const QStringList text = prompter.shown[0].text.split(u'\n');
        EXPECT_EQ(text.first(), OrderSendFailedText());
        EXPECT_TRUE(prompter.shown[0].text.contains(QString::fromUtf8(c.reasonPart)))
            << prompter.shown[0].text.toStdString();
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
        // No composer holds the attachment: its folder is gone.
        EXPECT_TRUE(spoolFolders().isEmpty()) << spoolFolders().join(u' ').toStdString();
    }
}

TEST_F(OrderSendingTest, AnOrderTextThatCannotBeWrittenIsToldAndNothingStarts)
{
    installStandIn("exit 0\n");
    tree.writeFile(QStringLiteral("spool"), "a file where the spool folder should be");
    openLists(0);
    EXPECT_FALSE(SendOrderMail(prompter, headers, rows, OrderSource::Query, options()));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_TRUE(recordedArguments().isEmpty());
}

} // namespace
