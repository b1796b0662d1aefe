#include "order/mail_request.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/program_paths.h"
#include "common/whole_file.h"
#include "order/order_text.h"
#include "order/order_workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cerrno>

namespace {

const QString SpoolPrefix = QStringLiteral("order-");

QByteArray readFile(const QString &path, bool *exists)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取文件 %1：%2")
                           .arg(QDir::toNativeSeparators(path), WholeFile::readReason(path)));
    return file.readAll();
}

} // namespace

QString MailRequest::to() const
{
    return recipients.join(u';');
}

QStringList MailRequest::arguments() const
{
    QStringList args{QStringLiteral("--utf8")};
    if (!subject.isEmpty())
        args << QStringLiteral("--subject") << subject;
    if (!body.isEmpty())
        args << QStringLiteral("--body") << body;
    for (const QString &path : attachments)
        args << QStringLiteral("--attach") << path;
    args << recipients;
    return args;
}

namespace OrderMail {

QString decodeMailFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return Gbk::decode(bytes);
    // An editor that took a file's byte-order mark for text writes it back after its own.
    qsizetype marks = 0;
    while (marks < text.size() && text.at(marks) == QChar(0xFEFF))
        ++marks;
    text.remove(0, marks);
    return text;
}

QString addressFault(const QString &address)
{
    if (address.isEmpty())
        return QStringLiteral("没有地址");
    if (address.startsWith(u'-'))
        return QStringLiteral("以“-”开头");
    // Characters a mailto link (query, escapes, lists, scheme) or a shell would read.
    static const QString Read = QStringLiteral("?&#%;,:<>\"'`$\\()[]{}|*!");
    for (const QChar c : address) {
        if (c.isSpace())
            return QStringLiteral("含有空白");
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return QStringLiteral("含有控制字符");
        if (Read.contains(c))
            return QStringLiteral("含有字符“%1”").arg(c);
    }
    const qsizetype at = address.indexOf(u'@');
    if (at < 0 || address.indexOf(u'@', at + 1) >= 0)
        return QStringLiteral("不是恰好含有一个“@”");
    if (at == 0 || at == address.size() - 1)
        return QStringLiteral("“@”前后必须都有内容");
    return QString();
}

QStringList parseRecipients(const QString &text, RecipientFault *fault)
{
    QStringList recipients;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        // Files joined into one keep each one's byte-order mark at the start of a line; an
        // invisible mark in an address would only make the address fail.
        line.remove(QChar(0xFEFF));
        line = line.trimmed();
        if (line.startsWith(QStringLiteral("SMTP:"), Qt::CaseInsensitive))
            line = line.mid(5).trimmed();
        if (line.isEmpty())
            continue;
        const QString why = addressFault(line);
        if (!why.isEmpty()) {
            if (fault)
                *fault = {int(i + 1), why, line.size() > 60 ? line.left(60) + QStringLiteral("…") : line};
            return recipients;
        }
        recipients << line;
    }
    if (fault)
        *fault = {};
    return recipients;
}

QStringList readRecipients(const QString &path)
{
    bool exists = false;
    RecipientFault fault;
    const QStringList recipients = parseRecipients(decodeMailFile(readFile(path, &exists)), &fault);
    if (fault.line)
        throw AppError(QStringLiteral("收件人文件 %1 第 %2 行不是一个邮件地址（%3）：%4\n"
                                      "请改正该行；邮件没有交给邮件程序。")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(fault.line)
                           .arg(fault.fault, fault.shown));
    return recipients;
}

QString readBody(const QString &path)
{
    bool exists = false;
    QString text = decodeMailFile(readFile(path, &exists));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString recipientsFile()
{
    return ProgramPaths::resolve(QStringLiteral("../init/mailadd.txt"));
}

QString bodyFile()
{
    return ProgramPaths::resolve(QStringLiteral("../init/mail.txt"));
}

QString defaultSpoolRoot()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (base.isEmpty())
        base = QDir::tempPath() + QStringLiteral("/zhengding");
    return base + QStringLiteral("/order-mail");
}

Prepared prepare(const OrderDocument &order, OrderSource source, const QString &spoolRoot,
                 const QDateTime &now, std::optional<MailConfig::Attachment> attachmentKind)
{
    MailConfig::Attachment attachment = MailConfig::Attachment::Text;
    if (attachmentKind) {
        attachment = *attachmentKind;
    } else {
        const MailConfig::Settings config = MailConfig::load();
        if (!config.readFault.isEmpty())
            throw AppError(QStringLiteral("配置文件 %1 中的邮件设置有误：\n%2")
                               .arg(QDir::toNativeSeparators(MailConfig::configFile()), config.readFault));
        attachment = config.attachment;
    }
    Prepared out;
    out.request.recipients = readRecipients(recipientsFile());
    out.request.subject = OrderNames::title(source);
    out.request.body = readBody(bodyFile());

    if (!QDir().mkpath(spoolRoot))
        throw AppError(QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(spoolRoot)));
    // A folder of its own: two sends in the same second never share a file.
    QTemporaryDir folder(spoolRoot + u'/' + SpoolPrefix
                         + now.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral("-XXXXXX"));
    if (!folder.isValid())
        throw AppError(QStringLiteral("无法创建文件夹 %1：%2")
                           .arg(QDir::toNativeSeparators(spoolRoot), WholeFile::reasonText(spoolRoot + QStringLiteral("/x"), errno)));
    out.spoolFolder = QFileInfo(folder.path()).absoluteFilePath();
    const QString textPath = out.spoolFolder + u'/' + OrderNames::attachmentName(source, now);
    // On a throw below the folder goes with what was written into it.
    if (attachment != MailConfig::Attachment::Workbook) {
        OrderText::writeFile(textPath, order, source);
        out.request.attachments << textPath;
    }
    if (attachment != MailConfig::Attachment::Text) {
        const QString workbookPath = textPath + u'x';   // ".xls" + "x"
        try {
            OrderWorkbook::ExportOrderWorkbook(order, source, workbookPath);
        } catch (const AppError &e) {
            // The workbook's first line speaks of an export; the last names the file and why.
            throw AppError(e.text().section(u'\n', -1));
        }
        out.request.attachments << workbookPath;
    }
    out.attachmentPath = out.request.attachments.constFirst();
    folder.setAutoRemove(false);
    return out;
}

int removeStaleSpoolFolders(const QString &root, const QDateTime &now, qint64 maxAgeSecs)
{
    int removed = 0;
    const QFileInfoList folders = QDir(root).entryInfoList(
        {SpoolPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &info : folders) {
        if (info.lastModified().secsTo(now) <= maxAgeSecs)
            continue;
        if (QDir(info.absoluteFilePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace OrderMail
