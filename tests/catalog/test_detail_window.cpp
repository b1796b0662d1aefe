// The detail window: the page of the list's current row, navigation through the list, the
// locator, the cart button, and opening it from a book grid through the shared menu.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "grid/grid_popup_gui.h"
#include "catalog/book_list.h"
#include "catalog/detail_page.h"
#include "catalog/detail_window.h"
#include "grid/field_combo_widget.h"
#include "grid/grid_model.h"
#include "grid/grid_view.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QDate>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

namespace {

class DetailWindowTest : public CatalogFixture {
protected:
    void SetUp() override
    {
        tree.copyFromDist(QStringLiteral("html"));
        tree.copyFromDist(QStringLiteral("bookimages"));
        insertBook({{"tm", "T1"}, {"zbh", "1"}, {"sm", "高等数学"}, {"isbn", "7-04-000001-X"}, {"zz", "Smith"},
                    {"dj", 12.5}, {"fmtp", "cover01.jpg"}});
        insertBook({{"tm", "T2"}, {"zbh", "2"}, {"sm", "大学物理"}, {"isbn", "9787040002"}, {"zz", "李四"},
                    {"dj", 30}});
        insertBook({{"tm", "T3"}, {"zbh", "3"}, {"sm", "线性代数"}, {"isbn", "9787111003"}, {"zz", "王五"}});
        books = openBooks();
        BookList::prepare(*books);
    }

    std::unique_ptr<TFrmDetail> openWindow()
    {
        auto w = std::make_unique<TFrmDetail>(books.get(), TFrmDetail::Context{db, &prompter, QString()});
        w->show();
        return w;
    }
    template <class T>
    static T *child(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QString pageText(QWidget *w) { return child<QTextBrowser>(w, "WebBook")->toPlainText(); }
    QString currentTm() const { return books->currentText(QStringLiteral("tm")); }
    int cartLines(const QString &tm)
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select count(*) from deshopcart_mx where tm=?"), {tm});
        return q.next() ? q.value(0).toInt() : -1;
    }

    ScriptedPrompter prompter;
    std::unique_ptr<DataSet> books;
};

TEST_F(DetailWindowTest, ShowsTheBuiltPageOfTheCurrentRowWithItsPictures)
{
    books->next();
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("书目详细信息"));
    EXPECT_EQ(w->size(), QSize(752, 569));
    EXPECT_EQ(w->shownPage(), DetailPage::pagePath(QString()));
    EXPECT_TRUE(QFileInfo::exists(tree.path(QStringLiteral("html/book_.html"))));
    EXPECT_TRUE(pageText(w.get()).contains(QStringLiteral("大学物理")));
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();

    // The cover of T1 and the fallback beside the page resolve relative to the page's folder.
    auto *web = child<QTextBrowser>(w.get(), "WebBook");
    EXPECT_TRUE(web->toHtml().contains(QStringLiteral("nocover.bmp")));
    EXPECT_FALSE(web->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("nocover.bmp"))).isNull());
    w->navigate(TFrmDetail::First);
    const QRegularExpression src(QStringLiteral(R"(src="([^"]+cover01\.jpg)\")"));
    const auto m = src.match(web->toHtml());
    ASSERT_TRUE(m.hasMatch());
    EXPECT_FALSE(web->loadResource(QTextDocument::ImageResource, QUrl(m.captured(1))).isNull()) << m.captured(1).toStdString();
}

TEST_F(DetailWindowTest, CatalogueTextShowsAsWrittenWithItsLineBreaks)
{
    insertBook({{"tm", "T0"}, {"zbh", "0"}, {"sm", "C++ <入门> & \"STL\""}, {"zz", "<b>王</b>"}});
    Sql::exec(db, QStringLiteral("insert into detsnrty (tm,zjml,qy) values (?,?,?)"),
              {QStringLiteral("T0"), QStringLiteral("第1章 绪论\n第2章 方法\n参考文献"),
               QStringLiteral("前言一\r\n前言二")});
    books->open();   // T0 comes first
    auto w = openWindow();
    const QString text = pageText(w.get());
    EXPECT_TRUE(text.contains(QStringLiteral("C++ <入门> & \"STL\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("<b>王</b>"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("第1章 绪论\n第2章 方法\n参考文献"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("前言一\n前言二"))) << text.toStdString();
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
}

// The page file is GB18030; the window reads it by its declaration and shows every character.
TEST_F(DetailWindowTest, TitleOutsideGbkShowsUnchanged)
{
    const QString title = QStringLiteral("康熙") + QString::fromUcs4(U"\U00020000") + QStringLiteral("字典 ")
                          + QString::fromUcs4(U"\U0001F600");
    insertBook({{"tm", "T0"}, {"zbh", "0"}, {"sm", title}, {"zz", QString::fromUcs4(U"\U0002A6D6")}});
    books->open();   // T0 comes first
    auto w = openWindow();
    ASSERT_EQ(currentTm(), QStringLiteral("T0"));
    const QString text = pageText(w.get());
    EXPECT_TRUE(text.contains(title)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUcs4(U"\U0002A6D6"))) << text.toStdString();
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
}

TEST_F(DetailWindowTest, CoverWithAnOddOrWindowsNameIsShown)
{
    QFile cover(tree.path(QStringLiteral("bookimages/cover01.jpg")));
    ASSERT_TRUE(cover.open(QIODevice::ReadOnly));
    const QByteArray picture = cover.readAll();
    tree.writeFile(QStringLiteral("bookimages/big/C#入门 100%.jpg"), picture);
    tree.writeFile(QStringLiteral("bookimages/Cover09.JPG"), picture);
    insertBook({{"tm", "T0"}, {"zbh", "0"}, {"sm", "程序设计"}, {"fmtp", "C#入门 100%.jpg"}});
    insertBook({{"tm", "T00"}, {"zbh", "00"}, {"sm", "数据结构"}, {"fmtp", "COVER09.JPG  "}});
    books->open();
    auto w = openWindow();
    auto *web = child<QTextBrowser>(w.get(), "WebBook");
    const QRegularExpression src(QStringLiteral(R"re(<img[^>]*src="([^"]+)")re"));
    for (const char *tm : {"T0", "T00"}) {
        ASSERT_TRUE(books->locate(QStringLiteral("tm"), QString::fromLatin1(tm)));
        w->showTitle();
        const auto m = src.match(web->toHtml());
        ASSERT_TRUE(m.hasMatch()) << tm;
        EXPECT_FALSE(m.captured(1).contains(QStringLiteral("nocover"))) << m.captured(1).toStdString();
        EXPECT_FALSE(web->loadResource(QTextDocument::ImageResource, QUrl(m.captured(1))).isNull())
            << m.captured(1).toStdString();
    }
}

TEST_F(DetailWindowTest, NavigationStopsAtTheEndsAndSetsTheCursors)
{
    auto w = openWindow();
    struct Step {
        const char *button;
        const char *tm;
        bool atFirst;
        bool atLast;
    };
    const Step steps[] = {
        {"BtnPrior", "T1", true, false},   // beyond the start: same title again
        {"BtnNext", "T2", false, false},
        {"BtnLast", "T3", false, true},
        {"BtnNext", "T3", false, true},    // beyond the end
        {"BtnFirst", "T1", true, false},
    };
    const QStringList titles{"高等数学", "大学物理", "线性代数"};
    for (const Step &s : steps) {
        QToolButton *b = child<QToolButton>(w.get(), s.button);
        QTest::mouseClick(b, Qt::LeftButton);
        ASSERT_EQ(currentTm(), QString::fromLatin1(s.tm)) << s.button;
        EXPECT_TRUE(pageText(w.get()).contains(titles.at(books->currentRow()))) << s.button;
        auto cursor = [](bool end) { return end ? Qt::ArrowCursor : Qt::PointingHandCursor; };
        EXPECT_EQ(child<QToolButton>(w.get(), "BtnFirst")->cursor().shape(), cursor(s.atFirst)) << s.button;
        EXPECT_EQ(child<QToolButton>(w.get(), "BtnPrior")->cursor().shape(), cursor(s.atFirst)) << s.button;
        EXPECT_EQ(child<QToolButton>(w.get(), "BtnNext")->cursor().shape(), cursor(s.atLast)) << s.button;
        EXPECT_EQ(child<QToolButton>(w.get(), "BtnLast")->cursor().shape(), cursor(s.atLast)) << s.button;
    }
    EXPECT_EQ(child<QToolButton>(w.get(), "BtnLast")->toolTip(), QStringLiteral("最后一条"));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(DetailWindowTest, LocateFindsTheFirstRowStartingWithTheValue)
{
    struct Case {
        int entry;   // 0 sm, 1 tm, 2 isbn, 3 zz, 4 cbmc
        const char *value;
        const char *expectedTm;   // T3 (the start) when nothing is found
    };
    const Case cases[] = {
        {2, "978", "T2"},   {2, "isb", "T3"}, {3, "sMI", "T1"},
        {0, "大学", "T2"},  {1, "t1", "T1"},  {4, "出版", "T3"},
    };
    for (const Case &c : cases) {
        books->last();
        auto w = openWindow();
        const QString before = pageText(w.get());
        auto *combo = child<TFieldCombo>(w.get(), "CbField");
        ASSERT_EQ(combo->count(), 5);
        combo->setCurrentIndex(c.entry);
        child<QLineEdit>(w.get(), "EdtValue")->setText(QString::fromUtf8(c.value));
        QTest::mouseClick(child<QPushButton>(w.get(), "BtnBase"), Qt::LeftButton);
        EXPECT_EQ(currentTm(), QString::fromLatin1(c.expectedTm)) << c.value;
        if (currentTm() == QStringLiteral("T3"))
            EXPECT_EQ(pageText(w.get()), before) << c.value;
        else
            EXPECT_NE(pageText(w.get()), before) << c.value;
    }
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
}

TEST_F(DetailWindowTest, EnterLocatesAndAnEmptyValueIsRefused)
{
    auto w = openWindow();
    auto *value = child<QLineEdit>(w.get(), "EdtValue");
    child<TFieldCombo>(w.get(), "CbField")->setCurrentIndex(2);

    QTest::keyClick(value, Qt::Key_Return);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("请输入有效的查询条件"));
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("系统提示"));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Information);
    EXPECT_EQ(currentTm(), QStringLiteral("T1"));
    EXPECT_TRUE(w->isVisible());

    value->setText(QStringLiteral("9787111"));
    QTest::keyClick(value, Qt::Key_Return);
    EXPECT_EQ(currentTm(), QStringLiteral("T3"));
    EXPECT_TRUE(w->isVisible()) << "Enter must not press a dialog button";
    EXPECT_EQ(prompter.shown.size(), 1);
}

TEST_F(DetailWindowTest, CartButtonAddsTheTitleOnceAndSaysSoEachTime)
{
    books->next();
    auto w = openWindow();
    for (int press = 1; press <= 2; ++press) {
        QTest::mouseClick(child<QPushButton>(w.get(), "BtnShop"), Qt::LeftButton);
        EXPECT_EQ(cartLines(QStringLiteral("T2")), 1);
        ASSERT_EQ(prompter.shown.size(), press);
        EXPECT_EQ(prompter.shown.constLast().text, QStringLiteral("当前书目已经加入购物车"));
        EXPECT_EQ(prompter.shown.constLast().caption, QStringLiteral("系统提示"));
        EXPECT_EQ(prompter.shown.constLast().flags, MsgFlags::Information);
    }
    EXPECT_EQ(cartLines(QStringLiteral("T1")), 0);
}

// A title ordered this season is named before it goes in: 是 puts it in, 否 and 取消 do not.
TEST_F(DetailWindowTest, CartButtonAsksAboutATitleOrderedThisSeason)
{
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values ('D1',?)"),
              {QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))});
    Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,sl) values ('D1','T1','高等数学',4)"));
    auto w = openWindow();
    const struct {
        const char *name;
        int answer;
        int lines;
    } cases[] = {{"否", MsgResult::No, 0}, {"取消", MsgResult::Cancel, 0}, {"是", MsgResult::Yes, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        prompter.shown.clear();
        prompter.answers.clear();
        prompter.answers.enqueue(c.answer);
        QTest::mouseClick(child<QPushButton>(w.get(), "BtnShop"), Qt::LeftButton);
        ASSERT_FALSE(prompter.shown.isEmpty());
        EXPECT_TRUE(prompter.shown.constFirst().text.startsWith(QStringLiteral("以下书目本季已经订购：\n《高等数学》（条码 T1）（D1，")))
            << prompter.shown.constFirst().text.toStdString();
        EXPECT_EQ(prompter.shown.size(), c.lines == 0 ? 1 : 2);
        EXPECT_EQ(cartLines(QStringLiteral("T1")), c.lines);
    }
}

// A screen reader hears each button's caption without its mnemonic.
TEST_F(DetailWindowTest, ButtonsAreReadByTheirPlainCaptions)
{
    auto w = openWindow();
    const struct {
        const char *name;
        const char *heard;
    } buttons[] = {{"BtnBase", "定位"}, {"BtnShop", "放入购物车"}, {"BtnClose", "关闭"}};
    for (const auto &b : buttons) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(child<QPushButton>(w.get(), b.name));
        ASSERT_NE(iface, nullptr) << b.name;
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(b.heard)) << b.name;
    }
}

TEST_F(DetailWindowTest, EmptyListIsAnError)
{
    books->setStatement(QStringLiteral("select * from qrydebooks where 1=0"));
    books->open();
    auto w = openWindow();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("没有找到数据!"));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_TRUE(w->shownPage().isEmpty());
    QTest::mouseClick(child<QToolButton>(w.get(), "BtnNext"), Qt::LeftButton);
    EXPECT_EQ(prompter.shown.size(), 2);
}

TEST_F(DetailWindowTest, DoubleClickOnABookGridOpensTheWindowOnItsList)
{
    // The program's shared menu opens the window with the connection and prompter it was given.
    PpMenu menu(prompter);
    menu.setDetailOpener([this](DataSet &list) {
        TFrmDetail::openOn(list, TFrmDetail::Context{db, &prompter, QString()}, nullptr);
    });
    DbGrid grid;
    grid.setPopupMenu(&menu);
    grid.setDataSet(books.get());
    grid.setOpensDetail(true);
    grid.resize(500, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    QString seen;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<TFrmDetail *>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->list(), books.get());
        seen = pageText(w);
        QTest::mouseClick(child<QToolButton>(w, "BtnNext"), Qt::LeftButton);
        w->reject();
    });
    const QModelIndex cell = grid.gridModel()->index(1, 0);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());

    EXPECT_TRUE(seen.contains(QStringLiteral("大学物理")));
    EXPECT_EQ(currentTm(), QStringLiteral("T3")) << "the grid stays on the title last shown";
}

} // namespace
