// The wizard's cart statements run on the cart as they are written: the lines and totals of
// one operator's cart, without the titles left in the cart for this run.
#include "order_fixture.h"

#include "order/cart_statements.h"

namespace {

QStringList titles(const QSqlDatabase &db, const CartStatements::Bound &statement)
{
    QStringList out;
    QSqlQuery q = Sql::exec(db, statement.text, statement.values);
    while (q.next())
        out << q.value(QStringLiteral("tm")).toString();
    out.sort();
    return out;
}

} // namespace

class CartStatementsTest : public OrderDbTest {};

TEST_F(CartStatementsTest, LinesAndTotalsOfOneCartWithoutTheTitlesLeftOut)
{
    addLine(QStringLiteral("T1"), QStringLiteral("一"), 10.0, 2, QStringLiteral("G1"), QStringLiteral("甲"));
    addLine(QStringLiteral("T2"), QStringLiteral("二"), 5.0, 0, QStringLiteral("G1"), QStringLiteral("甲"));
    addLine(QStringLiteral("T3"), QStringLiteral("三"), 1.0, 4, QStringLiteral("G2"), QStringLiteral("乙"));
    addLine(QStringLiteral("X1"), QStringLiteral("别的"), 9.0, 9, QStringLiteral("G1"), QStringLiteral("甲"),
            QStringLiteral("D2"));

    const struct {
        QString op;
        QStringList leftOut;
        QStringList titles;
        QString totals;   // ncount|sl|my
    } cases[] = {
        {QString(), {}, {"T1", "T2", "T3"}, "3|6|24"},   // a null code is the empty one
        {"", {"T2"}, {"T1", "T3"}, "2|6|24"},
        {"", {"T1", "T3"}, {"T2"}, "1|0|0"},
        {"D2", {"T2"}, {"X1"}, "1|9|81"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(titles(db, CartStatements::lines(c.op, c.leftOut)), c.titles) << c.leftOut.join(u',').toStdString();
        const CartStatements::Bound totals = CartStatements::totals(c.op, c.leftOut);
        QSqlQuery q = Sql::exec(db, totals.text, totals.values);
        ASSERT_TRUE(q.next());
        EXPECT_EQ(QStringLiteral("%1|%2|%3").arg(q.value(0).toLongLong()).arg(q.value(1).toLongLong())
                      .arg(q.value(2).toDouble()),
                  c.totals)
            << c.leftOut.join(u',').toStdString();
    }
}

TEST(CartStatementsQuestion, NamesTwentyTitlesThenTheCount)
{
    QStringList names;
    for (int i = 1; i <= 21; ++i)
        names << QStringLiteral("《书%1》（条码 T%1）").arg(i);
    const QString one = CartStatements::zeroQuantityQuestion(names.mid(0, 1));
    EXPECT_TRUE(one.startsWith(QStringLiteral("以下 1 种书目的订购数量为 0：\n《书1》（条码 T1）\n"))) << one.toStdString();
    const QString many = CartStatements::zeroQuantityQuestion(names);
    EXPECT_TRUE(many.contains(QStringLiteral("《书20》")));
    EXPECT_FALSE(many.contains(QStringLiteral("《书21》")));
    EXPECT_TRUE(many.contains(QStringLiteral("\n等 21 种\n")));
}
