#include "catalog/category_label_layout.h"

namespace CategoryLabelLayout {

int columns(int areaWidth)
{
    return areaWidth > 0 ? areaWidth / 190 : 0;
}

QList<QPoint> positions(int count, int areaWidth, int labelHeight)
{
    const int perRow = columns(areaWidth);
    QList<QPoint> out;
    out.reserve(count);
    int column = 0;
    int row = 1;
    for (int k = 0; k < count; ++k) {
        out << QPoint(10 + 180 * column, 8 * row + (row - 1) * labelHeight);
        // With no column count the row never fills.
        if (++column == perRow) {
            column = 0;
            ++row;
        }
    }
    return out;
}

} // namespace CategoryLabelLayout
