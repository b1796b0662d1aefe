#include "order/order_query_fields.h"

#include "data/dataset.h"

namespace OrderQueryFields {

namespace {

struct Field {
    const char *caption;
    const char *column;
};

} // namespace

void defineOrderFields(DataSet &ds)
{
    static const Field fields[] = {
        {"订货单号", "DHDH"},   {"订货日期", "DHRQ"},   {"订单流水号", "DFDH"}, {"结算方式", "JSFS"},
        {"付款方式", "FKFS"},   {"订货人编号", "DHRH"}, {"订货人名称", "DHRM"}, {"订货联系人", "DHLR"},
        {"订货人电话", "DHLH"}, {"订货经办人", "DHJB"}, {"收货人编号", "SHRH"}, {"收货人名称", "SHRM"},
        {"收货联系人", "SHLR"}, {"收货人电话", "SHLH"}, {"收货地址", "SHDZ"},   {"收货地址2", "SHDZ2"},
        {"收货邮编", "SHYB"},   {"付款人编号", "FKRH"}, {"付款人名称", "FKRM"}, {"付款联系人", "FKLR"},
        {"付款人电话", "FKLH"}, {"发货方式", "FHFS"},   {"发货到站", "FHDZ"},   {"要求发货日期", "FHRQ"},
        {"备注", "BZ"},         {"传递次数", "CDCS"},   {"状态", "ZT"},         {"供货商编号", "XSFH"},
        {"供货商名称", "XSFM"}, {"发送状态", "FSZT"},
    };
    for (const Field &f : fields)
        ds.defineField(QString::fromLatin1(f.column), QString::fromUtf8(f.caption));
}

void defineLineFields(DataSet &ds)
{
    static const Field fields[] = {
        {"订货单号", "DHDH"}, {"书名", "SM"}, {"条码", "TM"},           {"书代号", "ZBH"},
        {"ISBN", "ISBN"},     {"印次", "YC"}, {"作者", "ZZ"},           {"出版社编号", "CBBM"},
        {"出版社名称", "CBMC"},
    };
    for (const Field &f : fields)
        ds.defineField(QString::fromLatin1(f.column), QString::fromUtf8(f.caption));
    ds.defineField(QStringLiteral("SL"), QStringLiteral("数量"), CountFormat);
    ds.defineField(QStringLiteral("DJ"), QStringLiteral("定价"), MoneyFormat);
    ds.defineField(QStringLiteral("MY"), QStringLiteral("码洋"), MoneyFormat);
}

GridColumns orderColumns()
{
    GridColumns cols;
    cols.addMark(GridColumns::MarkTitle, 36);
    cols.addField(QStringLiteral("DHDH"), QStringLiteral("订货单号"), 100);
    // Whom each order goes to, shown from the start.
    cols.addField(QStringLiteral("XSFM"), QStringLiteral("供货商名称"), 150);
    cols.addField(QStringLiteral("DHRQ"), QStringLiteral("订货日期"), 86);
    cols.addField(QStringLiteral("FSZT"), QStringLiteral("发送状态"), 170);
    cols.addField(QStringLiteral("JSFS"), QStringLiteral("结算方式"), 64);
    cols.addField(QStringLiteral("FKFS"), QStringLiteral("付款方式"), 64);
    cols.addField(QStringLiteral("FHFS"), QStringLiteral("发货方式"), 64);
    cols.addField(QStringLiteral("FHDZ"), QStringLiteral("发货到站"), 72);
    cols.addField(QStringLiteral("FHRQ"), QStringLiteral("要求发货日期"), 88);
    cols.addField(QStringLiteral("DHRH"), QStringLiteral("订货人编号"), 72);
    cols.addField(QStringLiteral("DHRM"), QStringLiteral("订货人名称"), 140);
    cols.addField(QStringLiteral("SHRH"), QStringLiteral("收货人编号"), 72);
    cols.addField(QStringLiteral("SHRM"), QStringLiteral("收货人名称"), 140);
    cols.addField(QStringLiteral("FKRH"), QStringLiteral("付款人编号"), 72);
    cols.addField(QStringLiteral("FKRM"), QStringLiteral("付款人名称"), 140);
    cols.addField(QStringLiteral("BZ"), QStringLiteral("备注"), 120);
    // The supplier's code, for the display-field dialog to offer.
    cols.addField(QStringLiteral("XSFH"), QStringLiteral("供货商编号"), 72).visible = false;
    return cols;
}

GridColumns lineColumns()
{
    GridColumns cols;
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), 260);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 64);
    cols.addField(QStringLiteral("SL"), QStringLiteral("数量"), 56);
    cols.addField(QStringLiteral("MY"), QStringLiteral("码洋"), 80);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("版别"), 150);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN"), 120);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("征订序号"), 80);
    cols.addField(QStringLiteral("ZZ"), QStringLiteral("作者"), 100);
    cols.addField(QStringLiteral("YC"), QStringLiteral("印次"), 48);
    cols.addField(QStringLiteral("TM"), QStringLiteral("条码"), 110);
    cols.addField(QStringLiteral("CBBM"), QStringLiteral("出版社编号"), 72).visible = false;
    cols.addField(QStringLiteral("DHDH"), QStringLiteral("订货单号"), 100).visible = false;
    return cols;
}

} // namespace OrderQueryFields
