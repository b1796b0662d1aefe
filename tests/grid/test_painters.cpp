#include "grid_fixture.h"

#include "grid/empty_field_painter.h"
#include "grid/tab_painter.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <cstdlib>

namespace {

// Some pixel of the area is close to colour (text edges are smoothed into the background).
bool hasColour(const QImage &image, const QRect &area, QRgb colour)
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) < 40 && std::abs(qGreen(p) - qGreen(colour)) < 40
                && std::abs(qBlue(p) - qBlue(colour)) < 40)
                return true;
        }
    }
    return false;
}

using GridPaintTest = GridFixture;

TEST_F(GridPaintTest, RowsStripeByRecordNumberAndTitlesShowTheSort)
{
    ds->setCurrentRow(2);
    grid->titleClick(col(QStringLiteral("SM")));
    const QImage image = grid->grab().toImage();
    const QPoint origin = grid->viewport()->mapTo(grid.get(), QPoint(0, 0));

    // A blank spot at the right end of a 条码 cell of each row.
    const int tm = col(QStringLiteral("TM"));
    const QRgb expected[] = {qRgb(0xFF, 0xFF, 0xFF), qRgb(0xEF, 0xEF, 0xEF), qRgb(0xFF, 0xFB, 0xCC), qRgb(0xEF, 0xEF, 0xEF)};
    for (int row = 0; row < 4; ++row) {
        const QRect cell = grid->visualRect(grid->gridModel()->index(row, tm)).translated(origin);
        EXPECT_EQ(image.pixel(cell.right() - 4, cell.center().y()) & 0xFFFFFF, expected[row] & 0xFFFFFF) << row;
    }

    QHeaderView *h = grid->horizontalHeader();
    const QPoint headerOrigin = h->viewport()->mapTo(grid.get(), QPoint(0, 0));
    auto section = [&](int column) {
        return QRect(h->sectionViewportPosition(column), 0, h->sectionSize(column), h->height()).translated(headerOrigin);
    };
    const QRect tmTitle = section(tm);
    EXPECT_EQ(image.pixel(tmTitle.right() - 4, tmTitle.center().y()) & 0xFFFFFF, qRgb(0x74, 0x84, 0x90) & 0xFFFFFF);
    EXPECT_TRUE(hasColour(image, tmTitle, qRgb(0xFF, 0xFF, 0xFF)));
    EXPECT_FALSE(hasColour(image, tmTitle, qRgb(0, 0, 0xFF)));
    EXPECT_TRUE(hasColour(image, section(col(QStringLiteral("SM"))), qRgb(0, 0, 0xFF)));
}

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

TEST(EmptyFieldPainterTest, EmptyEditIsTintedAndFilledOneIsWhite)
{
    QLineEdit edit;
    EmptyFieldPainter::colour(&edit);
    const QColor empty = edit.palette().color(QPalette::Base);
    EXPECT_NE(empty, QColor(Qt::white));
    edit.setText(QStringLiteral("北京"));
    EmptyFieldPainter::colour(&edit);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(Qt::white));
    edit.clear();
    EmptyFieldPainter::colour(&edit);
    EXPECT_EQ(edit.palette().color(QPalette::Base), empty);
}

} // namespace
