#pragma once
// Every dispatch of an order, for the order wizard and the order query alike: the order text
// written into a spool folder of its own, the attempt written to the dispatch log (a success
// adds one to the order's transfer count, see dispatch_log.h), and one message for the clerk
// whatever window sent it. The [Mail] section of syscfg.dbm (mail_config.h) chooses the way:
//
// Without an SMTP server, the desktop's mail composer gets the mail (mail_hand_over.h),
// without blocking the window:
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
// With an SMTP server, the program sends the mail itself (smtp_message.h, smtp_sender.h) in a
// worker thread and removes the spool folder after the send. The server's answer is logged
// even when the unit was deleted meanwhile (its window closed); finished() then never comes:
//
//   sent          "订单 N 已发送至 a@x.cn、b@y.cn。"
//   failed        "发送订单时发生错误！" then "订单 N 未能发送：" and the reason, then
//                 "该订单没有发送。" — settings that cannot be used, no recipient (nobody
//                 fills one in later), an unreadable recipients file or attachment, the
//                 server's refusal (login, recipient …), no answer, an untrusted certificate
//
// finished() comes once per start(), always from the event loop (never inside start()).
// One dispatch at a time: start() while one runs is refused.
#include "order/dispatch_log.h"
#include "order/mail_config.h"
#include "order/mail_hand_over.h"
#include "order/order_document.h"
#include "order/smtp_sender.h"

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct DispatchOutcome {
    QString order;
    DispatchLog::Channel channel = DispatchLog::Channel::MailProgram;
    bool handedOver = false;   // the order went out: handed over to the composer, or sent
    QStringList recipients;
    QString message;   // what the clerk is told (see above)
    QString failure;   // why it failed, as its log row names it (else empty)
    QString details;   // a failure: the launcher's or the server's own words, for "详细信息" (else empty)
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
        QString mailConfigFile;            // the [Mail] settings; empty: MailConfig::configFile()
        SmtpSender::Limits smtpLimits;     // how long the SMTP server is waited for
    };

    OrderDispatch(const QSqlDatabase &db, Options options, QObject *parent = nullptr);

    // Starts dispatching the order; false (and no finished signal) while one is running.
    bool start(const OrderDocument &order, OrderSource source);
    bool busy() const { return m_busy; }

    // The texts of the messages above; the first line of every failure.
    static QString failedFirstLine();
    static QString handedOverText(const QString &order, const QStringList &recipients);
    static QString sentText(const QString &order, const QStringList &recipients);
    static QString failedText(const QString &order, const QString &reason,
                              DispatchLog::Channel channel = DispatchLog::Channel::MailProgram);
    // For an outcome with attachmentMayBeMissing: its message, the warning and the question
    // whether to open the folder of the order file.
    static QString attachmentQuestion(const DispatchOutcome &outcome);

signals:
    void finished(const DispatchOutcome &outcome);

private:
    // The attempt under way, as its log row will name it.
    struct Attempt {
        DispatchLog::Entry entry;   // all but the result and the failure
        QString spoolFolder;        // a hand-over's spool folder, where the composer reads it
        QString spoolToRemove;      // an SMTP send's spool folder, removed after the send
    };
    void handOver(const OrderMail::Prepared &mail);
    void sendBySmtp(const OrderMail::Prepared &mail, const MailConfig::Smtp &smtp);
    // Concludes from the event loop, as every failure found inside start() must.
    void concludeLater(const QString &reason);
    void conclude(bool wentOut, const QString &reason, const QString &details = QString());
    // Writes the attempt's log row and tells what came of it; needs no OrderDispatch, so an
    // SMTP send is logged even when its window closed before the server answered.
    static DispatchOutcome settle(const QSqlDatabase &db, const Attempt &attempt, bool wentOut,
                                  const QString &reason, const QString &details = QString());
    void finish(const DispatchOutcome &outcome);

    QSqlDatabase m_db;
    Options m_options;
    bool m_busy = false;
    Attempt m_attempt;
};
