#include "data/number_text.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace NumberText {
namespace {

// One section of a display format.
struct Section {
    QString prefix;
    QString suffix;
    int minInteger = 1;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool thousands = false;
};

Section parseSection(const QString &text)
{
    Section s;
    auto isPattern = [](QChar c) { return c == u'#' || c == u'0' || c == u',' || c == u'.'; };
    qsizetype first = 0;
    while (first < text.size() && !isPattern(text[first]))
        ++first;
    qsizetype end = first;
    while (end < text.size() && isPattern(text[end]))
        ++end;
    s.prefix = text.left(first);
    s.suffix = text.mid(end);
    bool afterPoint = false;
    int zeros = 0;
    for (qsizetype i = first; i < end; ++i) {
        const QChar c = text[i];
        if (c == u'.') {
            afterPoint = true;
        } else if (c == u',') {
            s.thousands = s.thousands || !afterPoint;
        } else if (afterPoint) {
            ++s.maxDecimals;
            if (c == u'0')
                s.minDecimals = s.maxDecimals;
        } else if (c == u'0') {
            ++zeros;
        }
    }
    s.minInteger = std::max(1, zeros);
    return s;
}

// |value| rounded half away from zero to `decimals` places, as its digits without a point
// (at least decimals + 1 of them). Doubles are first taken to four places, so a price that a
// double holds as 2.67499999… rounds like the decimal 2.675 it stands for.
QString scaledDigits(const QVariant &value, int decimals, bool *negative)
{
    if (isIntegralType(value.typeId())) {
        const qint64 n = value.toLongLong();
        *negative = n < 0;
        QString digits = QString::number(n).remove(u'-');
        if (n != 0)
            digits += QString(decimals, u'0');
        return digits.rightJustified(decimals + 1, u'0');
    }
    const double v = value.toDouble();
    *negative = v < 0;
    const double a = std::fabs(v);
    qint64 scaled = -1;
    if (decimals <= 4 && a < 1e14) {
        const qint64 tenThousandths = std::llround(a * 1e4);
        qint64 step = 1;
        for (int i = decimals; i < 4; ++i)
            step *= 10;
        scaled = (tenThousandths + step / 2) / step;
    } else if (a * std::pow(10.0, decimals) < 9e18) {
        scaled = std::llround(a * std::pow(10.0, decimals));
    }
    if (scaled >= 0)
        return QString::number(scaled).rightJustified(decimals + 1, u'0');
    return QString::number(a, 'f', decimals).remove(u'.');
}

QString applySection(const Section &s, const QString &digits)
{
    QString integer = digits.left(digits.size() - s.maxDecimals);
    QString fraction = digits.right(s.maxDecimals);
    while (fraction.size() > s.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    while (integer.size() > 1 && integer.startsWith(u'0'))
        integer.remove(0, 1);
    integer = integer.rightJustified(s.minInteger, u'0');
    if (s.thousands)
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, u',');
    QString out = s.prefix + integer;
    if (!fraction.isEmpty())
        out += u'.' + fraction;
    return out + s.suffix;
}

} // namespace

bool isIntegralType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatingType(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

QString plain(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const double rounded = QString::number(value, 'g', 15).toDouble();
    if (rounded == 0)
        return QStringLiteral("0");
    return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
}

QString plainValue(const QVariant &value)
{
    if (value.isNull())
        return QString();
    const int type = value.typeId();
    if (isIntegralType(type))
        return QString::number(value.toLongLong());
    if (isFloatingType(type))
        return plain(value.toDouble());
    if (type == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (type == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(QStringLiteral("yyyy-MM-dd"))
                                        : dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    if (type == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

std::optional<double> toNumber(const QVariant &value)
{
    if (isIntegralType(value.typeId()) || isFloatingType(value.typeId()))
        return value.toDouble();
    bool ok = false;
    const double d = QLocale::c().toDouble(value.toString().trimmed(), &ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

QString format(const QVariant &value, const QString &displayFormat)
{
    if (value.isNull())
        return QString();
    if (displayFormat.isEmpty())
        return plainValue(value);
    QVariant number = value;
    if (!isIntegralType(value.typeId()) && !isFloatingType(value.typeId())) {
        const auto d = toNumber(value);
        if (!d)
            return value.toString();
        number = *d;
    }
    const QStringList sections = displayFormat.split(u';');
    const Section positive = parseSection(sections[0]);
    bool negative = false;
    const QString digits = scaledDigits(number, positive.maxDecimals, &negative);
    const bool zero = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0'; });
    if (zero && sections.size() >= 3 && !sections[2].isEmpty()) {
        const Section z = parseSection(sections[2]);
        bool ignored = false;
        return applySection(z, scaledDigits(0, z.maxDecimals, &ignored));
    }
    if (zero || !negative)
        return applySection(positive, digits);
    if (sections.size() >= 2 && !sections[1].isEmpty()) {
        const Section s = parseSection(sections[1]);
        return applySection(s, scaledDigits(number, s.maxDecimals, &negative));
    }
    return u'-' + applySection(positive, digits);
}

} // namespace NumberText
