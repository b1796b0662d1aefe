// Order and cart numbers as unique keys: a database made before they were is upgraded when it
// holds no number twice, left alone (and the user told) when it does, and the later holders
// of a shared number are renumbered. On the embedded file, Firebird embedded and PostgreSQL.
#include "engines.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "app/data_module.h"
#include "cart/serial_number.h"
#include "common/app_error.h"
#include "data/connection.h"
#include "data/number_keys.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "order/duplicate_renumbering.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

// Turns a fresh schema into that of a database made before the numbers were unique keys.
void makeOldSchema(const QSqlDatabase &db)
{
    Sql::exec(db, QStringLiteral("drop index ux_deorder_dhdh"));
    Sql::exec(db, QStringLiteral("drop index ux_deshopcart_dhdh"));
    Sql::exec(db, QStringLiteral("create index ix_deorder_dhdh on deorder (dhdh)"));
}

void addOrder(const QSqlDatabase &db, const QString &number, const QString &date, const QString &supplier,
              const QString &lineSupplier, int lines)
{
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq,dfdh,xsfh) values (?,?,'B',?)"),
              {number, date, supplier});
    for (int i = 0; i < lines; ++i)
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,ghbm,sl) values (?,?,?,1)"),
                  {number, QStringLiteral("%1-%2").arg(supplier).arg(i), lineSupplier});
}

// Orders as desks on either side of New Year's Eve made them before the counter kept to its
// period: two numbers shared by two suppliers' orders, one by two orders of one supplier.
void addSharedNumbers(const QSqlDatabase &db)
{
    const QString n1 = QStringLiteral("202700000001"), n2 = QStringLiteral("202700000002"),
                  n3 = QStringLiteral("202700000003"), n4 = QStringLiteral("202700000004");
    addOrder(db, n1, QStringLiteral("2027-01-01"), QStringLiteral("S1"), QStringLiteral("S1"), 2);
    addOrder(db, n1, QStringLiteral("2026-12-31"), QStringLiteral("S2"), QStringLiteral("S2"), 1);   // earlier: keeps n1
    addOrder(db, n2, QStringLiteral("2027-01-01"), QStringLiteral("S1"), QStringLiteral("S1"), 1);   // first row: keeps n2
    addOrder(db, n2, QStringLiteral("2027-01-01"), QStringLiteral("S3"), QStringLiteral("S3  "), 3);
    addOrder(db, n3, QStringLiteral("2027-01-01"), QStringLiteral("S4"), QStringLiteral("S4"), 1);
    addOrder(db, n4, QStringLiteral("2027-01-01"), QStringLiteral("S5"), QStringLiteral("S5"), 1);
    addOrder(db, n4, QStringLiteral("2027-01-01"), QStringLiteral("S5"), QStringLiteral("S5"), 1);
    Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values ('C1','a','N')"));
    Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values ('C1','b','N')"));
    Sql::exec(db, QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl) values ('C1','T1',1)"));
    // The order counter went back to 1 on the other desk: 202700000002 comes next.
    Sql::exec(db, QStringLiteral("insert into %1 (userno,pname,notes,pvalue,idate,len,pformat)"
                                 " values ('0','order','流水号',1,'2027',8,'YYYY')")
                      .arg(Schema::sqlName(db, QStringLiteral("parameter"))));
}

QSet<QString> rows(const QSqlDatabase &db, const QString &select)
{
    QSet<QString> out;
    QSqlQuery q = Sql::exec(db, select);
    while (q.next())
        out << q.value(0).toString() + u'/' + q.value(1).toString().trimmed() + u'/' + q.value(2).toString();
    return out;
}

// An empty database of each engine with the program's schema (tests/support/engines.h).
class NumberKeysTest : public EngineSchemaTest {
protected:
    // A second header with the number is refused.
    void expectRefusedTwice(const QString &table, const QString &number)
    {
        SCOPED_TRACE(table.toStdString());
        EXPECT_THROW(Sql::exec(db, QStringLiteral("insert into %1 (dhdh) values (?)").arg(table), {number}),
                     AppError);
    }
};

TEST_P(NumberKeysTest, FreshSchemaHasTheUniqueKeys)
{
    EXPECT_TRUE(NumberKeys::unique(db));
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh) values ('N1')"));
    Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh) values ('C1')"));
    expectRefusedTwice(QStringLiteral("deorder"), QStringLiteral("N1"));
    expectRefusedTwice(QStringLiteral("deshopcart"), QStringLiteral("C1"));
    // The batch number stays shared by its orders.
    EXPECT_NO_THROW(Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dfdh) values ('N2','B1')")));
    EXPECT_NO_THROW(Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dfdh) values ('N3','B1')")));
}

TEST_P(NumberKeysTest, OldDatabaseWithoutSharedNumbersIsUpgraded)
{
    makeOldSchema(db);
    EXPECT_FALSE(NumberKeys::unique(db));
    addOrder(db, QStringLiteral("N1"), QStringLiteral("2026-12-31"), QStringLiteral("S1"), QStringLiteral("S1"), 1);
    addOrder(db, QStringLiteral("N2"), QStringLiteral("2026-12-31"), QStringLiteral("S2"), QStringLiteral("S2"), 1);
    Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op) values ('C1','a')"));

    NumberKeys::UpgradeResult result;
    ASSERT_NO_THROW(result = NumberKeys::upgrade(db));
    EXPECT_EQ(result.outcome, NumberKeys::Outcome::MadeUnique);
    EXPECT_TRUE(result.duplicates.isEmpty());
    EXPECT_TRUE(NumberKeys::unique(db));
    expectRefusedTwice(QStringLiteral("deorder"), QStringLiteral("N1"));
    expectRefusedTwice(QStringLiteral("deshopcart"), QStringLiteral("C1"));
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_EQ(NumberKeys::upgrade(db).outcome, NumberKeys::Outcome::AlreadyUnique);
}

TEST_P(NumberKeysTest, SharedNumbersBlockTheUpgradeUntilTheLaterOnesAreRenumbered)
{
    makeOldSchema(db);
    addSharedNumbers(db);

    const NumberKeys::UpgradeResult blocked = NumberKeys::upgrade(db);
    EXPECT_EQ(blocked.outcome, NumberKeys::Outcome::Duplicates);
    QStringList named;
    for (const NumberKeys::Duplicate &d : blocked.duplicates)
        named << QStringLiteral("%1 %2 %3").arg(d.table, d.number).arg(d.rows);
    EXPECT_EQ(named, (QStringList{QStringLiteral("deorder 202700000001 2"), QStringLiteral("deorder 202700000002 2"),
                                  QStringLiteral("deorder 202700000004 2"), QStringLiteral("deshopcart C1 2")}));
    EXPECT_FALSE(NumberKeys::unique(db));
    const QString message = NumberKeys::duplicatesMessage(blocked.duplicates);
    for (const QString &part : {QStringLiteral("202700000001"), QStringLiteral("202700000004"), QStringLiteral("C1"),
                                QStringLiteral("zhengding-admin renumber-duplicates")})
        EXPECT_TRUE(message.contains(part)) << part.toStdString();

    QList<RenumberedHeader> done;
    ASSERT_NO_THROW(done = RenumberDuplicates(db, QDate(2027, 1, 2)));
    QStringList told;
    for (const RenumberedHeader &r : done)
        told << QStringLiteral("%1 %2->%3 %4 %5%6")
                    .arg(r.table, r.oldNumber, r.newNumber, r.supplierCode)
                    .arg(r.movedLines)
                    .arg(r.linesStayed ? QStringLiteral(" stayed") : QString());
    // 202700000003 and 202700000004 are held already: the fresh numbers skip them.
    EXPECT_EQ(told, (QStringList{QStringLiteral("deorder 202700000001->202700000005 S1 2"),
                                 QStringLiteral("deorder 202700000002->202700000006 S3 3"),
                                 QStringLiteral("deorder 202700000004->202700000007 S5 0 stayed"),
                                 QStringLiteral("deshopcart C1->202700000001  0 stayed")}));

    EXPECT_FALSE(NumberKeys::unique(db));
    EXPECT_EQ(NumberKeys::upgrade(db).outcome, NumberKeys::Outcome::MadeUnique);

    // Each header keeps its supplier's lines.
    EXPECT_EQ(rows(db, QStringLiteral("select dhdh,xsfh,dhrq from deorder")),
              (QSet<QString>{QStringLiteral("202700000001/S2/2026-12-31"), QStringLiteral("202700000005/S1/2027-01-01"),
                             QStringLiteral("202700000002/S1/2027-01-01"), QStringLiteral("202700000006/S3/2027-01-01"),
                             QStringLiteral("202700000003/S4/2027-01-01"), QStringLiteral("202700000004/S5/2027-01-01"),
                             QStringLiteral("202700000007/S5/2027-01-01")}));
    EXPECT_EQ(rows(db, QStringLiteral("select dhdh,ghbm,count(*) from deorder_mx group by dhdh,ghbm")),
              (QSet<QString>{QStringLiteral("202700000001/S2/1"), QStringLiteral("202700000005/S1/2"),
                             QStringLiteral("202700000002/S1/1"), QStringLiteral("202700000006/S3/3"),
                             QStringLiteral("202700000003/S4/1"), QStringLiteral("202700000004/S5/2")}));
    EXPECT_EQ(rows(db, QStringLiteral("select dhdh,op,state from deshopcart")),
              (QSet<QString>{QStringLiteral("C1/a/N"), QStringLiteral("202700000001/b/N")}));

    EXPECT_TRUE(NumberKeys::unique(db));
    EXPECT_TRUE(NumberKeys::duplicates(db).isEmpty());
    expectRefusedTwice(QStringLiteral("deorder"), QStringLiteral("202700000005"));
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_TRUE(RenumberDuplicates(db, QDate(2027, 1, 2)).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, NumberKeysTest,
                         ::testing::Values(Engine::Sqlite, Engine::Firebird, Engine::Postgres), engineTestName);

// Start-up as shipped over an old embedded database: upgraded without a word when no number is
// held twice; told, and running on, when one is.
TEST(NumberKeysStartUp, UpgradesOrTellsWhichNumbersAreShared)
{
    for (const bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "shared numbers" : "no shared numbers");
        TempTree tree;
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
        {
            QSqlDatabase made = tree.createDatabase();
            makeOldSchema(made);
            if (shared)
                addSharedNumbers(made);
            else
                addOrder(made, QStringLiteral("N1"), QStringLiteral("2026-12-31"), QStringLiteral("S1"), QStringLiteral("S1"), 1);
        }
        ScriptedPrompter prompter;
        const QString name = QStringLiteral("keys_startup_%1").arg(shared);
        DataModuleState state = DataModule::create(prompter, name);
        EXPECT_FALSE(state.endRequested);
        ASSERT_TRUE(state.con.isOpen());
        EXPECT_EQ(NumberKeys::unique(state.con), !shared);
        if (shared) {
            ASSERT_EQ(prompter.shown.size(), 1);
            EXPECT_EQ(prompter.shown.first().text,
                      NumberKeys::duplicatesMessage(NumberKeys::duplicates(state.con)));
            EXPECT_EQ(prompter.shown.first().flags, MsgFlags::Warning);
            EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("202700000001")));
        } else {
            EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
        }
        state.con.close();
        state.con = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
}

} // namespace
