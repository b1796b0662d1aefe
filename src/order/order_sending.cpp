#include "order/order_sending.h"

#include "common/app_error.h"
#include "common/guarded.h"
#include "common/prompter.h"
#include "data/dataset.h"
#include "order/mail_request.h"

#include <QEventLoop>

namespace {

bool hasRows(const DataSet &ds)
{
    return ds.isOpen() && ds.recordCount() > 0;
}

} // namespace

QString OrderSendFailedText()
{
    return QStringLiteral("发送订单时发生错误！");
}

bool SendOrderMail(Prompter &prompter, const DataSet &headerList, const DataSet &rowList,
                   OrderSource source, const OrderSendOptions &options)
{
    bool handedOver = false;
    guarded(prompter, [&] {
        if (!hasRows(headerList) || !hasRows(rowList)) {
            prompter.message(QStringLiteral("没有可以发送的数据"), QStringLiteral("系统提示"),
                             MsgFlags::Plain);
            return;
        }
        const OrderDocument order = OrderDocument::fromLists(headerList, rowList);
        const OrderMail::Prepared mail = OrderMail::prepare(
            order, source,
            options.spoolRoot.isEmpty() ? OrderMail::defaultSpoolRoot() : options.spoolRoot,
            options.now.isValid() ? options.now : QDateTime::currentDateTime());

        MailHandOver handOver(mail.request, mail.spoolFolder, options.handOver);
        QString reason;
        if (handOver.start()) {
            // finished() comes from the hand-over's timer, so never before the loop runs.
            QEventLoop loop;
            QObject::connect(&handOver, &MailHandOver::finished, &loop,
                             [&](bool ok, const QString &why) {
                                 handedOver = ok;
                                 reason = why;
                                 loop.quit();
                             });
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        } else {
            reason = handOver.reason();
        }
        if (!handedOver)
            throw AppError(OrderSendFailedText() + u'\n' + reason);
    });
    return handedOver;
}
