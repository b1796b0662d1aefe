// The dispatch log on the embedded file, Firebird embedded and PostgreSQL: every attempt writes
// its row, a success adds one to the order's transfer count in the same transaction (so the
// order can no longer be deleted), a failure adds nothing; and a database made before the log
// gets it at start-up.
#include "engines.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "app/data_module.h"
#include "common/app_error.h"
#include "data/added_tables.h"
#include "data/connection.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "order/dispatch_log.h"
#include "order/order_query.h"

#include <gtest/gtest.h>

namespace {

using DispatchLog::Result;

// An empty database of each engine with the program's schema and two orders.
class DispatchLogTest : public EngineSchemaTest {
protected:
    void SetUp() override
    {
        EngineSchemaTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const char *number : {"N1", "N2"})
            Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values (?,'2026-12-10')"),
                      {QString::fromLatin1(number)});
    }

    static DispatchLog::Entry attempt(const QString &number, Result result, int minute)
    {
        DispatchLog::Entry e;
        e.orderNumber = number;
        e.time = QDateTime(QDate(2026, 12, 10), QTime(14, minute, 5));
        e.recipients = {QStringLiteral("a@example.com"), QStringLiteral("b@example.com")};
        e.subject = QStringLiteral("图书征订单");
        e.attachmentName = QStringLiteral("图书征订单20261210140305.xls");
        e.attachmentSha256 = QString(64, u'a');
        e.result = result;
        if (result == Result::Failed)
            e.failure = QStringLiteral("发送订单时发生错误！\n没有找到邮件程序");
        return e;
    }

    int cdcs(const QString &number)
    {
        return Sql::scalar(db, QStringLiteral("select cdcs from deorder where dhdh=?"), {number}).toInt();
    }
};

// Two hand-overs, a failure and a re-send: every attempt has its row, only the successes count.
TEST_P(DispatchLogTest, EveryAttemptHasItsRowAndOnlySuccessesCount)
{
    struct Step {
        QString order;
        Result result;
        int n1Count;
        int n2Count;
    };
    const Step steps[] = {
        {QStringLiteral("N1"), Result::HandedOver, 1, 0},
        {QStringLiteral("N2"), Result::Failed, 1, 0},
        {QStringLiteral("N2"), Result::HandedOver, 1, 1},
        {QStringLiteral("N1"), Result::Sent, 2, 1},
    };
    int minute = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.order.toStdString() + " " + DispatchLog::resultText(s.result).toStdString());
        ASSERT_NO_THROW(DispatchLog::record(db, attempt(s.order, s.result, minute++)));
        EXPECT_EQ(cdcs(QStringLiteral("N1")), s.n1Count);
        EXPECT_EQ(cdcs(QStringLiteral("N2")), s.n2Count);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }
    const QList<DispatchLog::Entry> n2 = DispatchLog::entries(db, QStringLiteral("N2"));
    ASSERT_EQ(n2.size(), 2);
    EXPECT_EQ(n2.at(0).result, Result::Failed);
    EXPECT_EQ(n2.at(0).failure, QStringLiteral("发送订单时发生错误！\n没有找到邮件程序"));
    EXPECT_EQ(n2.at(1).result, Result::HandedOver);
    EXPECT_EQ(n2.at(1).recipients, (QStringList{QStringLiteral("a@example.com"), QStringLiteral("b@example.com")}));
    EXPECT_EQ(n2.at(1).subject, QStringLiteral("图书征订单"));
    EXPECT_EQ(n2.at(1).attachmentName, QStringLiteral("图书征订单20261210140305.xls"));
    EXPECT_EQ(n2.at(1).attachmentSha256, QString(64, u'a'));
    EXPECT_EQ(n2.at(1).time, QDateTime(QDate(2026, 12, 10), QTime(14, 2, 5)));
    EXPECT_EQ(n2.at(1).channel, DispatchLog::Channel::MailProgram);
    EXPECT_EQ(DispatchLog::handedOver(db, {QStringLiteral("N1"), QStringLiteral("N2"), QStringLiteral("N3")}),
              (QStringList{QStringLiteral("N1"), QStringLiteral("N2")}));

    // A handed-over order is a sent one: it cannot be deleted.
    EXPECT_THROW(DeleteOrders(db, {QStringLiteral("N1")}), AppError);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deorder")).toInt(), 2);
}

// The order query shows each order's last attempt and filters on it.
TEST_P(DispatchLogTest, OrderQueryShowsAndFiltersTheLastDispatch)
{
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values ('N3','2026-12-10')"));
    DispatchLog::record(db, attempt(QStringLiteral("N1"), Result::Failed, 1));
    DispatchLog::record(db, attempt(QStringLiteral("N1"), Result::HandedOver, 3));
    DispatchLog::record(db, attempt(QStringLiteral("N2"), Result::HandedOver, 4));
    DispatchLog::record(db, attempt(QStringLiteral("N2"), Result::Failed, 6));

    struct Case {
        QString state;
        QStringList expected;   // dhdh|state of the rows
    };
    const QString n1 = QStringLiteral("N1|已交给邮件程序 12-10 14:03");
    const QString n2 = QStringLiteral("N2|发送失败：没有找到邮件程序");
    const QString n3 = QStringLiteral("N3|未发送");
    const Case cases[] = {
        {QString(), {n1, n2, n3}},
        {QStringLiteral("未发送"), {n3}},
        {QStringLiteral("已交给邮件程序"), {n1}},
        {QStringLiteral("已发送"), {}},
        {QStringLiteral("发送失败"), {n2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.state.toStdString());
        OrderFilter filter;
        filter.from = QDate(2026, 12, 1);
        filter.to = QDate(2026, 12, 31);
        filter.fieldCaption = OrderQueryFieldCaptions().first();
        filter.dispatchState = c.state;
        const BoundStatement s = OrderQueryStatement(filter);
        QSqlQuery q = Sql::exec(db, s.text, s.values);
        QStringList got;
        while (q.next())
            got << q.value(0).toString().trimmed() + u'|' + q.value(OrderQueryStateColumn()).toString().trimmed();
        EXPECT_EQ(got, c.expected);
    }
}

// A database made before the log: not refused, and the log is made in one go.
TEST_P(DispatchLogTest, OlderDatabaseGetsTheLog)
{
    Sql::exec(db, QStringLiteral("drop table deorderlog"));
    EXPECT_TRUE(Schema::missing(db).isEmpty());
    EXPECT_EQ(Schema::missingAdded(db), QStringList{QStringLiteral("deorderlog")});
    EXPECT_THROW(Schema::verify(db), AppError);
    EXPECT_EQ(AddedTables::upgrade(db), QStringList{QStringLiteral("deorderlog")});
    EXPECT_NO_THROW(Schema::verify(db));
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_TRUE(AddedTables::upgrade(db).isEmpty());
    ASSERT_NO_THROW(DispatchLog::record(db, attempt(QStringLiteral("N1"), Result::HandedOver, 0)));
    EXPECT_EQ(cdcs(QStringLiteral("N1")), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, DispatchLogTest,
                         ::testing::Values(Engine::Sqlite, Engine::Firebird, Engine::Postgres), engineTestName);

// Start-up as shipped over an embedded database made before the log.
TEST(DispatchLogStartUp, MakesTheLogInAnOlderDatabase)
{
    TempTree tree;
    tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
    {
        QSqlDatabase made = tree.createDatabase();
        Sql::exec(made, QStringLiteral("drop table deorderlog"));
    }
    ScriptedPrompter prompter;
    const QString name = QStringLiteral("log_startup");
    DataModuleState state = DataModule::create(prompter, name);
    EXPECT_FALSE(state.endRequested);
    ASSERT_TRUE(state.con.isOpen());
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
    EXPECT_NO_THROW(Schema::verify(state.con));
    state.con.close();
    state.con = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

TEST(DispatchLogText, StateTexts)
{
    DispatchLog::Entry e;
    e.time = QDateTime(QDate(2026, 12, 10), QTime(14, 5, 59));
    struct Case {
        Result result;
        QString failure;
        QString shown;
    };
    const Case cases[] = {
        {Result::HandedOver, {}, QStringLiteral("已交给邮件程序 12-10 14:05")},
        {Result::Sent, {}, QStringLiteral("已发送 12-10 14:05")},
        {Result::Failed, QStringLiteral("服务器拒绝登录"), QStringLiteral("发送失败：服务器拒绝登录")},
        {Result::Failed, QStringLiteral("发送订单时发生错误！\n\nxdg-email: no method"),
         QStringLiteral("发送失败：xdg-email: no method")},
        // A hand-over's reason: the clerk's words, then the launcher's.
        {Result::Failed, QStringLiteral("没有可用的邮件程序。\nxdg-email: no method available for opening 'mailto:'"),
         QStringLiteral("发送失败：没有可用的邮件程序。")},
    };
    for (const Case &c : cases) {
        e.result = c.result;
        e.failure = c.failure;
        EXPECT_EQ(DispatchLog::stateText(e), c.shown);
    }
}

} // namespace
