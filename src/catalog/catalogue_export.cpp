#include "catalog/catalogue_export.h"

#include "catalog/list_workbook.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/isbn.h"
#include "common/whole_file.h"
#include "data/dataset.h"

#include <QDir>
#include <algorithm>

namespace CatalogueExport {
namespace {

constexpr int ProgressStep = 2000;

} // namespace

QStringList captions(Layout layout)
{
    if (layout == Layout::A)
        return {QStringLiteral("书名"), QStringLiteral("作者"), QStringLiteral("出版社名称"),
                QStringLiteral("ISBN"), QStringLiteral("估定价"), QStringLiteral("本季征订序号")};
    return {QStringLiteral("版别"), QStringLiteral("书名"), QStringLiteral("分级适用专业"),
            QStringLiteral("估定价"), QStringLiteral("征订序号"), QStringLiteral("ISBN"),
            QStringLiteral("预定数")};
}

QStringList columns(Layout layout)
{
    if (layout == Layout::A)
        return {QStringLiteral("sm"), QStringLiteral("zz"), QStringLiteral("cbmc"),
                QStringLiteral("isbn"), QStringLiteral("dj"), QStringLiteral("zbh")};
    return {QStringLiteral("cbmc"), QStringLiteral("sm"), QStringLiteral("ztmc"),
            QStringLiteral("dj"), QStringLiteral("zbh"), QStringLiteral("isbn")};
}

QList<int> fieldIndexes(const DataSet &list, Layout layout)
{
    QList<int> fields;
    for (const QString &name : columns(layout)) {
        const int index = list.fieldIndex(name);
        if (index < 0)
            throw AppError(QStringLiteral("导出失败：列表中没有字段“%1”。").arg(name));
        fields << index;
    }
    return fields;
}

int isbnPosition(Layout layout)
{
    return int(columns(layout).indexOf(QStringLiteral("isbn")));
}

QString isbnText(const QString &value, const Options &options)
{
    if (!options.isbn13)
        return value;
    const QString normalised = Isbn::read(value).isbn13();
    return normalised.isEmpty() ? value : normalised;
}

QByteArray render(const DataSet &list, Layout layout, const Options &options, Progress &progress)
{
    const QList<int> fields = fieldIndexes(list, layout);
    const int isbnAt = isbnPosition(layout);

    const int rows = list.recordCount();
    progress.start(QStringLiteral("正在导出"), rows);
    // The lines are built and encoded a block of rows at a time, so the text being encoded is
    // still in the cache; a block ends with a line, so no character is split. Encoding is
    // per character, so the blocks' bytes are the bytes of the whole text.
    QByteArray bytes;
    bytes.reserve(128 + qsizetype(rows) * 96);
    QString text;
    text.reserve(64 + qsizetype(std::min(rows, ProgressStep)) * 96);
    text += captions(layout).join(u'\t');
    text += u"\r\n";
    for (int row = 0; row < rows; ++row) {
        for (int i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += u'\t';
            text += i == isbnAt ? isbnText(list.text(row, fields[i]), options) : list.text(row, fields[i]);
        }
        text += u"\r\n";
        if ((row + 1) % ProgressStep == 0) {
            bytes += Gbk::encode(text);
            text.truncate(0);
            if (!progress.advance(row + 1))
                return QByteArray();
        }
    }
    bytes += Gbk::encode(text);
    if (!progress.advance(rows))
        return QByteArray();
    return bytes;
}

bool writeFile(const QString &path, const DataSet &list, Layout layout, const Options &options, Progress &progress)
{
    const QByteArray bytes = render(list, layout, options, progress);
    if (bytes.isEmpty())
        return false;   // abandoned: even an empty list has its header line

    WholeFile::writeOrThrow(path, bytes);
    return true;
}

SaveRequest saveRequest(Options *options)
{
    SaveRequest request;
    request.caption = QStringLiteral("导出书目");
    request.filters = QStringLiteral("Excel文件(*.xlsx)|*.xlsx|文本文件(*.txt)|*.txt");
    request.defaultSuffix = QStringLiteral("xlsx");
    request.options << SaveOption{QStringLiteral("ISBN统一写为13位(&I)"), &options->isbn13};
    return request;
}

bool isWorkbookPath(const QString &path)
{
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

Outcome exportCatalogueList(DataSet &list, Layout layout, Prompter &prompter)
{
    if (!list.isOpen() || list.recordCount() == 0) {
        prompter.message(QStringLiteral("没有可以导出的数据"), QStringLiteral("系统提示"),
                         MsgFlags::Plain);
        return Outcome::NoData;
    }
    Options options;
    const QString path = prompter.saveFileName(saveRequest(&options));
    if (path.isEmpty())
        return Outcome::Cancelled;
    const std::unique_ptr<Progress> progress = prompter.progress();
    progress->setCancellable(true);
    const bool written = isWorkbookPath(path) ? ListWorkbook::write(path, list, layout, options, *progress)
                                              : writeFile(path, list, layout, options, *progress);
    if (!written)
        return Outcome::Cancelled;
    list.last();   // the list was walked to its end: the last title is the current one
    return Outcome::Written;
}

} // namespace CatalogueExport
