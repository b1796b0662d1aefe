#include "order/cart_statements.h"

#include "data/bound_text.h"

namespace CartStatements {
namespace {

Bound ofCart(const QString &select, const QString &op, const QStringList &leftOut)
{
    Bound out{select + QStringLiteral(" from qrydeshopcart where op=?"), {Sql::boundText(op)}};
    out.text += withoutTitles(leftOut, out.values);
    return out;
}

} // namespace

QString withoutTitles(const QStringList &keys, QVariantList &values)
{
    if (keys.isEmpty())
        return {};
    for (const QString &key : keys)
        values << key;
    return QStringLiteral(" and tm not in (?") + QStringLiteral(",?").repeated(keys.size() - 1) + u')';
}

Bound lines(const QString &op, const QStringList &leftOut)
{
    return ofCart(QStringLiteral("select sl,sm,tm,yc,zbh,isbn,zz,dj,my,ghbm,ghmc,cbbm,cbmc,dhdh"), op, leftOut);
}

Bound totals(const QString &op, const QStringList &leftOut)
{
    return ofCart(QStringLiteral("select count(tm) as ncount,sum(sl) as sl,sum(my) as my"), op, leftOut);
}

QString zeroQuantityQuestion(const QStringList &names)
{
    constexpr int Named = 20;
    QString list = names.mid(0, Named).join(u'\n');
    if (names.size() > Named)
        list += QStringLiteral("\n等 %1 种").arg(names.size());
    return QStringLiteral("以下 %1 种书目的订购数量为 0：\n%2\n是否仍按数量 0 订购这些书目？\n"
                          "选择\"否\"则本次不订购这些书目，它们留在购物车中。")
        .arg(names.size())
        .arg(list);
}

} // namespace CartStatements
