#pragma once
// The order text: the tab-separated file attached to the order mail. GB18030 bytes (GBK for
// every GBK character), CR LF after every line (the last one included). For an order of R rows it has 24 + 1 + R lines:
//
//   1      the title: "图书征订单" (wizard) or "图书征定单" (order query)
//   2–22   "订货单号：" TAB dhdh … "要求发货日期：" TAB fhrq (21 labelled header values); line 12,
//          "收货人地址：", carries shdz, then a blank and shdz2 when shdz2 is not blank
//   23     "备注：" directly followed by bz
//   24     a single space
//   25     the table head: 征订号 书名 ISBN 版别 订购数量 (wizard)
//                          征定号 书名 ISBN 版别 订购数量 定价 码洋 (order query)
//   26…    one line per row: zbh sm isbn cbmc sl (wizard), … sl dj my (order query)
//
// Numbers are plain decimals without thousands separators or trailing zeros ("15", "23.5");
// an empty value gives nothing. A TAB, CR or LF inside a value becomes a space, so every
// value stays in its column and the line count stays as above.
#include "order/order_document.h"

#include <QByteArray>
#include <QString>

namespace OrderText {

QString text(const OrderDocument &order, OrderSource source);
QByteArray render(const OrderDocument &order, OrderSource source);

// Writes the file completely or not at all (a temporary file in the same folder, then
// renamed over the target). Throws AppError with the file system's text when it cannot.
void writeFile(const QString &path, const OrderDocument &order, OrderSource source);

} // namespace OrderText
