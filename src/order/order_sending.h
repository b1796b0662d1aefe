#pragma once
// Sending one order by mail, as both ordering windows do it: the current order of the header
// list with every row of the row list, written as the order text into a spool folder of its
// own and handed to the desktop's mail composer with the recipients, subject and body of the
// mail files.
//
//   nothing to send (a list closed or empty)  plain box "没有可以发送的数据"; false
//   the order text or the folder cannot be made  error box with the cause; false
//   xdg-email missing, or it gives up early       error box "发送订单时发生错误！" and the
//                                                 reason on the next lines; false
//   the composer took the mail                    true, nothing shown
//
// The call returns once the hand-over is decided: xdg-email ended, or it is still running
// after the grace period of the hand-over settings (the composer is open). Windows repaint
// meanwhile, but keyboard and mouse input waits until the call returns.
#include "order/mail_hand_over.h"
#include "order/order_document.h"

#include <QDateTime>
#include <QString>

class DataSet;
class Prompter;

struct OrderSendOptions {
    QString spoolRoot;                   // empty: OrderMail::defaultSpoolRoot()
    MailHandOver::Settings handOver;     // xdg-email's environment and grace period
    QDateTime now;                       // invalid: the current local time
};

// The first line of the message after a failed hand-over.
QString OrderSendFailedText();

// Sends the current order of headerList with the rows of rowList (source: which window's
// title and order text). Returns whether the mail composer took the mail; every failure has
// been told to the user through prompter. Throws nothing.
bool SendOrderMail(Prompter &prompter, const DataSet &headerList, const DataSet &rowList,
                   OrderSource source, const OrderSendOptions &options = {});
