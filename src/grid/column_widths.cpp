#include "grid/column_widths.h"

#include <algorithm>

namespace ColumnWidths {

int captionWidth(const QString &caption, const Measure &titleFont)
{
    return titleFont(caption) + TitlePadding;
}

int fitted(int captionWidth, const QStringList &samples, const Measure &cellFont)
{
    int widest = 0;
    for (const QString &s : samples)
        widest = std::max(widest, cellFont(s));
    const int content = widest > 0 ? widest + CellPadding : 0;
    return std::max(captionWidth, std::min(content, MaxFitted));
}

QList<int> grow(const QList<int> &widths, const QList<int> &wanted, const QList<bool> &growable, int spare)
{
    QList<int> out = widths;
    for (qsizetype i = 0; i < out.size() && spare > 0; ++i) {
        if (i >= wanted.size() || i >= growable.size() || !growable[i] || wanted[i] > MaxGrown)
            continue;
        const int more = std::min(wanted[i] - out[i], spare);
        if (more <= 0)
            continue;
        out[i] += more;
        spare -= more;
    }
    return out;
}

} // namespace ColumnWidths
