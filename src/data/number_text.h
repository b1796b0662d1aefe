#pragma once
// How the values of a list become text: the plain text of a value ("12.5", "10",
// "2024-05-01"; null as empty) and numbers in a display format ("#," gives "1,235";
// "#,.00;#,.00;0" gives "1,234.50", "3.00" for -3 and "0" for zero).
#include <QString>
#include <QVariant>
#include <optional>

namespace NumberText {

bool isIntegralType(int typeId);
bool isFloatingType(int typeId);

// A double as the decimal number it stands for: at most 15 significant digits (all that an
// exact NUMERIC(15,x) holds), no exponent, no trailing zeros: "12.5", "10", "0.3" for 0.1+0.2.
QString plain(double value);
// Plain text of any value: numbers as plain(), dates "yyyy-MM-dd", booleans True/False.
QString plainValue(const QVariant &value);
// The number a value holds (numeric text counts, C locale); nullopt when it holds none.
std::optional<double> toNumber(const QVariant &value);

// A number in a display format of up to three sections "positive;negative;zero", each a
// pattern of '#', '0', ',' and '.' with literal text around it. ',' asks for thousands
// separators, the '0's and '#'s after '.' give the fixed and the optional decimals, and
// the integer part shows at least one digit. Rounding is half away from zero on the
// decimal value. The negative section shows no minus of its own; without one the positive
// section is used with a leading '-'. The zero section is used when the value rounds to
// zero in the positive section. Null gives "", an empty format plainValue(); a value that
// is no number is returned as its text.
QString format(const QVariant &value, const QString &displayFormat);

} // namespace NumberText
