#include "data/like_pattern.h"

#include <algorithm>

namespace LikePattern {

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size() + 2);
    for (const QChar c : value) {
        if (c == u'%' || c == u'_' || c == Escape)
            out += Escape;
        out += c;
    }
    return out;
}

QString condition(const QString &column, const QString &pattern)
{
    return QStringLiteral("%1 like cast(? as varchar(%2)) escape '%3'")
        .arg(column)
        .arg(std::max<qsizetype>(pattern.size(), 1))
        .arg(QChar(Escape));
}

} // namespace LikePattern
