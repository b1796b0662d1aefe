#pragma once
// Every hand-over of an order to the desktop's mail composer, for the order wizard and the
// order query alike: the order text written into a spool folder of its own, handed over
// without blocking the window (see mail_hand_over.h), the attempt written to the dispatch log
// (a success adds one to the order's transfer count, see dispatch_log.h), and one message for
// the clerk whatever window sent it:
//
//   handed over   "订单 N 已交给邮件程序（收件人 a@x.cn、b@y.cn）。"
//                 (no recipients file: "（收件人在邮件程序中填写）")
//   failed        "发送订单时发生错误！" then "订单 N 未能交给邮件程序：" and the reason, then
//                 "该订单没有发送。" — an unreadable recipients file, an order text that
//                 cannot be written, xdg-email missing or giving up early; all in Chinese,
//                 with what xdg-email itself said (English) apart, in details
//
// A hand-over to a mail program that may drop the attachment (see mail_program.h) says so:
// attachmentMayBeMissing, and attachmentQuestion() offers the spool folder, where the order
// file lies, to attach it by hand.
//
// finished() comes once per start(), always from the event loop (never inside start()).
// One hand-over at a time: start() while one runs is refused.
#include "order/mail_hand_over.h"
#include "order/order_document.h"

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct DispatchOutcome {
    QString order;
    bool handedOver = false;
    QStringList recipients;
    QString message;   // what the clerk is told (see above)
    QString details;   // a failure: the launcher's own words, for "详细信息" (else empty)
    // Handed over to a mail program that may leave the order file out of the mail; it lies
    // in spoolFolder as attachmentName.
    bool attachmentMayBeMissing = false;
    QString spoolFolder;
    QString attachmentName;
    QString logError;  // the log row could not be written: why (else empty)
};

class OrderDispatch : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString spoolRoot;                 // empty: OrderMail::defaultSpoolRoot()
        MailHandOver::Settings handOver;   // xdg-email's environment and grace period
        QDateTime now;                     // invalid: the current local time
    };

    OrderDispatch(const QSqlDatabase &db, Options options, QObject *parent = nullptr);

    // Starts handing the order over; false (and no finished signal) while one is running.
    bool start(const OrderDocument &order, OrderSource source);
    bool busy() const { return m_busy; }

    // The texts of the messages above; the first line of every failure.
    static QString failedFirstLine();
    static QString handedOverText(const QString &order, const QStringList &recipients);
    static QString failedText(const QString &order, const QString &reason);
    // For an outcome with attachmentMayBeMissing: its message, the warning and the question
    // whether to open the folder of the order file.
    static QString attachmentQuestion(const DispatchOutcome &outcome);

signals:
    void finished(const DispatchOutcome &outcome);

private:
    void conclude(const QString &order, bool handedOver, const QString &reason,
                  const QString &details = QString());

    QSqlDatabase m_db;
    Options m_options;
    bool m_busy = false;
    // The attempt under way, as its log row will name it.
    QStringList m_recipients;
    QString m_subject, m_attachmentName, m_attachmentSha, m_spoolFolder;
    QDateTime m_time;
};
