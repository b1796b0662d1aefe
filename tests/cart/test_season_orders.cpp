// Titles ordered this season: the order rows of this year found for a list of keys on every
// engine (last year's and next year's left out, sets of keys beyond one statement's), the
// question that names them, and what 是, 否 and 取消 leave of the keys.
#include "engines.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "cart/search_condition.h"
#include "cart/season_orders.h"
#include "data/sql_helper.h"

#include <gtest/gtest.h>

namespace {

using SeasonOrders::OrderedLine;

const QDate today(2026, 12, 11);

void addOrder(const QSqlDatabase &db, const QString &number, const QString &date,
              const QList<QPair<QString, int>> &lines)
{
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq,dfdh) values (?,?,'B')"), {number, date});
    for (const auto &l : lines)
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,sl) values (?,?,?,?)"),
                  {number, l.first, QStringLiteral("书") + l.first, l.second});
}

QStringList described(const QList<OrderedLine> &lines)
{
    QStringList out;
    for (const OrderedLine &l : lines)
        out << QStringList{l.key, l.title, l.order, l.date, l.quantity}.join(u'|');
    return out;
}

using SeasonOrdersEngineTest = EngineSchemaTest;

TEST_P(SeasonOrdersEngineTest, ThisYearsOrderRowsOnlyInKeyOrder)
{
    addOrder(db, QStringLiteral("O2"), QStringLiteral("2026-06-01"), {{QStringLiteral("T1"), 2}});
    addOrder(db, QStringLiteral("O1"), QStringLiteral("2026-01-01"),
             {{QStringLiteral("T1"), 5}, {QStringLiteral("T5"), 1}});
    addOrder(db, QStringLiteral("L1"), QStringLiteral("2025-12-31"), {{QStringLiteral("T2"), 7}});   // last year
    addOrder(db, QStringLiteral("N1"), QStringLiteral("2027-01-01"), {{QStringLiteral("T4"), 3}});   // next year
    // T3 was never ordered; T1 comes twice and an empty key once.
    const QStringList keys{QStringLiteral("T3"), QStringLiteral("T5"), QStringLiteral("T2"), QString(),
                           QStringLiteral("T1"), QStringLiteral("T4"), QStringLiteral("T1")};
    const QList<OrderedLine> got = SeasonOrders::find(db, keys, today);
    EXPECT_EQ(described(got), (QStringList{QStringLiteral("T5|书T5|O1|2026-01-01|1"),
                                           QStringLiteral("T1|书T1|O1|2026-01-01|5"),
                                           QStringLiteral("T1|书T1|O2|2026-06-01|2")}));
    EXPECT_EQ(SeasonOrders::keysOf(got), (QStringList{QStringLiteral("T5"), QStringLiteral("T1")}));
    // Another season sees other rows.
    EXPECT_EQ(SeasonOrders::keysOf(SeasonOrders::find(db, keys, QDate(2025, 1, 1))), QStringList{QStringLiteral("T2")});
}

TEST_P(SeasonOrdersEngineTest, KeysBeyondOneSetAreFound)
{
    QStringList keys;
    for (int i = 0; i < 1200; ++i)
        keys << QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0'));
    addOrder(db, QStringLiteral("O1"), QStringLiteral("2026-03-02"),
             {{keys.at(1199), 1}, {keys.at(0), 1}, {keys.at(700), 1}, {keys.at(499), 1}, {keys.at(500), 1}});
    EXPECT_EQ(SeasonOrders::keysOf(SeasonOrders::find(db, keys, today)),
              (QStringList{keys.at(0), keys.at(499), keys.at(500), keys.at(700), keys.at(1199)}));
}

// The search list's "已订": the quantity of each title ordered this season, summed over its
// orders; empty for a title ordered only last year or never.
TEST_P(SeasonOrdersEngineTest, SearchListShowsTheQuantityOrderedThisSeason)
{
    const int year = QDate::currentDate().year();
    const QString thisYear = QString::number(year) + QStringLiteral("-03-02");
    for (const char *tm : {"T1", "T2", "T3"})
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm) values (?,'书')"), {QString::fromLatin1(tm)});
    addOrder(db, QStringLiteral("O1"), thisYear, {{QStringLiteral("T1"), 5}});
    addOrder(db, QStringLiteral("O2"), QString::number(year) + QStringLiteral("-12-31"), {{QStringLiteral("T1"), 2}});
    addOrder(db, QStringLiteral("L1"), QString::number(year - 1) + QStringLiteral("-12-31"), {{QStringLiteral("T2"), 4}});
    const BoundCondition search =
        SearchStatement({QStringLiteral("tm<>? order by tm"), {QStringLiteral("none")}});
    QSqlQuery q = Sql::exec(db, search.text, search.values);
    QStringList got;
    while (q.next()) {
        const QVariant ordered = q.value(QStringLiteral("ydsl"));
        got << q.value(QStringLiteral("tm")).toString().trimmed() + u'|'
                   + (ordered.isNull() ? QStringLiteral("-") : QString::number(ordered.toDouble()));
    }
    EXPECT_EQ(got, (QStringList{QStringLiteral("T1|7"), QStringLiteral("T2|-"), QStringLiteral("T3|-")}));
}

INSTANTIATE_TEST_SUITE_P(Engines, SeasonOrdersEngineTest,
                         ::testing::Values(Engine::Sqlite, Engine::Firebird, Engine::Postgres), engineTestName);

TEST(SeasonOrdersQuestion, NamesEachTitleWithItsOrders)
{
    const QList<OrderedLine> lines{
        {QStringLiteral("T1"), QStringLiteral("高等数学"), QStringLiteral("O1"), QStringLiteral("2026-01-01"), QStringLiteral("5")},
        {QStringLiteral("T1"), QStringLiteral("高等数学"), QStringLiteral("O2"), QStringLiteral("2026-06-01"), QStringLiteral("2")},
        {QStringLiteral("T5"), QStringLiteral("大学物理"), QStringLiteral("O1"), QStringLiteral("2026-01-01"), QStringLiteral("1")},
    };
    EXPECT_EQ(SeasonOrders::question(lines, QStringLiteral("仍然放入购物车吗？")),
              QStringLiteral("以下书目本季已经订购：\n"
                             "《高等数学》（条码 T1）（O1，2026-01-01，5）（O2，2026-06-01，2）\n"
                             "《大学物理》（条码 T5）（O1，2026-01-01，1）\n"
                             "仍然放入购物车吗？"));
}

TEST(SeasonOrdersQuestion, ManyTitlesNameTheFirstAndCountAll)
{
    QList<OrderedLine> lines;
    for (int i = 1; i <= 25; ++i)
        lines.append({QStringLiteral("T%1").arg(i), QStringLiteral("书%1").arg(i), QStringLiteral("O1"),
                      QStringLiteral("2026-01-01"), QStringLiteral("1")});
    const QStringList rows = SeasonOrders::question(lines, QStringLiteral("仍然放入购物车吗？")).split(u'\n');
    ASSERT_EQ(rows.size(), 1 + SeasonOrders::NamedTitles + 2);
    EXPECT_EQ(rows.at(SeasonOrders::NamedTitles), QStringLiteral("《书20》（条码 T20）（O1，2026-01-01，1）"));
    EXPECT_EQ(rows.at(SeasonOrders::NamedTitles + 1), QStringLiteral("等 25 种"));
}

// What 是, 否 and 取消 leave of the keys, and that nothing is asked without such titles.
TEST(SeasonOrdersConfirm, AnswersDecideTheKeys)
{
    TempTree tree;
    const QSqlDatabase db = tree.createDatabase();
    addOrder(db, QStringLiteral("O1"), QStringLiteral("2026-05-05"), {{QStringLiteral("A1"), 3}});
    addOrder(db, QStringLiteral("L1"), QStringLiteral("2025-05-05"), {{QStringLiteral("B2"), 3}});
    const struct {
        const char *name;
        QString keys;
        int answer;
        bool result;
        QString keysAfter;
        bool asked;
    } cases[] = {
        {"是 keeps all", QStringLiteral("C3,A1,B2"), MsgResult::Yes, true, QStringLiteral("C3,A1,B2"), true},
        {"否 keeps the others", QStringLiteral("C3,A1,B2"), MsgResult::No, true, QStringLiteral("C3,B2"), true},
        {"否 on ordered alone leaves none", QStringLiteral("A1"), MsgResult::No, true, QString(), true},
        {"取消 changes nothing", QStringLiteral("C3,A1,B2"), MsgResult::Cancel, false, QStringLiteral("C3,A1,B2"), true},
        {"closed question changes nothing", QStringLiteral("A1"), MsgResult::Ok, false, QStringLiteral("A1"), true},
        {"none ordered: not asked", QStringLiteral("C3,B2"), MsgResult::No, true, QStringLiteral("C3,B2"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompter prompter;
        prompter.answers.enqueue(c.answer);
        QString keys = c.keys;
        EXPECT_EQ(SeasonOrders::confirmCartKeys(keys, db, prompter, today), c.result);
        EXPECT_EQ(keys, c.keysAfter);
        ASSERT_EQ(prompter.shown.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_EQ(prompter.shown.at(0).flags, MsgFlags::YesNoCancel);
            EXPECT_EQ(prompter.shown.at(0).text, QStringLiteral("以下书目本季已经订购：\n《书A1》（条码 A1）（O1，2026-05-05，3）\n"
                                                                "仍然放入购物车吗？"));
        }
    }
}

} // namespace
