#pragma once
// Which catalogue prices (估定价, dj) an order may carry to a supplier: a price that is there
// and not negative. Price 0 is a price (free material): such a line orders with amount 0.
// A title with no price, or a negative one, is refused where it would enter the cart and
// again where orders are made.
#include <QString>
#include <QVariant>

namespace CataloguePrice {

// Why dj cannot go into an order ("没有估定价", "估定价为负数（-1）"), or an empty text when it
// can.
QString fault(const QVariant &dj);

// The condition on a price column that lets only such prices through ("dj>=0" is false for
// NULL as well).
inline QString acceptedSql(const QString &column)
{
    return column + QStringLiteral(">=0");
}

} // namespace CataloguePrice
