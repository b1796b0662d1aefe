// The ISBN field of the search window on every engine: a value that reads as an ISBN finds its
// title whether the catalogue stores it as ISBN-10 or ISBN-13, with or without hyphens and
// spaces, in the single-field pages and in the combined conditions; a wrong check digit
// matches only as typed; values that are no ISBN and other relations keep their plain
// meaning.
#include "engines.h"
#include "search_titles.h"

#include "cart/search_condition.h"
#include "data/sql_helper.h"

#include <gtest/gtest.h>

namespace {

class IsbnSearchTest : public EngineSchemaTest {
protected:
    void SetUp() override
    {
        EngineSchemaTest::SetUp();
        if (HasFatalFailure())
            return;
        const struct {
            const char *tm, *isbn;   // isbn nullptr: null
        } rows[] = {
            {"T1", "7-04-012345-2"},       // ISBN-10 with hyphens
            {"T2", "9787302023685"},       // ISBN-13 without
            {"T3", "979-10-90636-07-1"},   // 979: no ISBN-10
            {"T4", "7 301 00009 x"},       // spaces, a lower-case X check digit
            {"T5", "978-7-111-07575-0"},   // wrong check digit (2 is right)
            {"T6", nullptr},
            {"T7", "7012·345"},            // an old unified book number
        };
        for (const auto &r : rows)
            Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,isbn) values (?,?,?)"),
                      {QString::fromLatin1(r.tm), QStringLiteral("书") + QString::fromLatin1(r.tm),
                       r.isbn ? QVariant(QString::fromUtf8(r.isbn)) : QVariant(QMetaType::fromType<QString>())});
    }

    QStringList rows(const BoundCondition &c) const { return searchTitles(db, c); }
};

TEST_P(IsbnSearchTest, EitherFormFindsTheSameTitle)
{
    const struct {
        const char *relation;
        const char *typed;
        QStringList tms;
    } cases[] = {
        {"等于", "978-7-04-012345-6", {"T1"}},
        {"包含", "9787040123456", {"T1"}},
        {"等于", "7040123452", {"T1"}},
        {"等于", "7302023689", {"T2"}},
        {"以...开头", "7-302-02368-9", {"T2"}},
        {"以...结尾", "978 7 302 02368 5", {"T2"}},
        {"包含", "978-7-301-00009-0", {"T4"}},
        {"等于", "730100009X", {"T4"}},
        {"等于", "７－３０１－００００９－ｘ", {"T4"}},
        {"等于", "９７９－１０－９０６３６－０７－１", {"T3"}},
        // A wrong check digit matches as typed; the valid ISBN does not find the wrong one.
        {"等于", "9787111075750", {"T5"}},
        {"等于", "9787111075752", {}},
        {"等于", "7111075757", {}},
        // Not the same title: every other one, the title without an ISBN too.
        {"不等于", "978-7-04-012345-6", {"T2", "T3", "T4", "T5", "T6", "T7"}},
        // No ISBN: the plain relation.
        {"包含", "7-04", {"T1"}},
        {"包含", "345", {"T1", "T7"}},
        {"以...开头", "979", {"T3"}},
        {"等于", "7012·345", {"T7"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.relation) + " " + c.typed);
        const QString relation = QString::fromUtf8(c.relation);
        const QString typed = QString::fromUtf8(c.typed);
        EXPECT_EQ(rows(SimpleCondition(QStringLiteral("ISBN"), int(SimpleRelations().indexOf(relation)), typed)), c.tms);
        ConditionLines lines;
        ASSERT_EQ(AddConditionStep(lines, StepKind::Condition,
                                   {QStringLiteral("ISBN"), relation, int(CombinedRelations().indexOf(relation)), typed, {}}),
                  QString());
        EXPECT_EQ(rows(CombinedCondition(lines)), c.tms);
    }
}

TEST_P(IsbnSearchTest, OtherRelationsKeepTheirPlainMeaning)
{
    // "大于" compares the text as stored: "979-…" sorts after "9787302023685", "978-…" before.
    ConditionLines lines;
    ASSERT_EQ(AddConditionStep(lines, StepKind::Condition, {"ISBN", "大于", 2, "9787302023685", ""}), QString());
    EXPECT_EQ(rows(CombinedCondition(lines)), QStringList{"T3"});
}

INSTANTIATE_TEST_SUITE_P(Engines, IsbnSearchTest,
                         ::testing::Values(Engine::Sqlite, Engine::Firebird, Engine::Postgres), engineTestName);

} // namespace
