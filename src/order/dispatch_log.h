#pragma once
// The dispatch log "deorderlog": one row per attempt to send an order — when, through which
// channel, to whom, with which subject and attachment (its name and SHA-256), and what came
// of it. A successful attempt adds one to the order's transfer count deorder.cdcs in the same
// transaction as its row (a sent order can no longer be deleted); a failed one writes only its
// row.
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace DispatchLog {

enum class Channel { MailProgram, Smtp };
enum class Result { HandedOver, Sent, Failed };

struct Entry {
    QString orderNumber;
    QDateTime time;
    Channel channel = Channel::MailProgram;
    QStringList recipients;
    QString subject;
    QString attachmentName;
    QString attachmentSha256;   // lower-case hex
    Result result = Result::Failed;
    QString failure;            // why it failed; empty otherwise
};

// How each is written in the log and shown: "邮件程序", "SMTP"; "已交给邮件程序", "已发送",
// "发送失败".
QString channelText(Channel channel);
QString resultText(Result result);
// The text shown for an order without a row.
QString unsentText();

// The order's state after this attempt as the order query shows it:
// "已交给邮件程序 12-10 14:03", "已发送 12-10 14:05", "发送失败：" + the first line of the
// failure (cut to a readable length).
QString stateText(const Entry &entry);

// What the clerk is told of orders handed over to the mail composer ("O1" or "O1、O2"):
// "订单 O1 已交给邮件程序（收件人 a@x.cn、b@y.cn）。"; without recipients
// "订单 O1 已交给邮件程序（收件人在邮件程序中填写）。".
QString handedOverText(const QString &orders, const QStringList &recipients);
// What the clerk is told of orders the SMTP server took: "订单 O1 已发送至 a@x.cn、b@y.cn。".
QString sentText(const QString &orders, const QStringList &recipients);

// The lower-case hex SHA-256 of a file's bytes; empty when it cannot be read.
QString fileSha256(const QString &path);

// Writes the entry as the order's next row, and for a success adds one to its cdcs, in one
// transaction. Texts longer than their columns are cut. Throws AppError with the database's
// text; nothing is written then.
void record(const QSqlDatabase &db, const Entry &entry);

// The rows of one order, oldest first.
QList<Entry> entries(const QSqlDatabase &db, const QString &orderNumber);

// The numbers among orderNumbers whose last row is a success.
QStringList handedOver(const QSqlDatabase &db, const QStringList &orderNumbers);

} // namespace DispatchLog
