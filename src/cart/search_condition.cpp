#include "cart/search_condition.h"

#include "cart/isbn_condition.h"
#include "cart/season_orders.h"

#include "data/bound_text.h"
#include "data/like_pattern.h"

#include <QHash>

namespace {

// Captions of the search forms and their catalogue columns. "收获联系电话" is written as the
// forms have it; "客户编号"/"客户名称" share the columns of "订货人编号"/"订货人名称".
const QHash<QString, QString> &columnsByCaption()
{
    static const QHash<QString, QString> map = {
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
    };
    return map;
}

const QString Contains = QStringLiteral("包含");
const QString StartsWith = QStringLiteral("以...开头");
const QString EndsWith = QStringLiteral("以...结尾");
const QString Between = QStringLiteral("在...之间");
const QString IsEmpty = QStringLiteral("为空");
const QString IsNotEmpty = QStringLiteral("不为空");

// A typed value matches as typed: "%" and "_" in it are no wildcards.
BoundCondition like(const QString &column, const QString &pattern)
{
    return {LikePattern::condition(column, pattern), {pattern}};
}

// A field without a value is not equal to the value either.
QString notEqual(const QString &column)
{
    return QStringLiteral("(%1 <> ? or %1 is null)").arg(column);
}

} // namespace

namespace {

// The columns the search selects, in the order the search window's columns name them.
QString searchColumns()
{
    return QStringLiteral(
        "sm,tm,zbh,yc,zz,dj,cbrq,kb,zdfs,Qzs,cbbm,cbmc,ghbm,ghmc,fsm,fsm2,tsh1,tsh2,wwsm,wwsm2,"
        "isbn,csm,csm2,ztbm,ztmc,ywbm,ywbc,zpbm,zpmc,syfw,syzy,nrdj,zz2,yz,yz2,chr,bj,bj2,bs,zzgg,"
        "bcys,dwyz,zyz,bzyz,ys,mbcs,sfxs,jj");
}

} // namespace

QString SearchSelectText()
{
    return QStringLiteral("select ") + searchColumns() + QStringLiteral(" from qrydebooks  where ");
}

BoundCondition SearchStatement(const BoundCondition &where)
{
    return {QStringLiteral("select ") + searchColumns() + u',' + SeasonOrders::quantityColumn()
                + QStringLiteral(" from qrydebooks  where ") + where.text,
            SeasonOrders::seasonBounds() + where.values};
}

const QStringList &SimpleRelations()
{
    static const QStringList list = {Contains, StartsWith, EndsWith, QStringLiteral("等于"),
                                     QStringLiteral("不等于")};
    return list;
}

const QStringList &CombinedRelations()
{
    static const QStringList list = {
        QStringLiteral("等于"), QStringLiteral("不等于"), QStringLiteral("大于"),
        QStringLiteral("大于等于"), QStringLiteral("小于"), QStringLiteral("小于等于"),
        Contains, StartsWith, EndsWith, Between, IsEmpty, IsNotEmpty};
    return list;
}

QString FieldColumnName(const QString &caption)
{
    return columnsByCaption().value(caption, QStringLiteral("sm"));
}

QString RelationOperator(const QString &word)
{
    static const QHash<QString, QString> map = {
        {"等于", "="}, {"不等于", "<>"}, {"大于", ">"}, {"大于等于", ">="},
        {"小于", "<"}, {"小于等于", "<="}, {"包含", "like"}, {"以...开头", "like"},
        {"以...结尾", "like"}, {"在...之间", "between"}, {"为空", "is null"}, {"不为空", "is not null"},
    };
    return map.value(word, QStringLiteral("="));
}

int RelationIndex(const QString &word)
{
    const int index = int(SimpleRelations().indexOf(word));
    return index < 0 ? 0 : index;
}

namespace {

BoundCondition plainSimpleCondition(const QString &column, int position, const QString &value)
{
    switch (position) {
    case 0: return like(column, u'%' + LikePattern::escaped(value) + u'%');
    case 1: return like(column, LikePattern::escaped(value) + u'%');
    case 2: return like(column, u'%' + LikePattern::escaped(value));
    case 3: return {column + QStringLiteral(" = ?"), {Sql::boundText(value)}};
    case 4: return {notEqual(column), {Sql::boundText(value)}};
    default: return {};
    }
}

} // namespace

BoundCondition SimpleCondition(const QString &caption, int position, const QString &value)
{
    const QString column = FieldColumnName(caption);
    const BoundCondition plain = plainSimpleCondition(column, position, value);
    if (position < 0 || position >= SimpleRelations().size())
        return plain;
    return IsbnCondition::widened(plain, column, SimpleRelations().at(position), value);
}

QStringList ConditionLines::sqlLines() const
{
    QStringList out;
    for (const Line &l : m_lines)
        out << l.sql;
    return out;
}

QStringList ConditionLines::displayLines() const
{
    QStringList out;
    for (const Line &l : m_lines)
        out << l.display;
    return out;
}

QString AddConditionStep(ConditionLines &lines, StepKind kind, const ConditionInput &input)
{
    switch (kind) {
    case StepKind::And: lines.append({QStringLiteral(" and"), {}, QStringLiteral(" 和")}); return {};
    case StepKind::Or: lines.append({QStringLiteral(" or"), {}, QStringLiteral(" 或")}); return {};
    case StepKind::LeftParenthesis:
        lines.append({QStringLiteral(" ("), {}, QStringLiteral(" （")});
        return {};
    case StepKind::RightParenthesis:
        lines.append({QStringLiteral(" )"), {}, QStringLiteral(" ）")});
        return {};
    case StepKind::Condition: break;
    }

    const QString &word = input.relation;
    const bool nullTest = word == IsEmpty || word == IsNotEmpty;
    if (word == Between) {
        if (input.value.isEmpty() || input.value2.isEmpty())
            return QStringLiteral("请输入有效的范围值");
    } else if (!nullTest && input.value.isEmpty()) {
        return QStringLiteral("请输入有效的查询值");
    }

    const QString op = RelationOperator(word);
    const QString column = FieldColumnName(input.caption);
    ConditionLines::Line line;
    if (word == IsEmpty) {
        // An empty text is as empty to the operator as a null.
        line.sql = QStringLiteral("(%1 is null or %1 = '')").arg(column);
    } else if (word == IsNotEmpty) {
        line.sql = QStringLiteral("(%1 is not null and %1 <> '')").arg(column);
    } else if (op == u"between") {
        line.sql = column + QStringLiteral(" between ? and ?");
        line.values = {Sql::boundText(input.value), Sql::boundText(input.value2)};
    } else if (op == u"like") {
        const QString typed = LikePattern::escaped(input.value);
        const QString pattern = word == StartsWith ? typed + u'%'
                                : word == EndsWith ? u'%' + typed
                                                   : u'%' + typed + u'%';
        const BoundCondition c = like(column, pattern);
        line.sql = c.text;
        line.values = c.values;
    } else if (op == u"<>") {
        line.sql = notEqual(column);
        line.values = {Sql::boundText(input.value)};
    } else {
        line.sql = column + u' ' + op + QStringLiteral(" ?");
        line.values = {Sql::boundText(input.value)};
    }
    const BoundCondition isbn = IsbnCondition::widened({line.sql, line.values}, column, word, input.value);
    line.sql = isbn.text;
    line.values = isbn.values;

    switch (input.position) {
    case 7: line.display = input.caption + QStringLiteral(" 以 ") + input.value + QStringLiteral(" 开头"); break;
    case 8: line.display = input.caption + QStringLiteral(" 以 ") + input.value + QStringLiteral(" 结尾"); break;
    case 9:
        line.display = input.caption + QStringLiteral(" 在 ") + input.value + QStringLiteral(" 和 ")
                       + input.value2 + QStringLiteral(" 之间");
        break;
    case 10:
    case 11: line.display = input.caption + u' ' + word; break;
    default: line.display = input.caption + u' ' + word + u' ' + input.value; break;
    }
    lines.append(line);
    return {};
}

BoundCondition CombinedCondition(const ConditionLines &lines)
{
    BoundCondition out;
    out.text = QStringLiteral("(");
    for (int i = 0; i < lines.size(); ++i) {
        out.text += lines.at(i).sql + QStringLiteral("\r\n");
        out.values += lines.at(i).values;
    }
    out.text += u')';
    return out;
}
