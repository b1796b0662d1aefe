// Order making, the parties and the order query on an embedded Firebird database: the engine
// with its own typing of bound values, blank-padded comparison and nested savepoints.
// A missing engine (isql-fb, the QIBASE driver) fails this test.
#include "db_servers.h"
#include "foreign_leaks.h"
#include "joined_rows.h"
#include "temp_tree.h"

#include "cart/cart.h"
#include "cart/search_condition.h"
#include "common/app_error.h"
#include "data/connection.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "order/order_making.h"
#include "order/order_parties.h"
#include "order/order_query.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

#include "search_titles.h"

namespace {

class OrderFirebirdTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db;
    const QString connectionName = QStringLiteral("order_firebird");

    void SetUp() override
    {
        skipLeakCheckAtExit();
        QByteArray config;
        const QString made = createEmbeddedFirebird(tree.path(QStringLiteral("orders.fdb")), &config);
        ASSERT_TRUE(made.isEmpty()) << made.toStdString();
        tree.writeConfig(config);
        const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
        QString error;
        db = Connection::open(c, connectionName, &error);
        ASSERT_TRUE(db.isOpen()) << error.toStdString();
        ASSERT_NO_THROW(Schema::create(db));
    }
    void TearDown() override
    {
        if (db.isValid()) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
        }
    }

    void addLine(const QString &tm, double dj, qint64 sl, const QString &ghbm, const QString &ghmc)
    {
        if (!Sql::scalar(db, QStringLiteral("select 1 from deshopcart where dhdh='C1'")).isValid())
            Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values ('C1','','N')"));
        Sql::exec(db,
                  QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl,sm,dj,my,ghbm,ghmc)"
                                 " values ('C1',?,?,?,?,?,?,?)"),
                  {tm, sl, QStringLiteral("书名") + tm, dj, dj * sl, ghbm, ghmc});
    }
    // Firebird pads CHAR values with blanks.
    QStringList rows(const QString &statement) { return joinedRows(db, statement, {}, Cells::Trimmed); }
    QList<ConfirmedLine> confirmedCart()
    {
        QList<ConfirmedLine> out;
        QSqlQuery q = Sql::exec(db, QStringLiteral("select tm,sl from qrydeshopcart where op=''"));
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toLongLong()});
        return out;
    }
    int count(const QString &table)
    {
        return Sql::scalar(db, QStringLiteral("select count(*) from ") + table).toInt();
    }
};

OrderParties parties()
{
    OrderParties p;
    p.ordererNo = QStringLiteral("B01");
    p.ordererName = QStringLiteral("读者'之友书店");
    p.ordererContact = QStringLiteral("王一");
    p.ordererTel = QStringLiteral("010-1");
    p.consigneeNo = QStringLiteral("1");
    p.consigneeName = QStringLiteral("第一中学");
    p.consigneeContact = QStringLiteral("李二");
    p.consigneeTel = QStringLiteral("020-2");
    p.consigneeZip = QStringLiteral("100001");
    p.consigneeAddress = QStringLiteral("东街 1 号");
    p.payerNo = QStringLiteral("1");
    p.payerName = QStringLiteral("教育局");
    p.payerContact = QStringLiteral("张三");
    p.payerTel = QStringLiteral("030-3");
    return p;
}

TEST_F(OrderFirebirdTest, OrdersAreMadeFoundAndDeleted)
{
    const QDate day(2026, 3, 5);
    addLine(QStringLiteral("A1"), 12.5, 10, QStringLiteral("G02"), QStringLiteral("二号"));
    addLine(QStringLiteral("B2"), 30, 5, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("C3"), 8.25, 4, QStringLiteral("G01 "), QStringLiteral("一号"));

    // The cart's amounts follow saved quantities.
    SaveCartQuantities(db, {{QStringLiteral("C1"), QStringLiteral("A1"), 2}});
    EXPECT_EQ(rows(QStringLiteral("select sl,my from deshopcart_mx where tm='A1'")),
              QStringList{QStringLiteral("2|25")});

    // A value too long for its column fails after both counters were used: all of it goes.
    OrderParties tooLong = parties();
    tooLong.ordererNo = QStringLiteral("12345678901");
    try {
        MakeOrders(db, QString(), tooLong, confirmedCart(), day);
        ADD_FAILURE() << "an orderer number too long for its column was written";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().startsWith(OrderMakingFailedText() + u'\n')) << e.what();
    }
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
    EXPECT_EQ(count(Schema::sqlName(db, QStringLiteral("parameter"))), 0);
    EXPECT_EQ(count(QStringLiteral("deshopcart_mx")), 3);
    EXPECT_EQ(Sql::transactionDepth(db), 0);

    const MadeOrders made = MakeOrders(db, QString(), parties(), confirmedCart(), day);
    EXPECT_EQ(made.batchNumber, QStringLiteral("202600000001"));
    EXPECT_EQ(made.orderNumbers(), (QStringList{QStringLiteral("202600000001"),
                                                QStringLiteral("202600000002")}));
    EXPECT_EQ(rows(QStringLiteral("select dhdh,xsfh,xsfm,dhrq,fhrq,dhrm from deorder order by dhdh")),
              (QStringList{QStringLiteral("202600000001|G01|一号|2026-03-05|2026-03-07|读者'之友书店"),
                           QStringLiteral("202600000002|G02|二号|2026-03-05|2026-03-07|读者'之友书店")}));
    EXPECT_EQ(rows(QStringLiteral("select dhdh,tm,sl,my from deorder_mx order by tm")),
              (QStringList{QStringLiteral("202600000002|A1|2|25"), QStringLiteral("202600000001|B2|5|150"),
                           QStringLiteral("202600000001|C3|4|33")}));
    EXPECT_EQ(count(QStringLiteral("deshopcart_mx")), 0);
    EXPECT_EQ(count(QStringLiteral("deshopcart")), 0);

    SaveDefaultParties(db, parties());
    EXPECT_EQ(LoadDefaultParties(db).consigneeName, QStringLiteral("第一中学"));
    EXPECT_EQ(count(QStringLiteral("decltrla")), 2);

    const auto found = [&](const QString &caption, const QString &value) {
        const BoundStatement s = OrderQueryStatement({day, day, caption, value, {}});
        QStringList out;
        QSqlQuery q = Sql::exec(db, s.text, s.values);
        while (q.next())
            out << q.value(0).toString();
        return out;
    };
    EXPECT_EQ(found(QStringLiteral("流水号"), QStringLiteral("0001")).size(), 2);
    EXPECT_EQ(found(QStringLiteral("订货单号"), QStringLiteral("%2")), QStringList{});
    EXPECT_EQ(found(QStringLiteral("订货人名称"), QStringLiteral("者'之")).size(), 2);
    EXPECT_DOUBLE_EQ(OrderTotalsOf(db, QStringLiteral("202600000001")).amount, 183);

    EXPECT_EQ(DeleteOrders(db, {QStringLiteral("202600000001")}), 1);
    EXPECT_EQ(rows(QStringLiteral("select dhdh from deorder_mx")), QStringList{QStringLiteral("202600000002")});
}

// Firebird types a bound value by its context and compares padded text: the price refusals,
// typed wildcards (LIKE with an escape, a pattern longer than nothing the column declares)
// and "不等于" with a field without a value.
TEST_F(OrderFirebirdTest, PricesAndTypedSearchValues)
{
    const struct {
        const char *tm, *sm, *csm;   // csm nullptr: NULL
        QVariant dj;
    } books[] = {
        {"P1", "满分100%题解", nullptr, 10.0},
        {"P2", "C_语言", nullptr, QVariant(QMetaType::fromType<double>())},
        {"P3", "CX语言", "丛书", 5.0},
        {"P4", "惊叹!号", "丛书", -1.0},
    };
    for (const auto &b : books)
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,csm,dj,ghbm,ghmc) values (?,?,?,?,'G01','一号')"),
                  {QString::fromLatin1(b.tm), QString::fromUtf8(b.sm),
                   b.csm ? QVariant(QString::fromUtf8(b.csm)) : QVariant(), b.dj});

    const auto search = [&](const BoundCondition &c) { return searchTitles(db, c); };
    EXPECT_EQ(search(SimpleCondition(QStringLiteral("书名"), 0, QStringLiteral("%"))), QStringList{"P1"});
    EXPECT_EQ(search(SimpleCondition(QStringLiteral("书名"), 1, QStringLiteral("C_"))), QStringList{"P2"});
    EXPECT_EQ(search(SimpleCondition(QStringLiteral("书名"), 0, QStringLiteral("!"))), QStringList{"P4"});
    EXPECT_EQ(search(SimpleCondition(QStringLiteral("丛书名称"), 4, QStringLiteral("丛书"))),
              (QStringList{"P1", "P2"}));
    ConditionLines lines;
    ASSERT_EQ(AddConditionStep(lines, StepKind::Condition,
                               {QStringLiteral("书名"), QStringLiteral("以...结尾"), 8, QStringLiteral("0%题解"), {}}),
              QString());
    EXPECT_EQ(search(CombinedCondition(lines)), QStringList{"P1"});

    QString keys = QStringLiteral("P1,P2,P3,P4");
    const CartAddResult added = AddToCart(keys, db, QString());
    EXPECT_EQ(added.added, (QStringList{"P1", "P3"}));
    ASSERT_EQ(added.refused.size(), 2);
    EXPECT_EQ(added.refused[0].reason, QStringLiteral("没有估定价"));
    EXPECT_EQ(added.refused[1].reason, QStringLiteral("估定价为负数（-1）"));

    // The catalogue's price went wrong after the title went into the cart.
    Sql::exec(db, QStringLiteral("update debooks set dj=null where tm='P3'"));
    try {
        MakeOrders(db, QString(), parties(), confirmedCart(), QDate(2026, 3, 5));
        ADD_FAILURE() << "ordered without a price";
    } catch (const OrderRefusedError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("CX语言（P3）：没有估定价"))) << e.what();
    }
    EXPECT_EQ(count(QStringLiteral("deorder")), 0);
    Sql::exec(db, QStringLiteral("update debooks set dj=0 where tm='P3'"));
    EXPECT_EQ(MakeOrders(db, QString(), parties(), confirmedCart(), QDate(2026, 3, 5)).lineCount, 2);
}

} // namespace
