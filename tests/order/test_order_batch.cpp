// The wizard's batch: which orders are handed over, exported or pending after a run of
// actions, and the texts page 5, the question after each order and the close question tell.
#include "order_fixture.h"

#include "order/dispatch_log.h"
#include "order/order_batch.h"

#include <gtest/gtest.h>

namespace {

struct Action {
    char kind;   // 'h' handed over, 'e' exported
    const char *order;
};

OrderBatch batchAfter(const QStringList &orders, std::initializer_list<Action> actions)
{
    OrderBatch batch(QStringLiteral("B1"), orders, 7);
    for (const Action &a : actions) {
        if (a.kind == 'h')
            batch.markHandedOver(QString::fromLatin1(a.order), {QStringLiteral("a@x.cn")});
        else
            batch.markExported(QString::fromLatin1(a.order));
    }
    return batch;
}

const QString AllSent = QStringLiteral("订购操作已经完成，订单 O1、O2、O3 已交给邮件程序（收件人 a@x.cn）。");
const QString Made = QStringLiteral("订购操作已经完成，订单已经生成。");

} // namespace

TEST(OrderBatchTest, TallyAndTextsFollowWhatBecameOfEachOrder)
{
    const QStringList three{QStringLiteral("O1"), QStringLiteral("O2"), QStringLiteral("O3")};
    const struct {
        const char *what;
        OrderBatch batch;
        QStringList handedOver, exported, pending;
        QString done, notes, close;
    } cases[] = {
        {"nothing done yet", batchAfter(three, {}), {}, {}, three, Made,
         QStringLiteral("没有发送的订单：O1、O2、O3，可以在\"订单查询\"模块中发送。"),
         QStringLiteral("本批订单 O1、O2、O3 还没有发送或导出。\n关闭后可以在\"订单查询\"模块中发送或导出。\n"
                        "确定关闭订单制作窗口吗？")},
        {"all handed over, out of order", batchAfter(three, {{'h', "O3"}, {'h', "O1"}, {'h', "O2"}}), three, {}, {},
         AllSent, QString(), QString()},
        {"one of each", batchAfter(three, {{'e', "O2"}, {'h', "O1"}}), {"O1"}, {"O2"}, {"O3"},
         QStringLiteral("订购操作已经完成，订单 O1 已交给邮件程序（收件人 a@x.cn）。"),
         QStringLiteral("已经导出、没有发送的订单：O2。\n没有发送的订单：O3，可以在\"订单查询\"模块中发送。"),
         QStringLiteral("本批订单 O3 还没有发送或导出。\n关闭后可以在\"订单查询\"模块中发送或导出。\n"
                        "确定关闭订单制作窗口吗？")},
        {"exported, then handed over: handed over", batchAfter(three, {{'e', "O2"}, {'h', "O2"}, {'h', "O1"}, {'h', "O3"}}),
         three, {}, {}, AllSent, QString(), QString()},
        {"all exported", batchAfter(three, {{'e', "O1"}, {'e', "O3"}, {'e', "O2"}}), {}, three, {}, Made,
         QStringLiteral("已经导出、没有发送的订单：O1、O2、O3。"), QString()},
        {"an order of another batch counts for nothing", batchAfter({"O1"}, {{'h', "X9"}, {'e', "X8"}}), {}, {}, {"O1"},
         Made, QStringLiteral("没有发送的订单：O1，可以在\"订单查询\"模块中发送。"),
         QStringLiteral("本批订单 O1 还没有发送或导出。\n关闭后可以在\"订单查询\"模块中发送或导出。\n确定关闭订单制作窗口吗？")},
        {"no orders made: nothing to ask", OrderBatch(), {}, {}, {}, QStringLiteral("订购操作已经完成。"), QString(), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.batch.handedOverOrders(), c.handedOver);
        EXPECT_EQ(c.batch.exportedOrders(), c.exported);
        EXPECT_EQ(c.batch.pendingOrders(), c.pending);
        EXPECT_EQ(c.batch.doneText(), c.done);
        EXPECT_EQ(c.batch.notesText(), c.notes);
        EXPECT_EQ(c.batch.closeQuestion(), c.close);
    }
}

// Handed over is what the dispatch log says: a hand-over after a failure counts, a failure
// alone does not, an order of another batch is not the batch's; orders sent to other
// recipients are named apart.
class OrderBatchLogTest : public OrderDbTest {
protected:
    void attempt(const QString &order, DispatchLog::Result result, const QStringList &to)
    {
        DispatchLog::Entry e;
        e.orderNumber = order;
        e.time = QDateTime(QDate(2026, 12, 10), QTime(14, 3));
        e.recipients = to;
        e.result = result;
        DispatchLog::record(db, e);
    }
};

TEST_F(OrderBatchLogTest, HandedOverComesFromTheLog)
{
    const QStringList a{QStringLiteral("a@x.cn")};
    attempt(QStringLiteral("O1"), DispatchLog::Result::Failed, a);
    attempt(QStringLiteral("O1"), DispatchLog::Result::HandedOver, a);
    attempt(QStringLiteral("O2"), DispatchLog::Result::Failed, a);
    attempt(QStringLiteral("O3"), DispatchLog::Result::HandedOver, {});
    attempt(QStringLiteral("O4"), DispatchLog::Result::HandedOver, a);
    attempt(QStringLiteral("O4"), DispatchLog::Result::Sent, a);
    attempt(QStringLiteral("O5"), DispatchLog::Result::Sent, a);
    attempt(QStringLiteral("X9"), DispatchLog::Result::HandedOver, a);
    OrderBatch batch(QStringLiteral("B1"), {QStringLiteral("O1"), QStringLiteral("O2"), QStringLiteral("O3"),
                                            QStringLiteral("O4"), QStringLiteral("O5")}, 5);
    batch.readDispatchLog(db);
    EXPECT_EQ(batch.handedOverOrders(), (QStringList{QStringLiteral("O1"), QStringLiteral("O3"),
                                                     QStringLiteral("O4"), QStringLiteral("O5")}));
    EXPECT_EQ(batch.pendingOrders(), QStringList{QStringLiteral("O2")});
    // A delivery by the SMTP server is told as sent, apart from hand-overs to the same recipients.
    EXPECT_EQ(batch.doneText(), QStringLiteral("订购操作已经完成，订单 O1 已交给邮件程序（收件人 a@x.cn）。"
                                               "订单 O3 已交给邮件程序（收件人在邮件程序中填写）。"
                                               "订单 O4、O5 已发送至 a@x.cn。"));
    EXPECT_TRUE(batch.nextOrderQuestion(QStringLiteral("O5")).startsWith(QStringLiteral("订单 O5 已经发送。")));
    EXPECT_TRUE(batch.closeQuestion().contains(QStringLiteral("本批订单 O2 还没有发送或导出")));
}

TEST(OrderBatchTest, TheQuestionAfterAnOrderNamesWhatHappenedAndWhatIsLeft)
{
    const QStringList three{QStringLiteral("O1"), QStringLiteral("O2"), QStringLiteral("O3")};
    const struct {
        OrderBatch batch;
        const char *order;
        QString question;
    } cases[] = {
        {batchAfter(three, {{'h', "O1"}}), "O1",
         QStringLiteral("订单 O1 已经交给邮件程序。\n本批还有 2 个订单没有发送或导出：O2、O3。\n是否继续处理下一个订单？")},
        {batchAfter(three, {{'h', "O1"}, {'e', "O3"}}), "O3",
         QStringLiteral("订单 O3 已经导出。\n本批还有 1 个订单没有发送或导出：O2。\n是否继续处理下一个订单？")},
        {batchAfter(three, {{'h', "O1"}, {'e', "O2"}, {'h', "O3"}}), "O3", QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.batch.nextOrderQuestion(QString::fromLatin1(c.order)), c.question) << c.order;
}

TEST(OrderBatchTest, UnlistedOrdersAreNamedWithTheBatch)
{
    const OrderBatch batch(QStringLiteral("B7"), {QStringLiteral("O1"), QStringLiteral("O2")}, 5);
    EXPECT_EQ(batch.unlistedText(QStringLiteral("磁盘已满")),
              QStringLiteral("订单已经生成，订单流水号为：B7，共 2 个订单（O1、O2）。\n显示订单时出现错误：磁盘已满\n"
                             "请在\"订单查询\"模块中查看、发送或导出这些订单。"));
    EXPECT_EQ(batch.lineCount(), 5);
}
