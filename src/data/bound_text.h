#pragma once
// A null QString binds as SQL NULL, which "op=?" never matches and which text columns should
// not hold: text bound to a statement goes in through boundText(), so an empty operator code,
// party field or search value reaches the database as empty text.
#include <QString>

namespace Sql {

inline QString boundText(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace Sql
