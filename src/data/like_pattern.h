#pragma once
// A typed value inside a LIKE pattern matches as typed: "%" and "_" are the user's characters,
// not wildcards. Every engine (SQLite, Firebird, PostgreSQL, ODBC sources) takes
//   column like cast(? as varchar(N)) escape '!'
// and '!' needs no escaping in any engine's string literals, unlike a backslash (which
// PostgreSQL reads differently with standard_conforming_strings off). The cast keeps an engine
// from taking the column's width for the pattern's (Firebird refuses a longer pattern).
//
//   const QString pattern = u'%' + LikePattern::escaped(value) + u'%';
//   text += LikePattern::condition(QStringLiteral("sm"), pattern);   // bind pattern
#include <QString>

namespace LikePattern {

constexpr char16_t Escape = u'!';

// value with the escape character, "%" and "_" each preceded by the escape character.
QString escaped(const QString &value);

// "column like cast(? as varchar(N)) escape '!'" for a pattern of pattern.size() characters.
QString condition(const QString &column, const QString &pattern);

} // namespace LikePattern
