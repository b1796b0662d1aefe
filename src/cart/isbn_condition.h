#pragma once
// The ISBN field searched with a value that reads as an ISBN (common/isbn.h): the title is
// found whichever form the catalogue stores, ISBN-10 or ISBN-13, with or without hyphens and
// spaces. The catalogue value is reduced in the statement as Isbn::read reduces a typed one
// (upper case; "-", " ", "ISBN" and ":" dropped) and compared with the typed value's forms,
// each a bound value; the same text runs on SQLite, Firebird and PostgreSQL.
//
//   包含, 以...开头, 以...结尾, 等于: the plain condition as before, or the same title;
//   不等于: not the same title (a title without an ISBN included, as "不等于" always does).
// Other relations, other fields and values that are no ISBN keep their plain condition.
#include "cart/search_condition.h"

namespace IsbnCondition {

// The statement's reduction of column to compact ISBN characters.
QString compactColumn(const QString &column);

// plain widened (or, for "不等于", replaced) as above when column is "isbn", relation is one
// of the five and typed reads as an ISBN; otherwise plain unchanged.
BoundCondition widened(const BoundCondition &plain, const QString &column, const QString &relation,
                       const QString &typed);

} // namespace IsbnCondition
