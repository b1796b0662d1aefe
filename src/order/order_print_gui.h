#pragma once
// "打印订单" of the order wizard's page 4 and the order query: the print preview of one stored
// order (order/order_report, printed with bin/Order.layout), from which the clerk prints it
// or saves it as a PDF.
#include <QSqlDatabase>
#include <QString>

class Prompter;
class QWidget;

namespace OrderPrint {

// "没有可以打印的订单" (plain box) without an order; otherwise reads the order and the layout
// and shows the preview modally. A missing order or a faulty layout throws AppError.
void preview(QWidget *parent, const QSqlDatabase &db, const QString &orderNumber,
             Prompter &prompter);

} // namespace OrderPrint
