#pragma once
// An ISBN as a clerk types it or a catalogue stores it: "978-7-04-012345-6", "7 04 012345 X",
// "ISBN 9787040123456", full-width "９７８－７…". Full-width forms are folded (NFKC), hyphens
// and spaces dropped, a lower-case x read as X and a leading "ISBN" (with or without ":")
// skipped. What remains reads as an ISBN when it is
//   - ISBN-10: nine digits and a check digit 0-9 or X (10), the weighted sum 10…1 mod 11 = 0;
//   - ISBN-13: thirteen digits starting 978 or 979, the weights 1,3,1,3… mod 10 = 0.
// Anything else (a wrong length, other characters, thirteen digits of another prefix, the old
// unified book numbers such as "7012·345") is not an ISBN, and nothing is said about it.
//
//   const Isbn isbn = Isbn::read(QStringLiteral("7-04-012345-X"));
//   isbn.isIsbn();          // true
//   isbn.checkDigitOk();    // whether the check digit agrees with the other digits
//   isbn.isbn13();          // "978704012345…" for a valid one, empty otherwise
//   isbn.sameTitleForms();  // the digit forms a catalogue value of the same title reduces to
//   isbn.sameTitleAs(QStringLiteral("978-7-04-012345-6"));   // the same title in the other form
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

class Isbn {
public:
    enum class Form { None, Ten, Thirteen };

    static Isbn read(const QString &text);

    // The check digit of the first nine digits of an ISBN-10 ('0'-'9' or 'X'), and of the
    // first twelve of an ISBN-13. The digits must be ASCII digits.
    static QChar tenCheckDigit(QStringView nineDigits);
    static QChar thirteenCheckDigit(QStringView twelveDigits);

    Form form() const { return m_form; }
    bool isIsbn() const { return m_form != Form::None; }
    // The folded characters as read: "704012345X", "9787040123456"; empty when not an ISBN.
    const QString &compact() const { return m_compact; }
    bool checkDigitOk() const { return isIsbn() && m_compact.back() == expectedCheckDigit(); }
    bool hasWrongCheckDigit() const { return isIsbn() && !checkDigitOk(); }
    // The check digit the other digits call for; a null QChar when not an ISBN.
    QChar expectedCheckDigit() const;

    // The normalised ISBN-13 (13 digits, no hyphens) of a valid ISBN; empty otherwise.
    QString isbn13() const;
    // The ISBN-10 of a valid ISBN-10 or a valid 978 ISBN-13; empty otherwise (979 has none).
    QString isbn10() const;

    // The compact forms a stored value of the same title has once hyphens and spaces are
    // gone: the form as read and, for a valid ISBN, its other form (ISBN-10 <-> 978 ISBN-13).
    // A wrong check digit leaves the form as read alone: the other form's check digit would be
    // a guess. Empty when not an ISBN.
    QStringList sameTitleForms() const;
    // Whether a stored value reads as one of sameTitleForms().
    bool sameTitleAs(const QString &stored) const;

private:
    Form m_form = Form::None;
    QString m_compact;
};
