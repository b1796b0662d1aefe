// ISBNs in the forms clerks type and catalogues store: what reads as an ISBN, whether its check
// digit agrees, its normalised ISBN-13, its ISBN-10 and the forms a search matches.
#include "common/isbn.h"

#include <gtest/gtest.h>

namespace {

TEST(Isbn, RealFormsReadValidateAndConvert)
{
    using F = Isbn::Form;
    const struct {
        const char *typed;
        F form;
        bool checkOk;
        const char *isbn13;   // "" when there is none
        const char *isbn10;
    } cases[] = {
        // valid ISBN-10, with and without hyphens and spaces
        {"0-306-40615-2", F::Ten, true, "9780306406157", "0306406152"},
        {"7-04-012345-2", F::Ten, true, "9787040123456", "7040123452"},
        {"7 302 02368 9", F::Ten, true, "9787302023685", "7302023689"},
        {"7111075757", F::Ten, true, "9787111075752", "7111075757"},
        // X check digit, upper and lower case, full-width
        {"0-8044-2957-X", F::Ten, true, "9780804429573", "080442957X"},
        {"7-301-00009-x", F::Ten, true, "9787301000090", "730100009X"},
        {"７－３０１－０００09－ｘ", F::Ten, true, "9787301000090", "730100009X"},
        // valid ISBN-13 with the 978 prefix: hyphens, spaces, full-width, "ISBN" before it
        {"978-7-04-012345-6", F::Thirteen, true, "9787040123456", "7040123452"},
        {"978 7 302 02368 5", F::Thirteen, true, "9787302023685", "7302023689"},
        {"９７８－７－１１１－０７５７５－２", F::Thirteen, true, "9787111075752", "7111075757"},
        {"ISBN 978-0-306-40615-7", F::Thirteen, true, "9780306406157", "0306406152"},
        {"isbn：9780804429573", F::Thirteen, true, "9780804429573", "080442957X"},
        {" 9780306406157 ", F::Thirteen, true, "9780306406157", "0306406152"},
        // 979: an ISBN-13 with no ISBN-10
        {"979-10-90636-07-1", F::Thirteen, true, "9791090636071", ""},
        {"979-8-6024-0545-3", F::Thirteen, true, "9798602405453", ""},
        // wrong check digits: read, marked, neither converted nor normalised
        {"7-04-012345-3", F::Ten, false, "", ""},
        {"0-306-40615-X", F::Ten, false, "", ""},
        {"978-7-04-012345-7", F::Thirteen, false, "", ""},
        {"979-10-90636-07-2", F::Thirteen, false, "", ""},
        // not ISBNs
        {"", F::None, false, "", ""},
        {"978-7-04-01234-6", F::None, false, "", ""},     // twelve digits
        {"7-04-01234-5", F::None, false, "", ""},         // nine
        {"97870401234567", F::None, false, "", ""},       // fourteen
        {"977-1234-5670-03", F::None, false, "", ""},     // thirteen digits, not 978/979
        {"X-04-012345-2", F::None, false, "", ""},        // X only as the check digit
        {"978704012345X", F::None, false, "", ""},        // nor in an ISBN-13
        {"7-04-O12345-2", F::None, false, "", ""},        // a letter O for a zero
        {"7012·345", F::None, false, "", ""},             // an old unified book number
        {"7-04-012345-2 第二版", F::None, false, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        const Isbn isbn = Isbn::read(QString::fromUtf8(c.typed));
        EXPECT_EQ(isbn.form(), c.form);
        EXPECT_EQ(isbn.checkDigitOk(), c.checkOk);
        EXPECT_EQ(isbn.hasWrongCheckDigit(), c.form != F::None && !c.checkOk);
        EXPECT_EQ(isbn.isbn13(), QString::fromLatin1(c.isbn13));
        EXPECT_EQ(isbn.isbn10(), QString::fromLatin1(c.isbn10));
    }
}

TEST(Isbn, ExpectedCheckDigitAndSameTitleForms)
{
    const struct {
        const char *typed;
        char expected;   // 0: not an ISBN
        QStringList forms;
    } cases[] = {
        {"7-04-012345-2", '2', {"7040123452", "9787040123456"}},
        {"9787040123456", '6', {"9787040123456", "7040123452"}},
        {"0-8044-2957-x", 'X', {"080442957X", "9780804429573"}},
        {"979-10-90636-07-1", '1', {"9791090636071"}},
        // A wrong check digit is matched as typed only.
        {"7-04-012345-3", '2', {"7040123453"}},
        {"978-7-04-012345-0", '6', {"9787040123450"}},
        {"7-04-0123", 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        const Isbn isbn = Isbn::read(QString::fromLatin1(c.typed));
        EXPECT_EQ(isbn.expectedCheckDigit(), c.expected ? QChar(QLatin1Char(c.expected)) : QChar());
        EXPECT_EQ(isbn.sameTitleForms(), c.forms);
    }
}

} // namespace
