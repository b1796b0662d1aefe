#pragma once
// The grid and tab colours every window shares.
#include <QColor>
#include <QPalette>
#include <QWidget>

namespace GridColours {
inline const QColor EvenRow{0xEF, 0xEF, 0xEF};     // even record number
inline const QColor OddRow{0xFF, 0xFF, 0xFF};      // odd record number
inline const QColor CurrentRow{0xFF, 0xFB, 0xCC};
inline const QColor Text{0x00, 0x00, 0x00};
inline const QColor TitleCell{0x74, 0x84, 0x90};
inline const QColor Title{0xFF, 0xFF, 0xFF};
inline const QColor SortedTitle{0x00, 0x00, 0xFF};
inline const QColor TabBackground{0xD7, 0xDC, 0xE0};
inline const QColor TabActive{0x00, 0x00, 0xFF};
inline const QColor Window{0xBB, 0xC8, 0xD3};

// Fills a widget's background with colour (windows: Window).
inline void paintBackground(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
}
} // namespace GridColours
