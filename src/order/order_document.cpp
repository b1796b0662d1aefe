#include "order/order_document.h"

#include "common/app_error.h"
#include "data/dataset.h"
#include "data/number_text.h"
#include "order/order_query.h"

#include <cmath>

namespace {

QVariant fieldValue(const DataSet &list, int row, const char *name)
{
    const int index = list.fieldIndex(QLatin1String(name));
    return index < 0 ? QVariant() : list.value(row, index);
}

QString textOf(const DataSet &list, int row, const char *name)
{
    return NumberText::plainValue(fieldValue(list, row, name));
}

std::optional<double> numberOf(const DataSet &list, int row, const char *name)
{
    const QVariant value = fieldValue(list, row, name);
    if (value.isNull())
        return std::nullopt;
    return NumberText::toNumber(value);
}

} // namespace

OrderDocument OrderDocument::fromLists(const DataSet &headerList, const DataSet &rowList)
{
    if (!headerList.isOpen() || headerList.recordCount() == 0)
        throw AppError(QStringLiteral("没有可以保存的数据"));

    OrderDocument doc;
    const int h = headerList.currentRow();
    OrderHeader &o = doc.header;
    o.dhdh = textOf(headerList, h, "dhdh");
    o.dhrq = textOf(headerList, h, "dhrq");
    o.dfdh = textOf(headerList, h, "dfdh");
    o.xsfh = textOf(headerList, h, "xsfh");
    o.xsfm = textOf(headerList, h, "xsfm");
    o.jsfs = textOf(headerList, h, "jsfs");
    o.fkfs = textOf(headerList, h, "fkfs");
    o.dhrh = textOf(headerList, h, "dhrh");
    o.dhrm = textOf(headerList, h, "dhrm");
    o.dhlr = textOf(headerList, h, "dhlr");
    o.dhlh = textOf(headerList, h, "dhlh");
    o.dhjb = textOf(headerList, h, "dhjb");
    o.shrh = textOf(headerList, h, "shrh");
    o.shrm = textOf(headerList, h, "shrm");
    o.shlr = textOf(headerList, h, "shlr");
    o.shlh = textOf(headerList, h, "shlh");
    o.shdz = textOf(headerList, h, "shdz");
    o.shdz2 = textOf(headerList, h, "shdz2");
    o.shyb = textOf(headerList, h, "shyb");
    o.fkrh = textOf(headerList, h, "fkrh");
    o.fkrm = textOf(headerList, h, "fkrm");
    o.fklr = textOf(headerList, h, "fklr");
    o.fklh = textOf(headerList, h, "fklh");
    o.fhfs = textOf(headerList, h, "fhfs");
    o.fhdz = textOf(headerList, h, "fhdz");
    o.fhrq = textOf(headerList, h, "fhrq");
    o.bz = textOf(headerList, h, "bz");
    if (const auto cdcs = numberOf(headerList, h, "cdcs"))
        o.cdcs = std::llround(*cdcs);
    o.zt = textOf(headerList, h, "zt");

    if (!rowList.isOpen())
        return doc;
    const int rows = rowList.recordCount();
    doc.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        OrderRow row;
        row.dhdh = textOf(rowList, r, "dhdh");
        row.sm = textOf(rowList, r, "sm");
        row.tm = textOf(rowList, r, "tm");
        row.zbh = textOf(rowList, r, "zbh");
        row.yc = textOf(rowList, r, "yc");
        row.zz = textOf(rowList, r, "zz");
        row.isbn = textOf(rowList, r, "isbn");
        row.cbbm = textOf(rowList, r, "cbbm");
        row.cbmc = textOf(rowList, r, "cbmc");
        row.sl = numberOf(rowList, r, "sl");
        row.dj = numberOf(rowList, r, "dj");
        row.my = numberOf(rowList, r, "my");
        doc.rows.append(row);
    }
    return doc;
}

namespace OrderNames {

QString title(OrderSource source)
{
    return source == OrderSource::Wizard ? QStringLiteral("图书征订单") : QStringLiteral("图书征定单");
}

QString attachmentName(OrderSource source, const QDateTime &when)
{
    return title(source) + when.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".xls");
}

} // namespace OrderNames

OrderDocument OrderDocument::load(const QSqlDatabase &db, const QString &orderNumber, const QString &rowOrder)
{
    DataSet head;
    head.setConnection(db);
    head.setStatement(QStringLiteral("select dhdh,dhrq,dfdh,xsfh,xsfm,jsfs,fkfs,dhrh,dhrm,dhlr,dhlh,"
                                     "dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,shyb,fkrh,fkrm,fklr,fklh,"
                                     "fhfs,fhdz,fhrq,bz,cdcs,zt from deorder where dhdh=?"),
                      {orderNumber});
    head.open();
    if (head.recordCount() == 0)
        throw AppError(QStringLiteral("订单 %1 不存在").arg(orderNumber));
    head.first();
    DataSet rows;
    rows.setConnection(db);
    const BoundStatement lines = OrderLinesStatement(orderNumber);
    rows.setStatement(rowOrder.isEmpty() ? lines.text : lines.text + QStringLiteral(" order by ") + rowOrder,
                      lines.values);
    rows.open();
    return fromLists(head, rows);
}
