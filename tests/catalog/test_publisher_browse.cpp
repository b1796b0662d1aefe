// The publisher browse: the label layout, and the window driven end to end over a demo
// catalogue plus a few publishers of our own.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "common/app_settings.h"
#include "catalog/book_browse_widget.h"
#include "catalog/category_label_layout.h"
#include "catalog/publisher_browse_window.h"
#include "common/gbk_codec.h"
#include "data/demo_catalogue.h"
#include "grid/grid_view.h"
#include "grid/marked_rows.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTest>
#include <QTreeWidget>

namespace {

// --- label layout ----------------------------------------------------------------------------

struct LayoutCase {
    int width;
    int count;
    int height;
    QList<QPoint> expected;
};

TEST(CategoryLabelLayout, RowsFollowTheAreaWidth)
{
    const LayoutCase cases[] = {
        // Two 190-pixel slots: rows of two, row r at 8r + (r-1)·20.
        {400, 5, 20, {{10, 8}, {190, 8}, {10, 36}, {190, 36}, {10, 64}}},
        // Exactly one slot: one label per row.
        {190, 3, 15, {{10, 8}, {10, 31}, {10, 54}}},
        // Narrower than one slot: no column count, every label stays on the first row.
        {189, 3, 15, {{10, 8}, {190, 8}, {370, 8}}},
        {0, 2, 15, {{10, 8}, {190, 8}}},
        {1000, 0, 15, {}},
    };
    for (const LayoutCase &c : cases)
        EXPECT_EQ(CategoryLabelLayout::positions(c.count, c.width, c.height), c.expected) << "width " << c.width;
}

TEST(CategoryLabelLayout, ColumnsPerWidth)
{
    const QList<QPair<int, int>> cases = {{-5, 0}, {189, 0}, {190, 1}, {379, 1}, {380, 2}, {760, 4}};
    for (const auto &[width, columns] : cases)
        EXPECT_EQ(CategoryLabelLayout::columns(width), columns) << "width " << width;
}

// --- the window ------------------------------------------------------------------------------

class PublisherBrowseTest : public CatalogFixture {
protected:
    void SetUp() override
    {
        DemoCatalogue::fill(db, 300, nullptr);
        tree.copyFromDist(QStringLiteral("bookimages"));
    }

    // Made as the program makes it: the pane setting read from the configuration.
    std::unique_ptr<TFrmMagN> open(const QByteArray &config = QByteArray())
    {
        tree.writeConfig(config);
        BrowseSetup setup;
        setup.showDetail = AppSettings::showDetail(QStringLiteral("FrmMag"));
        auto w = std::make_unique<TFrmMagN>(prompter, db, setup);
        w->show();
        return w;
    }

    void addPublisher(const QString &code, const QString &name, int xh)
    {
        Sql::exec(db, QStringLiteral("insert into publishers (puno,puname,xh) values (?,?,?)"), {code, name, xh});
    }
    void addBook(const QString &tm, const QString &code, const QString &ztmc = QString())
    {
        insertBook({{"tm", tm}, {"sm", QStringLiteral("书") + tm}, {"cbbm", code}, {"cbmc", QStringLiteral("版别") + code},
                    {"ztmc", ztmc}, {"zbh", tm}, {"dj", 20}});
    }

    // The first column of every row of a statement, as text.
    QStringList column(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery q = Sql::exec(db, sql, values);
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
    int count(const QString &sql, const QVariantList &values) const
    {
        return Sql::scalar(db, sql, values).toInt();
    }

    template <typename T>
    static T *find(TFrmMagN &w, const char *name)
    {
        T *child = w.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QList<QLabel *> labels(TFrmMagN &w)
    {
        return find<QScrollArea>(w, "SbType")->widget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    }
    static QStringList texts(const QList<QLabel *> &list)
    {
        QStringList out;
        for (QLabel *l : list)
            out << l->text();
        return out;
    }
    static QStringList treeTexts(TFrmMagN &w)
    {
        auto *tv = find<QTreeWidget>(w, "Tvpress");
        QStringList out;
        for (int i = 0; i < tv->topLevelItemCount(); ++i)
            out << tv->topLevelItem(i)->text(0);
        return out;
    }
    // Focus moves only in the active window.
    static void activate(TFrmMagN &w)
    {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    static QString countText(TFrmMagN &w) { return find<QLabel>(w, "lbcount")->text(); }
    static int rows(TFrmMagN &w) { return w.browse()->books().recordCount(); }

    static void filter(TFrmMagN &w, const QString &text)
    {
        auto *edit = find<QLineEdit>(w, "EdtPress");
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    static void clickNode(TFrmMagN &w, int index)
    {
        auto *tv = find<QTreeWidget>(w, "Tvpress");
        QTreeWidgetItem *item = tv->topLevelItem(index);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(item).center());
    }
    // Picks a mode the way the keyboard does, one entry at a time.
    static void chooseMode(TFrmMagN &w, int index)
    {
        auto *box = find<QComboBox>(w, "CbxType");
        while (box->currentIndex() != index)
            QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }
    static void clickMark(TFrmMagN &w, int row)
    {
        DbGrid *grid = w.browse()->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, 0)).center());
    }

    QStringList firstPublisher() const
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select puno,puname from qrypublishers order by xh,puname"));
        return q.next() ? QStringList{q.value(0).toString(), q.value(1).toString()} : QStringList();
    }
    int titlesOf(const QString &code) const
    {
        return count(QStringLiteral("select count(*) from qrydebooks where cbbm=?"), {code});
    }

    ScriptedPrompter prompter;
};

TEST_F(PublisherBrowseTest, OpeningChoosesTheFirstPublisherWithItsLabelsAndAllItsTitles)
{
    const auto w = open();
    const QStringList first = firstPublisher();
    ASSERT_EQ(first.size(), 2);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("版别浏览"));
    EXPECT_EQ(find<QComboBox>(*w, "CbxType")->currentText(), QStringLiteral("按专业分类浏览书目"));
    EXPECT_EQ(w->publisherCode(), first[0]);
    EXPECT_EQ(find<QLabel>(*w, "LbPress")->text(), QStringLiteral("出版社名称：") + first[1]);
    EXPECT_EQ(find<QTreeWidget>(*w, "Tvpress")->currentItem()->text(0), first[1]);

    // One label per specialty category, in code order, with the code as hint.
    const QList<QLabel *> shown = labels(*w);
    const QStringList names =
        column(QStringLiteral("select category from debook_categories where pno=? order by cno"), {first[0]});
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(texts(shown), names);
    EXPECT_EQ(shown.first()->toolTip(),
              column(QStringLiteral("select cno from debook_categories where pno=? order by cno"), {first[0]}).first());
    // The last label is the current category; the titles shown are all of the publisher's.
    EXPECT_EQ(w->category(), names.last());
    const int all = titlesOf(first[0]);
    EXPECT_GT(all, 0);
    EXPECT_EQ(rows(*w), all);
    EXPECT_EQ(countText(*w), QStringLiteral("共有图书：%1").arg(all));

    // Laid out by the area's width, under a top panel of 140 pixels.
    const auto at = CategoryLabelLayout::positions(int(shown.size()), find<QScrollArea>(*w, "SbType")->width(),
                                                   shown.first()->height());
    for (int i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i]->pos(), at[i]) << i;
    EXPECT_EQ(find<QWidget>(*w, "Pl")->height(), 140);
}

TEST_F(PublisherBrowseTest, PaneShowsAtOpeningOnlyWhenTheWindowSectionSaysY)
{
    const QList<QPair<QByteArray, bool>> cases = {
        {QByteArray(), false},
        {"[FrmMag]\r\nShowDetailYoN=Y\r\n", true},
        {"[FrmMag]\r\nShowDetailYoN=y\r\n[ALL]\r\nShowDetailYoN=Y\r\n", false},
    };
    for (const auto &[config, shown] : cases) {
        const auto w = open(config);
        EXPECT_EQ(w->browse()->paneVisible(), shown) << config.toStdString();
    }
}

TEST_F(PublisherBrowseTest, LabelsAndThePublisherLabelReplaceTheListAndClearTheMarks)
{
    const auto w = open();
    const QString code = w->publisherCode();
    const QList<QLabel *> shown = labels(*w);
    ASSERT_GE(shown.size(), 2);

    clickMark(*w, 0);
    clickMark(*w, 1);
    EXPECT_EQ(w->browse()->marked().size(), 2);
    QLabel *second = shown[1];
    QTest::mouseClick(second, Qt::LeftButton);
    const int inCategory =
        count(QStringLiteral("select count(*) from qrydebooks where cbbm=? and ztmc=?"), {code, second->text()});
    EXPECT_EQ(w->category(), second->text());
    EXPECT_EQ(rows(*w), inCategory);
    EXPECT_EQ(countText(*w), second->text() + QStringLiteral(": %1").arg(inCategory));
    EXPECT_TRUE(w->browse()->marked().isEmpty());

    clickMark(*w, 0);
    QTest::mouseClick(find<QLabel>(*w, "LbPress"), Qt::LeftButton);
    EXPECT_EQ(rows(*w), titlesOf(code));
    EXPECT_EQ(countText(*w), QStringLiteral("共有图书：%1").arg(titlesOf(code)));
    EXPECT_TRUE(w->browse()->marked().isEmpty());

    // From the keyboard: the arrow keys move between labels, Enter chooses.
    activate(*w);
    shown.last()->setFocus();
    QTest::keyClick(shown.last(), Qt::Key_Left);
    QLabel *before = shown[shown.size() - 2];
    EXPECT_TRUE(before->hasFocus());
    QTest::keyClick(before, Qt::Key_Return);
    EXPECT_EQ(w->category(), before->text());
    EXPECT_TRUE(countText(*w).startsWith(before->text() + QStringLiteral(": ")));
}

TEST_F(PublisherBrowseTest, FilterMatchesCodeOrNameAndKeepsTheCurrentPublisher)
{
    // A name holding a demo publisher's code, listed first by its xh.
    addPublisher(QStringLiteral("X1"), QStringLiteral("东方5615书局"), 0);
    addBook(QStringLiteral("X1-1"), QStringLiteral("X1"));
    const auto w = open();
    const QString current = w->publisherCode();
    const QString counted = countText(*w);

    const QString oracle = QStringLiteral("select puname from qrypublishers where instr(puname,?)>0 or instr(puno,?)>0"
                                          " order by xh,puname");
    for (const QString &text : {QStringLiteral("5615"), QStringLiteral("大学"), QStringLiteral("O'Neil"),
                                QStringLiteral("X")}) {
        filter(*w, text);
        const QStringList expected = column(oracle, {text, text});
        EXPECT_EQ(treeTexts(*w), expected) << text.toStdString();
        auto *tv = find<QTreeWidget>(*w, "Tvpress");
        if (!expected.isEmpty()) {
            EXPECT_EQ(tv->currentItem(), tv->topLevelItem(0)) << text.toStdString();
        }
    }
    filter(*w, QStringLiteral("5615"));
    EXPECT_EQ(treeTexts(*w).size(), 2);
    EXPECT_EQ(treeTexts(*w).first(), QStringLiteral("东方5615书局"));

    // Re-filtering changed nothing on the right.
    EXPECT_EQ(w->publisherCode(), current);
    EXPECT_EQ(countText(*w), counted);

    // An empty tree ignores clicks; clearing the filter lists every publisher again.
    filter(*w, QStringLiteral("no such press"));
    EXPECT_TRUE(treeTexts(*w).isEmpty());
    QTest::mouseClick(find<QTreeWidget>(*w, "Tvpress")->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(w->publisherCode(), current);
    filter(*w, QString());
    EXPECT_EQ(treeTexts(*w), column(QStringLiteral("select puname from qrypublishers order by xh,puname")));

    clickNode(*w, 0);
    EXPECT_EQ(w->publisherCode(), QStringLiteral("X1"));
    EXPECT_EQ(countText(*w), QStringLiteral("共有图书：1"));
}

struct ModeCase {
    int index;
    const char *categories;   // names of the publisher's categories, in label order
    const char *titles;       // titles of one category: (publisher, category)
};

TEST_F(PublisherBrowseTest, ChangingTheModeShowsTheLastCategoryOfTheNewMode)
{
    const auto w = open();
    const QString code = w->publisherCode();
    const ModeCase cases[] = {
        {1, "select category2 from debook_categories2 where pno=? order by cno2",
         "select count(*) from qrydebooks where cbbm=? and ywbc=?"},
        {2, "select name from debookotype where pno=? order by id",
         "select count(*) from qrydebooks b where b.cbbm=? and exists (select 1 from debook2type d"
         " inner join debookotype o on o.id=d.cid where d.bh=b.tm and o.name=? and o.pno=b.cbbm)"},
        {0, "select category from debook_categories where pno=? order by cno",
         "select count(*) from qrydebooks where cbbm=? and ztmc=?"},
    };
    for (const ModeCase &c : cases) {
        chooseMode(*w, c.index);
        const QStringList names = column(QString::fromLatin1(c.categories), {code});
        ASSERT_FALSE(names.isEmpty()) << c.index;
        const int n = count(QString::fromLatin1(c.titles), {code, names.last()});
        EXPECT_EQ(w->mode(), find<QComboBox>(*w, "CbxType")->itemText(c.index));
        EXPECT_EQ(texts(labels(*w)), names) << c.index;
        EXPECT_EQ(w->category(), names.last());
        EXPECT_EQ(rows(*w), n) << c.index;
        EXPECT_EQ(countText(*w), names.last() + QStringLiteral(": %1").arg(n));
    }
    // The further classifications do list titles somewhere in the demo catalogue.
    EXPECT_GT(count(QStringLiteral("select count(*) from debook2type d inner join debookotype o on o.id=d.cid"
                                   " where o.pno=?"),
                    {code}),
              0);
}

TEST_F(PublisherBrowseTest, PublisherWithoutCategoriesCollapsesTheTopPanel)
{
    addPublisher(QStringLiteral("X3"), QStringLiteral("无分类出版社"), 0);
    addBook(QStringLiteral("X3-1"), QStringLiteral("X3"));
    addBook(QStringLiteral("X3-2"), QStringLiteral("X3"));
    const auto w = open();
    auto *splitter = find<QSplitter>(*w, "Splitter2");
    auto *top = find<QWidget>(*w, "Pl");

    ASSERT_EQ(w->publisherCode(), QStringLiteral("X3"));
    EXPECT_TRUE(labels(*w).isEmpty());
    EXPECT_EQ(top->height(), 33);
    EXPECT_FALSE(splitter->handle(1)->isVisible());
    EXPECT_EQ(rows(*w), 2);
    EXPECT_EQ(countText(*w), QStringLiteral("共有图书：2"));
    w->hide();   // as a child-window frame does when it maximises
    w->show();
    EXPECT_FALSE(splitter->handle(1)->isVisible());
    for (int mode : {1, 2}) {
        chooseMode(*w, mode);
        EXPECT_EQ(top->height(), 33) << mode;
        EXPECT_EQ(countText(*w), QStringLiteral("共有图书：2")) << mode;
    }

    // The next publisher has further classifications: labels, splitter and 140 pixels come back.
    clickNode(*w, 1);
    EXPECT_NE(w->publisherCode(), QStringLiteral("X3"));
    EXPECT_FALSE(labels(*w).isEmpty());
    EXPECT_TRUE(splitter->handle(1)->isVisible());
    EXPECT_EQ(top->height(), 140);

    // Dragging never takes the top panel under its title bar.
    splitter->setSizes({0, splitter->height()});
    EXPECT_EQ(top->height(), 33);
}

TEST_F(PublisherBrowseTest, EmptyCategoryHasNothingToExportOrPrint)
{
    // A quote in a category name is only text.
    addPublisher(QStringLiteral("X4"), QStringLiteral("空分类出版社"), 0);
    addBook(QStringLiteral("X4-1"), QStringLiteral("X4"), QStringLiteral("O'Reilly系列"));
    Sql::exec(db, QStringLiteral("insert into debook_categories (pno,cno,category) values ('X4','01','O''Reilly系列'),"
                                 "('X4','02','空的分类')"));
    const auto w = open();
    ASSERT_EQ(w->publisherCode(), QStringLiteral("X4"));
    QList<QLabel *> shown = labels(*w);
    ASSERT_EQ(shown.size(), 2);
    QTest::mouseClick(shown[0], Qt::LeftButton);
    EXPECT_EQ(countText(*w), QStringLiteral("O'Reilly系列: 1"));

    QTest::mouseClick(shown[1], Qt::LeftButton);
    EXPECT_EQ(countText(*w), QStringLiteral("空的分类: 0"));
    prompter.saveAnswers << tree.path(QStringLiteral("never.txt"));
    QTest::mouseClick(find<QPushButton>(*w, "BtnExp"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>(*w, "BtnPrt"), Qt::LeftButton);
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("没有可以导出的数据"));
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("没有可以打印的数据"));
    EXPECT_EQ(prompter.shown[1].flags, MsgFlags::Plain);
    EXPECT_TRUE(prompter.saveRequests.isEmpty());
}

TEST_F(PublisherBrowseTest, MarkedTitlesGoToTheCart)
{
    const auto w = open();
    const DataSet &books = w->browse()->books();
    ASSERT_GE(books.recordCount(), 3);
    clickMark(*w, 0);
    clickMark(*w, 2);
    QTest::mouseClick(find<QPushButton>(*w, "BtnShop"), Qt::LeftButton);

    QStringList inCart = column(QStringLiteral("select tm from deshopcart_mx"));
    inCart.sort();
    QStringList expected{books.text(0, QStringLiteral("tm")), books.text(2, QStringLiteral("tm"))};
    expected.sort();
    EXPECT_EQ(inCart, expected);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("已经将所选书目放入购物车")});
    EXPECT_TRUE(w->browse()->marked().isEmpty());
}

TEST_F(PublisherBrowseTest, ExportWritesLayoutB)
{
    const auto w = open();
    const DataSet &books = w->browse()->books();
    const QString path = tree.path(QStringLiteral("press.txt"));
    prompter.saveAnswers << path;
    QTest::mouseClick(find<QPushButton>(*w, "BtnExp"), Qt::LeftButton);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = Gbk::decode(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), books.recordCount() + 2);   // header, rows, nothing after the last CR LF
    EXPECT_EQ(lines[0], QStringLiteral("版别\t书名\t分级适用专业\t估定价\t征订序号\tISBN\t预定数"));
    const QStringList first = lines[1].split(u'\t');
    ASSERT_EQ(first.size(), 6);
    EXPECT_EQ(first[0], books.text(0, QStringLiteral("cbmc")));
    EXPECT_EQ(first[1], books.text(0, QStringLiteral("sm")));
    EXPECT_EQ(books.currentRow(), books.recordCount() - 1);
}

TEST_F(PublisherBrowseTest, KeyboardReachesEveryControlAndChoosesInTheTree)
{
    const auto w = open();
    activate(*w);
    auto *edit = find<QLineEdit>(*w, "EdtPress");
    edit->setFocus();
    QStringList order{edit->objectName()};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    const QString lastLabel = labels(*w).last()->objectName();
    EXPECT_EQ(order, (QStringList{"EdtPress", "Tvpress", "CbxType", "LbPress", lastLabel, "Dbgbook", "BtnShop",
                                  "BtnExp", "BtnPrt", "BtnClose"}));

    auto *tv = find<QTreeWidget>(*w, "Tvpress");
    tv->setFocus();
    QTest::keyClick(tv, Qt::Key_Down);
    QTest::keyClick(tv, Qt::Key_Down);
    EXPECT_EQ(w->publisherCode(), tv->topLevelItem(0)->data(0, Qt::UserRole).toString());   // moving only
    QTest::keyClick(tv, Qt::Key_Space);
    EXPECT_EQ(w->publisherName(), tv->topLevelItem(2)->text(0));
}

TEST_F(PublisherBrowseTest, FilterFollowsTheLeftPanelWidth)
{
    const auto w = open();
    auto *splitter = find<QSplitter>(*w, "Splitter1");
    for (int width : {260, 150}) {
        splitter->setSizes({width, splitter->width() - width - splitter->handleWidth()});
        EXPECT_EQ(find<QLineEdit>(*w, "EdtPress")->width(), find<QWidget>(*w, "Panel4")->width() - 65) << width;
        EXPECT_EQ(find<QWidget>(*w, "Panel4")->width(), width);
    }
}

} // namespace
