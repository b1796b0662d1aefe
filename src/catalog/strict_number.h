#pragma once
// Reading a column's text as a number before a display format is applied (detail page,
// printed list). Stricter than NumberText::toNumber: a text such as "1,234" or "inf" is not a
// number here, so the page shows an empty line for it rather than a guess.
#include <QString>

namespace StrictNumber {

// Optional blanks around, an optional sign, digits with an optional '.' and exponent; no
// thousands separators. False for anything else, an empty text, infinity and NaN included.
bool parse(const QString &text, double *value);

} // namespace StrictNumber
