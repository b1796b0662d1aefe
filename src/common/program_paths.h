#pragma once
#include <QString>

namespace ProgramPaths {
// The folder of the running executable, always ending with "/".
QString programFolder();
// Overrides the program folder (tests and the admin tool's --config).
void setProgramFolder(const QString &folder);
// programFolder() + relative, with "..", "." and doubled separators resolved.
QString resolve(const QString &relative);
// Appends "/" unless the text already ends with one.
QString withTrailingSlash(const QString &folder);
}
