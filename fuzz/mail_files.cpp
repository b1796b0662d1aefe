// The mail files beside the program: init/mailadd.txt (one recipient a line) and
// init/mail.txt (the body), written by hand in GBK or UTF-8. The input is read as each.
#include "fuzz_support.h"

#include "common/app_error.h"
#include "order/mail_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile(QStringLiteral("mailadd.txt"), data, size);

    MailRequest request;
    try {
        request.recipients = OrderMail::readRecipients(path);
    } catch (const AppError &) {
        // A line that is not one address stops the mail: refused, nothing else.
    }
    for (const QString &r : request.recipients) {
        FUZZ_CHECK(!r.isEmpty() && r == r.trimmed() && !r.contains(u'\n'));
        FUZZ_CHECK(!r.contains(QChar(0xFEFF)));
        // Never an option, never more than one address.
        FUZZ_CHECK(!r.startsWith(u'-') && r.count(u'@') == 1 && OrderMail::addressFault(r).isEmpty());
    }

    request.body = OrderMail::readBody(path);
    FUZZ_CHECK(!request.body.contains(u'\r'));
    FUZZ_CHECK(!request.body.startsWith(QChar(0xFEFF)));
    // Nothing is lost but byte-order marks or one unfinished GBK character at the very end.
    QByteArray rest = Fuzz::bytes(data, size);
    while (rest.startsWith("\xEF\xBB\xBF"))
        rest.remove(0, 3);
    FUZZ_CHECK(!request.body.isEmpty() || rest.size() <= 3);
    FUZZ_CHECK(size != 0 || request.body.isEmpty());

    // The composer's command line ends with the recipients, each one argument.
    request.subject = QStringLiteral("图书征订单");
    const QStringList args = request.arguments();
    FUZZ_CHECK(args.size() >= request.recipients.size());
    FUZZ_CHECK(args.mid(args.size() - request.recipients.size()) == request.recipients);
    FUZZ_CHECK(request.to().split(u';').size() >= request.recipients.size()
               || request.recipients.isEmpty());
    return 0;
}
