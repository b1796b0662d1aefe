#pragma once
// The printed order: one order's head, parties, rows and totals as the rows and placeholder
// values of a report, printed with the layout file bin/Order.layout through the report
// layout of the printed title list (catalog/report_layout, list_report_painter,
// list_report_dialog; docs/report-layout.md).
//
// Row fields: sm, tm, isbn, code (the ISBN, or the barcode when there is none), zbh, yc, zz,
// cbmc, sl, dj, my (dj × sl when the row has no amount).
// Values: every head field by its column name (dhdh, dhrq, dfdh, xsfh, xsfm, jsfs, fkfs,
// dhrh, dhrm, dhlr, dhlh, dhjb, shrh, shrm, shlr, shlh, shdz, shdz2, shyb, fkrh, fkrm, fklr,
// fklh, fhfs, fhdz, fhrq, bz) and the totals titles (rows), copies ("#,") and amount (码洋,
// "#,.00").
#include "catalog/report_layout.h"
#include "order/order_document.h"

#include <QSqlDatabase>

class OrderReport : public ReportRows {
public:
    explicit OrderReport(OrderDocument document);

    // The stored order with that number: its head from deorder, its rows from deorder_mx in
    // barcode order. Throws AppError "订单 N 不存在" for an unknown number.
    static OrderReport load(const QSqlDatabase &db, const QString &orderNumber);
    // <program folder>/Order.layout
    static QString layoutPath();

    int count() const override;
    QString text(int row, const QString &field) const override;
    QHash<QString, QString> values() const override;

    // "订单<number>.pdf"
    QString pdfName() const;
    const OrderDocument &document() const { return m_document; }

private:
    OrderDocument m_document;
};
