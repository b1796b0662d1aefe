#pragma once
// Where the publisher browse puts its category labels: as many columns as 190-pixel slots fit
// in the area, labels 180 pixels apart from x = 10, and row r (from 1) at y = 8r + (r-1)·h for
// labels h pixels high. An area narrower than 190 pixels has no column count at all, so no row
// ever fills: every label then stays on the first row, further and further to the right.
#include <QList>
#include <QPoint>

namespace CategoryLabelLayout {

// Labels per row for an area of that width (0 below 190 pixels).
int columns(int areaWidth);

// Top-left corners of count labels of height labelHeight, in creation order.
QList<QPoint> positions(int count, int areaWidth, int labelHeight);

} // namespace CategoryLabelLayout
