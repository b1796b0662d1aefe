#pragma once
// The book detail page: the template ../html/book.html with its placeholder lines replaced by
// one title's full record (view qrybooksall), written in GB18030 with CR LF line ends to
// ../html/book_<operator>.html for the detail window to show.
//
// Placeholder lines. A line that contains a marker is replaced as a whole; its text with the
// blanks around it removed is taken as the two-character marker followed by a column name:
//   $$name   the column's text; each line break in it (CR LF, CR or LF) ends an output line
//            with "<br>"; an empty line for no such column
//   $$fmtp   the cover picture tag (coverTag below)
//   $#name   the text read as a number, formatted "#," (1234567 -> 1,234,567; 12.5 -> 13)
//   $@name   the text read as a number, formatted "#,.00;#,.00;0" (12.5 -> 12.50; 0 -> 0)
// "$#"/"$@" give an empty line for a text that is not a number, and throw AppError for a
// column that the record lacks. A line containing "$$" is a "$$" line whatever else it
// holds; so "<td>$$sm</td>" yields an empty line (its "column" is "d>$$sm</td>"). Column
// names, "fmtp" included, match without regard to case. Lines without a marker are copied.
// Every value is HTML-escaped (& < > " '), so catalogue text such as "C++ <入门>" shows as
// written and never adds markup to the page.
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace DetailPage {

// The text of a column of the record, or nothing when the record has no such column.
using ColumnText = std::function<std::optional<QString>(const QString &column)>;

QStringList render(const QStringList &templateLines, const ColumnText &column,
                   const QString &coverTag);
// Over a record of qrybooksall; the cover tag comes from its fmtp.
QStringList render(const QStringList &templateLines, const QSqlRecord &record);

// <img width="200" height="275" src="…"> for the large picture if it exists, else the small
// one, else nocover.bmp beside the page (CoverLookup finds the files). The src paths are
// relative to ../html/; "%", "#" and "?" in a file name are percent-encoded.
QString coverTag(const QString &fmtp);

// Absolute paths: the template, the page of an operator code, the error page.
QString templatePath();
QString pagePath(const QString &operatorCode);
QString errorPagePath();

// The page is written in GB18030: the same bytes as GBK for every GBK character, and a form
// for every other one (U+20000, emoji), so no catalogue text is lost. Its declaration says so:
// every charset of a <meta> tag (gbk, gb2312, or anything else) becomes gb18030; a template
// that declares none gets <meta http-equiv="Content-Type" content="text/html; charset=gb18030">
// right after its <head> tag, else after its <html> tag, else as a line of its own first.
QString declareGb18030(const QString &html);

// Splits a template read from disk into lines (CR LF, LF or CR end a line).
QStringList splitLines(const QString &text);

// Builds the page of title tm and returns its path; returns an empty text when there is no
// such title or the page cannot be written, and the caller shows errorPagePath(). Throws
// AppError, leaving any earlier page in place, for a missing or unreadable template, a
// "$#"/"$@" line naming a column the record lacks, and a database error.
QString build(const QSqlDatabase &db, const QString &tm, const QString &operatorCode);

} // namespace DetailPage
