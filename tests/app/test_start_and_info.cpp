// The splash is on screen and painted before start-up goes on; links between the information
// pages open the linked page in the same window.
#include "app/info_window.h"
#include "app/start_window.h"
#include "common/gbk_codec.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include <QTest>
#include <QTextBrowser>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

TEST(Splash, IsExposedAndPaintedBeforeTheWait)
{
    TempTree tree;
    tree.copyFromDist(QStringLiteral("bin/jpg"));
    ScriptedPrompter prompter;
    TFrmStart splash(prompter);
    ASSERT_FALSE(splash.painted());
    EXPECT_TRUE(splash.showAndPaint());
    EXPECT_TRUE(splash.painted());
    ASSERT_NE(splash.windowHandle(), nullptr);
    EXPECT_TRUE(splash.windowHandle()->isExposed());
    EXPECT_EQ(splash.size(), QSize(449, 519));
    EXPECT_FALSE(splash.pixmap().isNull());
}

struct LinkCase {
    const char *href;
    const char *page;   // the page then shown, relative to ../html/
    const char *text;   // a word of it
};

class InformationLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(InformationLinks, OpenTheLinkedPageFromTheHtmlFolder)
{
    TempTree tree;
    const LinkCase &c = GetParam();
    tree.writeFile(QStringLiteral("html/intro.html"),
                   Gbk::encode(QStringLiteral("<html><body><p>代办站</p><a href=\"%1\">下一页</a></body></html>")
                                   .arg(QString::fromUtf8(c.href))));
    tree.writeFile(QStringLiteral("html/order.html"), Gbk::encode(QStringLiteral("<html><body>订购指南正文</body></html>")));
    tree.writeFile(QStringLiteral("html/press.html"),
                   Gbk::encode(QStringLiteral("<html><body><a name=\"top\"></a>出版社介绍</body></html>")));
    tree.writeFile(QStringLiteral("html/more/notes.html"), Gbk::encode(QStringLiteral("<html><body>补充说明</body></html>")));

    TFrmJs w;
    w.resize(600, 400);
    w.show();
    auto *browser = w.findChild<QTextBrowser *>(QStringLiteral("WebBrowser1"));
    ASSERT_NE(browser, nullptr);
    ASSERT_EQ(w.currentPage(), QStringLiteral("intro.html"));

    // The keyboard way: Tab to the link, Enter to follow it.
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(w.currentPage(), QString::fromUtf8(c.page)) << c.href;
    EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8(c.text))) << browser->toPlainText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, InformationLinks,
    ::testing::Values(LinkCase{"order.html", "order.html", "订购指南正文"},
                      LinkCase{"./press.html#top", "press.html", "出版社介绍"},
                      LinkCase{"../html/order.html", "order.html", "订购指南正文"},
                      LinkCase{"more/notes.html", "more/notes.html", "补充说明"},
                      LinkCase{"gone.html", "gone.html", "无法显示此页"}));

} // namespace
