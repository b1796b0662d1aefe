#include "grid_fixture.h"

#include "common/guarded.h"

#include <QMenu>
#include <functional>
#include <stdexcept>

namespace {

using PopupTest = GridFixture;

bool shown(const QAction *a) { return a->isVisible(); }

// The separator just before an item.
QAction *separatorBefore(QMenu *menu, QAction *item)
{
    const QList<QAction *> all = menu->actions();
    const qsizetype i = all.indexOf(item);
    return i > 0 && all[i - 1]->isSeparator() ? all[i - 1] : nullptr;
}

TEST_F(PopupTest, ItemsInOrder)
{
    QStringList captions;
    for (const QAction *a : menu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    // First the item a grid may offer of its own, captioned by the grid when the menu opens.
    EXPECT_EQ(captions.join(u'|'), QStringLiteral("|-|浏览(&L)|-|订购数量(&D)|记录数(&C)|-|设置显示项(&F)|恢复默认显示|-|"
                                                  "设置排序(&S)|取消排序(&C)|-|全选(&A)|-|刷新(&R)"));
    EXPECT_TRUE(menu->action(PpMenu::MarkAll)->isCheckable());
}

TEST_F(PopupTest, VisibilityFollowsTheContext)
{
    struct Case {
        const char *what;
        const char *owner;
        const char *gridName;
        bool withMarks;
        int browse;
        bool sorted;
        bool browseShown, quantityShown, markAllShown, cancelShown;
    } cases[] = {
        {"book grid", "TFrmbookTypeB", "Dbgbook", true, 0, false, true, false, true, false},
        {"sorted list", "TFrmbookTypeB", "Dbgbook", true, 0, true, true, false, true, true},
        {"no marked list", "TFrmOrderDo", "DbgOrder_Mx", false, 0, false, true, false, false, false},
        {"browse hidden", "TFrmSeh", "DbgOrder", true, -1, false, false, false, true, false},
        {"browse shown only", "TFrmSeh", "DbgOrder", true, 1, false, true, false, true, false},
        {"wizard cart grid", "TFrmOrderDo", "DbgOk", true, 0, false, true, true, true, false},
        {"cart grid name elsewhere", "TFrmQuery", "DbgOk", true, 0, false, true, false, true, false},
        {"wizard, other grid", "TFrmOrderDo", "DbgOrder", false, 1, false, true, false, false, false},
    };
    for (const Case &c : cases) {
        owner = QString::fromLatin1(c.owner);
        grid->setObjectName(QString::fromLatin1(c.gridName));
        ds->setSortText(c.sorted ? QStringLiteral("SM ASC") : QString());
        ASSERT_TRUE(menu->prepare(grid.get(), 0, c.withMarks ? &marked : nullptr, c.browse)) << c.what;
        EXPECT_EQ(shown(menu->action(PpMenu::Browse)), c.browseShown) << c.what;
        EXPECT_EQ(shown(menu->action(PpMenu::OrderQuantity)), c.quantityShown) << c.what;
        EXPECT_EQ(shown(separatorBefore(menu.get(), menu->action(PpMenu::OrderQuantity))), c.quantityShown) << c.what;
        EXPECT_EQ(shown(menu->action(PpMenu::MarkAll)), c.markAllShown) << c.what;
        EXPECT_EQ(shown(separatorBefore(menu.get(), menu->action(PpMenu::MarkAll))), c.markAllShown) << c.what;
        EXPECT_EQ(shown(menu->action(PpMenu::CancelSort)), c.cancelShown) << c.what;
        for (PpMenu::Item always : {PpMenu::RecordCount, PpMenu::DisplayFields, PpMenu::SortSetup, PpMenu::Refresh})
            EXPECT_TRUE(shown(menu->action(always))) << c.what;
        EXPECT_EQ(menu->context().ownerName, owner);
        EXPECT_EQ(menu->context().marked, c.withMarks ? &marked : nullptr);
        EXPECT_EQ(menu->context().browseAction, c.browse);
    }

    ds->close();
    EXPECT_FALSE(menu->prepare(grid.get(), 0, &marked, 0));
}

TEST_F(PopupTest, MarkAllSkipsUnmarkableRowsAndAlternates)
{
    ds->first();
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    QAction *all = menu->action(PpMenu::MarkAll);
    all->trigger();
    EXPECT_EQ(marked.markedKeys(), QStringList({QStringLiteral("B001"), QStringLiteral("B003"), QStringLiteral("B004")}));
    EXPECT_TRUE(all->isChecked());
    EXPECT_EQ(ds->currentRow(), 4);   // the walk ends on the last row
    EXPECT_EQ(grid->currentIndex().row(), 4);

    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    all->trigger();
    EXPECT_TRUE(marked.isEmpty());
    EXPECT_FALSE(all->isChecked());
}

TEST_F(PopupTest, MarkAllAfterTheListWasReplacedFirstClearsThenMarks)
{
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    QAction *all = menu->action(PpMenu::MarkAll);
    all->trigger();
    ASSERT_TRUE(all->isChecked());

    // Another category: the window drops its marks and opens a new list.
    marked.clear();
    ds->setStatement(QStringLiteral("SELECT tm, sm, isbn, zbh, dj, cdcs FROM probe_book WHERE zbh > 2"));
    ds->open();

    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    all->trigger();
    EXPECT_TRUE(marked.isEmpty());
    EXPECT_FALSE(all->isChecked());
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    all->trigger();
    EXPECT_EQ(marked.markedKeys(), QStringList({QStringLiteral("B001"), QStringLiteral("B003")}));   // B005 has cdcs
}

TEST_F(PopupTest, MarkAllCheckResetsWhenTheOwnerClassChanges)
{
    QAction *all = menu->action(PpMenu::MarkAll);
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    all->trigger();
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    EXPECT_TRUE(all->isChecked());   // same window class: kept

    owner = QStringLiteral("TFrmQuery");
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    EXPECT_FALSE(all->isChecked());
    EXPECT_EQ(marked.size(), 3);     // only the check is reset, not the marks
}

TEST_F(PopupTest, RefreshDropsTheSortButKeepsTheTitleMarker)
{
    grid->titleClick(col(QStringLiteral("SM")));
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    EXPECT_TRUE(shown(menu->action(PpMenu::CancelSort)));
    menu->action(PpMenu::Refresh)->trigger();

    EXPECT_TRUE(ds->isOpen());
    EXPECT_TRUE(ds->sortText().isEmpty());
    EXPECT_EQ(values(QStringLiteral("tm")).join(u','), QStringLiteral("B001,B002,B003,B004,B005"));
    EXPECT_EQ(title(QStringLiteral("SM")), QStringLiteral("书名") + GridColumns::AscMarker);
    EXPECT_TRUE(grid->columns().at(col(QStringLiteral("SM"))).emphasised);
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    EXPECT_FALSE(shown(menu->action(PpMenu::CancelSort)));
}

TEST_F(PopupTest, CancelSortClearsMarkersAndOrder)
{
    grid->titleClick(col(QStringLiteral("SM")));
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    menu->action(PpMenu::CancelSort)->trigger();
    EXPECT_TRUE(ds->sortText().isEmpty());
    EXPECT_EQ(title(QStringLiteral("SM")), QStringLiteral("书名"));
    EXPECT_FALSE(grid->columns().at(col(QStringLiteral("SM"))).emphasised);
    EXPECT_EQ(values(QStringLiteral("tm")).first(), QStringLiteral("B001"));
}

TEST_F(PopupTest, RefreshErrorIsShownAndTheListStaysClosed)
{
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    ds->setStatement(QStringLiteral("SELECT nothing FROM no_such_table"));
    menu->action(PpMenu::Refresh)->trigger();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_FALSE(prompter.shown[0].text.isEmpty());
    EXPECT_FALSE(ds->isOpen());
    EXPECT_EQ(grid->gridModel()->rowCount(), 0);
}

// A failing item or grid action is told in the standard error box and goes no further.
TEST_F(PopupTest, FailingActionsAreReportedNotPassedOn)
{
    const struct {
        const char *what;
        std::function<void()> act;
    } cases[] = {
        {"menu item", [this] { menu->action(PpMenu::Browse)->trigger(); }},
        {"double click", [this] { QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                                                     grid->visualRect(grid->gridModel()->index(1, 1)).center()); }},
        {"quantity", [this] { menu->action(PpMenu::OrderQuantity)->trigger(); }},
    };
    menu->setDetailOpener([](DataSet &) { throw AppError(QStringLiteral("详细信息坏了")); });
    menu->setQuantityOpener([](DbGrid &) { throw std::runtime_error("quantity failed"); });
    grid->setOpensDetail(true);
    for (const auto &c : cases) {
        prompter.shown.clear();
        ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0)) << c.what;
        c.act();
        ASSERT_EQ(prompter.shown.size(), 1) << c.what;
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error) << c.what;
        EXPECT_EQ(prompter.shown[0].caption, errorCaption()) << c.what;
        const QString expected = QString::fromLatin1(c.what) == u"quantity" ? QStringLiteral("quantity failed")
                                                                            : QStringLiteral("详细信息坏了");
        EXPECT_EQ(prompter.shown[0].text, expected) << c.what;
    }
}

TEST_F(PopupTest, RecordCountQuantityAndBrowse)
{
    int quantityOpened = 0;
    int detailOpened = 0;
    menu->setQuantityOpener([&](DbGrid &g) {
        EXPECT_EQ(&g, grid.get());
        ++quantityOpened;
    });
    menu->setDetailOpener([&](DataSet &d) {
        EXPECT_EQ(&d, ds.get());
        ++detailOpened;
    });

    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    menu->action(PpMenu::RecordCount)->trigger();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("当前数据集记录数量为：5"));
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("系统提示"));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Plain);

    menu->action(PpMenu::OrderQuantity)->trigger();
    EXPECT_EQ(quantityOpened, 1);
    menu->action(PpMenu::Browse)->trigger();
    EXPECT_EQ(detailOpened, 1);

    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 1));   // browse action 1: nothing
    menu->action(PpMenu::Browse)->trigger();
    EXPECT_EQ(detailOpened, 1);

    ds->setStatement(QStringLiteral("SELECT tm, sm, isbn, zbh, dj, cdcs FROM probe_book WHERE 0"));
    ds->open();
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    menu->action(PpMenu::OrderQuantity)->trigger();
    EXPECT_EQ(quantityOpened, 1);
    EXPECT_EQ(prompter.shown.last().text, QStringLiteral("没有选择要修改的记录，不能修改定购数量！"));
    EXPECT_EQ(prompter.shown.last().flags, MsgFlags::Information);
}

TEST_F(PopupTest, RightButtonReleaseOpensTheMenuWithTheGridsOptions)
{
    grid->setPopupOptions(1, -1);
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            opened = popup == menu.get();
            popup->close();
        }
    });
    clickCell(2, col(QStringLiteral("SM")), Qt::RightButton);
    EXPECT_TRUE(opened);
    EXPECT_EQ(menu->context().grid, grid.get());
    EXPECT_EQ(menu->context().displayFieldMode, 1);
    EXPECT_EQ(menu->context().browseAction, -1);
    EXPECT_EQ(menu->context().marked, &marked);

    grid->setPopupOptions(0, 0, false);
    QTimer::singleShot(0, [] {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    });
    grid->openPopup(grid->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(menu->context().marked, nullptr);
    EXPECT_FALSE(menu->action(PpMenu::MarkAll)->isVisible());
}

} // namespace

