#include "catalog/detail_page.h"

#include "catalog/cover_lookup.h"
#include "catalog/strict_number.h"
#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/whole_file.h"
#include "common/program_paths.h"
#include "data/dataset.h"
#include "data/number_text.h"
#include "data/sql_helper.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>

namespace DetailPage {
namespace {

const QString DollarMarker = QStringLiteral("$$");
const QString WholeMarker = QStringLiteral("$#");
const QString MoneyMarker = QStringLiteral("$@");

// Blanks and control characters at both ends, as a template's author would see them.
QString stripBlanks(const QString &line)
{
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && line[from].unicode() <= 0x20)
        ++from;
    while (to > from && line[to - 1].unicode() <= 0x20)
        --to;
    return line.mid(from, to - from);
}

// Catalogue text as page text: markup characters show as written.
QString escaped(const QString &text)
{
    QString out = text.toHtmlEscaped();
    return out.replace(u'\'', QStringLiteral("&#39;"));
}

QString numberLine(const std::optional<QString> &text, const QString &format)
{
    double value = 0;
    if (!StrictNumber::parse(*text, &value))
        return QString();
    return escaped(DataSet::formatNumber(value, format));
}

QString imgTag(const QString &src)
{
    return QStringLiteral("<img width=\"200\" height=\"275\" src=\"%1\">").arg(escaped(src));
}

// A file name as a relative address: the characters that would end or redirect the address
// ("%", "#", "?") are percent-encoded, everything else stays as the catalogue wrote it.
QString addressOf(const QString &fileName)
{
    QString out;
    out.reserve(fileName.size());
    for (const QChar c : fileName) {
        if (c == u'%' || c == u'#' || c == u'?')
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

// The value's lines, each escaped; every line but the last ends with "<br>". CR LF, a lone
// CR and a lone LF each end a line.
QStringList textLines(const QString &value)
{
    const QStringList lines = splitLines(value + QLatin1Char('x'));   // keeps a trailing break
    QStringList out;
    out.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = i + 1 == lines.size() ? lines[i].chopped(1) : lines[i];
        line = escaped(line);
        if (i + 1 < lines.size())
            line += QStringLiteral("<br>");
        out << line;
    }
    return out;
}

} // namespace

QStringList render(const QStringList &templateLines, const ColumnText &column,
                   const QString &coverTag)
{
    QStringList out;
    out.reserve(templateLines.size());
    int lineNumber = 0;
    for (const QString &line : templateLines) {
        ++lineNumber;
        const bool dollar = line.contains(DollarMarker);
        const bool whole = !dollar && line.contains(WholeMarker);
        const bool money = !dollar && !whole && line.contains(MoneyMarker);
        if (!dollar && !whole && !money) {
            out << line;
            continue;
        }
        const QString name = stripBlanks(line).mid(2);
        if (dollar) {
            if (name.compare(u"fmtp", Qt::CaseInsensitive) == 0) {
                out << coverTag;
                continue;
            }
            const std::optional<QString> text = column(name);
            if (text)
                out << textLines(*text);
            else
                out << QString();
            continue;
        }
        const std::optional<QString> text = column(name);
        if (!text)
            throw AppError(QStringLiteral("详细信息模板第 %1 行：书目记录中没有字段“%2”。")
                               .arg(lineNumber)
                               .arg(name));
        out << numberLine(text, whole ? QStringLiteral("#,") : QStringLiteral("#,.00;#,.00;0"));
    }
    return out;
}

QStringList render(const QStringList &templateLines, const QSqlRecord &record)
{
    const auto column = [&record](const QString &name) -> std::optional<QString> {
        const int index = name.isEmpty() ? -1 : record.indexOf(name);
        if (index < 0)
            return std::nullopt;
        return NumberText::plainValue(record.value(index));
    };
    const int fmtp = record.indexOf(QStringLiteral("fmtp"));
    const QString tag = coverTag(fmtp < 0 ? QString() : record.value(fmtp).toString());
    return render(templateLines, column, tag);
}

QString coverTag(const QString &fmtp)
{
    const QString large = CoverLookup::fileName(fmtp, CoverLookup::Size::Large);
    if (!large.isEmpty())
        return imgTag(QStringLiteral("../bookimages/big/") + addressOf(large));
    const QString small = CoverLookup::fileName(fmtp, CoverLookup::Size::Small);
    if (!small.isEmpty())
        return imgTag(QStringLiteral("../bookimages/") + addressOf(small));
    return imgTag(QStringLiteral("nocover.bmp"));
}

QString templatePath()
{
    return ProgramPaths::resolve(QStringLiteral("../html/book.html"));
}

QString pagePath(const QString &operatorCode)
{
    return ProgramPaths::resolve(QStringLiteral("../html/book_") + operatorCode
                                 + QStringLiteral(".html"));
}

QString errorPagePath()
{
    return ProgramPaths::resolve(QStringLiteral("../html/error.html"));
}

QString declareGb18030(const QString &html)
{
    static const QRegularExpression metaCharset(
        QStringLiteral(R"((<meta\b[^>]*?\bcharset\s*=\s*["']?)[^"'\s;>/]*)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression headTag(QStringLiteral(R"(<head\b[^>]*>)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression htmlTag(QStringLiteral(R"(<html\b[^>]*>)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (html.contains(metaCharset)) {
        QString out = html;
        return out.replace(metaCharset, QStringLiteral("\\1gb18030"));
    }
    const QString meta =
        QStringLiteral(R"(<meta http-equiv="Content-Type" content="text/html; charset=gb18030">)");
    for (const QRegularExpression *tag : {&headTag, &htmlTag}) {
        const QRegularExpressionMatch m = tag->match(html);
        if (m.hasMatch()) {
            QString out = html;
            return out.insert(m.capturedEnd(), meta);
        }
    }
    return meta + QStringLiteral("\r\n") + html;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

QString build(const QSqlDatabase &db, const QString &tm, const QString &operatorCode)
{
    QSqlQuery query =
        Sql::exec(db, QStringLiteral("select * from qrybooksall where tm=?"), {tm});
    if (!query.next())
        return QString();
    const QSqlRecord record = query.record();

    QFile templateFile(templatePath());
    if (!templateFile.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取详细信息模板 %1：%2")
                           .arg(QDir::toNativeSeparators(templateFile.fileName()),
                                WholeFile::readReason(templateFile.fileName())));
    const QByteArray bytes = templateFile.readAll();
    if (templateFile.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("无法读取详细信息模板 %1：%2")
                           .arg(QDir::toNativeSeparators(templateFile.fileName()),
                                WholeFile::readReason(templateFile.fileName())));

    const QStringList lines = render(splitLines(declareGb18030(Gbk::decode(bytes))), record);

    const QString page = pagePath(operatorCode);
    QFile::remove(page);   // a page that cannot be removed is overwritten below, or fails
    QByteArray out = Gbk::encode(lines.join(QStringLiteral("\r\n")));
    if (!lines.isEmpty())
        out += "\r\n";
    if (!WholeFile::write(page, out))
        return QString();
    return page;
}

} // namespace DetailPage
