#pragma once
// How wide a grid column opens. A column is never narrower than its caption (measured in the
// title font, bold and with room for the sort marker when it can be sorted); a column without a
// width of its own, or one shown again through "设置显示项", fits its caption and a sample of
// its rows; spare room in the grid goes to the short columns whose text is cut.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace ColumnWidths {

constexpr int TitlePadding = 8;    // the title is drawn 3 pixels in from each edge
constexpr int CellPadding = 8;     // the item view's text margins
constexpr int MaxFitted = 400;     // a fitted column never takes more than this
constexpr int MaxGrown = 220;      // only columns that want at most this share spare room
constexpr int SampleRows = 50;

using Measure = std::function<int(const QString &)>;

// Width that shows the whole caption: measured text plus the title padding.
int captionWidth(const QString &caption, const Measure &titleFont);

// Width that fits the caption and the sample texts, at most MaxFitted (but never below the
// caption's width).
int fitted(int captionWidth, const QStringList &samples, const Measure &cellFont);

// Spends `spare` pixels on the columns whose width is below what they want, in column order,
// each up to what it wants; only columns marked growable that want at most MaxGrown take part.
// Returns the new widths.
QList<int> grow(const QList<int> &widths, const QList<int> &wanted, const QList<bool> &growable, int spare);

} // namespace ColumnWidths
