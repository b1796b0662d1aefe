#pragma once
// "定位": the first title of a list whose field starts with the typed text (case ignored). On
// the ISBN field a typed value that reads as an ISBN (common/isbn.h) also finds the title
// stored in its other form: ISBN-10 or ISBN-13, with or without hyphens and spaces.
#include <QString>

class DataSet;

namespace TitleLocate {

// Makes that title current and returns true; false leaves the current row. An unknown field
// throws AppError.
bool locate(DataSet &list, const QString &field, const QString &typed);

} // namespace TitleLocate
