#include "common/delimited_text.h"

#include <gtest/gtest.h>

namespace {

constexpr QChar Comma(u',');

struct ReadCase {
    const char *text;
    QChar sep;
    int count;
    const char *lastPiece;
};

TEST(DelimitedText, CountAndLast)
{
    const ReadCase cases[] = {
        {"a,b,c", Comma, 3, "c"},
        {"a,b,", Comma, 2, "b"},
        {"", Comma, 0, ""},
        {",a", Comma, 2, "a"},
        {"a,,b", Comma, 3, "b"},
        {"a,", Comma, 1, "a"},
        {",", Comma, 1, ""},
        {"abc", Comma, 1, "abc"},
        {"a,b", QChar(), 0, ""},
        {"sm ASC", u' ', 2, "ASC"},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(DelimitedText::count(text, c.sep), c.count);
        EXPECT_EQ(DelimitedText::last(text, c.sep).toStdString(), c.lastPiece);
    }
}

struct PieceCase {
    const char *text;
    int n;
    QChar sep;
    const char *expected;
};

TEST(DelimitedText, Piece)
{
    const PieceCase cases[] = {
        {"a,,b", 1, Comma, "a"},
        {"a,,b", 2, Comma, ""},
        {"a,,b", 3, Comma, "b"},
        {"a,b", 3, Comma, ""},
        {"a,b", 0, Comma, ""},
        {"a,b", -1, Comma, ""},
        {",a", 1, Comma, ""},
        {",a", 2, Comma, "a"},
        {"", 1, Comma, ""},
        {"a,b", 1, QChar(), ""},
        {"甲,乙,丙", 2, Comma, "乙"},
        {"x@y;z@w", 2, u';', "z@w"},
    };
    for (const PieceCase &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " #" + std::to_string(c.n));
        EXPECT_EQ(DelimitedText::piece(QString::fromUtf8(c.text), c.n, c.sep).toStdString(),
                  c.expected);
    }
}

struct PositionCase {
    const char *text;
    const char *value;
    QChar sep;
    int expected;
};

TEST(DelimitedText, Position)
{
    const PositionCase cases[] = {
        {"sm,tm,isbn", "tm", Comma, 2},
        {"sm,tm", "TM", Comma, 0},
        {"sm,tm,tm", "tm", Comma, 2},
        {"smx,sm", "sm", Comma, 2},
        {"sm,tm", "t", Comma, 0},
        {"sm,tm", "", Comma, 0},
        {"a,,b", "", Comma, 0},
        {"", "sm", Comma, 0},
        {"sm,tm", "sm", QChar(), 0},
    };
    for (const PositionCase &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.value);
        EXPECT_EQ(DelimitedText::position(QString::fromUtf8(c.text), QString::fromUtf8(c.value),
                                          c.sep),
                  c.expected);
    }
}

struct HeadCase {
    const char *text;
    QChar sep;
    const char *expected;
};

TEST(DelimitedText, Head)
{
    const HeadCase cases[] = {
        {"sm ASC", u' ', "sm"},
        {"sm", u' ', "sm"},
        {" ASC", u' ', ""},
        {"sm,tm DESC", u' ', "sm,tm"},
        {"", u' ', ""},
        {"sm ASC", QChar(), ""},
    };
    for (const HeadCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DelimitedText::head(QString::fromUtf8(c.text), c.sep).toStdString(), c.expected);
    }
}

// The routines that change a list in place: what the list holds afterwards.
enum class Op { Append, RemoveLast, Insert, Remove };

struct EditCase {
    Op op;
    const char *list;
    const char *item;
    int n;
    const char *expected;
};

TEST(DelimitedText, EditInPlace)
{
    const EditCase cases[] = {
        {Op::Append, "", "c", 0, "c"},
        {Op::Append, "a,b", "c", 0, "a,b,c"},
        {Op::Append, "a,b", "", 0, "a,b,"},
        {Op::Append, "", "", 0, ""},

        {Op::RemoveLast, "a,b,c", "", 0, "a,b"},
        {Op::RemoveLast, "a", "", 0, ""},
        {Op::RemoveLast, "", "", 0, ""},
        {Op::RemoveLast, "a,", "", 0, ""},
        {Op::RemoveLast, "a,b,", "", 0, "a,"},
        {Op::RemoveLast, "ab,cd", "", 0, "ab"},

        {Op::Insert, "a,b,c", "x", 2, "a,x,b,c"},
        {Op::Insert, "a,b,c", "x", 1, "x,a,b,c"},
        {Op::Insert, "a,b,c", "x", 3, "a,b,x,c"},
        {Op::Insert, "a,b,c", "x", 4, "a,b,c,x"},
        {Op::Insert, "a,b,c", "x", 5, "a,b,c"},
        {Op::Insert, "a,b,c", "x", 0, "a,b,c"},
        {Op::Insert, "ab,b", "x", 2, "ab,x,b"},
        {Op::Insert, "b,b", "x", 2, "b,x,b"},
        {Op::Insert, "a,,b", "x", 3, "a,,x,b"},
        {Op::Insert, "", "x", 1, "x"},
        {Op::Insert, "", "x", 2, ""},

        {Op::Remove, "a,b,c", "", 1, "b,c"},
        {Op::Remove, "a,b,c,d", "", 2, "a,c,d"},
        {Op::Remove, "a,b,c", "", 3, "a,b"},
        {Op::Remove, "a,b,c", "", 4, "a,b,c"},
        {Op::Remove, "a,b,c", "", 0, "a,b,c"},
        {Op::Remove, "a,a,b", "", 2, "a,b"},
        {Op::Remove, "a,,b", "", 2, "a,b"},
        {Op::Remove, "a", "", 1, ""},
        {Op::Remove, "", "", 1, ""},
    };
    for (const EditCase &c : cases) {
        SCOPED_TRACE(std::string("op ") + std::to_string(int(c.op)) + " on '" + c.list
                     + "' item '" + c.item + "' n " + std::to_string(c.n));
        QString list = QString::fromUtf8(c.list);
        const QString item = QString::fromUtf8(c.item);
        switch (c.op) {
        case Op::Append: DelimitedText::append(list, item, Comma); break;
        case Op::RemoveLast: DelimitedText::removeLast(list, Comma); break;
        case Op::Insert: DelimitedText::insert(list, item, c.n, Comma); break;
        case Op::Remove: DelimitedText::remove(list, c.n, Comma); break;
        }
        EXPECT_EQ(list.toStdString(), c.expected);
    }
}

TEST(DelimitedText, EditsUseTheGivenSeparator)
{
    QString sort = QStringLiteral("sm ASC");
    DelimitedText::append(sort, QStringLiteral("DESC"), u' ');
    EXPECT_EQ(sort.toStdString(), "sm ASC DESC");
    DelimitedText::insert(sort, QStringLiteral("tm"), 2, u' ');
    EXPECT_EQ(sort.toStdString(), "sm tm ASC DESC");
    DelimitedText::remove(sort, 3, u' ');
    EXPECT_EQ(sort.toStdString(), "sm tm DESC");
    DelimitedText::removeLast(sort, u' ');
    EXPECT_EQ(sort.toStdString(), "sm tm");
}

} // namespace
