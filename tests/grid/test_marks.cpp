// Ticks belong to titles: whatever reorders, reloads or moves through the list between the
// ticks and their reading, the ticked titles come out, in the list's current order.
#include "grid_fixture.h"

#include "cart/cart.h"
#include "grid/sort_setup_dialog.h"

#include <QComboBox>
#include <QPushButton>
#include <functional>

namespace {

class MarksTest : public GridFixture {
protected:
    // The keys of the rows whose mark cell the grid paints ticked, top to bottom.
    QStringList paintedTicks() const
    {
        QStringList out;
        GridModel *model = grid->gridModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
                out << ds->text(row, QStringLiteral("tm"));
        }
        return out;
    }
    int rowOf(const QString &tm) const { return int(values(QStringLiteral("tm")).indexOf(tm)); }
    void tick(const QString &tm) { clickCell(rowOf(tm), 0); }

    void sortThroughTheDialog(const QString &fieldTitle, bool descending)
    {
        TFrmSetSort dialog(grid.get(), prompter);
        dialog.show();
        auto *field = dialog.findChild<QComboBox *>(QStringLiteral("CbField"));
        field->setCurrentIndex(field->findText(fieldTitle));
        dialog.findChild<QComboBox *>(QStringLiteral("CbSort"))->setCurrentIndex(descending ? 1 : 0);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("BtnClear")), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("BtnAdd")), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("BtnOk")), Qt::LeftButton);
    }
    void refreshFromTheMenu()
    {
        ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
        menu->action(PpMenu::Refresh)->trigger();
    }
    void exec(const char *statement)
    {
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QString::fromUtf8(statement))) << statement;
    }
};

// Statement order: B001 数学 zbh 3 dj 12.5 | B002 语文 (cdcs 2) | B003 英语 zbh 5 dj 8 |
// B004 物理 zbh 2 dj 30 | B005 化学 (cdcs 1). B001 and B004 are ticked in every case, so
// that a tick left on a position would show up on another title.
TEST_F(MarksTest, TickedTitlesComeOutInTheListsOrder)
{
    struct Case {
        const char *what;
        std::function<void()> action;
        QStringList expected;
    };
    const Case cases[] = {
        {"nothing in between", [] {}, {"B001", "B004"}},
        {"title click on 定价 (ascending)",
         [this] { clickTitle(col(QStringLiteral("DJ"))); }, {"B001", "B004"}},
        {"two title clicks on 定价 (descending)",
         [this] {
             clickTitle(col(QStringLiteral("DJ")));
             clickTitle(col(QStringLiteral("DJ")));
         },
         {"B004", "B001"}},
        {"sort dialog: 本季征订序号 ascending",
         [this] { sortThroughTheDialog(QStringLiteral("本季征订序号"), false); }, {"B004", "B001"}},
        {"sort dialog: 书名 descending",
         [this] { sortThroughTheDialog(QStringLiteral("书名"), true); }, {"B004", "B001"}},
        {"refresh after a descending sort",
         [this] {
             clickTitle(col(QStringLiteral("DJ")));
             clickTitle(col(QStringLiteral("DJ")));
             refreshFromTheMenu();
         },
         {"B001", "B004"}},
        {"refresh after a ticked title left the list",
         [this] {
             exec("DELETE FROM probe_book WHERE tm='B001'");
             refreshFromTheMenu();
         },
         {"B004"}},
        {"refresh after a title came in before the ticked ones",
         [this] {
             exec("INSERT INTO probe_book VALUES ('B000','地理','I0',9,1,0)");
             refreshFromTheMenu();
         },
         {"B001", "B004"}},
        {"locate after a descending sort",
         [this] {
             clickTitle(col(QStringLiteral("DJ")));
             clickTitle(col(QStringLiteral("DJ")));
             ASSERT_TRUE(ds->locate(QStringLiteral("sm"), QStringLiteral("英")));
         },
         {"B004", "B001"}},
        {"cancel sort from the menu after a sort",
         [this] {
             clickTitle(col(QStringLiteral("DJ")));
             clickTitle(col(QStringLiteral("DJ")));
             ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
             menu->action(PpMenu::CancelSort)->trigger();
         },
         {"B001", "B004"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        marked.clear();
        tick(QStringLiteral("B004"));
        tick(QStringLiteral("B001"));
        ASSERT_EQ(marked.size(), 2);

        c.action();

        EXPECT_EQ(marked.markedKeys(), c.expected);
        EXPECT_EQ(paintedTicks(), c.expected);
        QString keys;
        EXPECT_TRUE(CollectSelectedKeys(marked, *ds, keys, QStringLiteral("tm")));
        EXPECT_EQ(keys, c.expected.join(u','));
        // What left the list left the marks: size and order of marking only hold live keys.
        EXPECT_EQ(marked.size(), c.expected.size());
    }
}

TEST_F(MarksTest, ATitleGoneAtARefreshDoesNotComeBackTicked)
{
    tick(QStringLiteral("B003"));
    exec("UPDATE probe_book SET tm='X003' WHERE tm='B003'");
    refreshFromTheMenu();
    EXPECT_TRUE(marked.isEmpty());
    exec("UPDATE probe_book SET tm='B003' WHERE tm='X003'");
    refreshFromTheMenu();
    EXPECT_TRUE(paintedTicks().isEmpty());
}

TEST_F(MarksTest, SpaceTicksTheCurrentTitleAfterASort)
{
    clickTitle(col(QStringLiteral("SM")));   // 化学 数学 物理 英语 语文
    ds->setCurrentRow(2);
    QTest::keyClick(grid.get(), Qt::Key_Space);
    clickTitle(col(QStringLiteral("TM")));
    EXPECT_EQ(marked.markedKeys(), QStringList{QStringLiteral("B004")});
    EXPECT_EQ(paintedTicks(), QStringList{QStringLiteral("B004")});
}

// A list keyed by another field, the way the order lists are: marks by `dhdh`, rows with
// cdcs above 0 unmarkable, the row-based calls on the bound lis
TEST_F(MarksTest, ListKeyedByAnotherField)
{
    DataSet orders;
    orders.setConnection(db);
    orders.setStatement(QStringLiteral("SELECT tm AS dhdh, sm, zbh, cdcs FROM probe_book ORDER BY tm"));
    orders.open();
    MarkedRowList byOrder(QStringLiteral("dhdh"));
    byOrder.setDataSet(&orders);
    EXPECT_EQ(byOrder.keyField(), QStringLiteral("dhdh"));

    const struct {
        int row;
        bool toggles;
    } clicks[] = {{0, true}, {1, false}, {3, true}, {4, false}, {7, false}, {-1, false}};
    for (const auto &c : clicks)
        EXPECT_EQ(byOrder.toggle(c.row), c.toggles) << c.row;
    EXPECT_TRUE(byOrder.isMarked(0));
    EXPECT_FALSE(byOrder.isMarked(1));
    EXPECT_EQ(byOrder.keys(), QStringList({QStringLiteral("B001"), QStringLiteral("B004")}));

    orders.setSortText(QStringLiteral("zbh ASC"));   // B002 B004 B001 B005 B003
    EXPECT_TRUE(byOrder.isMarked(1));
    EXPECT_TRUE(byOrder.isMarked(2));
    EXPECT_EQ(byOrder.markedKeys(), QStringList({QStringLiteral("B004"), QStringLiteral("B001")}));
    EXPECT_TRUE(byOrder.toggle(1));                    // B004 off
    EXPECT_EQ(byOrder.markedKeys(), QStringList{QStringLiteral("B001")});

    byOrder.clear();
    byOrder.markAll();
    EXPECT_EQ(byOrder.markedKeys(), QStringList({QStringLiteral("B004"), QStringLiteral("B001"), QStringLiteral("B003")}));

    // A list without the key field takes no ticks and gives none.
    MarkedRowList byTitle;
    byTitle.setDataSet(&orders);
    EXPECT_FALSE(byTitle.toggle(0));
    byTitle.markKey(QStringLiteral("B001"));
    EXPECT_TRUE(byTitle.markedKeys().isEmpty());
    EXPECT_FALSE(byTitle.isMarked(2));

    // A closed list gives no rows to tick.
    orders.close();
    EXPECT_FALSE(byOrder.toggle(0));
    EXPECT_TRUE(byOrder.markedKeys().isEmpty());
}

} // namespace
