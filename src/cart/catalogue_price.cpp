#include "cart/catalogue_price.h"

#include "data/number_text.h"

namespace CataloguePrice {

QString fault(const QVariant &dj)
{
    if (!dj.isValid() || dj.isNull())
        return QStringLiteral("没有估定价");
    const std::optional<double> price = NumberText::toNumber(dj);
    if (!price)
        return QStringLiteral("估定价“%1”不是数字").arg(dj.toString());
    if (*price < 0)
        return QStringLiteral("估定价为负数（%1）").arg(NumberText::plain(*price));
    return QString();
}

} // namespace CataloguePrice
