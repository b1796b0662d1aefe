// Quantities typed into the wizard's cart list reach the cart through one write: the changed
// rows only, the last quantity of a row winning, amounts following, nothing for an empty note.
#include "order_fixture.h"

#include "data/dataset.h"
#include "order/cart_quantity_writes.h"
#include "order/cart_statements.h"

namespace {

class CartQuantityWritesTest : public OrderDbTest {
protected:
    void SetUp() override
    {
        addLine(QStringLiteral("T1"), QStringLiteral("一"), 10.0, 2, QStringLiteral("G1"), QStringLiteral("甲"));
        addLine(QStringLiteral("T2"), QStringLiteral("二"), 2.5, 3, QStringLiteral("G1"), QStringLiteral("甲"));
        addLine(QStringLiteral("T3"), QStringLiteral("三"), 1.0, 4, QStringLiteral("G2"), QStringLiteral("乙"));
        lines.setConnection(db);
        const CartStatements::Bound statement = CartStatements::lines(QString());
        lines.setStatement(statement.text, statement.values);
        CartQuantityWrites::followAmounts(lines);
        QObject::connect(&lines, &DataSet::valueChanged, &lines,
                         [this](int row, int field) { writes.noteChange(lines, row, field); });
        lines.open();
    }
    void type(const char *tm, const char *quantity)
    {
        ASSERT_TRUE(lines.locate(QStringLiteral("tm"), QString::fromLatin1(tm)));
        lines.setValue(lines.currentRow(), QStringLiteral("sl"), QString::fromLatin1(quantity));
    }

    DataSet lines;
    CartQuantityWrites writes;
};

TEST_F(CartQuantityWritesTest, TypedQuantitiesReachTheCartOnWrite)
{
    const struct {
        const char *what;
        std::vector<std::pair<const char *, const char *>> typed;
        bool all;   // every row noted before the write
        QStringList cart;
    } cases[] = {
        {"nothing typed", {}, false, {"T1|2|20", "T2|3|7.5", "T3|4|4"}},
        {"one row", {{"T2", "8"}}, false, {"T1|2|20", "T2|8|20", "T3|4|4"}},
        {"the last of a row wins", {{"T1", "5"}, {"T3", "0"}, {"T1", "6"}}, false, {"T1|6|60", "T2|3|7.5", "T3|0|0"}},
        {"an emptied quantity is not written", {{"T1", ""}, {"T2", "1"}}, false, {"T1|2|20", "T2|1|2.5", "T3|4|4"}},
        {"every row, the emptied one as 0", {{"T1", ""}, {"T2", "1"}}, true, {"T1|0|0", "T2|1|2.5", "T3|4|4"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QStringLiteral("update deshopcart_mx set sl=case tm when 'T1' then 2 when 'T2' then 3 else 4 end,"
                                     " my=dj*case tm when 'T1' then 2 when 'T2' then 3 else 4 end"));
        lines.open();
        for (const auto &[tm, quantity] : c.typed)
            type(tm, quantity);
        if (c.all)
            writes.noteAll(lines);
        EXPECT_EQ(writes.isEmpty(), c.typed.empty() && !c.all);
        writes.write(db);
        EXPECT_TRUE(writes.isEmpty());
        EXPECT_EQ(cartLines(), c.cart);
    }
}

TEST_F(CartQuantityWritesTest, TheListsAmountFollowsTheQuantity)
{
    type("T2", "7");
    EXPECT_EQ(lines.currentValue(QStringLiteral("my")).toDouble(), 17.5);
}

TEST_F(CartQuantityWritesTest, AFailedWriteForgetsWhatWasNoted)
{
    type("T1", "9");
    Sql::exec(db, QStringLiteral("drop table deshopcart_mx"));
    EXPECT_THROW(writes.write(db), AppError);
    EXPECT_TRUE(writes.isEmpty());
}

} // namespace
