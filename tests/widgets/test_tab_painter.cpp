#include "image_colour.h"

#include "widgets/tab_painter.h"

#include <QImage>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TabPaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *caption : {"第一步", "第二步", "第三步"})
            tabs.addTab(new QLabel, QString::fromUtf8(caption));
        tabs.resize(400, 200);
        tabs.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tabs));
    }
    QImage tabImage(int i)
    {
        QTabBar *bar = tabs.tabBar();
        return bar->grab(bar->tabRect(i)).toImage();
    }
    QTabWidget tabs;
};

TEST_F(TabPaintTest, ActiveCaptionBlueOnTheTabBackground)
{
    TabPainter::install(&tabs, true);
    for (int i = 0; i < 3; ++i) {
        const QImage tab = tabImage(i);
        EXPECT_EQ(tab.pixel(1, tab.height() - 2) & 0xFFFFFF, qRgb(0xD7, 0xDC, 0xE0) & 0xFFFFFF) << i;
        EXPECT_EQ(hasColour(tab, tab.rect(), qRgb(0, 0, 0xFF)), i == 0) << i;
    }
    // Own captions: the inactive tabs differ.
    EXPECT_NE(tabImage(1).copy(0, 0, 40, 16), tabImage(2).copy(0, 0, 40, 16));
}

TEST_F(TabPaintTest, WithoutPageCaptionsEveryTabShowsTheActivePagesCaption)
{
    TabPainter::install(&tabs, false);
    tabs.setCurrentIndex(1);
    EXPECT_EQ(tabImage(0).copy(0, 0, 40, 16), tabImage(2).copy(0, 0, 40, 16));
    EXPECT_TRUE(hasColour(tabImage(1), tabImage(1).rect(), qRgb(0, 0, 0xFF)));
}

// A fixed tab width holds for a one-character caption and a long one alike; without it each
// tab is as wide as its caption needs.
TEST(TabWidthTest, FixedWidthMakesEveryTabThatWide)
{
    for (const int width : {0, 60, 90}) {
        QTabWidget tabs;
        TabPainter::install(&tabs, true, width);
        tabs.addTab(new QLabel, QStringLiteral("图"));
        tabs.addTab(new QLabel, QStringLiteral("一个很长很长的页名"));
        tabs.resize(600, 200);
        tabs.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tabs));
        const int shortTab = tabs.tabBar()->tabRect(0).width();
        const int longTab = tabs.tabBar()->tabRect(1).width();
        if (width > 0) {
            EXPECT_EQ(shortTab, width);
            EXPECT_EQ(longTab, width);
        } else {
            EXPECT_LT(shortTab, longTab);
        }
    }
}

} // namespace
