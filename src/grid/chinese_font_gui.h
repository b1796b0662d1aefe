#pragma once
// The one place that picks a font for Chinese text. A family that is installed is used as it
// is; otherwise a Simplified Chinese face stands in: a Song/Ming face for "宋体" and its
// kin (and for no family at all), else a sans face, else any Simplified Chinese family.
#include <QString>

namespace ChineseFont {
// The installed family to draw text asked for in family ("" when no Chinese face exists and
// the family itself is not installed either).
QString resolve(const QString &family = QString());
// Sets the application's font to the resolved Song face at 10 points, when there is one.
void applyToApplication();
}
