// The search condition builder: captions, relation words, single-field conditions and the
// combined conditions with their display lines; bound conditions select the rows of the plain
// text form on a real catalogue, and values with quotes find their rows.
#include "temp_tree.h"

#include "cart/search_condition.h"
#include "common/app_error.h"
#include "data/sql_helper.h"

#include <QSqlQuery>
#include <utility>
#include <vector>
#include <gtest/gtest.h>

namespace {

TEST(FieldColumnName, EveryCaptionOfTheFormsHasItsColumn)
{
    const char *const table[][2] = {
        {"书名", "sm"}, {"出版社编号", "cbbm"}, {"出版社名称", "cbmc"}, {"中图法分类编码", "ztbm"},
        {"中图法分类名称", "ztmc"}, {"业务分类编码", "ywbm"}, {"业务分类名称", "ywbc"}, {"条码", "tm"},
        {"ISBN", "isbn"}, {"副书名", "fsm"}, {"副书名2", "fsm2"}, {"题上项1", "tsh1"},
        {"题上项2", "tsh2"}, {"外文书名", "wwsm"}, {"外文书名2", "wwsm2"}, {"丛书名称", "csm"},
        {"丛书名称2", "csm2"}, {"制品类型编码", "zpbm"}, {"制品类型名称", "zpmc"}, {"适用范围名称", "syfw"},
        {"适用专业名称", "syzy"}, {"内容分级", "nrdj"}, {"供货商编号", "ghbm"}, {"供货商名称", "ghmc"},
        {"作者", "zz"}, {"作者2", "zz2"}, {"译者", "yz"}, {"译者2", "yz2"},
        {"策划人", "chr"}, {"编辑", "bj"}, {"编辑2", "bj2"}, {"编室", "bs"},
        {"印次", "yc"}, {"书代号", "zbh"}, {"开本", "kb"}, {"纸张规格", "zzgg"},
        {"装订方式", "zdfs"}, {"本次印数", "bcys"}, {"单位印张", "dwyz"}, {"总印张", "zyz"},
        {"标准印张", "bzyz"}, {"千字数", "qzs"}, {"页数", "ys"}, {"每包册数", "mbcs"},
        {"出版日期", "cbrq"}, {"定价", "dj"}, {"是否新书", "sfxs"}, {"封面图片", "fmtp"},
        {"出版说明", "cbsm"}, {"前言", "qy"}, {"序言", "xy"}, {"序言2", "xy2"},
        {"扉页", "fy"}, {"内容简介", "nrty"}, {"章节目录", "zjml"}, {"精彩片段", "jcpd"},
        {"精彩片段2", "jcpd2"}, {"书评", "sp"}, {"书评2", "sp2"}, {"书评3", "sp3"},
        {"作者简介", "zzjj"}, {"作者简介2", "zzjj2"}, {"后记", "hj"}, {"附录", "fl"},
        {"附录2", "fl2"}, {"附录3", "fl3"}, {"参考资料", "ckzl"}, {"其他内容", "qtnr"},
        {"其他内容2", "qtnr2"}, {"订货单号", "dhdh"}, {"订货日期", "dhrq"}, {"流水号", "dfdh"},
        {"订货人编号", "dhrh"}, {"订货人名称", "dhrm"}, {"订货联系人", "dhlr"}, {"订货联系电话", "dhlh"},
        {"订货经办人", "dhjb"}, {"收货人编号", "shrh"}, {"收货人名称", "shrm"}, {"收货联系人", "shlr"},
        {"收获联系电话", "shlh"}, {"收货人地址", "shdz"}, {"收货人地址2", "shdz2"}, {"收货人邮编", "shyb"},
        {"付款人编号", "fkrh"}, {"付款人名称", "fkrm"}, {"付款联系人", "fklr"}, {"付款联系电话", "fklh"},
        {"发货方式", "fhfs"}, {"结算方式", "jsfs"}, {"付款方式", "fkfs"}, {"发货到站", "fhdz"},
        {"要求发货日期", "fhrq"}, {"备注", "bz"}, {"分类名称", "name"}, {"分类编码", "id"},
        {"合作出版者", "hzcb"}, {"出版者国别", "cbgb"}, {"首版年月", "sbny"}, {"CIP分类", "cip"},
        {"统计分类编码", "tjfl"}, {"统计分类名称", "tjmc"}, {"主题词", "ztc"}, {"版权提供者", "bqtg"},
        {"丛书编号", "csbh"}, {"印刷日期", "ysrq"}, {"长度", "cd"}, {"宽度", "kd"},
        {"厚度", "hd"}, {"重量", "zl"}, {"销售单价", "xsdj"}, {"附件情况", "fjqk"},
        {"客户编号", "dhrh"}, {"客户名称", "dhrm"},
        // Anything else is the title: other case, the empty caption, the usual spelling of a
        // caption the forms misspell, a caption with a stray space.
        {"isbn", "sm"}, {"", "sm"}, {"收货联系电话", "sm"}, {"作者 ", "sm"}, {"cip分类", "sm"},
    };
    for (const auto &row : table)
        EXPECT_EQ(FieldColumnName(QString::fromUtf8(row[0])), QString::fromUtf8(row[1])) << row[0];
}

TEST(RelationWords, OperatorsAndSimplePositions)
{
    const char *const operators[][2] = {
        {"等于", "="}, {"不等于", "<>"}, {"大于", ">"}, {"大于等于", ">="}, {"小于", "<"},
        {"小于等于", "<="}, {"包含", "like"}, {"以...开头", "like"}, {"以...结尾", "like"},
        {"在...之间", "between"}, {"为空", "is null"}, {"不为空", "is not null"},
        {"近似", "="}, {"", "="},
    };
    for (const auto &row : operators)
        EXPECT_EQ(RelationOperator(QString::fromUtf8(row[0])), QString::fromUtf8(row[1])) << row[0];

    const struct {
        const char *word;
        int index;
    } positions[] = {
        {"包含", 0}, {"以...开头", 1}, {"以...结尾", 2}, {"等于", 3}, {"不等于", 4},
        // A configured default outside the five falls back to "包含".
        {"大于", 0}, {"为空", 0}, {"", 0}, {"等 于", 0},
    };
    for (const auto &p : positions)
        EXPECT_EQ(RelationIndex(QString::fromUtf8(p.word)), p.index) << p.word;

    // The combo lists: what RelationIndex counts in, and the twelve positions the display
    // lines of the combined conditions depend on.
    EXPECT_EQ(SimpleRelations().join(u'|'), QStringLiteral("包含|以...开头|以...结尾|等于|不等于"));
    EXPECT_EQ(CombinedRelations().join(u'|'),
              QStringLiteral("等于|不等于|大于|大于等于|小于|小于等于|包含|以...开头|以...结尾|在...之间|为空|不为空"));
}

TEST(SimpleCondition, ColumnOperatorAndBoundValue)
{
    const struct {
        const char *caption;
        int position;
        const char *value;
        const char *text;
        const char *bound;   // nullptr: no value
    } cases[] = {
        {"书名", 0, "数学", "sm like cast(? as varchar(4)) escape '!'", "%数学%"},
        {"作者", 1, "王", "zz like cast(? as varchar(2)) escape '!'", "王%"},
        {"ISBN", 2, "-5", "isbn like cast(? as varchar(3)) escape '!'", "%-5"},
        {"书名", 0, "5%_!", "sm like cast(? as varchar(9)) escape '!'", "%5!%!_!!%"},
        {"出版社名称", 3, "读者'之友", "cbmc = ?", "读者'之友"},
        {"书名", 4, "数学", "(sm <> ? or sm is null)", "数学"},
        {"isbn", 3, "978", "sm = ?", "978"},
        {"书名", -1, "数学", "", nullptr},
        {"书名", 5, "数学", "", nullptr},
    };
    for (const auto &c : cases) {
        const BoundCondition got =
            SimpleCondition(QString::fromUtf8(c.caption), c.position, QString::fromUtf8(c.value));
        EXPECT_EQ(got.text, QString::fromUtf8(c.text)) << c.caption << ' ' << c.position;
        if (c.bound)
            EXPECT_EQ(got.values, QVariantList{QString::fromUtf8(c.bound)}) << c.caption;
        else
            EXPECT_TRUE(got.values.isEmpty());
    }
}

TEST(AddConditionStep, ConnectivesNeedNoInput)
{
    ConditionLines lines;
    for (StepKind k : {StepKind::And, StepKind::Or, StepKind::LeftParenthesis, StepKind::RightParenthesis})
        EXPECT_EQ(AddConditionStep(lines, k), QString());
    EXPECT_EQ(lines.sqlLines(), (QStringList{" and", " or", " (", " )"}));
    EXPECT_EQ(lines.displayLines(), (QStringList{" 和", " 或", " （", " ）"}));
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines.at(i).values.isEmpty());
}

TEST(AddConditionStep, MissingValuesAreRefusedAndChangeNothing)
{
    const struct {
        const char *relation;
        int position;
        const char *value;
        const char *value2;
        const char *message;
    } cases[] = {
        {"等于", 0, "", "", "请输入有效的查询值"},
        {"包含", 6, "", "x", "请输入有效的查询值"},
        {"大于", 2, "", "", "请输入有效的查询值"},
        {"在...之间", 9, "10", "", "请输入有效的范围值"},
        {"在...之间", 9, "", "20", "请输入有效的范围值"},
        {"在...之间", 9, "", "", "请输入有效的范围值"},
    };
    for (const auto &c : cases) {
        ConditionLines lines;
        AddConditionStep(lines, StepKind::And);
        const QString message = AddConditionStep(
            lines, StepKind::Condition,
            {QStringLiteral("书名"), QString::fromUtf8(c.relation), c.position, QString::fromUtf8(c.value),
             QString::fromUtf8(c.value2)});
        EXPECT_EQ(message, QString::fromUtf8(c.message)) << c.relation;
        EXPECT_EQ(lines.sqlLines(), QStringList{" and"}) << c.relation;
        EXPECT_EQ(lines.displayLines(), QStringList{" 和"}) << c.relation;
    }
}

TEST(AddConditionStep, ConditionLinesForEveryRelation)
{
    const struct {
        const char *caption;
        int position;
        const char *value;
        const char *value2;
        const char *sql;
        QVariantList values;
        const char *display;
    } cases[] = {
        {"出版社名称", 0, "高等教育出版社", "", "cbmc = ?", {"高等教育出版社"}, "出版社名称 等于 高等教育出版社"},
        {"书名", 1, "数学", "", "(sm <> ? or sm is null)", {"数学"}, "书名 不等于 数学"},
        {"ISBN", 2, "7-04", "", "isbn > ?", {"7-04"}, "ISBN 大于 7-04"},
        {"ISBN", 3, "7-04", "", "isbn >= ?", {"7-04"}, "ISBN 大于等于 7-04"},
        {"ISBN", 4, "7-05", "", "isbn < ?", {"7-05"}, "ISBN 小于 7-05"},
        {"ISBN", 5, "7-05", "", "isbn <= ?", {"7-05"}, "ISBN 小于等于 7-05"},
        {"书名", 6, "数学", "", "sm like cast(? as varchar(4)) escape '!'", {"%数学%"}, "书名 包含 数学"},
        {"作者", 7, "王", "", "zz like cast(? as varchar(2)) escape '!'", {"王%"}, "作者 以 王 开头"},
        {"外文书名", 8, "II", "", "wwsm like cast(? as varchar(3)) escape '!'", {"%II"}, "外文书名 以 II 结尾"},
        {"书名", 6, "5%_", "", "sm like cast(? as varchar(7)) escape '!'", {"%5!%!_%"}, "书名 包含 5%_"},
        {"ISBN", 9, "7-04", "7-05", "isbn between ? and ?", {"7-04", "7-05"}, "ISBN 在 7-04 和 7-05 之间"},
        // A value typed for an empty test is not asked for, not used and not shown.
        {"丛书名称", 10, "ignored", "", "(csm is null or csm = '')", {}, "丛书名称 为空"},
        {"丛书名称", 11, "", "", "(csm is not null and csm <> '')", {}, "丛书名称 不为空"},
        {"作者", 0, "O'Brien", "", "zz = ?", {"O'Brien"}, "作者 等于 O'Brien"},
    };
    for (const auto &c : cases) {
        ConditionLines lines;
        const QString relation = CombinedRelations().at(c.position);
        EXPECT_EQ(AddConditionStep(lines, StepKind::Condition,
                                   {QString::fromUtf8(c.caption), relation, c.position,
                                    QString::fromUtf8(c.value), QString::fromUtf8(c.value2)}),
                  QString());
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines.at(0).sql, QString::fromUtf8(c.sql)) << c.position;
        EXPECT_EQ(lines.at(0).values, c.values) << c.position;
        EXPECT_EQ(lines.at(0).display, QString::fromUtf8(c.display)) << c.position;
    }
}

TEST(CombinedCondition, LinesInBracketsEachEndingInCrLf)
{
    ConditionLines lines;
    AddConditionStep(lines, StepKind::Condition, {"书名", "包含", 6, "数学", ""});
    AddConditionStep(lines, StepKind::And);
    AddConditionStep(lines, StepKind::Condition, {"作者", "等于", 0, "张三", ""});
    const BoundCondition c = CombinedCondition(lines);
    EXPECT_EQ(c.text, QStringLiteral("(sm like cast(? as varchar(4)) escape '!'\r\n and\r\nzz = ?\r\n)"));
    EXPECT_EQ(c.values, (QVariantList{"%数学%", "张三"}));
    EXPECT_EQ(lines.displayLines(), (QStringList{"书名 包含 数学", " 和", "作者 等于 张三"}));
}

// A small catalogue in a real database: bound conditions against the plain text form.
class ConditionRowsTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    void SetUp() override
    {
        const struct {
            const char *tm, *sm, *zz, *cbmc, *isbn, *wwsm;
            const char *csm;   // nullptr: null
            double dj;
        } rows[] = {
            {"T1", "高等数学", "王一", "高等教育出版社", "7-04-1", "Calculus I", "数学丛书", 32.5},
            {"T2", "数学分析", "张三", "高等教育出版社", "7-04-9", "Analysis II", "", 28},
            {"T3", "大学物理", "王二", "科学出版社", "7-03-5", "Physics II", nullptr, 45},
            {"T4", "英语阅读", "O'Brien", "读者'之友出版社", "7-05-2", "Reading", "外语丛书", 19.9},
            {"T5", "线性代数", "李四", "科学出版社", "7-03-7", "Linear Algebra", "数学丛书", 20},
            {"T6", "数学物理方法", "王三", "读者之友出版社", "7-06-1", "Methods", nullptr, 55},
        };
        for (const auto &r : rows)
            Sql::exec(db,
                      QStringLiteral("insert into debooks (tm,sm,zz,cbmc,isbn,wwsm,csm,dj) values (?,?,?,?,?,?,?,?)"),
                      {QString::fromUtf8(r.tm), QString::fromUtf8(r.sm), QString::fromUtf8(r.zz),
                       QString::fromUtf8(r.cbmc), QString::fromUtf8(r.isbn), QString::fromUtf8(r.wwsm),
                       r.csm ? QVariant(QString::fromUtf8(r.csm)) : QVariant(), r.dj});
    }

    // The tm of the rows a condition selects, sorted.
    QStringList rows(const QString &condition, const QVariantList &values = {}) const
    {
        QSqlQuery q = Sql::exec(db, SearchSelectText() + condition, values);
        QStringList out;
        while (q.next())
            out << q.value(1).toString();
        out.sort();
        return out;
    }

    // The plain text form of a combined condition step, as the operator's words spell it.
    static QString splicedStep(const ConditionInput &in)
    {
        const QString op = RelationOperator(in.relation);
        QString literal = in.value;
        if (in.relation == u"以...开头")
            literal = in.value + u'%';
        else if (in.relation == u"以...结尾")
            literal = u'%' + in.value;
        else if (in.relation == u"包含")
            literal = u'%' + in.value + u'%';
        else if (op == u"between")
            literal = in.value + QStringLiteral("' and '") + in.value2;
        return FieldColumnName(in.caption) + u' ' + op + u'\'' + literal + u'\'';
    }
};

TEST_F(ConditionRowsTest, SimpleConditionSelectsTheRowsOfThePlainForm)
{
    const struct {
        const char *caption;
        int position;
        const char *value;
    } cases[] = {
        {"书名", 0, "数学"}, {"书名", 1, "数学"}, {"书名", 2, "物理"}, {"书名", 3, "大学物理"},
        {"书名", 4, "大学物理"}, {"作者", 1, "王"}, {"出版社名称", 3, "科学出版社"},
        {"ISBN", 1, "7-03"}, {"丛书名称", 4, "数学丛书"}, {"外文书名", 2, "II"},
        {"外文书名", 0, "_"}, {"书名", 0, "%"}, {"书名", 3, "无此书"},
    };
    int nonEmpty = 0;
    for (const auto &c : cases) {
        const QString value = QString::fromUtf8(c.value);
        const QString column = FieldColumnName(QString::fromUtf8(c.caption));
        // Typed as it is matched: wildcards escaped, and "不等于" keeps the rows without a value.
        const QString typed = QString(value).replace(QStringLiteral("%"), QStringLiteral("!%"))
                                  .replace(QStringLiteral("_"), QStringLiteral("!_"));
        const QString spliced = QStringList{
            column + " like '%" + typed + "%' escape '!'", column + " like '" + typed + "%' escape '!'",
            column + " like '%" + typed + "' escape '!'", column + " = '" + value + "'",
            "(" + column + " <> '" + value + "' or " + column + " is null)"}.at(c.position);
        const BoundCondition bound = SimpleCondition(QString::fromUtf8(c.caption), c.position, value);
        const QStringList expected = rows(spliced);
        EXPECT_EQ(rows(bound.text, bound.values), expected) << spliced.toStdString();
        nonEmpty += expected.isEmpty() ? 0 : 1;
    }
    // The table is worth something only if most cases select rows.
    EXPECT_GE(nonEmpty, 10);
}

// "%", "_" and the escape character typed into a value match as typed, and "不等于" keeps the
// titles whose field has no value, in the single-field search and in a combined condition.
TEST_F(ConditionRowsTest, TypedWildcardsMatchAsTypedAndNotEqualKeepsTitlesWithoutAValue)
{
    const struct {
        const char *tm, *sm;
    } more[] = {{"T7", "满分100%题解"}, {"T8", "C_语言"}, {"T9", "CX语言"}, {"T10", "惊叹!号"}};
    for (const auto &r : more)
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,csm,dj) values (?,?,'数学丛书',1)"),
                  {QString::fromUtf8(r.tm), QString::fromUtf8(r.sm)});
    const struct {
        const char *caption;
        const char *relation;
        const char *value;
        QStringList tms;
    } cases[] = {
        {"书名", "包含", "%", {"T7"}},
        {"书名", "包含", "_", {"T8"}},
        {"书名", "以...开头", "C_", {"T8"}},
        {"书名", "以...结尾", "0%题解", {"T7"}},
        {"书名", "包含", "!", {"T10"}},
        {"书名", "包含", "!号", {"T10"}},
        {"丛书名称", "不等于", "数学丛书", {"T2", "T3", "T4", "T6"}},
        {"丛书名称", "不等于", "外语丛书", {"T1", "T10", "T2", "T3", "T5", "T6", "T7", "T8", "T9"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.relation) + " " + c.value);
        const QString caption = QString::fromUtf8(c.caption);
        const QString relation = QString::fromUtf8(c.relation);
        const QString value = QString::fromUtf8(c.value);
        const BoundCondition single = SimpleCondition(caption, int(SimpleRelations().indexOf(relation)), value);
        EXPECT_EQ(rows(single.text, single.values), c.tms);
        ConditionLines lines;
        ASSERT_EQ(AddConditionStep(lines, StepKind::Condition,
                                   {caption, relation, int(CombinedRelations().indexOf(relation)), value, {}}),
                  QString());
        const BoundCondition combined = CombinedCondition(lines);
        EXPECT_EQ(rows(combined.text, combined.values), c.tms);
    }
}

TEST_F(ConditionRowsTest, CombinedConditionSelectsTheRowsOfThePlainForm)
{
    using Step = std::pair<StepKind, ConditionInput>;
    auto cond = [](const char *caption, const char *relation, const char *value, const char *value2 = "") {
        const QString word = QString::fromUtf8(relation);
        return Step{StepKind::Condition,
                    {QString::fromUtf8(caption), word, int(CombinedRelations().indexOf(word)),
                     QString::fromUtf8(value), QString::fromUtf8(value2)}};
    };
    const Step andStep{StepKind::And, {}}, orStep{StepKind::Or, {}};
    const Step left{StepKind::LeftParenthesis, {}}, right{StepKind::RightParenthesis, {}};
    const std::vector<std::vector<Step>> cases = {
        {cond("书名", "包含", "数学"), andStep, cond("作者", "以...开头", "王")},
        {cond("书名", "包含", "数学"), orStep, cond("出版社名称", "等于", "科学出版社")},
        {left, cond("作者", "以...开头", "王"), orStep, cond("作者", "等于", "张三"), right, andStep,
         cond("ISBN", "在...之间", "7-03", "7-04-5")},
        {cond("ISBN", "大于", "7-04"), andStep, cond("ISBN", "小于等于", "7-05-2")},
        {cond("ISBN", "大于等于", "7-04-9"), orStep, cond("ISBN", "小于", "7-03-6")},
        {cond("外文书名", "以...结尾", "II"), andStep, cond("书名", "不等于", "大学物理")},
        // Numbers are compared as the database compares a number with a quoted text.
        {cond("定价", "大于", "30")},
        {cond("定价", "在...之间", "19.9", "28")},
    };
    for (const auto &steps : cases) {
        ConditionLines lines;
        QString spliced = QStringLiteral("(");
        for (const auto &[kind, input] : steps) {
            ASSERT_EQ(AddConditionStep(lines, kind, input), QString());
            spliced += (kind == StepKind::Condition ? splicedStep(input) : lines.at(lines.size() - 1).sql)
                       + QStringLiteral("\r\n");
        }
        spliced += u')';
        const BoundCondition bound = CombinedCondition(lines);
        const QStringList expected = rows(spliced);
        EXPECT_FALSE(expected.isEmpty()) << spliced.toStdString();
        EXPECT_EQ(rows(bound.text, bound.values), expected) << spliced.toStdString();
    }
}

TEST_F(ConditionRowsTest, ValuesWithQuotesFindTheirRows)
{
    const BoundCondition byAuthor = SimpleCondition(QStringLiteral("作者"), 3, QStringLiteral("O'Brien"));
    EXPECT_EQ(rows(byAuthor.text, byAuthor.values), QStringList{"T4"});
    const BoundCondition byPublisher = SimpleCondition(QStringLiteral("出版社名称"), 0, QStringLiteral("读者'之"));
    EXPECT_EQ(rows(byPublisher.text, byPublisher.values), QStringList{"T4"});

    ConditionLines lines;
    AddConditionStep(lines, StepKind::Condition, {"出版社名称", "以...开头", 7, "读者'之友", ""});
    AddConditionStep(lines, StepKind::Or);
    AddConditionStep(lines, StepKind::Condition, {"作者", "在...之间", 9, "O'A", "O'C"});
    const BoundCondition combined = CombinedCondition(lines);
    EXPECT_EQ(rows(combined.text, combined.values), QStringList{"T4"});
    EXPECT_EQ(lines.displayLines(), (QStringList{"出版社名称 以 读者'之友 开头", " 或", "作者 在 O'A 和 O'C 之间"}));
}

TEST_F(ConditionRowsTest, EmptyTestsTakeEmptyTextForEmpty)
{
    const struct {
        const char *relation;
        int position;
        QStringList expected;
    } cases[] = {
        {"为空", 10, {"T2", "T3", "T6"}},   // "" and the two nulls
        {"不为空", 11, {"T1", "T4", "T5"}},
    };
    for (const auto &c : cases) {
        ConditionLines lines;
        AddConditionStep(lines, StepKind::Condition, {"丛书名称", QString::fromUtf8(c.relation), c.position, "", ""});
        const BoundCondition bound = CombinedCondition(lines);
        EXPECT_EQ(rows(bound.text, bound.values), c.expected) << c.relation;
    }
}

TEST_F(ConditionRowsTest, MalformedCombinationsStillFailWhenOpened)
{
    const std::vector<std::vector<StepKind>> cases = {
        {StepKind::And},
        {StepKind::Condition, StepKind::And},
        {StepKind::LeftParenthesis, StepKind::Condition},
        {StepKind::Condition, StepKind::Condition},
    };
    for (const auto &steps : cases) {
        ConditionLines lines;
        for (StepKind k : steps)
            AddConditionStep(lines, k, {"书名", "包含", 6, "数学", ""});
        const BoundCondition bound = CombinedCondition(lines);
        EXPECT_THROW(rows(bound.text, bound.values), AppError) << bound.text.toStdString();
    }
    // So does a single-field search without a relation.
    const BoundCondition none = SimpleCondition(QStringLiteral("书名"), -1, QStringLiteral("数学"));
    EXPECT_THROW(rows(none.text, none.values), AppError);
}

} // namespace
