// Order making: one order per supplier code under one batch number, the confirmed quantities,
// a run that fails or is refused leaving no trace, and the wizard's cart edits.
#include "order_fixture.h"

#include "common/app_error.h"
#include "common/date_format.h"
#include "order/order_making.h"

#include <QDateTime>
#include <cstdlib>
#include <optional>
#include <string>
#include <time.h>

namespace {

const QDate day(2026, 3, 5);

OrderParties someParties()
{
    OrderParties p;
    p.ordererNo = QStringLiteral("B01");
    p.ordererName = QStringLiteral("读者'之友书店");
    p.ordererContact = QStringLiteral("王'一");
    p.ordererTel = QStringLiteral("010-1234");
    p.consigneeNo = QStringLiteral("1");
    p.consigneeName = QStringLiteral("第一中学");
    p.consigneeContact = QStringLiteral("李二");
    p.consigneeTel = QStringLiteral("020-5678");
    p.consigneeZip = QStringLiteral("100001");
    p.consigneeAddress = QStringLiteral("东街 1 号");
    p.consigneeAddress2 = QStringLiteral("三楼");
    p.payerNo = QStringLiteral("1");
    p.payerName = QStringLiteral("教育局");
    p.payerContact = QStringLiteral("张三");
    p.payerTel = QStringLiteral("030-9");
    return p;
}

class OrderMakingTest : public OrderDbTest {
protected:
    // The cart's lines with their stored quantities, as the wizard would confirm them.
    QList<ConfirmedLine> confirmedCart(const QString &op = QStringLiteral(""))
    {
        QList<ConfirmedLine> out;
        QSqlQuery q = Sql::exec(db, QStringLiteral("select tm,sl from qrydeshopcart where op=?"), {op});
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toLongLong()});
        return out;
    }
    MadeOrders make(const QList<ConfirmedLine> &confirmed)
    {
        return MakeOrders(db, QStringLiteral(""), someParties(), confirmed, day);
    }
    MadeOrders makeCart() { return make(confirmedCart()); }
    void reset()
    {
        for (const char *table : {"deorder", "deorder_mx", "parameter", "deshopcart_mx", "deshopcart"})
            Sql::exec(db, QStringLiteral("delete from ") + QLatin1String(table));
    }
    // Nothing of a refused or failed first run: no order, no counter, the cart as it was.
    void expectNothingMade(const QStringList &cartBefore)
    {
        EXPECT_EQ(count(QStringLiteral("deorder")), 0);
        EXPECT_EQ(count(QStringLiteral("deorder_mx")), 0);
        EXPECT_EQ(count(QStringLiteral("parameter")), 0);
        EXPECT_EQ(cartLines(), cartBefore);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }
};

TEST_F(OrderMakingTest, ThreeSuppliersMakeThreeOrdersOfOneBatchInCodeOrder)
{
    addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 30, 5, QStringLiteral("G03"), QStringLiteral("三号"));
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 12.5, 10, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("C3"), QStringLiteral("线性代数"), 8.25, 4, QStringLiteral("G02"), QStringLiteral("二号"));
    addLine(QStringLiteral("D4"), QStringLiteral("概率论"), 20.75, 2, QStringLiteral("G01"), QStringLiteral("一号"));
    // Another operator's cart is not part of the run.
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 12.5, 1, QStringLiteral("G01"), QStringLiteral("一号"),
            QStringLiteral("张"));

    const MadeOrders made = makeCart();
    EXPECT_EQ(made.batchNumber, QStringLiteral("202600000001"));
    EXPECT_EQ(made.orderNumbers(), (QStringList{QStringLiteral("202600000001"),
                                                QStringLiteral("202600000002"),
                                                QStringLiteral("202600000003")}));
    ASSERT_EQ(made.orders.size(), 3);
    EXPECT_EQ(made.orders[0].supplierCode, QStringLiteral("G01"));
    EXPECT_EQ(made.orders[0].lines, 2);
    EXPECT_EQ(made.orders[2].supplierName, QStringLiteral("三号"));
    EXPECT_EQ(made.lineCount, 4);

    EXPECT_EQ(rows(QStringLiteral("select dhdh,dfdh,xsfh,xsfm,dhrq,fhrq from deorder order by dhdh")),
              (QStringList{QStringLiteral("202600000001|202600000001|G01|一号|2026-03-05|2026-03-07"),
                           QStringLiteral("202600000002|202600000001|G02|二号|2026-03-05|2026-03-07"),
                           QStringLiteral("202600000003|202600000001|G03|三号|2026-03-05|2026-03-07")}));
    EXPECT_EQ(rows(QStringLiteral("select dhdh,tm,sm,sl,my,ghbm,zbh,isbn from deorder_mx order by dhdh,tm")),
              (QStringList{QStringLiteral("202600000001|A1|高等数学|10|125|G01|Z-A1|978-A1"),
                           QStringLiteral("202600000001|D4|概率论|2|41.5|G01|Z-D4|978-D4"),
                           QStringLiteral("202600000002|C3|线性代数|4|33|G02|Z-C3|978-C3"),
                           QStringLiteral("202600000003|B2|大学物理|5|150|G03|Z-B2|978-B2")}));
    // Every header carries the parties, quotes and all; shipping requirements stay empty.
    const QString parties = QStringLiteral(
        "B01|读者'之友书店|王'一|010-1234||1|第一中学|李二|020-5678|东街 1 号|三楼|100001|"
        "1|教育局|张三|030-9||||||0");
    EXPECT_EQ(rows(QStringLiteral("select dhrh,dhrm,dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,"
                                  "shyb,fkrh,fkrm,fklr,fklh,jsfs,fkfs,fhfs,fhdz,bz,cdcs from deorder")),
              (QStringList{parties, parties, parties}));
    EXPECT_EQ(cartLines(), QStringList{});
    EXPECT_EQ(cartLines(QStringLiteral("张")), QStringList{QStringLiteral("A1|1|12.5")});
    EXPECT_EQ(rows(QStringLiteral("select dhdh from deshopcart")), QStringList{QStringLiteral("cart张")});

    // A second run the same day continues both counters.
    addLine(QStringLiteral("E5"), QStringLiteral("化学"), 10, 1, QStringLiteral("G02"), QStringLiteral("二号"));
    const MadeOrders again = makeCart();
    EXPECT_EQ(again.batchNumber, QStringLiteral("202600000002"));
    EXPECT_EQ(again.orderNumbers(), QStringList{QStringLiteral("202600000004")});
}

TEST_F(OrderMakingTest, TheConfirmedQuantitiesAreOrdered)
{
    const struct {
        const char *tm;
        qint64 confirmed;
        const char *orderRow;   // tm|sl|my
    } cases[] = {
        {"A1", 0, "A1|0|0"},   // a quantity of 0 is ordered as such
        {"B2", 3, "B2|3|37.5"},
        {"C3", 10, "C3|10|125"},
        {"D4", 25, "D4|25|312.5"},
    };
    QList<ConfirmedLine> confirmed;
    QStringList expected;
    for (const auto &c : cases) {
        addLine(QString::fromLatin1(c.tm), QStringLiteral("书"), 12.5, 10, QStringLiteral("G01"), QStringLiteral("一号"));
        confirmed.append({QString::fromLatin1(c.tm), c.confirmed});
        expected << QString::fromUtf8(c.orderRow);
    }
    make(confirmed);
    EXPECT_EQ(rows(QStringLiteral("select tm,sl,my from deorder_mx order by tm")), expected);
}

TEST_F(OrderMakingTest, AFailureAnywhereLeavesNoOrderNoNumberAndTheCartAsItWas)
{
    const struct {
        const char *step;
        const char *trigger;
    } cases[] = {
        {"order rows", "create trigger fail before insert on deorder_mx when new.ghbm='G02'"
                       " begin select raise(abort,'refused rows of G02'); end"},
        {"order header", "create trigger fail before insert on deorder when new.xsfh='G02'"
                         " begin select raise(abort,'refused header of G02'); end"},
        {"second order number", "create trigger fail before update on parameter"
                                " when new.pname='order' and new.pvalue=3"
                                " begin select raise(abort,'refused number'); end"},
        {"emptying the cart", "create trigger fail before delete on deshopcart_mx"
                              " begin select raise(abort,'refused cart'); end"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.step);
        reset();
        // An earlier run: both counters stand at 1 and one order exists.
        addLine(QStringLiteral("Z9"), QStringLiteral("旧书"), 5, 1, QStringLiteral("G09"), QStringLiteral("九号"));
        makeCart();
        addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 12.5, 10, QStringLiteral("G01"), QStringLiteral("一号"));
        addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 30, 5, QStringLiteral("G02"), QStringLiteral("二号"));
        const QStringList cartBefore = cartLines();
        const QStringList ordersBefore = rows(QStringLiteral("select dhdh from deorder"));
        // A changed quantity, which the failed run must not leave behind either.
        QList<ConfirmedLine> confirmed = {{QStringLiteral("A1"), 3}, {QStringLiteral("B2"), 5}};

        Sql::exec(db, QString::fromLatin1(c.trigger));
        try {
            make(confirmed);
            ADD_FAILURE() << "order making went through";
        } catch (const CartChangedError &) {
            ADD_FAILURE() << "reported as a changed cart";
        } catch (const OrderRefusedError &) {
            ADD_FAILURE() << "reported as refused";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("生成订单时出现错误\n"))) << e.what();
            EXPECT_TRUE(e.text().contains(QStringLiteral("refused"))) << e.what();
        }
        EXPECT_EQ(rows(QStringLiteral("select dhdh from deorder")), ordersBefore);
        EXPECT_EQ(count(QStringLiteral("deorder_mx")), 1);
        EXPECT_EQ(counter(QStringLiteral("OrderBill")), 1);
        EXPECT_EQ(counter(QStringLiteral("order")), 1);
        EXPECT_EQ(cartLines(), cartBefore);
        EXPECT_EQ(Sql::transactionDepth(db), 0);

        // Without the fault the run gets the numbers the failed one would have had.
        Sql::exec(db, QStringLiteral("drop trigger fail"));
        const MadeOrders made = make(confirmed);
        EXPECT_EQ(made.batchNumber, QStringLiteral("202600000002"));
        EXPECT_EQ(made.orderNumbers(),
                  (QStringList{QStringLiteral("202600000002"), QStringLiteral("202600000003")}));
        EXPECT_EQ(count(QStringLiteral("deshopcart_mx")), 0);
    }
}

TEST_F(OrderMakingTest, OneSupplierCodeMakesOneOrderWhateverItsNameIsSpelled)
{
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("新华书店"));
    addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 10, 2, QStringLiteral("G01"), QStringLiteral("新華書店"));
    addLine(QStringLiteral("C3"), QStringLiteral("线性代数"), 10, 3, QStringLiteral("G01 "), QStringLiteral("新华书店 "));
    addLine(QStringLiteral("D4"), QStringLiteral("概率论"), 10, 4, QStringLiteral("G02"), QStringLiteral("外文书店"));

    const MadeOrders made = makeCart();
    ASSERT_EQ(made.orders.size(), 2);
    EXPECT_EQ(made.orders[0].lines, 3);
    EXPECT_EQ(rows(QStringLiteral("select xsfh,xsfm from deorder order by dhdh")),
              (QStringList{QStringLiteral("G01|新华书店"), QStringLiteral("G02|外文书店")}));
    // Each line once, in the order of its code.
    EXPECT_EQ(rows(QStringLiteral("select d.xsfh,m.tm from deorder_mx m join deorder d on d.dhdh=m.dhdh"
                                  " order by m.tm")),
              (QStringList{QStringLiteral("G01|A1"), QStringLiteral("G01|B2"),
                           QStringLiteral("G01|C3"), QStringLiteral("G02|D4")}));
}

TEST_F(OrderMakingTest, LinesWithoutASupplierCodeAreRefusedByTitle)
{
    const struct {
        const char *name;
        QString code;
    } cases[] = {{"NULL", QString()}, {"empty", QStringLiteral("")}, {"blank", QStringLiteral("  ")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"));
        addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 10, 2, c.code, QStringLiteral(""));
        addLine(QStringLiteral("C3"), QStringLiteral("线性代数"), 10, 3, c.code, QStringLiteral(""));
        const QStringList before = cartLines();
        try {
            makeCart();
            ADD_FAILURE() << "order making went through";
        } catch (const OrderRefusedError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("大学物理"))) << e.what();
            EXPECT_TRUE(e.text().contains(QStringLiteral("线性代数"))) << e.what();
            EXPECT_FALSE(e.text().contains(QStringLiteral("高等数学"))) << e.what();
        }
        expectNothingMade(before);
    }
}

// A price missing or negative in the cart line, or in the catalogue now (changed since the
// title went into the cart), refuses the run naming the title; 0 and a plain price order.
TEST_F(OrderMakingTest, TitlesWithoutAPriceOrWithANegativeOneAreRefusedByTitle)
{
    const QVariant null(QMetaType::fromType<double>());
    const struct {
        const char *where;
        QVariant lineDj;
        QVariant catalogueDj;   // invalid: no catalogue row
        QString reason;         // empty: ordered
    } cases[] = {
        {"line NULL", null, QVariant(), QStringLiteral("没有估定价")},
        {"line -1", -1.0, QVariant(), QStringLiteral("估定价为负数（-1）")},
        {"line 0", 0.0, QVariant(), QString()},
        {"line 12.5", 12.5, QVariant(), QString()},
        {"catalogue NULL now", 12.5, null, QStringLiteral("没有估定价")},
        {"catalogue -1 now", 12.5, -1.0, QStringLiteral("估定价为负数（-1）")},
        {"catalogue 0 now", 12.5, 0.0, QString()},
        {"catalogue 12.5 now", 12.5, 12.5, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.where);
        reset();
        Sql::exec(db, QStringLiteral("delete from debooks"));
        addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"));
        addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 1, 2, QStringLiteral("G01"), QStringLiteral("一号"));
        Sql::exec(db, QStringLiteral("update deshopcart_mx set dj=?,my=?*sl where tm='B2'"), {c.lineDj, c.lineDj});
        if (c.catalogueDj.isValid())
            Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,dj,ghbm) values ('B2','大学物理',?,'G01')"),
                      {c.catalogueDj});
        const QStringList before = cartLines();
        if (c.reason.isEmpty()) {
            EXPECT_EQ(makeCart().lineCount, 2);
            EXPECT_EQ(rows(QStringLiteral("select dj,my from deorder_mx where tm='B2'")),
                      QStringList{QStringLiteral("%1|%2").arg(c.lineDj.toDouble()).arg(c.lineDj.toDouble() * 2)});
            continue;
        }
        try {
            makeCart();
            ADD_FAILURE() << "order making went through";
        } catch (const OrderRefusedError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("大学物理（B2）：") + c.reason)) << e.what();
            EXPECT_FALSE(e.text().contains(QStringLiteral("高等数学"))) << e.what();
        }
        expectNothingMade(before);
    }
}

TEST_F(OrderMakingTest, ACartThatChangedSinceItWasConfirmedMakesNothing)
{
    const struct {
        const char *name;
        QStringList confirmed;
    } cases[] = {
        {"a title added elsewhere", {QStringLiteral("A1"), QStringLiteral("B2")}},
        {"a title removed elsewhere",
         {QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3"), QStringLiteral("D4")}},
        {"another title", {QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("X9")}},
        {"a title twice", {QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("B2")}},
    };
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 10, 2, QStringLiteral("G02"), QStringLiteral("二号"));
    addLine(QStringLiteral("C3"), QStringLiteral("线性代数"), 10, 3, QStringLiteral("G03"), QStringLiteral("三号"));
    const QStringList before = cartLines();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QList<ConfirmedLine> confirmed;
        for (const QString &tm : c.confirmed)
            confirmed.append({tm, 7});
        EXPECT_THROW(make(confirmed), CartChangedError);
        expectNothingMade(before);
    }
}

TEST_F(OrderMakingTest, TitlesLeftInTheCartAreNeitherOrderedNorTouched)
{
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 10, 0, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("C3"), QStringLiteral("线性代数"), 10, 0, QStringLiteral("G03"), QStringLiteral("三号"));
    addLine(QStringLiteral("D4"), QStringLiteral("概率论"), 10, 4, QStringLiteral("G02"), QStringLiteral("二号"));
    const QStringList left{QStringLiteral("B2"), QStringLiteral("C3")};
    const QStringList before = cartLines();
    // The cart must still be exactly what was confirmed plus what was left.
    EXPECT_THROW(MakeOrders(db, QString(), someParties(), {{QStringLiteral("A1"), 1}}, day, left), CartChangedError);
    EXPECT_THROW(MakeOrders(db, QString(), someParties(), {{QStringLiteral("A1"), 1}, {QStringLiteral("D4"), 4}},
                            day, {QStringLiteral("B2")}),
                 CartChangedError);
    expectNothingMade(before);
    // Nothing but left lines: nothing to order.
    EXPECT_THROW(MakeOrders(db, QString(), someParties(), {}, day, QStringList{left} << "A1" << "D4"),
                 OrderRefusedError);
    expectNothingMade(before);

    // B2 shares its supplier with an ordered line, C3 is its supplier's only line: neither is
    // ordered, no order goes to C3's supplier, and both stay in the cart as they were.
    const MadeOrders made = MakeOrders(db, QString(), someParties(),
                                       {{QStringLiteral("A1"), 3}, {QStringLiteral("D4"), 4}}, day, left);
    EXPECT_EQ(made.orders.size(), 2);
    EXPECT_EQ(made.lineCount, 2);
    EXPECT_EQ(rows(QStringLiteral("select xsfh from deorder order by xsfh")), (QStringList{"G01", "G02"}));
    EXPECT_EQ(rows(QStringLiteral("select tm,sl from deorder_mx order by tm")), (QStringList{"A1|3", "D4|4"}));
    EXPECT_EQ(cartLines(), (QStringList{"B2|0|0", "C3|0|0"}));
    EXPECT_EQ(count(QStringLiteral("deshopcart")), 1);
}

TEST_F(OrderMakingTest, AnEmptyCartIsRefusedOrReportedAsChanged)
{
    EXPECT_THROW(make({}), OrderRefusedError);
    EXPECT_THROW(make({{QStringLiteral("A1"), 1}}), CartChangedError);
    expectNothingMade({});
}

// The desk's own date, not the UTC one: the desk runs in a zone whose date differs from UTC's
// now (UTC+14 in the second half of the UTC day, UTC−12 in the first), set before the dates are
// read; the C library reads TZ again on tzset().
TEST_F(OrderMakingTest, OrdersAreDatedWithTheDesksDate)
{
    class DeskZone {
    public:
        explicit DeskZone(const char *zone)
        {
            if (const char *tz = std::getenv("TZ"))
                m_old = tz;
            ::setenv("TZ", zone, 1);
            ::tzset();
        }
        ~DeskZone()
        {
            if (m_old)
                ::setenv("TZ", m_old->c_str(), 1);
            else
                ::unsetenv("TZ");
            ::tzset();
        }

    private:
        std::optional<std::string> m_old;
    };
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const bool late = utc.time().hour() >= 11;
    const DeskZone zone(late ? "<+14>-14" : "<-12>+12");   // POSIX zones: the offset is west of UTC
    const QDate deskDate = utc.addSecs(late ? 14 * 3600 : -12 * 3600).date();
    ASSERT_NE(deskDate, utc.date());
    ASSERT_EQ(QDate::currentDate(), deskDate);

    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"));
    const MadeOrders made = MakeOrders(db, QString(), someParties(), confirmedCart());
    EXPECT_TRUE(made.batchNumber.startsWith(QString::number(deskDate.year())));
    EXPECT_EQ(rows(QStringLiteral("select dhrq,fhrq from deorder")),
              QStringList{DateFormat::shortDate(deskDate) + u'|' + DateFormat::shortDate(deskDate.addDays(2))});
    // An order written without a date takes the schema's default: the same desk date.
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh) values ('X1')"));
    EXPECT_EQ(rows(QStringLiteral("select dhrq from deorder where dhdh='X1'")), QStringList{DateFormat::shortDate(deskDate)});
}

TEST_F(OrderMakingTest, QuantitiesAreSavedWithTheirAmountsWholeOrNotAtAll)
{
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 12.5, 10, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("B'2"), QStringLiteral("大学物理"), 30, 5, QStringLiteral("G02"), QStringLiteral("二号"));
    const QString cart = QStringLiteral("cart");

    SaveCartQuantities(db, {{cart, QStringLiteral("A1"), 4}, {cart, QStringLiteral("B'2"), 0}});
    EXPECT_EQ(cartLines(), (QStringList{QStringLiteral("A1|4|50"), QStringLiteral("B'2|0|0")}));

    Sql::exec(db, QStringLiteral("create trigger fail before update on deshopcart_mx when old.tm='B''2'"
                                 " begin select raise(abort,'refused'); end"));
    EXPECT_THROW(SaveCartQuantities(db, {{cart, QStringLiteral("A1"), 7}, {cart, QStringLiteral("B'2"), 1}}),
                 AppError);
    EXPECT_EQ(cartLines(), (QStringList{QStringLiteral("A1|4|50"), QStringLiteral("B'2|0|0")}));
}

TEST_F(OrderMakingTest, DeletingCartLinesTouchesOnlyTheOperatorsKeys)
{
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"));
    addLine(QStringLiteral("B2"), QStringLiteral("大学物理"), 10, 2, QStringLiteral("G02"), QStringLiteral("二号"));
    addLine(QStringLiteral("C'3"), QStringLiteral("线性代数"), 10, 3, QStringLiteral("G03"), QStringLiteral("三号"));
    addLine(QStringLiteral("A1"), QStringLiteral("高等数学"), 10, 1, QStringLiteral("G01"), QStringLiteral("一号"),
            QStringLiteral("张"));

    EXPECT_EQ(DeleteCartLines(db, QString(), {QStringLiteral("A1"), QStringLiteral("C'3"), QStringLiteral("X9")}), 2);
    EXPECT_EQ(cartLines(), QStringList{QStringLiteral("B2|2|20")});
    EXPECT_EQ(cartLines(QStringLiteral("张")), QStringList{QStringLiteral("A1|1|10")});

    // One transaction: a refused key keeps the others too.
    addLine(QStringLiteral("D4"), QStringLiteral("概率论"), 10, 4, QStringLiteral("G01"), QStringLiteral("一号"));
    Sql::exec(db, QStringLiteral("create trigger fail before delete on deshopcart_mx when old.tm='B2'"
                                 " begin select raise(abort,'refused'); end"));
    EXPECT_THROW(DeleteCartLines(db, QString(), {QStringLiteral("D4"), QStringLiteral("B2")}), AppError);
    EXPECT_EQ(cartLines(), (QStringList{QStringLiteral("B2|2|20"), QStringLiteral("D4|4|40")}));
}

} // namespace
