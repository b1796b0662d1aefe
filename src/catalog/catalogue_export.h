#pragma once
// The catalogue list export: the list a browse window shows, written as a tab-separated
// GB18030 text file (GBK bytes for every GBK character). Line 1 holds the captions, then one
// line per row in the list's current order; every line ends with CR LF, the last one included. Values are the plain texts of the
// columns (a price as the bare number, null as an empty field), written exactly as they are:
// no quoting, so a TAB or line break inside a value is written unchanged.
//
//   Layout A (category and planned-textbook browse; TABs between the captions below):
//     书名 作者 出版社名称 ISBN 估定价 本季征订序号      <- sm zz cbmc isbn dj zbh
//   Layout B (publisher browse):
//     版别 书名 分级适用专业 估定价 征订序号 ISBN 预定数  <- cbmc sm ztmc dj zbh isbn
//     "预定数" (quantity to order) is left for the reader to fill in: rows stop after the
//     ISBN, with no trailing TAB.
//
// The save dialog's check box "ISBN统一写为13位(&I)" (off at first) writes every ISBN that reads
// as a valid ISBN as its normalised ISBN-13 (13 digits, no hyphens: 7-04-012345-2 becomes
// 9787040123456); a wrong check digit or a value that is no ISBN is written as it is.
//
// The save dialog offers the workbook first ("Excel文件(*.xlsx)", see list_workbook.h) and this
// text under "文本文件(*.txt)" for systems that read it; a name ending in ".xlsx" gets the
// workbook, any other name the text.
//
// A window's export button calls exportCatalogueList(list, layout, prompter); an AppError it
// throws (a file that cannot be written) goes to the standard error box.
#include "common/progress.h"
#include "common/prompter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class DataSet;

namespace CatalogueExport {

enum class Layout { A, B };

struct Options {
    bool isbn13 = false;   // ISBNs as normalised ISBN-13
};

QStringList captions(Layout layout);
QStringList columns(Layout layout);
// The list's field index of each of the layout's columns; a column the list lacks throws.
QList<int> fieldIndexes(const DataSet &list, Layout layout);
// The position of "isbn" among the layout's columns.
int isbnPosition(Layout layout);
// What the export writes of an ISBN value.
QString isbnText(const QString &value, const Options &options);

// The whole file's bytes. Throws AppError when the list lacks a column of the layout.
// progress counts the rows now and then; returns an empty array when it was stopped.
QByteArray render(const DataSet &list, Layout layout, const Options &options = {},
                  Progress &progress = Progress::none());

// Writes the file completely or not at all (a temporary file beside it, then renamed over
// it). Throws AppError with the file system's text when it cannot. Returns false when
// progress abandoned it (nothing written).
bool writeFile(const QString &path, const DataSet &list, Layout layout, const Options &options = {},
               Progress &progress = Progress::none());

// Whether path gets the workbook (a name ending in ".xlsx", in any case) rather than the text.
bool isWorkbookPath(const QString &path);

// The save dialog's request: the Excel filter first, then the text filter; default extension
// "xlsx"; the ISBN-13 check box set on options->isbn13.
SaveRequest saveRequest(Options *options);

enum class Outcome { Written, NoData, Cancelled };

// The export button: "没有可以导出的数据" (plain box) for a closed or empty list, else the save
// dialog; cancel writes nothing. The prompter's progress counts the rows; stopping it writes no
// file and leaves an existing one as it was (Cancelled). After writing, the last row of the
// list is its current row. Throws AppError when the file cannot be written; the list is then
// left as it was.
Outcome exportCatalogueList(DataSet &list, Layout layout, Prompter &prompter);

} // namespace CatalogueExport
