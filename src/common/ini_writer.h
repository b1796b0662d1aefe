#pragma once
// Changes keys of one section of an INI file the program reads (see ini_reader.h) and keeps
// everything else as it stands: comments, other sections, the order of lines, the file's
// encoding (GBK, or UTF-8 when the file is UTF-8) and its line breaks. A key already in the
// section (in any of its spellings: [Mail] and [MAIL] are one section) gets its new value in
// its own line; a new key goes to the end of the section's last block; a missing section is
// added at the end of the file. The file is written whole or not at all.
#include <QList>
#include <QPair>
#include <QString>

namespace Ini {

using Values = QList<QPair<QString, QString>>;   // key, value: in the order they are added

// The text of the file with the values set (text as decoded; "\n" or "\r\n" line breaks).
QString withValues(const QString &text, const QString &section, const Values &values);

// Sets the values in the file at path (a missing file is made). Throws AppError with the
// reason when the file cannot be read or written, or when a value is longer than the reader
// takes (MaxValueBytes) or holds a line break: nothing is written then.
void writeValues(const QString &path, const QString &section, const Values &values);

} // namespace Ini
