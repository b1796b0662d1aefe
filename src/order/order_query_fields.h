#pragma once
// The fields and grid columns of the order query's two lists: the orders (with their last
// dispatch, "发送状态") and the rows of the current order.
#include "grid/grid_columns.h"

#include <QString>

class DataSet;

namespace OrderQueryFields {

inline const QString CountFormat = QStringLiteral("#,");
inline const QString MoneyFormat = QStringLiteral("#,.00;#,.00;0");

void defineOrderFields(DataSet &ds);
void defineLineFields(DataSet &ds);
GridColumns orderColumns();
GridColumns lineColumns();

} // namespace OrderQueryFields
