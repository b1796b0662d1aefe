#include "order/smtp_message.h"

#include "common/app_error.h"
#include "common/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace SmtpMessage {
namespace {

const QByteArray Crlf = "\r\n";
constexpr int LineWidth = 78;    // the columns a header line should keep to
constexpr int WordWidth = 75;    // the longest encoded word (RFC 2047)

bool isPlainAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return !text.contains(QStringLiteral("=?"));
}

// The UTF-8 bytes of text cut into pieces of at most maxBytes (the first at most firstBytes),
// never inside a character.
QList<QByteArray> utf8Pieces(const QString &text, int firstBytes, int maxBytes)
{
    QList<QByteArray> pieces{QByteArray()};
    int limit = firstBytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString character(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            character += text.at(++i);
        const QByteArray bytes = character.toUtf8();
        if (!pieces.last().isEmpty() && pieces.last().size() + bytes.size() > limit) {
            pieces.append(QByteArray());
            limit = maxBytes;
        }
        pieces.last() += bytes;
    }
    return pieces;
}

// The most UTF-8 bytes one "B" encoded word of at most width columns holds.
int bytesInWord(int width)
{
    return qMax(3, 3 * ((width - 12) / 4));
}

// text as "B" encoded words, the first no wider than firstWidth columns; joined by folding.
QByteArray encodedWords(const QString &text, int firstWidth)
{
    QByteArray out;
    for (const QByteArray &piece :
         utf8Pieces(text, bytesInWord(qMin(firstWidth, WordWidth)), bytesInWord(WordWidth))) {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + piece.toBase64() + "?=";
    }
    return out;
}

// An attribute-char of RFC 2231 (a token character that needs no escape).
bool isAttributeChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
           || QByteArrayView("!#$&+-.^_`|~").contains(c);
}

// "filename*=UTF-8''%E5…" on lines of their own; in numbered continuations when too long.
QByteArray extendedFilename(const QString &fileName)
{
    QList<QByteArray> escapes;   // one per byte, never split
    for (const char c : fileName.toUtf8()) {
        if (isAttributeChar(c))
            escapes << QByteArray(1, c);
        else
            escapes << "%" + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
    }
    const QByteArray charset = "UTF-8''";
    const QByteArray whole = charset + escapes.join();
    if (1 + QByteArray("filename*=").size() + whole.size() + 1 <= LineWidth)
        return " filename*=" + whole;
    QByteArray out;
    QByteArray chunk = charset;
    int number = 0;
    auto flush = [&] {
        out += (number ? ";\r\n filename*" : "\r\n filename*") + QByteArray::number(number) + "*=" + chunk;
        ++number;
        chunk.clear();
    };
    for (const QByteArray &e : escapes) {
        if (chunk.size() + e.size() > 60)
            flush();
        chunk += e;
    }
    flush();
    return out.mid(2);   // the first continuation goes where the caller folds
}

QByteArray randomHex(int bytes)
{
    QByteArray raw(bytes, '\0');
    for (char &c : raw)
        c = char(QRandomGenerator::system()->bounded(256));
    return raw.toHex();
}

QByteArray readAttachment(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取附件 %1：%2")
                           .arg(QDir::toNativeSeparators(path), WholeFile::readReason(path)));
    return file.readAll();
}

QByteArray crlfText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t.toUtf8().replace("\n", Crlf);
}

} // namespace

QByteArray textField(const QByteArray &name, const QString &value)
{
    const QByteArray head = name + ": ";
    if (isPlainAscii(value) && head.size() + value.size() <= LineWidth)
        return head + value.toLatin1();
    return head + encodedWords(value, LineWidth - int(head.size()));
}

QByteArray mailbox(const QString &address, const QString &name)
{
    const QString n = name.trimmed();
    if (n.isEmpty())
        return address.toUtf8();
    bool plain = true;
    for (const QChar c : n)
        plain = plain && c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u' ');
    return (plain ? n.toLatin1() : encodedWords(n, WordWidth)) + " <" + address.toUtf8() + ">";
}

QByteArray contentType(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"xls")
        return "application/vnd.ms-excel";
    if (suffix == u"xlsx")
        return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    return "application/octet-stream";
}

QByteArray attachmentHead(const QString &fileName)
{
    // The name inside quotes: readers that know no RFC 2231 decode the encoded words there.
    const QByteArray type = contentType(fileName);
    const QByteArray typeField = QByteArray("Content-Type: ").size() + type.size() + 1 > LineWidth
                                     ? "Content-Type:\r\n " + type
                                     : "Content-Type: " + type;
    return typeField + ";\r\n name=\""
           + encodedWords(fileName, WordWidth - 7) + "\"" + Crlf
           + "Content-Transfer-Encoding: base64" + Crlf
           + "Content-Disposition: attachment;\r\n" + extendedFilename(fileName) + Crlf;
}

QByteArray base64Lines(const QByteArray &bytes)
{
    const QByteArray encoded = bytes.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        out += encoded.mid(at, 76) + Crlf;
    return out;
}

QByteArray compose(const MailRequest &request, const Sender &sender, const QDateTime &date)
{
    // "=_" never occurs in base64, so no part can contain the boundary.
    const QByteArray boundary = "=_zd_" + randomHex(12);
    const QString domain = sender.address.section(u'@', -1);

    QByteArray to;
    for (const QString &r : request.recipients)
        to += (to.isEmpty() ? QByteArray("To: ") : QByteArray(",\r\n ")) + mailbox(r);

    QByteArray m;
    m += "From: " + mailbox(sender.address, sender.name) + Crlf;
    m += to + Crlf;
    m += textField("Subject", request.subject) + Crlf;
    m += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + Crlf;
    m += "Message-ID: <" + date.toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1() + "."
         + randomHex(8) + "@" + domain.toUtf8() + ">" + Crlf;
    m += "MIME-Version: 1.0" + Crlf;
    m += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + Crlf;
    m += Crlf + "This is a multi-part message in MIME format." + Crlf;

    m += "--" + boundary + Crlf;
    m += "Content-Type: text/plain; charset=UTF-8" + Crlf;
    m += "Content-Transfer-Encoding: base64" + Crlf + Crlf;
    m += base64Lines(crlfText(request.body));
    for (const QString &path : request.attachments) {
        m += "--" + boundary + Crlf;
        m += attachmentHead(QFileInfo(path).fileName()) + Crlf;
        m += base64Lines(readAttachment(path));
    }
    m += "--" + boundary + "--" + Crlf;
    return m;
}

} // namespace SmtpMessage
