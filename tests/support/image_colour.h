#pragma once
// Whether some pixel of an area is close to a colour (text edges are smoothed into the
// background, so an exact match is not asked for).
#include <QImage>
#include <QRect>
#include <cstdlib>

inline bool hasColour(const QImage &image, const QRect &area, QRgb colour)
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
