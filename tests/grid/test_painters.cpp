#include "grid_fixture.h"
#include "image_colour.h"

#include "grid/empty_field_painter.h"

#include <QImage>
#include <QLineEdit>

namespace {

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
