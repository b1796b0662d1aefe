// The category and planned-textbook browse windows, driven with the mouse and the keyboard over
// a demo catalogue: choosing a category, marks into the cart, export, the strips, focus order.
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "catalog/book_browse_widget.h"
#include "catalog/book_detail_pane.h"
#include "catalog/category_browse_window.h"
#include "catalog/planned_browse_window.h"
#include "common/gbk_codec.h"
#include "data/demo_catalogue.h"
#include "data/sql_helper.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"
#include "widgets/toggle_strip_widget.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class BrowseWindowTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    ScriptedPrompter prompter;

    void SetUp() override
    {
        DemoCatalogue::fill(db, 300, nullptr);
        tree.copyFromDist(QStringLiteral("bookimages"));
    }

    // One column of a statement's rows, in its order.
    QStringList column(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery q(db);
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        EXPECT_TRUE(q.exec()) << sql.toStdString();
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }

    template <class W>
    std::unique_ptr<W> showWindow()
    {
        auto w = std::make_unique<W>(prompter, db);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    static QStringList listed(BookBrowseWidget *b, const QString &field)
    {
        QStringList out;
        for (int row = 0; row < b->books().recordCount(); ++row)
            out << b->books().text(row, field);
        return out;
    }

    static void clickMark(BookBrowseWidget *b, int row)
    {
        DbGrid *grid = b->grid();
        const QModelIndex index = grid->gridModel()->index(row, grid->columns().markColumn());
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }

    static void clickStrip(TToggleStrip *strip)
    {
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->topPicture()->geometry().center());
        QCoreApplication::sendPostedEvents();   // the layouts follow
    }
};

class CategoryBrowseTest : public BrowseWindowTest {
protected:
    std::unique_ptr<TFrmbookTypeB> w;
    QTreeWidget *tv = nullptr;
    BookBrowseWidget *b = nullptr;

    void SetUp() override
    {
        BrowseWindowTest::SetUp();
        w = showWindow<TFrmbookTypeB>();
        tv = w->findChild<QTreeWidget *>(QStringLiteral("Tvpress"));
        ASSERT_NE(tv, nullptr);
        b = w->browse();
    }

    QTreeWidgetItem *node(const QString &name) const
    {
        const auto found = tv->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    void clickNode(QTreeWidgetItem *item)
    {
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(item).center());
    }

    // A category with titles that is not the first in the tree.
    QString someCategory() const { return tv->topLevelItem(2)->text(0); }

    QStringList titlesOf(const QString &category) const
    {
        return column(QStringLiteral("select tm from qrydebooks where ywbc=? order by zbh"), {category});
    }

    QPushButton *button(const char *name) const
    {
        return w->findChild<QPushButton *>(QString::fromLatin1(name));
    }
};

TEST_F(CategoryBrowseTest, OpensWithTheCategoriesAndNoList)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("分类浏览"));
    const QStringList expected = column(QStringLiteral(
        "select name from (select distinct cno2 as bh,category2 as name,xh from debook_categories2) order by xh"));
    ASSERT_FALSE(expected.isEmpty());
    QStringList shown;
    for (int i = 0; i < tv->topLevelItemCount(); ++i) {
        shown << tv->topLevelItem(i)->text(0);
        EXPECT_EQ(tv->topLevelItem(i)->childCount(), 0);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(w->findChild<QLabel *>(QStringLiteral("Panel4"))->text(), QStringLiteral("          图书分类"));
    EXPECT_FALSE(b->books().isOpen());
    EXPECT_EQ(b->grid()->gridModel()->rowCount(), 0);

    // A click on the tree's empty area before any node was chosen does nothing.
    QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, QPoint(20, tv->viewport()->height() - 4));
    EXPECT_FALSE(b->books().isOpen());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(CategoryBrowseTest, ChoosingACategoryListsItsTitlesInZbhOrder)
{
    const QString category = someCategory();
    const QStringList expected = titlesOf(category);
    ASSERT_GT(expected.size(), 3);
    clickNode(node(category));
    ASSERT_TRUE(b->books().isOpen());
    EXPECT_EQ(listed(b, QStringLiteral("tm")), expected);
    EXPECT_EQ(b->grid()->gridModel()->rowCount(), expected.size());
    EXPECT_EQ(b->books().currentRow(), 0);
    for (const QString &name : listed(b, QStringLiteral("ywbc")))
        ASSERT_EQ(name, category);

    // Another category replaces the list.
    const QString other = tv->topLevelItem(0)->text(0);
    clickNode(node(other));
    EXPECT_EQ(listed(b, QStringLiteral("tm")), titlesOf(other));
}

TEST_F(CategoryBrowseTest, MarkedTitlesGoIntoTheCartAndTheMarksAreCleared)
{
    clickNode(node(someCategory()));
    for (int row : {1, 3, 4})
        clickMark(b, row);
    const QStringList wanted = {b->books().text(1, QStringLiteral("tm")), b->books().text(3, QStringLiteral("tm")),
                                b->books().text(4, QStringLiteral("tm"))};
    ASSERT_EQ(b->marked().markedKeys(), wanted);

    QTest::mouseClick(button("BtnShop"), Qt::LeftButton);
    QStringList inCart = column(QStringLiteral("select tm from deshopcart_mx"));
    inCart.sort();
    QStringList sortedWanted = wanted;
    sortedWanted.sort();
    EXPECT_EQ(inCart, sortedWanted);
    EXPECT_EQ(column(QStringLiteral("select distinct sl from deshopcart_mx")), QStringList{"10"});
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("已经将所选书目放入购物车")});
    EXPECT_TRUE(b->marked().isEmpty());

    // With nothing marked the button says so and writes nothing more.
    QTest::mouseClick(button("BtnShop"), Qt::LeftButton);
    EXPECT_EQ(prompter.texts().last(), QStringLiteral("请选择放入购物车中的书目"));
    EXPECT_EQ(column(QStringLiteral("select count(*) from deshopcart_mx")), QStringList{"3"});
}

TEST_F(CategoryBrowseTest, ClickingTheSameCategoryReloadsAndClearsMarks)
{
    const QString category = someCategory();
    clickNode(node(category));
    clickMark(b, 0);
    clickMark(b, 2);
    b->books().setSortText(QStringLiteral("SM DESC"));
    ASSERT_EQ(b->marked().size(), 2);

    clickNode(node(category));
    EXPECT_TRUE(b->marked().isEmpty());
    EXPECT_TRUE(b->books().sortText().isEmpty());
    EXPECT_EQ(listed(b, QStringLiteral("tm")), titlesOf(category));

    // Once a node is selected, a click on the empty area chooses it again.
    clickMark(b, 1);
    QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, QPoint(20, tv->viewport()->height() - 4));
    EXPECT_TRUE(b->marked().isEmpty());
    EXPECT_EQ(listed(b, QStringLiteral("tm")), titlesOf(category));
}

TEST_F(CategoryBrowseTest, ACategoryWithoutTitlesHasNothingToExport)
{
    // The name carries a quote: it reaches the statement as a bound value.
    const QString empty = QStringLiteral("暂无书目'类");
    Sql::exec(db, QStringLiteral("insert into debook_categories2 (pno,cno2,category2,xh) values ('P99','99',?,999)"),
              {empty});
    w.reset();
    w = showWindow<TFrmbookTypeB>();
    tv = w->findChild<QTreeWidget *>(QStringLiteral("Tvpress"));
    b = w->browse();

    clickNode(node(empty));
    EXPECT_TRUE(b->books().isOpen());
    EXPECT_EQ(b->books().recordCount(), 0);
    QTest::mouseClick(button("BtnExp"), Qt::LeftButton);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown.first().text, QStringLiteral("没有可以导出的数据"));
    EXPECT_EQ(prompter.shown.first().flags, MsgFlags::Plain);
    EXPECT_TRUE(prompter.saveRequests.isEmpty());
}

TEST_F(CategoryBrowseTest, ExportWritesLayoutAAndLeavesTheLastRowCurrent)
{
    const QString category = someCategory();
    clickNode(node(category));
    const int rows = b->books().recordCount();
    const QString path = tree.path(QStringLiteral("list.txt"));
    prompter.saveAnswers.enqueue(path);

    QTest::mouseClick(button("BtnExp"), Qt::LeftButton);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = Gbk::decode(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), rows + 2);   // header, rows, and the empty text after the last CR LF
    EXPECT_EQ(lines.first(), QStringLiteral("书名\t作者\t出版社名称\tISBN\t估定价\t本季征订序号"));
    EXPECT_EQ(lines.at(1).section(u'\t', 0, 0), b->books().text(0, QStringLiteral("sm")));
    EXPECT_EQ(lines.at(rows).section(u'\t', 5, 5), b->books().text(rows - 1, QStringLiteral("zbh")));
    EXPECT_EQ(b->books().currentRow(), rows - 1);
    EXPECT_EQ(b->grid()->currentIndex().row(), rows - 1);
    EXPECT_TRUE(prompter.shown.isEmpty());

    // A cancelled save dialog writes nothing and leaves the row alone.
    b->books().first();
    QTest::mouseClick(button("BtnExp"), Qt::LeftButton);
    EXPECT_EQ(b->books().currentRow(), 0);
}

TEST_F(CategoryBrowseTest, StripsShowAndHideThePaneAndTheCategoryPanel)
{
    TToggleStrip *paneStrip = b->paneStrip();
    QWidget *pane = b->pane();
    EXPECT_FALSE(pane->isVisible());
    EXPECT_EQ(paneStrip->topPicture()->objectName(), QStringLiteral("ImgUp"));
    EXPECT_EQ(paneStrip->topPicture()->toolTip(), QStringLiteral("显示明细"));
    const int gridHeight = b->grid()->height();

    clickStrip(paneStrip);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(paneStrip->topPicture()->objectName(), QStringLiteral("ImgDown"));
    EXPECT_LT(b->grid()->height(), gridHeight);
    EXPECT_LT(b->grid()->geometry().bottom(), pane->mapTo(b, QPoint(0, 0)).y() + 1);
    clickStrip(paneStrip);
    EXPECT_FALSE(pane->isVisible());

    QWidget *panel1 = w->findChild<QWidget *>(QStringLiteral("Panel1"));
    auto *navStrip = w->findChild<TToggleStrip *>(QStringLiteral("NavStrip"));
    ASSERT_NE(navStrip, nullptr);
    EXPECT_TRUE(panel1->isVisible());
    EXPECT_EQ(panel1->width(), 184);
    const int gridWidth = b->grid()->width();
    clickStrip(navStrip);
    EXPECT_FALSE(panel1->isVisible());
    EXPECT_GT(b->grid()->width(), gridWidth);
    clickStrip(navStrip);
    EXPECT_TRUE(panel1->isVisible());
}

TEST_F(CategoryBrowseTest, KeyboardChoosesCategoriesAndMovesTreeGridButtons)
{
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    tv->setFocus();
    tv->setCurrentItem(tv->topLevelItem(1));
    QTest::keyClick(tv, Qt::Key_Down);
    EXPECT_FALSE(b->books().isOpen());   // moving alone does not load
    QTest::keyClick(tv, Qt::Key_Return);
    const QString category = tv->topLevelItem(2)->text(0);
    EXPECT_EQ(listed(b, QStringLiteral("tm")), titlesOf(category));
    clickMark(b, 0);
    tv->setFocus();
    QTest::keyClick(tv, Qt::Key_Space);
    EXPECT_TRUE(b->marked().isEmpty());

    const QList<QWidget *> chain = {tv, b->grid(), button("BtnShop"), button("BtnExp"), button("BtnClose")};
    tv->setFocus();
    for (int i = 1; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), chain.at(i)) << "step " << i;
    }
    for (QWidget *widget : chain)
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    EXPECT_EQ(button("BtnExp")->accessibleName(), QStringLiteral("导出"));
}

TEST_F(CategoryBrowseTest, ButtonsAndGridAreSetUpAsTheWindowNeedsThem)
{
    const struct {
        const char *name;
        const char *caption;
    } buttons[] = {{"BtnShop", "放入购物车"}, {"BtnExp", "导出(&E)"}, {"BtnClose", "关闭(&C)"}};
    int x = -1;
    for (const auto &c : buttons) {
        QPushButton *btn = button(c.name);
        ASSERT_NE(btn, nullptr) << c.name;
        EXPECT_EQ(btn->text(), QString::fromUtf8(c.caption));
        const int left = btn->mapTo(w.get(), QPoint(0, 0)).x();
        EXPECT_GT(left, x) << c.name;   // left to right in this order
        x = left;
    }
    EXPECT_GT(x, w->width() / 2);   // right-aligned
    EXPECT_EQ(button("BtnShop")->property("tag").toInt(), 2);
    EXPECT_EQ(b->grid()->objectName(), QStringLiteral("Dbgbook"));
    EXPECT_EQ(b->grid()->columnWidth(b->grid()->columns().indexOfField(QStringLiteral("SM"))), 269);

    FormCatalog::registerAll();
    EXPECT_TRUE(FormRegistry::instance().isRegistered(QStringLiteral("TFrmbookTypeB")));
    EXPECT_TRUE(FormRegistry::instance().isRegistered(QStringLiteral("TFrmbook115")));
}

TEST_F(BrowseWindowTest, CloseButtonFreesTheWindowAndItsChildWindowFrame)
{
    const std::function<QWidget *()> makers[] = {
        [this] { return new TFrmbookTypeB(prompter, db); },
        [this] { return new TFrmbook115(prompter, db); },
    };
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    for (const auto &make : makers) {
        QPointer<QWidget> window = make();
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMdiSubWindow> frame = area.addSubWindow(window);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("BtnClose")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << window->metaObject()->className();
        EXPECT_TRUE(frame.isNull());
    }
}

TEST_F(BrowseWindowTest, PlannedBrowseListsOnlyPlannedTitles)
{
    const QStringList expected = column(QStringLiteral("select tm from qrydebooks where kz11 = '十一五'"));
    ASSERT_FALSE(expected.isEmpty());
    ASSERT_LT(expected.size(), 300);
    auto w = showWindow<TFrmbook115>();
    BookBrowseWidget *b = w->browse();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("十一五规划教材浏览"));
    EXPECT_EQ(listed(b, QStringLiteral("tm")), expected);
    EXPECT_EQ(b->books().fieldIndex(QStringLiteral("fmtp")), -1);
    EXPECT_EQ(b->grid()->columnWidth(b->grid()->columns().indexOfField(QStringLiteral("SM"))), 744);
    EXPECT_FALSE(b->pane()->isVisible());
    EXPECT_EQ(w->findChild<QTreeWidget *>(), nullptr);

    clickMark(b, 0);
    QTest::mouseClick(b->shopButton(), Qt::LeftButton);
    EXPECT_EQ(column(QStringLiteral("select tm from deshopcart_mx")), QStringList{expected.first()});
}

TEST_F(BrowseWindowTest, PlannedBrowseWithoutPlannedTitlesHasNothingToExport)
{
    Sql::exec(db, QStringLiteral("update debooks set kz11 = null"));
    auto w = showWindow<TFrmbook115>();
    BookBrowseWidget *b = w->browse();
    EXPECT_TRUE(b->books().isOpen());
    EXPECT_EQ(b->grid()->gridModel()->rowCount(), 0);
    QTest::mouseClick(b->exportButton(), Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("没有可以导出的数据")});
}

} // namespace
