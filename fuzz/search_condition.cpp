// The search-condition builder over anything an operator can type or pick. Input: UTF-8
// lines, one step each: "&" and, "|" or, "(" and ")" parentheses, anything else a condition
// "caption<TAB>relation<TAB>value<TAB>value2" (a relation of one digit or letter a-b picks
// that entry of the twelve combined relations). Values are bound, never part of the SQL text.
#include "fuzz_support.h"

#include "cart/search_condition.h"
#include "data/like_pattern.h"

#include <QRegularExpression>

namespace {

// Every character a condition's SQL text may hold: column names, operators, placeholders and
// the LIKE escape character.
bool sqlAlphabet(const QString &sql)
{
    for (const QChar c : sql) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')
                        || QStringView(u" ()?<>=',!\r\n").contains(c);
        if (!ok)
            return false;
    }
    return true;
}

// The statement text with the widths of the LIKE patterns' casts left out: the text may
// depend on how long a typed value is, never on what it says.
QString shape(QString sql)
{
    static const QRegularExpression width(QStringLiteral("varchar\\(\\d+\\)"));
    return sql.replace(width, QStringLiteral("varchar(n)"));
}

// A typed value stands among the bound ones whole, as typed or as a LIKE pattern escapes it.
bool bindsValue(const QVariantList &values, const QString &value)
{
    for (const QVariant &v : values)
        if (v.toString().contains(value) || v.toString().contains(LikePattern::escaped(value)))
            return true;
    return false;
}

struct Step {
    StepKind kind = StepKind::Condition;
    ConditionInput input;
};

QList<Step> parse(const QString &text)
{
    QList<Step> steps;
    for (const QString &line : text.split(u'\n')) {
        Step step;
        if (line == u"&")
            step.kind = StepKind::And;
        else if (line == u"|")
            step.kind = StepKind::Or;
        else if (line == u"(")
            step.kind = StepKind::LeftParenthesis;
        else if (line == u")")
            step.kind = StepKind::RightParenthesis;
        else {
            const QStringList f = line.split(u'\t');
            step.input.caption = f.value(0);
            step.input.relation = f.value(1);
            step.input.value = f.value(2);
            step.input.value2 = f.value(3);
            const QStringList &relations = CombinedRelations();
            if (step.input.relation.size() == 1) {
                const int pick = QStringLiteral("0123456789ab").indexOf(step.input.relation);
                if (pick >= 0)
                    step.input.relation = relations.at(pick);
            }
            step.input.position = int(relations.indexOf(step.input.relation));
        }
        steps << step;
    }
    return steps;
}

// The same steps with every typed value replaced by a fixed one of the same emptiness.
QList<Step> withOtherValues(QList<Step> steps)
{
    for (Step &s : steps) {
        s.input.value = s.input.value.isEmpty() ? s.input.value : QStringLiteral("v");
        s.input.value2 = s.input.value2.isEmpty() ? s.input.value2 : QStringLiteral("v");
    }
    return steps;
}

BoundCondition build(const QList<Step> &steps)
{
    ConditionLines lines;
    for (const Step &s : steps) {
        const int before = lines.size();
        const QString refusal = AddConditionStep(lines, s.kind, s.input);
        FUZZ_CHECK(refusal.isEmpty() ? lines.size() == before + 1 : lines.size() == before);
        FUZZ_CHECK(lines.sqlLines().size() == lines.displayLines().size());
    }
    return CombinedCondition(lines);
}

void checkBound(const BoundCondition &c)
{
    FUZZ_CHECK(sqlAlphabet(c.text));
    FUZZ_CHECK(c.text.count(u'?') == c.values.size());
    for (const QVariant &v : c.values)
        FUZZ_CHECK(!v.isNull());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QList<Step> steps = parse(QString::fromUtf8(Fuzz::bytes(data, size)));

    const BoundCondition where = build(steps);
    checkBound(where);
    FUZZ_CHECK(where.text.startsWith(u'(') && where.text.endsWith(u')'));
    const BoundCondition other = build(withOtherValues(steps));
    FUZZ_CHECK(shape(other.text) == shape(where.text) && other.values.size() == where.values.size());

    // Every typed value stands among the bound ones, whole.
    for (const Step &s : steps) {
        if (s.kind != StepKind::Condition || s.input.value.isEmpty())
            continue;
        // A refused step binds nothing; an accepted one binds its value.
        const bool found = bindsValue(where.values, s.input.value);
        const bool nullTest = s.input.position == 10 || s.input.position == 11;
        const bool refused = s.input.position == 9 && s.input.value2.isEmpty();
        FUZZ_CHECK(found || nullTest || refused);
    }

    // The single-field search over the same inputs, at every relation position.
    for (const Step &s : steps) {
        if (s.kind != StepKind::Condition)
            continue;
        for (int position = -1; position <= 5; ++position) {
            const BoundCondition simple = SimpleCondition(s.input.caption, position, s.input.value);
            checkBound(simple);
            const BoundCondition fixed = SimpleCondition(s.input.caption, position, QStringLiteral("v"));
            FUZZ_CHECK(shape(simple.text) == shape(fixed.text));
            if (position >= 0 && position <= 4)
                FUZZ_CHECK(simple.values.size() == 1 && bindsValue(simple.values, s.input.value));
            else
                FUZZ_CHECK(simple.text.isEmpty() && simple.values.isEmpty());
        }
    }
    return 0;
}
