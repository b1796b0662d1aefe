#pragma once
// The order mail as an Internet message (RFC 5322 with MIME), as the SMTP path sends it:
//
//   From        the sender name (RFC 2047 encoded UTF-8 when it is not plain ASCII) and address
//   To          every recipient
//   Subject     RFC 2047 "B" encoded UTF-8 words, folded so that no line passes 78 columns
//   Date, Message-ID (at the sender's domain), MIME-Version
//   body        multipart/mixed: a text/plain; charset=UTF-8 part (base64, CRLF line ends)
//               with the mail body, then one part per attachment: base64 in 76-column lines,
//               Content-Disposition attachment with the file name as RFC 2231 UTF-8
//               (filename*=UTF-8''%E5…, in continuations when long) and, for older readers,
//               name="=?UTF-8?B?…?=" in the Content-Type. The type follows the suffix: .xls
//               (the order text) application/vnd.ms-excel, .xlsx the workbook type, anything
//               else application/octet-stream.
//
// Every line ends in CRLF. Leading dots are left alone: the SMTP layer doubles them.
#include "order/mail_request.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace SmtpMessage {

struct Sender {
    QString address;
    QString name;
};

// The whole message. Throws AppError naming an attachment that cannot be read.
QByteArray compose(const MailRequest &request, const Sender &sender,
                   const QDateTime &date = QDateTime::currentDateTime());

// The header field "Name: value" for an unstructured text (Subject), folded, without the
// final CRLF: the value unchanged when it is short printable ASCII, else encoded words.
QByteArray textField(const QByteArray &name, const QString &value);
// The sender or a recipient as a mailbox: "address", or "name <address>" with the name
// encoded when it is not plain ASCII letters, digits and blanks.
QByteArray mailbox(const QString &address, const QString &name = QString());
// The MIME type of an attachment, from its suffix.
QByteArray contentType(const QString &fileName);
// The part head of an attachment (Content-Type, Content-Transfer-Encoding,
// Content-Disposition), each field ending in CRLF.
QByteArray attachmentHead(const QString &fileName);
// Base64 in lines of 76 columns, each line ending in CRLF.
QByteArray base64Lines(const QByteArray &bytes);

} // namespace SmtpMessage
