// Sending several orders one after another through a stand-in xdg-email: every order its own
// mail and log row, a failure in the middle that does not stop the rest, a cancel that lets the
// order under way finish, an order that cannot be read; which orders count as unsent; and the
// result texts the summary shows.
#include "sending_fixture.h"

#include "common/app_error.h"
#include "order/dispatch_log.h"
#include "order/dispatch_run.h"
#include "order/dispatch_summary_dialog.h"
#include "recording_progress.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace {

const QDate day(2026, 3, 5);
const QDateTime sendTime(QDate(2026, 3, 15), QTime(14, 30, 5));
const QString Recipients = QStringLiteral("已交给邮件程序（收件人 a@x.cn、b@y.cn）");

using Result = DispatchRun::Result;

class DispatchRunTest : public SendingTest {
protected:
    QStringList orders;   // three orders, of suppliers G1, G2, G3

    void SetUp() override
    {
        orders = makeRun(day, QStringLiteral("一中"),
                         {QStringLiteral("G1"), QStringLiteral("G2"), QStringLiteral("G3")});
        tree.writeFile(QStringLiteral("init/mailadd.txt"), "a@x.cn\r\nb@y.cn\r\n");
    }
    // A stand-in that counts its calls in ZD_RECORD/calls and gives up on the call numbered
    // failingCall (0: never), as a desktop without a mail program does.
    void installCountingStandIn(int failingCall)
    {
        installStandIn(QStringLiteral("n=$(cat \"$ZD_RECORD/calls\" 2>/dev/null || echo 0)\n"
                                      "n=$((n+1)); echo $n > \"$ZD_RECORD/calls\"\n"
                                      "[ $n = %1 ] && { echo 'no method available for opening mailto' >&2; exit 3; }\n"
                                      "exit 0\n")
                           .arg(failingCall)
                           .toUtf8());
    }
    int calls() const
    {
        QFile f(record + QStringLiteral("/calls"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    }
    OrderDispatch::Options options() const
    {
        OrderDispatch::Options o;
        o.spoolRoot = spoolRoot;
        o.handOver = handOverSettings();
        o.now = sendTime;
        return o;
    }
    // Runs to the end; the progress stops the run once stopAt orders are done (never: -1).
    void runToEnd(DispatchRun &run, const QStringList &numbers, ProgressLog &log)
    {
        QSignalSpy finished(&run, &DispatchRun::finished);
        ASSERT_TRUE(run.start(numbers, std::make_unique<RecordingProgress>(log)));
        EXPECT_TRUE(run.running());
        EXPECT_FALSE(run.start(numbers)) << "a second run while one is under way";
        EXPECT_TRUE(finished.isEmpty()) << "finished inside start()";
        ASSERT_TRUE(finished.wait(60000));
        EXPECT_EQ(finished.size(), 1);
        EXPECT_FALSE(run.running());
    }
    int cdcs(const QString &order)
    {
        return Sql::scalar(db, QStringLiteral("select cdcs from deorder where dhdh=?"), {order}).toInt();
    }
};

TEST_F(DispatchRunTest, SendsEachOrderOnceGoingOnAfterAFailureAndStoppingWhenCancelled)
{
    const QString unknown = QStringLiteral("D-NONE");
    const struct {
        const char *what;
        int failingCall;       // of the stand-in; 0: none
        qint64 stopAt;         // progress stops once this many are done; -1: never
        bool withUnknown;      // an order number in the middle that is not stored
        QList<Result> results; // of orders[0..2]
        int calls;             // mails handed to xdg-email
        const char *counts;
    } cases[] = {
        {"all handed over", 0, -1, false, {Result::Succeeded, Result::Succeeded, Result::Succeeded}, 3,
         "共 3 张订单：成功 3 张。"},
        {"the second fails, the third still goes", 2, -1, false,
         {Result::Succeeded, Result::Failed, Result::Succeeded}, 3, "共 3 张订单：成功 2 张，失败 1 张。"},
        {"cancelled after the first", 0, 1, false,
         {Result::Succeeded, Result::Cancelled, Result::Cancelled}, 1, "共 3 张订单：成功 1 张，已取消 2 张。"},
        {"an order that cannot be read", 0, -1, true,
         {Result::Succeeded, Result::Succeeded, Result::Succeeded}, 3, "共 4 张订单：成功 3 张，失败 1 张。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(record).removeRecursively();
        Sql::exec(db, QStringLiteral("delete from deorderlog"));
        Sql::exec(db, QStringLiteral("update deorder set cdcs=0"));
        installCountingStandIn(c.failingCall);
        QStringList numbers = orders;
        if (c.withUnknown)
            numbers.insert(1, unknown);

        DispatchRun run(db, options(), OrderSource::Query);
        ProgressLog log;
        log.stopAt = c.stopAt;
        runToEnd(run, numbers, log);

        EXPECT_EQ(calls(), c.calls);
        ASSERT_EQ(run.items().size(), numbers.size());
        EXPECT_EQ(run.countsText(), QString::fromUtf8(c.counts));
        for (int i = 0; i < orders.size(); ++i) {
            SCOPED_TRACE(i);
            const DispatchRun::Item &item = run.items().at(int(numbers.indexOf(orders[i])));
            EXPECT_EQ(item.order, orders[i]);
            EXPECT_EQ(item.result, c.results[i]);
            const QList<DispatchLog::Entry> rows = DispatchLog::entries(db, orders[i]);
            switch (c.results[i]) {
            case Result::Succeeded:
                EXPECT_EQ(item.supplier, QStringLiteral("供货商G%1").arg(i + 1));
                EXPECT_EQ(item.text, Recipients);
                ASSERT_EQ(rows.size(), 1);
                EXPECT_EQ(rows[0].result, DispatchLog::Result::HandedOver);
                EXPECT_EQ(cdcs(orders[i]), 1);
                break;
            case Result::Failed:
                EXPECT_EQ(item.text, QStringLiteral("发送失败：") + rows.value(0).failure.section(u'\n', 0, 0));
                EXPECT_FALSE(item.text.contains(QStringLiteral("no method"))) << "the launcher's words stay apart";
                EXPECT_TRUE(item.text.contains(QStringLiteral("退出码 3"))) << item.text.toStdString();
                ASSERT_EQ(rows.size(), 1);
                EXPECT_EQ(rows[0].result, DispatchLog::Result::Failed);
                EXPECT_EQ(cdcs(orders[i]), 0);
                break;
            case Result::Cancelled:
                EXPECT_EQ(item.text, QStringLiteral("未发送（已取消）"));
                EXPECT_TRUE(rows.isEmpty());
                EXPECT_EQ(cdcs(orders[i]), 0);
                break;
            }
        }
        if (c.withUnknown) {
            const DispatchRun::Item &item = run.items().at(1);
            EXPECT_EQ(item.result, Result::Failed);
            EXPECT_EQ(item.text, QStringLiteral("发送失败：订单 D-NONE 不存在"));
            EXPECT_TRUE(DispatchLog::entries(db, unknown).isEmpty());
        }
        // The progress named each order as it began, counting those done.
        const qsizetype told = c.stopAt < 0 ? numbers.size() : c.stopAt + 1;
        ASSERT_GE(log.labels.size(), told);
        EXPECT_EQ(log.labels[0], QStringLiteral("正在发送订单 %1 …").arg(numbers[0]));
        EXPECT_EQ(log.totals[0], numbers.size());
        EXPECT_EQ(log.steps.mid(0, told), (QList<qint64>{0, 1, 2, 3}.mid(0, told)));
        EXPECT_TRUE(log.cancellable);
    }
}

TEST_F(DispatchRunTest, NothingToSendStartsNothing)
{
    installCountingStandIn(0);
    DispatchRun run(db, options(), OrderSource::Wizard);
    QSignalSpy finished(&run, &DispatchRun::finished);
    EXPECT_FALSE(run.start({}));
    QTest::qWait(50);
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(calls(), 0);
    EXPECT_EQ(count(QStringLiteral("deorderlog")), 0);
}

// The last attempt decides: a success (hand-over or delivery) is sent, a failure after it or
// no attempt at all is not; the orders keep the order given.
TEST_F(DispatchRunTest, UnsentAreTheOrdersWhoseLastAttemptIsNotASuccess)
{
    const auto attempt = [&](const QString &order, DispatchLog::Result result) {
        DispatchLog::Entry e;
        e.orderNumber = order;
        e.time = sendTime;
        e.result = result;
        if (result == DispatchLog::Result::Failed)
            e.failure = QStringLiteral("没有邮件程序");
        DispatchLog::record(db, e);
    };
    const QStringList more = makeRun(day, QStringLiteral("二中"), {QStringLiteral("G1"), QStringLiteral("G2")});
    attempt(orders[0], DispatchLog::Result::HandedOver);
    attempt(orders[1], DispatchLog::Result::Failed);
    attempt(orders[2], DispatchLog::Result::HandedOver);
    attempt(orders[2], DispatchLog::Result::Failed);
    attempt(more[0], DispatchLog::Result::Failed);
    attempt(more[0], DispatchLog::Result::Sent);
    const QStringList all = QStringList{more[1], orders[2], more[0], orders[1], orders[0]};
    EXPECT_EQ(DispatchRun::unsentOf(db, all), (QStringList{more[1], orders[2], orders[1]}));
    EXPECT_TRUE(DispatchRun::unsentOf(db, {orders[0], more[0]}).isEmpty());
}

TEST_F(DispatchRunTest, TheResultTextIsTheGistOfWhatTheDispatchSaid)
{
    const auto outcome = [](bool success, const QString &message, const QString &failure = {},
                            const QString &logError = {}) {
        DispatchOutcome o;
        o.order = QStringLiteral("D1");
        o.handedOver = success;
        o.message = message;
        o.failure = failure;
        o.logError = logError;
        return o;
    };
    const struct {
        const char *what;
        DispatchOutcome outcome;
        QString text;
    } cases[] = {
        {"handed over", outcome(true, OrderDispatch::handedOverText(QStringLiteral("D1"), {QStringLiteral("a@x.cn")})),
         QStringLiteral("已交给邮件程序（收件人 a@x.cn）")},
        {"without recipients", outcome(true, OrderDispatch::handedOverText(QStringLiteral("D1"), {})),
         QStringLiteral("已交给邮件程序（收件人在邮件程序中填写）")},
        {"delivered", outcome(true, QStringLiteral("订单 D1 已发送至 a@x.cn。")), QStringLiteral("已发送至 a@x.cn")},
        {"failed", outcome(false, OrderDispatch::failedText(QStringLiteral("D1"), QStringLiteral("没有邮件程序\n退出码 3")),
                           QStringLiteral("没有邮件程序\n退出码 3")),
         QStringLiteral("发送失败：没有邮件程序")},
        {"failed without a reason", outcome(false, QStringLiteral("服务器拒绝了收件人")),
         QStringLiteral("发送失败：服务器拒绝了收件人")},
        {"failed, the reason only in the message",
         outcome(false, OrderDispatch::failedText(QStringLiteral("D1"), QStringLiteral("没有邮件程序"))),
         QStringLiteral("发送失败：订单 D1 未能交给邮件程序：没有邮件程序")},
        {"handed over to a program that may drop the file", [&] {
             DispatchOutcome o = outcome(true, OrderDispatch::handedOverText(QStringLiteral("D1"), {}));
             o.attachmentMayBeMissing = true;
             o.spoolFolder = QStringLiteral("/spool/order-1");
             o.attachmentName = QStringLiteral("图书征定单.xls");
             return o;
         }(),
         QStringLiteral("已交给邮件程序（收件人在邮件程序中填写）；邮件程序可能没有附上订单文件，请查看邮件，"
                        "必要时手工附加 /spool/order-1/图书征定单.xls")},
        {"log not written",
         outcome(true, OrderDispatch::handedOverText(QStringLiteral("D1"), {}) + QStringLiteral("\n发送记录没有写入数据库：锁定"),
                 {}, QStringLiteral("锁定")),
         QStringLiteral("已交给邮件程序（收件人在邮件程序中填写）（发送记录没有写入数据库：锁定）")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DispatchRun::resultText(c.outcome), c.text);
    }
}

// A long reason wraps inside the dialog's width instead of running off to the right.
TEST(DispatchSummaryDialogTest, TheResultsFitTheWidthAndALongReasonWraps)
{
    const QString reason = QStringLiteral("发送失败：") + QStringLiteral("没有可用的邮件程序，邮件未能交给邮件程序。").repeated(6);
    const QList<DispatchRun::Item> items = {
        {QStringLiteral("D1"), QStringLiteral("新华书店"), DispatchRun::Result::Succeeded, QStringLiteral("已发送至 a@x.cn")},
        {QStringLiteral("D2"), QStringLiteral("人民教育出版社"), DispatchRun::Result::Failed, reason},
    };
    DispatchSummaryDialog dialog(items, QStringLiteral("共 2 张订单：成功 1 张，失败 1 张。"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableWidget *table = dialog.table();
    QTest::qWait(300);   // the rows take their heights once the widths are known
    EXPECT_GT(table->rowHeight(1), table->rowHeight(0));
    EXPECT_LE(table->columnWidth(0) + table->columnWidth(1) + table->columnWidth(2), table->viewport()->width());
    EXPECT_EQ(table->item(1, 2)->text(), reason);
    EXPECT_EQ(dialog.counts()->text(), QStringLiteral("共 2 张订单：成功 1 张，失败 1 张。"));
    EXPECT_EQ(QApplication::focusWidget(), table);
}

} // namespace
