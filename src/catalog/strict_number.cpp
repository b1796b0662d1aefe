#include "catalog/strict_number.h"

#include <QLocale>
#include <cmath>

namespace StrictNumber {

bool parse(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (const QChar c : t) {
        // Digits, sign, point and exponent only: no separators, no "inf"/"nan", no hex.
        if (!(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.' && c != u'e'
            && c != u'E')
            return false;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

} // namespace StrictNumber
