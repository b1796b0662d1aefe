#include "cart/isbn_condition.h"

#include "common/isbn.h"

namespace IsbnCondition {

QString compactColumn(const QString &column)
{
    return QStringLiteral("replace(replace(replace(replace(upper(%1),'-',''),' ',''),'ISBN',''),':','')").arg(column);
}

BoundCondition widened(const BoundCondition &plain, const QString &column, const QString &relation,
                       const QString &typed)
{
    static const QStringList sameTitleWords = {QStringLiteral("包含"), QStringLiteral("以...开头"),
                                               QStringLiteral("以...结尾"), QStringLiteral("等于")};
    const bool negated = relation == u"不等于";
    if (column != u"isbn" || (!negated && !sameTitleWords.contains(relation)))
        return plain;
    const QStringList forms = Isbn::read(typed).sameTitleForms();
    if (forms.isEmpty())
        return plain;

    QVariantList values;
    for (const QString &form : forms)
        values << form;
    const QString list = QStringList(forms.size(), QStringLiteral("?")).join(u',');
    if (negated)
        return {QStringLiteral("(%1 not in (%2) or %3 is null)").arg(compactColumn(column), list, column), values};
    return {QStringLiteral("(%1 or %2 in (%3))").arg(plain.text, compactColumn(column), list), plain.values + values};
}

} // namespace IsbnCondition
