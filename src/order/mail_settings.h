#pragma once
// The order mail's settings as the clerk edits them in "设置": the recipients file
// "../init/mailadd.txt" (one address per line) and the body file "../init/mail.txt", read and
// written as the files the mail hand-over reads (see mail_request.h), so nobody edits them by hand.
//
//   MailSettings::Texts t = MailSettings::load();
//   t.recipients = edited;
//   MailSettings::save(t);   // checks every line first; throws AppError naming the line
#include "order/mail_request.h"

#include <QByteArray>
#include <QString>

namespace MailSettings {

struct Texts {
    QString recipients;   // the recipients file's lines, joined by "\n"
    QString body;         // the body, its line breaks as "\n"
};

// Both files as text; a missing file reads as empty.
Texts load(const QString &recipientsPath = OrderMail::recipientsFile(),
           const QString &bodyPath = OrderMail::bodyFile());

// The bytes a mail file holds for text: GBK (GB18030) with CRLF line breaks, like the shipped
// files; UTF-8 with a byte-order mark when GBK bytes would read back as another text (GBK bytes
// that happen to form valid UTF-8), so what is saved is always what is read.
QByteArray fileBytes(const QString &text);

// The first line of the recipients that is not one mail address (line 0 when every line is
// one) and the user's text for it: "收件人第 N 行不是一个邮件地址（why）：line".
struct Fault {
    int line = 0;
    QString text;
};
Fault recipientsFault(const QString &recipients);

// The recipients that are the shipped examples (an address at example.com, .org or .net):
// mail to them never arrives.
QStringList exampleRecipients(const QString &recipients);

// Checks the recipients, then writes the recipients file and then the body file, each whole
// or not at all. Throws AppError: the recipients' fault (nothing written), or the file that
// could not be written and why (a failed body leaves the recipients saved, and says so).
void save(const Texts &texts, const QString &recipientsPath = OrderMail::recipientsFile(),
          const QString &bodyPath = OrderMail::bodyFile());

} // namespace MailSettings
