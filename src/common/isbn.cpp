#include "common/isbn.h"

namespace {

bool allDigits(QStringView text)
{
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return !text.isEmpty();
}

// NFKC folds the full-width digits, hyphen, colon and the ideographic space to ASCII.
QString folded(const QString &text)
{
    QString out = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (out.startsWith(QLatin1String("ISBN"), Qt::CaseInsensitive)) {
        out.remove(0, 4);
        out = out.trimmed();
        if (out.startsWith(u':'))
            out.remove(0, 1);
    }
    out.remove(u'-');
    out.remove(u' ');
    if (out.endsWith(u'x'))
        out.back() = u'X';
    return out;
}

} // namespace

QChar Isbn::tenCheckDigit(QStringView nineDigits)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += nineDigits.at(i).digitValue() * (10 - i);
    const int check = (11 - sum % 11) % 11;
    return check == 10 ? QChar(u'X') : QChar(u'0' + check);
}

QChar Isbn::thirteenCheckDigit(QStringView twelveDigits)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += twelveDigits.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
    return QChar(u'0' + (10 - sum % 10) % 10);
}

Isbn Isbn::read(const QString &text)
{
    Isbn isbn;
    const QString c = folded(text);
    if (c.size() == 10 && allDigits(QStringView(c).first(9)) && (c.back() == u'X' || allDigits(QStringView(c).last(1))))
        isbn.m_form = Form::Ten;
    else if (c.size() == 13 && allDigits(c) && (c.startsWith(QLatin1String("978")) || c.startsWith(QLatin1String("979"))))
        isbn.m_form = Form::Thirteen;
    if (isbn.isIsbn())
        isbn.m_compact = c;
    return isbn;
}

QChar Isbn::expectedCheckDigit() const
{
    switch (m_form) {
    case Form::Ten: return tenCheckDigit(m_compact);
    case Form::Thirteen: return thirteenCheckDigit(m_compact);
    case Form::None: break;
    }
    return {};
}

QString Isbn::isbn13() const
{
    if (!checkDigitOk())
        return {};
    if (m_form == Form::Thirteen)
        return m_compact;
    const QString twelve = QStringLiteral("978") + m_compact.first(9);
    return twelve + thirteenCheckDigit(twelve);
}

QString Isbn::isbn10() const
{
    if (!checkDigitOk())
        return {};
    if (m_form == Form::Ten)
        return m_compact;
    if (!m_compact.startsWith(QLatin1String("978")))
        return {};
    const QString nine = m_compact.mid(3, 9);
    return nine + tenCheckDigit(nine);
}

QStringList Isbn::sameTitleForms() const
{
    if (!isIsbn())
        return {};
    QStringList forms{m_compact};
    const QString other = m_form == Form::Ten ? isbn13() : isbn10();
    if (!other.isEmpty())
        forms << other;
    return forms;
}

bool Isbn::sameTitleAs(const QString &stored) const
{
    const Isbn other = read(stored);
    return other.isIsbn() && sameTitleForms().contains(other.m_compact);
}
