// Looking stored orders up by date range and one field, their totals, and deleting them.
#include "order_fixture.h"

#include "common/app_error.h"
#include "order/order_query.h"

namespace {

class OrderQueryTest : public OrderDbTest {
protected:
    void addOrder(const QString &dhdh, const QString &dhrq, const QString &dfdh,
                  const QString &dhrm, int cdcs = 0)
    {
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq,dfdh,dhrm,fkfs,cdcs)"
                                     " values (?,?,?,?,'转账',?)"),
                  {dhdh, dhrq, dfdh, dhrm, cdcs});
    }
    void addOrderRow(const QString &dhdh, const QString &tm, double dj, qint64 sl)
    {
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,dj,sl,my) values (?,?,'书',?,?,?)"),
                  {dhdh, tm, dj, sl, dj * sl});
    }
    QStringList found(const OrderFilter &filter)
    {
        const BoundStatement s = OrderQueryStatement(filter);
        QSqlQuery q = Sql::exec(db, s.text, s.values);
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
};

TEST_F(OrderQueryTest, OrdersAreFoundByDateRangeAndSubstring)
{
    // Inserted out of number order; the list comes in number order.
    addOrder(QStringLiteral("O5"), QStringLiteral("2026-03-15"), QStringLiteral("B2"), QStringLiteral("五_店"));
    addOrder(QStringLiteral("O1"), QStringLiteral("2026-02-28"), QStringLiteral("B1"), QStringLiteral("一店"));
    addOrder(QStringLiteral("O2"), QStringLiteral("2026-03-01"), QStringLiteral("B1"), QStringLiteral("百分之50%店"));
    addOrder(QStringLiteral("O4"), QStringLiteral("2026-03-10"), QStringLiteral("B12"), QStringLiteral("五A店"));
    addOrder(QStringLiteral("O3"), QStringLiteral("2026-03-05"), QStringLiteral("B2"), QStringLiteral("50店"));
    addOrder(QStringLiteral("O6"), QStringLiteral("2026-03-16"), QStringLiteral("B2"), QStringLiteral("读者'之友!店"));

    const QDate first(2026, 3, 1), mid(2026, 3, 15), late(2026, 3, 31);
    const struct {
        const char *name;
        QDate from, to;
        const char *caption;
        const char *value;
        QStringList orders;
    } cases[] = {
        {"the range's ends are included", first, mid, "订货单号", "",
         {QStringLiteral("O2"), QStringLiteral("O3"), QStringLiteral("O4"), QStringLiteral("O5")}},
        {"part of a batch number", first, late, "流水号", "B1", {QStringLiteral("O2"), QStringLiteral("O4")}},
        {"a whole batch number", first, late, "流水号", "B2",
         {QStringLiteral("O3"), QStringLiteral("O5"), QStringLiteral("O6")}},
        {"percent as typed", first, late, "订货人名称", "50%", {QStringLiteral("O2")}},
        {"underscore as typed", first, late, "订货人名称", "五_", {QStringLiteral("O5")}},
        {"the escape character as typed", first, late, "订货人名称", "!店", {QStringLiteral("O6")}},
        {"a quote", first, late, "订货人名称", "者'之", {QStringLiteral("O6")}},
        {"no match", first, late, "付款方式", "现金", {}},
        {"an empty range", mid, first, "订货单号", "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(found({c.from, c.to, QString::fromUtf8(c.caption), QString::fromUtf8(c.value), {}}),
                  c.orders);
    }
}

TEST_F(OrderQueryTest, EveryFieldCaptionHasItsColumn)
{
    const QStringList captions = OrderQueryFieldCaptions();
    ASSERT_FALSE(captions.isEmpty());
    EXPECT_EQ(captions.first(), QStringLiteral("订货单号"));
    // Each caption's column exists: a filter on it runs.
    for (const QString &caption : captions) {
        SCOPED_TRACE(caption.toStdString());
        EXPECT_NO_THROW(found({QDate(2026, 1, 1), QDate(2026, 12, 31), caption, QStringLiteral("x"), {}}));
    }
    EXPECT_THROW(OrderQueryStatement({QDate(2026, 1, 1), QDate(2026, 12, 31), QStringLiteral("书名"),
                                      QStringLiteral("x"), {}}),
                 AppError);
}

TEST_F(OrderQueryTest, RowsAndTotalsOfOneOrder)
{
    addOrder(QStringLiteral("O1"), QStringLiteral("2026-03-01"), QStringLiteral("B1"), QStringLiteral("一店"));
    addOrderRow(QStringLiteral("O1"), QStringLiteral("A1"), 12.5, 10);
    addOrderRow(QStringLiteral("O1"), QStringLiteral("B2"), 8.25, 4);
    addOrderRow(QStringLiteral("O2"), QStringLiteral("C3"), 1, 1);

    const BoundStatement s = OrderLinesStatement(QStringLiteral("O1"));
    EXPECT_EQ(rows(s.text + QStringLiteral(" order by tm"), s.values).size(), 2);
    const OrderTotals t = OrderTotalsOf(db, QStringLiteral("O1"));
    EXPECT_EQ(t.titles, 2);
    EXPECT_DOUBLE_EQ(t.quantity, 14);
    EXPECT_DOUBLE_EQ(t.amount, 158);
    const OrderTotals none = OrderTotalsOf(db, QStringLiteral("X"));
    EXPECT_EQ(none.titles, 0);
    EXPECT_DOUBLE_EQ(none.amount, 0);
}

TEST_F(OrderQueryTest, DeletingOrdersTakesRowsAndHeadersTogether)
{
    for (const char *dhdh : {"O1", "O'2", "O3"}) {
        addOrder(QString::fromLatin1(dhdh), QStringLiteral("2026-03-01"), QStringLiteral("B1"), QStringLiteral("店"));
        addOrderRow(QString::fromLatin1(dhdh), QStringLiteral("A1"), 10, 1);
        addOrderRow(QString::fromLatin1(dhdh), QStringLiteral("B2"), 10, 2);
    }
    addOrder(QStringLiteral("S1"), QStringLiteral("2026-03-01"), QStringLiteral("B1"), QStringLiteral("店"), 1);
    addOrderRow(QStringLiteral("S1"), QStringLiteral("A1"), 10, 1);

    EXPECT_EQ(DeleteOrders(db, {QStringLiteral("O1"), QStringLiteral("O'2")}), 2);
    EXPECT_EQ(rows(QStringLiteral("select dhdh from deorder order by dhdh")),
              (QStringList{QStringLiteral("O3"), QStringLiteral("S1")}));
    EXPECT_EQ(rows(QStringLiteral("select distinct dhdh from deorder_mx order by dhdh")),
              (QStringList{QStringLiteral("O3"), QStringLiteral("S1")}));

    // A sent order is refused, and the others of the call stay with it.
    try {
        DeleteOrders(db, {QStringLiteral("O3"), QStringLiteral("S1")});
        ADD_FAILURE() << "a sent order was deleted";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("S1"))) << e.what();
        EXPECT_FALSE(e.text().contains(QStringLiteral("O3"))) << e.what();
    }
    EXPECT_EQ(count(QStringLiteral("deorder")), 2);
    EXPECT_EQ(count(QStringLiteral("deorder_mx")), 3);

    // A header that cannot go keeps its rows and the other orders.
    Sql::exec(db, QStringLiteral("create trigger fail before delete on deorder when old.dhdh='O3'"
                                 " begin select raise(abort,'refused'); end"));
    addOrder(QStringLiteral("O4"), QStringLiteral("2026-03-01"), QStringLiteral("B1"), QStringLiteral("店"));
    addOrderRow(QStringLiteral("O4"), QStringLiteral("A1"), 10, 1);
    EXPECT_THROW(DeleteOrders(db, {QStringLiteral("O4"), QStringLiteral("O3")}), AppError);
    EXPECT_EQ(count(QStringLiteral("deorder")), 3);
    EXPECT_EQ(count(QStringLiteral("deorder_mx")), 4);
    EXPECT_EQ(Sql::transactionDepth(db), 0);
}

} // namespace
