#include "catalog/list_workbook.h"

#include "common/app_error.h"
#include "common/column_units.h"
#include "common/whole_file.h"
#include "data/dataset.h"

#include <QFile>
#include <QTemporaryFile>
#include <xlsxwriter.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace ListWorkbook {
namespace {

using CatalogueExport::Layout;

constexpr int ProgressStep = 2000;

enum class Kind { Text, Money, Count };

// The kind of each export column, in the order of CatalogueExport::captions().
std::vector<Kind> kinds(Layout layout)
{
    if (layout == Layout::A)   // 书名 作者 出版社名称 ISBN 估定价 本季征订序号
        return {Kind::Text, Kind::Text, Kind::Text, Kind::Text, Kind::Money, Kind::Text};
    // 版别 书名 分级适用专业 估定价 征订序号 ISBN 预定数
    return {Kind::Text, Kind::Text, Kind::Text, Kind::Money, Kind::Text, Kind::Text, Kind::Count};
}

QString writeFailed()
{
    return QStringLiteral("导出失败：无法生成Excel文件。");
}

struct BookCloser {
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};

} // namespace

bool write(const QString &path, const DataSet &list, Layout layout, const CatalogueExport::Options &options,
           Progress &progress)
{
    const QStringList captions = CatalogueExport::captions(layout);
    const std::vector<Kind> columnKinds = kinds(layout);
    const QList<int> fields = CatalogueExport::fieldIndexes(list, layout);
    const int isbnAt = CatalogueExport::isbnPosition(layout);

    // libxlsxwriter writes to a file of its own; its bytes then go to the target whole.
    QTemporaryFile temp;
    if (!temp.open())
        throw AppError(writeFailed());
    temp.close();

    const int rows = list.recordCount();
    progress.start(QStringLiteral("正在导出"), rows);
    std::vector<double> widths(captions.size(), 0.0);
    {
        std::unique_ptr<lxw_workbook, BookCloser> book(
            workbook_new(QFile::encodeName(temp.fileName()).constData()));
        if (!book)
            throw AppError(writeFailed());
        lxw_worksheet *sheet = workbook_add_worksheet(book.get(), nullptr);
        lxw_format *caption = workbook_add_format(book.get());
        format_set_bold(caption);
        lxw_format *text = workbook_add_format(book.get());
        format_set_num_format(text, "@");
        lxw_format *money = workbook_add_format(book.get());
        format_set_num_format(money, "0.00");
        lxw_format *count = workbook_add_format(book.get());
        format_set_num_format(count, "0");
        if (!sheet)
            throw AppError(writeFailed());

        lxw_error error = LXW_NO_ERROR;
        const auto check = [&](lxw_error e) {
            if (e != LXW_NO_ERROR && error == LXW_NO_ERROR)
                error = e;
        };
        for (int c = 0; c < captions.size(); ++c) {
            check(worksheet_write_string(sheet, 0, lxw_col_t(c), captions[c].toUtf8().constData(), caption));
            widths[c] = columnUnits(captions[c]) * 1.1;
        }
        for (int row = 0; row < rows && error == LXW_NO_ERROR; ++row) {
            const lxw_row_t r = lxw_row_t(row + 1);
            for (int c = 0; c < fields.size(); ++c) {
                const lxw_col_t col = lxw_col_t(c);
                QString shown;
                if (columnKinds[c] == Kind::Money && !list.isNull(row, fields[c])) {
                    bool ok = false;
                    const double number = list.value(row, fields[c]).toDouble(&ok);
                    if (ok) {
                        check(worksheet_write_number(sheet, r, col, number, money));
                        shown = QString::number(number, 'f', 2);
                    } else {   // not a number after all: kept as the text it is
                        shown = list.text(row, fields[c]);
                        check(worksheet_write_string(sheet, r, col, shown.toUtf8().constData(), text));
                    }
                } else if (columnKinds[c] == Kind::Text) {
                    shown = list.text(row, fields[c]);
                    if (c == isbnAt)
                        shown = CatalogueExport::isbnText(shown, options);
                    if (!shown.isEmpty())
                        check(worksheet_write_string(sheet, r, col, shown.toUtf8().constData(), text));
                }
                widths[c] = std::max(widths[c], columnUnits(shown));
            }
            if ((row + 1) % ProgressStep == 0 && !progress.advance(row + 1))
                return false;   // the workbook is closed into the temporary file, which goes
        }
        if (error != LXW_NO_ERROR)
            throw AppError(writeFailed() + QString::fromUtf8(lxw_strerror(error)));
        for (int c = 0; c < int(widths.size()); ++c)
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::min(widths[c] + 1.5, 255.0),
                                 columnKinds[c] == Kind::Text    ? text
                                 : columnKinds[c] == Kind::Money ? money
                                                                 : count);
        worksheet_freeze_panes(sheet, 1, 0);
        if (workbook_close(book.release()) != LXW_NO_ERROR)
            throw AppError(writeFailed());
    }
    if (!progress.advance(rows))
        return false;

    QFile done(temp.fileName());
    if (!done.open(QIODevice::ReadOnly))
        throw AppError(writeFailed());
    WholeFile::writeOrThrow(path, done.readAll());
    return true;
}

} // namespace ListWorkbook
