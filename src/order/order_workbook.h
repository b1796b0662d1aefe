#pragma once
// The order workbook: one order as a real .xlsx file (written with libxlsxwriter).
//
//   row 1            "图书征订单" (the same title from both windows)
//   rows 2–28        the 27 header fields, the supplier's code and name among them: caption
//                    in A, value in B
//   row 29           empty
//   row 30           the table head, 12 columns (captions of the calling window)
//   rows 31…30+R     the order's R rows
//   row 31+R         bold: "合计:" in A and a SUM over the data cells above under each
//                    totalled column (quantity and amount by default), stored with its
//                    computed value so a reader that does not recalculate shows it too
//
// The sheet is named by the order number and prints landscape, one page wide, with the table
// head repeated on every page. Number formats: text cells "@" (an order number stays text),
// quantities "0_ ", prices, amounts and the amount total "0.00_ " (two decimals). Column
// widths are fitted to the widest text of each column; row heights are left to the reader.
//
//   wizard columns:      订货单号 书名 条码 征订序号 印次 作者 订购数量 定价 订购码洋 ISBN 出版社名称 出版社编号
//   order-query columns: 订货单号 书名 条码 书代号 ISBN 印次 作者 出版社编号 出版社名称 数量 定价 码洋
#include "common/prompter.h"
#include "order/order_document.h"

#include <QString>
#include <QStringList>

namespace OrderWorkbook {

struct Options {
    bool fieldNames = false;   // label cells with the field names ("DHDH") instead of captions
    // Row fields to total, matched without regard to case; unknown names are ignored.
    QStringList totals = {QStringLiteral("sl"), QStringLiteral("my")};
};

// Writes the workbook to path through the whole-file writer: an existing file is replaced
// only once the new one is complete, and on failure the old file is left as it was; a
// read-only file is refused, not replaced. Throws AppError when it cannot be written:
// "该文件可能正在使用，无法导入！" and, on the second line, "无法写入文件 <path>：<cause>".
void ExportOrderWorkbook(const OrderDocument &order, OrderSource source, const QString &path,
                         const Options &options = {});

// The worksheet's name for an order number: the number, with each of []:*?/\ made "_", no
// apostrophe at either end, at most 31 characters; "Sheet1" when nothing is left.
QString sheetName(const QString &orderNumber);

// The save dialog for "导出(&E)": "Excel文件(*.xlsx)", default extension "xlsx".
SaveRequest saveRequest();

} // namespace OrderWorkbook
