#pragma once
// The width of a text in a spreadsheet's character units, for fitting a column to its content:
// East Asian wide characters take two.
#include <QString>

inline double columnUnits(const QString &text)
{
    double units = 0;
    for (const char32_t cp : text.toUcs4()) {
        const bool halfWidthForm = cp >= 0xFF61 && cp <= 0xFFDC;
        const bool wide = cp >= 0x1100 && (cp <= 0x115F || cp >= 0x2E80) && !halfWidthForm
                          && !(cp >= 0xD7B0 && cp <= 0xF8FF);
        units += wide ? 2.0 : 1.0;
    }
    return units;
}
