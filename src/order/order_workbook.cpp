#include "order/order_workbook.h"

#include "common/app_error.h"
#include "common/column_units.h"
#include "common/whole_file.h"
#include "data/number_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <vector>

namespace OrderWorkbook {
namespace {

const QString FailedText = QStringLiteral("该文件可能正在使用，无法导入！");

enum class Kind { Text, Count, Money };   // "@", "0_ ", "0.00_ "

struct Cell {
    int row = 0;   // 0-based, as libxlsxwriter counts
    int col = 0;
    Kind kind = Kind::Text;
    bool bold = false;
    bool plainLabel = false;          // a label written without a number format
    QString text;                     // Text cells
    std::optional<double> number;     // Count/Money cells; empty gives a blank cell
    QString formula;                  // a formula whose cached result is `number`
};

struct RowColumn {
    const char *name;
    const char16_t *caption;
    Kind kind;
    std::function<std::optional<double>(const OrderRow &)> number;
    QString OrderRow::*text;
};

std::vector<RowColumn> rowColumns(OrderSource source)
{
    const auto sl = [](const OrderRow &r) { return r.sl; };
    const auto dj = [](const OrderRow &r) { return r.dj; };
    const auto my = [](const OrderRow &r) { return r.my; };
    if (source == OrderSource::Wizard)
        return {
            {"dhdh", u"订货单号", Kind::Text, {}, &OrderRow::dhdh},
            {"SM", u"书名", Kind::Text, {}, &OrderRow::sm},
            {"TM", u"条码", Kind::Text, {}, &OrderRow::tm},
            {"ZBH", u"征订序号", Kind::Text, {}, &OrderRow::zbh},
            {"YC", u"印次", Kind::Text, {}, &OrderRow::yc},
            {"ZZ", u"作者", Kind::Text, {}, &OrderRow::zz},
            {"SL", u"订购数量", Kind::Count, sl, nullptr},
            {"DJ", u"定价", Kind::Money, dj, nullptr},
            {"MY", u"订购码洋", Kind::Money, my, nullptr},
            {"ISBN", u"ISBN", Kind::Text, {}, &OrderRow::isbn},
            {"CBMC", u"出版社名称", Kind::Text, {}, &OrderRow::cbmc},
            {"CBBM", u"出版社编号", Kind::Text, {}, &OrderRow::cbbm},
        };
    return {
        {"DHDH", u"订货单号", Kind::Text, {}, &OrderRow::dhdh},
        {"SM", u"书名", Kind::Text, {}, &OrderRow::sm},
        {"TM", u"条码", Kind::Text, {}, &OrderRow::tm},
        {"ZBH", u"书代号", Kind::Text, {}, &OrderRow::zbh},
        {"ISBN", u"ISBN", Kind::Text, {}, &OrderRow::isbn},
        {"YC", u"印次", Kind::Text, {}, &OrderRow::yc},
        {"ZZ", u"作者", Kind::Text, {}, &OrderRow::zz},
        {"CBBM", u"出版社编号", Kind::Text, {}, &OrderRow::cbbm},
        {"CBMC", u"出版社名称", Kind::Text, {}, &OrderRow::cbmc},
        {"SL", u"数量", Kind::Count, sl, nullptr},
        {"DJ", u"定价", Kind::Money, dj, nullptr},
        {"MY", u"码洋", Kind::Money, my, nullptr},
    };
}

struct HeaderField {
    const char *name;
    const char16_t *caption;
    QString OrderHeader::*text;
};

const HeaderField HeaderFields[] = {
    {"DHDH", u"订货单号", &OrderHeader::dhdh},     {"DHRQ", u"订货日期", &OrderHeader::dhrq},
    {"DFDH", u"订单流水号", &OrderHeader::dfdh},   {"XSFH", u"供货商编号", &OrderHeader::xsfh},
    {"XSFM", u"供货商名称", &OrderHeader::xsfm},   {"JSFS", u"结算方式", &OrderHeader::jsfs},
    {"FKFS", u"付款方式", &OrderHeader::fkfs},     {"DHRH", u"订货人编号", &OrderHeader::dhrh},
    {"DHRM", u"订货人名称", &OrderHeader::dhrm},   {"DHLR", u"订货联系人", &OrderHeader::dhlr},
    {"DHLH", u"订货人电话", &OrderHeader::dhlh},   {"DHJB", u"订货经办人", &OrderHeader::dhjb},
    {"SHRH", u"收货人编号", &OrderHeader::shrh},   {"SHRM", u"收货人名称", &OrderHeader::shrm},
    {"SHLR", u"收货联系人", &OrderHeader::shlr},   {"SHLH", u"收货人电话", &OrderHeader::shlh},
    {"SHDZ", u"收货地址", &OrderHeader::shdz},     {"SHDZ2", u"收货地址2", &OrderHeader::shdz2},
    {"SHYB", u"收货邮编", &OrderHeader::shyb},     {"FKRH", u"付款人编号", &OrderHeader::fkrh},
    {"FKRM", u"付款人名称", &OrderHeader::fkrm},   {"FKLR", u"付款联系人", &OrderHeader::fklr},
    {"FKLH", u"付款人电话", &OrderHeader::fklh},   {"FHFS", u"发货方式", &OrderHeader::fhfs},
    {"FHDZ", u"发货到站", &OrderHeader::fhdz},     {"FHRQ", u"要求发货日期", &OrderHeader::fhrq},
    {"BZ", u"备注", &OrderHeader::bz},
};

// The table head's row (from 0): after the title, the header fields and an empty row.
constexpr int HeadRow = int(std::size(HeaderFields)) + 2;

QString columnLetter(int col)
{
    QString letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters;
}

std::vector<Cell> layout(const OrderDocument &order, OrderSource source, const Options &options)
{
    std::vector<Cell> cells;
    const auto label = [&](int row, int col, const char *name, const char16_t *caption) {
        Cell c;
        c.row = row;
        c.col = col;
        c.plainLabel = true;
        c.text = options.fieldNames ? QString::fromLatin1(name) : QString::fromUtf16(caption);
        cells.push_back(c);
    };

    Cell title;
    title.plainLabel = true;
    title.text = QStringLiteral("图书征订单");
    cells.push_back(title);

    int r = 1;
    for (const HeaderField &f : HeaderFields) {
        label(r, 0, f.name, f.caption);
        Cell value;
        value.row = r;
        value.col = 1;
        value.text = order.header.*f.text;
        cells.push_back(value);
        ++r;
    }

    const int head = HeadRow;
    const std::vector<RowColumn> columns = rowColumns(source);
    for (int c = 0; c < int(columns.size()); ++c)
        label(head, c, columns[c].name, columns[c].caption);

    r = head + 1;
    for (const OrderRow &row : order.rows) {
        for (int c = 0; c < int(columns.size()); ++c) {
            Cell cell;
            cell.row = r;
            cell.col = c;
            cell.kind = columns[c].kind;
            if (columns[c].text)
                cell.text = row.*columns[c].text;
            else
                cell.number = columns[c].number(row);
            cells.push_back(cell);
        }
        ++r;
    }

    const int totals = r;
    Cell caption;
    caption.row = totals;
    caption.bold = true;
    caption.plainLabel = true;
    caption.text = QStringLiteral("合计:");
    cells.push_back(caption);
    const int rows = int(order.rows.size());
    for (const QString &name : options.totals) {
        const auto column = std::find_if(columns.begin(), columns.end(), [&](const RowColumn &rc) {
            return name.compare(QLatin1String(rc.name), Qt::CaseInsensitive) == 0;
        });
        if (column == columns.end() || column->kind == Kind::Text)
            continue;
        Cell total;
        total.row = totals;
        total.col = int(column - columns.begin());
        total.kind = column->kind;
        total.bold = true;
        double sum = 0;
        for (const OrderRow &row : order.rows)
            sum += column->number(row).value_or(0.0);
        total.number = sum;
        if (rows > 0) {
            const QString letter = columnLetter(total.col);
            total.formula = QStringLiteral("=SUM(%1%2:%1%3)").arg(letter).arg(head + 2).arg(totals);
        }
        cells.push_back(total);
    }
    return cells;
}

// What the reader shows, for the width of the column.
QString shownText(const Cell &cell)
{
    if (cell.kind == Kind::Text || cell.plainLabel)
        return cell.text;
    if (!cell.number)
        return QString();
    return NumberText::format(*cell.number, cell.kind == Kind::Count ? QStringLiteral("0")
                                                                       : QStringLiteral("0.00"))
           + u' ';
}

struct Formats {
    lxw_format *text = nullptr;
    lxw_format *count = nullptr;
    lxw_format *money = nullptr;
    lxw_format *bold = nullptr;
    lxw_format *boldCount = nullptr;
    lxw_format *boldMoney = nullptr;

    explicit Formats(lxw_workbook *book)
    {
        text = make(book, "@", false);
        count = make(book, "0_ ", false);
        money = make(book, "0.00_ ", false);
        bold = make(book, nullptr, true);
        boldCount = make(book, "0_ ", true);
        boldMoney = make(book, "0.00_ ", true);
    }
    static lxw_format *make(lxw_workbook *book, const char *numberFormat, bool isBold)
    {
        lxw_format *f = workbook_add_format(book);
        if (numberFormat)
            format_set_num_format(f, numberFormat);
        if (isBold)
            format_set_bold(f);
        return f;
    }
    lxw_format *of(const Cell &cell) const
    {
        if (cell.plainLabel)
            return cell.bold ? bold : nullptr;
        switch (cell.kind) {
        case Kind::Text: return text;
        case Kind::Count: return cell.bold ? boldCount : count;
        case Kind::Money: return cell.bold ? boldMoney : money;
        }
        return nullptr;
    }
};

bool writeCells(lxw_worksheet *sheet, const Formats &formats, const std::vector<Cell> &cells)
{
    for (const Cell &cell : cells) {
        lxw_format *format = formats.of(cell);
        lxw_error error = LXW_NO_ERROR;
        if (!cell.formula.isEmpty()) {
            error = worksheet_write_formula_num(sheet, cell.row, cell.col,
                                                cell.formula.toUtf8().constData(), format,
                                                cell.number.value_or(0.0));
        } else if (cell.kind != Kind::Text && !cell.plainLabel) {
            error = cell.number ? worksheet_write_number(sheet, cell.row, cell.col, *cell.number, format)
                                : worksheet_write_blank(sheet, cell.row, cell.col, format);
        } else if (cell.text.isEmpty()) {
            if (format)
                error = worksheet_write_blank(sheet, cell.row, cell.col, format);
        } else {
            error = worksheet_write_string(sheet, cell.row, cell.col, cell.text.toUtf8().constData(),
                                           format);
        }
        if (error != LXW_NO_ERROR)
            return false;
    }
    return true;
}

void fitColumns(lxw_worksheet *sheet, const std::vector<Cell> &cells)
{
    std::vector<double> widths;
    for (const Cell &cell : cells) {
        if (cell.col >= int(widths.size()))
            widths.resize(cell.col + 1, 0.0);
        const double units = columnUnits(shownText(cell)) * (cell.bold ? 1.1 : 1.0);
        widths[cell.col] = std::max(widths[cell.col], units);
    }
    for (int col = 0; col < int(widths.size()); ++col)
        worksheet_set_column(sheet, col, col, std::min(widths[col] + 1.5, 255.0), nullptr);
}

} // namespace

// The sheet is named by its order number, as far as a sheet name can hold it: at most 31
// characters, none of []:*?/\ and no apostrophe at either end.
QString sheetName(const QString &orderNumber)
{
    QString name;
    for (const QChar c : orderNumber)
        name += QStringLiteral("[]:*?/\\").contains(c) ? QChar(u'_') : c;
    while (name.startsWith(u'\'') || name.endsWith(u'\''))
        name = name.startsWith(u'\'') ? name.mid(1) : name.chopped(1);
    return name.left(31).trimmed().isEmpty() ? QStringLiteral("Sheet1") : name.left(31);
}

void ExportOrderWorkbook(const OrderDocument &order, OrderSource source, const QString &path,
                         const Options &options)
{
    const std::vector<Cell> cells = layout(order, source, options);
    const auto fail = [&path](const QString &reason) {
        return AppError(FailedText + u'\n'
                        + QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), reason));
    };

    // The workbook is made in a folder of its own under the system's temporary folder; its
    // bytes then go to the target through the whole-file writer like every other file.
    errno = 0;
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/zhengding-workbook-XXXXXX"));
    if (!work.isValid())
        throw fail(QStringLiteral("无法在临时文件夹 %1 中生成工作簿（%2）")
                       .arg(QDir::toNativeSeparators(QDir::tempPath()),
                            WholeFile::reasonText(QDir::tempPath() + QStringLiteral("/x"), errno,
                                                  work.errorString())));
    const QString madePath = work.filePath(QStringLiteral("order.xlsx"));

    lxw_workbook *book = workbook_new(QFile::encodeName(madePath).constData());
    if (!book)
        throw fail(QStringLiteral("无法生成工作簿"));
    lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName(order.header.dhdh).toUtf8().constData());
    if (!sheet)
        sheet = workbook_add_worksheet(book, nullptr);
    const Formats formats(book);
    bool ok = sheet && writeCells(sheet, formats, cells);
    if (ok) {
        fitColumns(sheet, cells);
        int totalsRow = 0;
        for (const Cell &cell : cells)
            totalsRow = std::max(totalsRow, cell.row);
        worksheet_set_row(sheet, totalsRow, LXW_DEF_ROW_HEIGHT, formats.bold);
        // Printed: landscape, the columns on one page across, the table head on every page.
        worksheet_set_landscape(sheet);
        worksheet_fit_to_pages(sheet, 1, 0);
        ok = worksheet_repeat_rows(sheet, lxw_row_t(HeadRow), lxw_row_t(HeadRow)) == LXW_NO_ERROR;
    }
    // workbook_close frees the workbook whatever happens.
    errno = 0;
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR || !ok) {
        const int number = errno;
        QString why = QString::fromUtf8(lxw_strerror(closed));
        if (number != 0)
            why = WholeFile::reasonText(madePath, number, why);
        throw fail(QStringLiteral("无法在临时文件夹 %1 中生成工作簿（%2）")
                       .arg(QDir::toNativeSeparators(QDir::tempPath()), why));
    }

    QFile made(madePath);
    if (!made.open(QIODevice::ReadOnly))
        throw fail(WholeFile::readReason(madePath));
    const QByteArray bytes = made.readAll();
    made.close();
    QString reason;
    if (!WholeFile::write(path, bytes, &reason))
        throw fail(reason);
}

SaveRequest saveRequest()
{
    SaveRequest request;
    request.caption = QStringLiteral("导出订单");
    request.filters = QStringLiteral("Excel文件(*.xlsx)|*.xlsx");
    request.defaultSuffix = QStringLiteral("xlsx");
    return request;
}

} // namespace OrderWorkbook
