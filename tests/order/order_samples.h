#pragma once
// Orders used by the order document and mail tests.
#include "order/order_document.h"

inline OrderDocument sampleOrder(int rows = 3)
{
    OrderDocument order;
    OrderHeader &h = order.header;
    h.dhdh = QStringLiteral("202600000001");
    h.dhrq = QStringLiteral("2026-03-15");
    h.dfdh = QStringLiteral("202600000007");
    h.xsfh = QStringLiteral("GH01");
    h.xsfm = QStringLiteral("华北教材图书公司");
    h.jsfs = QStringLiteral("月结");
    h.fkfs = QStringLiteral("银行转账");
    h.dhrh = QStringLiteral("0101");
    h.dhrm = QStringLiteral("第一中学");
    h.dhlr = QStringLiteral("王老师");
    h.dhlh = QStringLiteral("010-12345678");
    h.dhjb = QStringLiteral("李经办");
    h.shrh = QStringLiteral("1");
    h.shrm = QStringLiteral("第一中学教务处");
    h.shlr = QStringLiteral("张三");
    h.shlh = QStringLiteral("13800000000");
    h.shdz = QStringLiteral("北京市海淀区学院路1号");
    h.shdz2 = QStringLiteral("东门收发室");
    h.shyb = QStringLiteral("100083");
    h.fkrh = QStringLiteral("1");
    h.fkrm = QStringLiteral("第一中学财务处");
    h.fklr = QStringLiteral("赵会计");
    h.fklh = QStringLiteral("010-87654321");
    h.fhfs = QStringLiteral("快递");
    h.fhdz = QStringLiteral("北京");
    h.fhrq = QStringLiteral("2026-04-01");
    h.bz = QStringLiteral("开学前送到");
    h.cdcs = 0;
    h.zt = QString();

    const OrderRow all[] = {
        {QStringLiteral("202600000001"), QStringLiteral("高等数学（第七版）"), QStringLiteral("9787040001"),
         QStringLiteral("A-001"), QStringLiteral("1"), QStringLiteral("同济大学数学系"),
         QStringLiteral("978-7-04-039663-8"), QStringLiteral("G01"), QStringLiteral("高等教育出版社"),
         15.0, 23.5, 352.5},
        {QStringLiteral("202600000001"), QStringLiteral("大学英语"), QStringLiteral("9787040002"),
         QStringLiteral("A-002"), QString(), QStringLiteral("李华"), QStringLiteral("7-5600"),
         QStringLiteral("W02"), QStringLiteral("外语教学与研究出版社"), 120.0, 12.0, 1440.0},
        {QStringLiteral("202600000001"), QStringLiteral("线性代数"), QStringLiteral("9787040003"),
         QStringLiteral("A-003"), QStringLiteral("2"), QString(), QString(), QStringLiteral("Q03"),
         QStringLiteral("清华大学出版社"), 7.0, 0.99, 6.93},
    };
    for (int i = 0; i < rows && i < 3; ++i)
        order.rows.append(all[i]);
    return order;
}
