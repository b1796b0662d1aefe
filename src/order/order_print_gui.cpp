#include "order/order_print_gui.h"

#include "catalog/list_report_dialog.h"
#include "catalog/report_layout.h"
#include "common/prompter.h"
#include "order/order_report.h"

namespace OrderPrint {

void preview(QWidget *parent, const QSqlDatabase &db, const QString &orderNumber,
             Prompter &prompter)
{
    if (orderNumber.isEmpty()) {
        prompter.message(QStringLiteral("没有可以打印的订单"), QStringLiteral("系统提示"),
                         MsgFlags::Plain);
        return;
    }
    const OrderReport report = OrderReport::load(db, orderNumber);
    const ReportLayout layout = ReportLayout::load(OrderReport::layoutPath());
    ListReportDialog::preview(parent, report, layout, prompter, report.pdfName());
}

} // namespace OrderPrint
