#pragma once
// The order mail as the desktop's mail composer receives it through xdg-email: recipients,
// subject, body and the order text as attachment.
//
//   recipients  "../init/mailadd.txt" (beside the program folder): every non-empty line,
//               trimmed, without a leading "SMTP:", is one recipient and must be one bare
//               mail address (see addressFault); any other line stops the mail, naming the
//               file and the line. No file, no recipient (the composer opens for the user to
//               fill one in)
//   subject     the order's title, "图书征订单" (wizard) or "图书征定单" (order query)
//   body        "../init/mail.txt" with its line breaks; no file, no body
//   attachments by the [Mail] sAttach setting (order/mail_config.h), written into a spool
//               folder of its own: the order text under the name title + "yyyyMMddhhmmss" +
//               ".xls" (the default), the order workbook under the same name + "x" (".xlsx"),
//               or both, the text first
//
// Both files are read as UTF-8 when they are valid UTF-8, else as GBK.
//
// A window sends an order with:
//   const OrderMail::Prepared mail = OrderMail::prepare(order, OrderSource::Wizard);
//   auto *handOver = new MailHandOver(mail.request, mail.spoolFolder, {}, this);
//   connect(handOver, &MailHandOver::finished, ...);   // see mail_hand_over.h
//   handOver->start();
#include "order/mail_config.h"
#include "order/order_document.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

struct MailRequest {
    QStringList recipients;
    QString subject;
    QString body;
    QStringList attachments;   // absolute paths

    // The recipients as one text, joined by ";".
    QString to() const;
    // xdg-email's command line: "--utf8", "--subject" subject, "--body" body (when there is
    // one), "--attach" path for each attachment, then each recipient as an address argument.
    QStringList arguments() const;
};

namespace OrderMail {

// Text of a mail file: UTF-8 when valid (leading byte-order marks dropped), else GBK.
QString decodeMailFile(const QByteArray &bytes);
// Why address is not one bare mail address, or an empty text when it is one: no blank, no
// leading "-" (xdg-email would read it as an option), exactly one "@" with text on both
// sides, no control character and none of the characters a mailto link or a shell reads
// (? & # % ; , : < > " ' ` $ \ ( ) [ ] { } | * !).
QString addressFault(const QString &address);
// The first line of a recipients text that is not one mail address: its number (from 1; 0
// when every line is one), why, and the line as shown to the user (cut after 60 characters).
struct RecipientFault {
    int line = 0;
    QString fault;
    QString shown;
};
// The recipients of a recipients text: every non-empty line, trimmed, without a leading
// "SMTP:"; stops at the first line that is not one mail address and describes it in fault.
QStringList parseRecipients(const QString &text, RecipientFault *fault);
// The recipients of an address file; a missing file gives none. Throws AppError naming the
// file and the line (counted from 1) of the first line that is not one mail address.
QStringList readRecipients(const QString &path);
// The body file with its line breaks as "\n"; a missing file gives an empty body.
QString readBody(const QString &path);

// "../init/mailadd.txt" and "../init/mail.txt" resolved against the program folder.
QString recipientsFile();
QString bodyFile();

// Where hand-overs keep their attachments: "order-mail" under the user's cache folder, or
// under the system's temporary folder when there is no cache folder.
QString defaultSpoolRoot();

struct Prepared {
    MailRequest request;
    QString spoolFolder;      // made for this hand-over alone
    QString attachmentPath;   // the first attachment: the order text unless only the workbook goes
};

// Writes the attachments into a new spool folder under root and builds the request. The kind
// of attachment is the configuration file's unless given. Throws AppError when the folder or a
// file cannot be made (the folder is then removed), or when the configuration file's mail
// settings cannot be read (naming the key).
Prepared prepare(const OrderDocument &order, OrderSource source,
                 const QString &spoolRoot = defaultSpoolRoot(),
                 const QDateTime &now = QDateTime::currentDateTime(),
                 std::optional<MailConfig::Attachment> attachmentKind = std::nullopt);

// Removes the spool folders under root that were last changed more than maxAgeSecs before
// now; the program calls it at start, when no composer of an earlier run is likely to still
// read them. Returns how many folders were removed.
int removeStaleSpoolFolders(const QString &root = defaultSpoolRoot(),
                            const QDateTime &now = QDateTime::currentDateTime(),
                            qint64 maxAgeSecs = 24 * 3600);

} // namespace OrderMail
