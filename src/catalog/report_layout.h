#pragma once
// The print layout of a list, read from a layout file of the program's own format
// (bin/Book.layout for the publisher list, bin/Order.layout for an order; the format is
// described at the top of those files and in docs/report-layout.md). This is the logic half:
// parsing, the rows a report prints, and the texts it shows. Painting is in
// list_report_painter.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMarginsF>
#include <QString>
#include <QStringList>

class DataSet;

struct ReportBand {
    QString left;
    QString center;
    QString right;
    bool isEmpty() const { return left.isEmpty() && center.isEmpty() && right.isEmpty(); }
};

struct ReportColumn {
    enum class Total { None, Sum, Count };

    QString field;            // a column of the list; "#" the running number; empty: blank
    QString caption;
    double widthMm = 20;
    Qt::Alignment align = Qt::AlignLeft;
    QString format;           // "#," or "#,.00;#,.00;0"; empty: the value's plain text
    bool wrap = false;        // long texts on several lines instead of cut short
    Total total = Total::None;
};

struct ReportLayout {
    enum class Orientation { Portrait, Landscape };

    // [page]
    QString pageSize = QStringLiteral("A4");   // one of pageSizeNames()
    Orientation orientation = Orientation::Portrait;
    QMarginsF marginsMm{15, 15, 15, 15};
    QString fontFamily = QStringLiteral("宋体");
    double fontSize = 9;                       // points
    QString stripeColor;                       // "#RRGGBB" on even record numbers; empty: none
    QString headerFill = QStringLiteral("#D7DCE0");
    bool gridLines = true;
    // [title], first page only
    QString title;
    double titleFontSize = 16;
    Qt::Alignment titleAlign = Qt::AlignHCenter;
    // [line] sections: lines under the title, first page only, in file order
    QList<ReportBand> lines;
    // [header], [footer]: every page
    ReportBand header;
    ReportBand footer;
    // [column] sections, in print order
    QList<ReportColumn> columns;
    // [totals]
    bool hasTotals = false;
    QString totalsText;

    double totalWidthMm() const;

    static QStringList pageSizeNames();
    // Throws AppError naming the file and line of the first fault.
    static ReportLayout parse(const QString &text, const QString &fileName);
    // Reads a layout file (UTF-8, or GBK when it is not valid UTF-8).
    static ReportLayout load(const QString &path);
    // <program folder>/Book.layout
    static QString defaultPath();
};

// The rows a report prints: a title list (DataSetRows) or an order's rows (order/order_report).
class ReportRows {
public:
    virtual ~ReportRows() = default;
    virtual int count() const = 0;
    // Plain text of a field ("12.5" for numbers, empty for null).
    virtual QString text(int row, const QString &field) const = 0;
    // Values of placeholders beyond the built-in ones, by name without braces ("dhdh").
    virtual QHash<QString, QString> values() const { return {}; }
};

class DataSetRows : public ReportRows {
public:
    explicit DataSetRows(const DataSet &list) : m_list(list) {}
    int count() const override;
    QString text(int row, const QString &field) const override;

private:
    const DataSet &m_list;
};

namespace ReportText {

struct Context {
    int page = 1;
    int pages = 1;
    int count = 0;
    QDateTime printed;
    QHash<QString, QString> values;   // further placeholders, see ReportRows::values()
};

// Replaces {page} {pages} {count} {date} (yyyy-MM-dd) {time} (hh:mm) and the context's further
// values in a layout text; an unknown placeholder stays as it is.
QString expand(const QString &text, const Context &context);

// The text of one cell: the running number, nothing for a blank column, the column's plain
// text (line breaks as blanks unless the column wraps), or the number in the column's format.
QString cell(const ReportRows &rows, int row, const ReportColumn &column);
QString cell(const DataSet &list, int row, const ReportColumn &column);

// The totals line's text under a column: the sum in the column's format, or the count.
QString total(const ReportRows &rows, const ReportColumn &column);
QString total(const DataSet &list, const ReportColumn &column);

} // namespace ReportText
