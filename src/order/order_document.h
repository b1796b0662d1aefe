#pragma once
// One order as the order documents (the order text, the order workbook) and the mail
// dispatch take it: the header of deorder and the rows of deorder_mx, as plain values.
//
// The order wizard and the order query window build it from their two lists with
// OrderDocument::fromLists(headerList, rowList): the header list's current row and every row
// of the row list in its current order (a sort chosen by a title click carries over). Tests
// and other callers may fill the struct by hand.
//
// The two windows write slightly different documents; OrderSource says which one:
//   Wizard — title "图书征订单", row columns of the order wizard;
//   Query  — title "图书征定单", row columns of the order query window.
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

class DataSet;

enum class OrderSource { Wizard, Query };

struct OrderHeader {
    QString dhdh;   // 订货单号
    QString dhrq;   // 订货日期, "yyyy-MM-dd"
    QString dfdh;   // 订单流水号
    QString xsfh;   // 供货商编号
    QString xsfm;   // 供货商名称
    QString jsfs;   // 结算方式
    QString fkfs;   // 付款方式
    QString dhrh;   // 订货人编号
    QString dhrm;   // 订货人名称
    QString dhlr;   // 订货联系人
    QString dhlh;   // 订货人电话
    QString dhjb;   // 订货经办人
    QString shrh;   // 收货人编号
    QString shrm;   // 收货人名称
    QString shlr;   // 收货联系人
    QString shlh;   // 收货人电话
    QString shdz;   // 收货地址
    QString shdz2;  // 收货地址2
    QString shyb;   // 收货邮编
    QString fkrh;   // 付款人编号
    QString fkrm;   // 付款人名称
    QString fklr;   // 付款联系人
    QString fklh;   // 付款人电话
    QString fhfs;   // 发货方式
    QString fhdz;   // 发货到站
    QString fhrq;   // 要求发货日期
    QString bz;     // 备注
    std::optional<qint64> cdcs;   // 传递次数; empty when null
    QString zt;     // 状态
};

struct OrderRow {
    QString dhdh;   // 订货单号
    QString sm;     // 书名
    QString tm;     // 条码
    QString zbh;    // 征订序号 / 书代号
    QString yc;     // 印次
    QString zz;     // 作者
    QString isbn;
    QString cbbm;   // 出版社编号
    QString cbmc;   // 出版社名称 (版别)
    std::optional<double> sl;   // quantity; empty when null
    std::optional<double> dj;   // list price
    std::optional<double> my;   // amount (dj × sl when the row was made)
};

struct OrderDocument {
    OrderHeader header;
    QList<OrderRow> rows;

    // The header list's current row and all rows of the row list, in the row list's current
    // order. Fields are found by name without regard to case; a field the list lacks gives an
    // empty value. Dates become "yyyy-MM-dd", numbers their plain value (numeric text counts).
    // Throws AppError "没有可以保存的数据" when the header list is closed or has no rows.
    static OrderDocument fromLists(const DataSet &headerList, const DataSet &rowList);
    // The stored order with that number: its head from deorder, its rows from deorder_mx in
    // the order the windows list them, or sorted by rowOrder (a column list) when given.
    // Throws AppError "订单 N 不存在" for an unknown number, and the database's text.
    static OrderDocument load(const QSqlDatabase &db, const QString &orderNumber,
                              const QString &rowOrder = {});
};

namespace OrderNames {

// "图书征订单" (Wizard) or "图书征定单" (Query): the order text's first line, the mail subject
// and the stem of the attachment's name.
QString title(OrderSource source);

// The attachment's file name: title + local date and time "yyyyMMddhhmmss" + ".xls", e.g.
// "图书征订单20260315143005.xls". Suppliers' systems read the name, so it is kept as it is
// although the content is tab-separated text.
QString attachmentName(OrderSource source, const QDateTime &when);

} // namespace OrderNames
