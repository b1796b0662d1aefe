#include "common/program_paths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

namespace ProgramPaths {

QString withTrailingSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return withTrailingSlash(QCoreApplication::applicationDirPath());
}

void setProgramFolder(const QString &folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : withTrailingSlash(QDir(folder).absolutePath());
}

QString resolve(const QString &relative)
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    const QString clean = QDir::cleanPath(programFolder() + rel);
    return rel.endsWith(u'/') ? withTrailingSlash(clean) : clean;
}

} // namespace ProgramPaths
