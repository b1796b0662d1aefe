#pragma once
// The one reader of sort texts: terms "FIELD", "FIELD ASC" or "FIELD DESC" (direction in any
// letter case) joined by commas; empty pieces are skipped, an empty text is statement order.
// The list's sort and the grid's sort value both read their texts here.
#include <QList>
#include <QString>

namespace SortTextReader {

struct Term {
    QString field;
    bool descending = false;
};

// The terms of text; throws AppError "无法识别的排序设置“piece”" for a piece that is not a
// field with an optional direction.
QList<Term> read(const QString &text);

} // namespace SortTextReader
