#pragma once
// The grid and tab colours every window shares.
#include <QColor>

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
} // namespace GridColours
