#pragma once
// The catalogue list as a real .xlsx workbook (libxlsxwriter): one sheet, the captions of the
// export layout in bold on row 1, then one row per title in the list's current order. Keys and
// serial numbers (本季征订序号/征订序号, ISBN) and every other text are text cells in the "@"
// format, so leading zeros stay; 估定价 is a number with two decimals ("0.00"), an empty price
// a blank cell; Layout B's 预定数 is left blank for the reader, formatted for whole numbers.
// ISBNs are written as CatalogueExport::cellText gives them (options.isbn13).
// Columns are fitted to their widest text and the caption row stays in view while scrolling.
#include "catalog/catalogue_export.h"
#include "common/progress.h"

#include <QString>

class DataSet;

namespace ListWorkbook {

// Writes the workbook completely or not at all. Throws AppError when the list lacks a column
// of the layout or the file cannot be written. Returns false when progress stopped it: no
// file is written then and an existing one is left as it was.
bool write(const QString &path, const DataSet &list, CatalogueExport::Layout layout,
           const CatalogueExport::Options &options = {}, Progress &progress = Progress::none());

} // namespace ListWorkbook
