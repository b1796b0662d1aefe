#pragma once
// The search condition builder: what the operator chose in a search form (a field caption, a
// relation word, one or two values) becomes the condition of a statement on qrydebooks, and
// for the combined conditions also a line the operator reads.
//
// Conditions carry "?" placeholders and the values they stand for: a value is never part of
// the statement text, so a quote in it (O'Brien) finds its rows instead of breaking the
// statement. For values without quotes the rows are those of the plain text form
// (sm like '%数学%', cbmc ='高等教育出版社', isbn between'7-04' and '7-05'), with two mends:
// a typed "%" or "_" matches as typed (LIKE … ESCAPE, see data/like_pattern.h), and "不等于"
// also selects the rows whose field is NULL: "(col <> ? or col is null)".
// The ISBN field searched with a value that reads as an ISBN also finds the title in its other
// forms (ISBN-10 or -13, with or without hyphens and spaces): see cart/isbn_condition.h.
//
//   ConditionLines lines;
//   AddConditionStep(lines, StepKind::Condition, {"书名", "包含", 6, "数学"});
//   AddConditionStep(lines, StepKind::And);
//   AddConditionStep(lines, StepKind::Condition, {"作者", "等于", 0, "张三"});
//   BoundCondition where = CombinedCondition(lines);
//   BoundCondition search = SearchStatement(where);
//   ds.setStatement(search.text, search.values);
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Condition text with "?" placeholders and their values, in order.
struct BoundCondition {
    QString text;
    QVariantList values;
};

// "select sm,tm,…,jj from qrydebooks  where " — the search statement before its condition.
QString SearchSelectText();
// The search window's whole statement for a condition: the columns of SearchSelectText(), with
// "已订" (ydsl, the quantity ordered this season; see SeasonOrders::quantityColumn), and the
// condition; the season's bounds go before the condition's values.
BoundCondition SearchStatement(const BoundCondition &where);

// "包含", "以...开头", "以...结尾", "等于", "不等于": the single-field relations.
const QStringList &SimpleRelations();
// "等于" … "不为空": the twelve relations of the combined conditions.
const QStringList &CombinedRelations();

// The catalogue column of a field caption (exact, case-sensitive); any other caption is "sm".
QString FieldColumnName(const QString &caption);
// The SQL operator of a relation word; any other word is "=".
QString RelationOperator(const QString &word);
// The position of a relation word among SimpleRelations(). A word outside them (a configured
// default such as "大于") gives 0, "包含", so that a single-field search still has a relation.
int RelationIndex(const QString &word);

// The condition of a single-field search: caption's column, the relation at position of
// SimpleRelations(), value as typed. A position outside 0 to 4 gives an empty condition.
BoundCondition SimpleCondition(const QString &caption, int position, const QString &value);

enum class StepKind { Condition, And, Or, LeftParenthesis, RightParenthesis };

// What a condition step reads from the form: the field caption, the relation word, its
// position in CombinedRelations(), the value and the second value ("在...之间").
struct ConditionInput {
    QString caption;
    QString relation;
    int position = -1;
    QString value;
    QString value2;
};

// The two parallel lists of a combined condition: one SQL fragment (with its values) and one
// display line per step.
class ConditionLines {
public:
    struct Line {
        QString sql;
        QVariantList values;
        QString display;
    };

    bool isEmpty() const { return m_lines.isEmpty(); }
    int size() const { return int(m_lines.size()); }
    const Line &at(int i) const { return m_lines.at(i); }
    void append(const Line &line) { m_lines.append(line); }
    void clear() { m_lines.clear(); }
    QStringList sqlLines() const;
    QStringList displayLines() const;

private:
    QList<Line> m_lines;
};

// Appends one step to lines. Connectives always succeed (" and"/" 和", " or"/" 或",
// " ("/" （", " )"/" ）"). A condition with a missing value is refused: the result is the
// message to show ("请输入有效的查询值", or "请输入有效的范围值" for "在...之间") and lines
// stay as they were. An accepted step returns an empty text.
// The order of steps is not checked: an unmatched parenthesis or a trailing connective fails
// only when the statement is opened.
// "为空" also matches empty text and "不为空" matches neither null nor empty text.
QString AddConditionStep(ConditionLines &lines, StepKind kind, const ConditionInput &input = {});

// "(" + every fragment followed by CR LF + ")", with the values of all lines in order.
BoundCondition CombinedCondition(const ConditionLines &lines);
