#include "common/user_tree.h"

#include "common/program_paths.h"
#include "common/whole_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Write permission from the mode bits for this process's user: root gets no exception, so an
// installed tree stays read-only for it too.
bool modeLetsWrite(const QString &folder)
{
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    if (st.st_uid == ::geteuid())
        return (st.st_mode & S_IWUSR) != 0;
    if (st.st_gid == ::getegid())
        return (st.st_mode & S_IWGRP) != 0;
    gid_t groups[256];
    const int count = ::getgroups(256, groups);
    for (int i = 0; i < count; ++i) {
        if (groups[i] == st.st_gid)
            return (st.st_mode & S_IWGRP) != 0;
    }
    return (st.st_mode & S_IWOTH) != 0;
}

bool copyFile(const QString &from, const QString &to, QString *error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取 %1：%2").arg(from, source.errorString());
        return false;
    }
    QString reason;
    const bool ok = WholeFile::write(
        to,
        [&source](QIODevice &device, QString *why) {
            while (!source.atEnd()) {
                const QByteArray chunk = source.read(1 << 20);
                if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
                    *why = QStringLiteral("读取中断：%1").arg(source.errorString());
                    return false;
                }
                if (device.write(chunk) != chunk.size())
                    return false;
            }
            return true;
        },
        &reason);
    if (!ok) {
        *error = QStringLiteral("无法写入 %1：%2").arg(to, reason);
        return false;
    }
    // The user's copy is the user's own, whatever the installed file allowed.
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

} // namespace

namespace UserTree {

QString defaultRoot()
{
    return ProgramPaths::withTrailingSlash(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/zhengding"));
}

bool isInstalled(const QString &programFolder)
{
    return QFileInfo::exists(ProgramPaths::withTrailingSlash(programFolder)
                             + QLatin1String(MarkerName))
           || !modeLetsWrite(programFolder);
}

Result prepare(const QString &userRoot)
{
    Result result;
    const QString programFolder = ProgramPaths::programFolder();
    if (!isInstalled(programFolder))
        return result;

    result.root = ProgramPaths::withTrailingSlash(QDir::cleanPath(userRoot));
    const QString installedRoot =
        ProgramPaths::withTrailingSlash(QDir::cleanPath(programFolder + QStringLiteral("..")));
    if (result.root == installedRoot) {
        result.error = QStringLiteral("个人工作目录 %1 就是安装目录").arg(result.root);
        return result;
    }
    result.created = !QFileInfo::exists(result.root);
    // The user's program folder has the installed one's name ("bin" in every tree we lay out).
    const QString binName = QDir(programFolder).dirName() + u'/';

    QDir dir;
    if (!dir.mkpath(result.root + binName)) {
        result.error = QStringLiteral("无法建立个人工作目录 %1").arg(result.root);
        return result;
    }
    const QString marker = installedRoot + binName + QLatin1String(MarkerName);
    QDirIterator it(installedRoot, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        const QString target = result.root + file.filePath().mid(installedRoot.size());
        if (file.isDir()) {
            if (!dir.mkpath(target)) {
                result.error = QStringLiteral("无法建立目录 %1").arg(target);
                return result;
            }
            continue;
        }
        if (file.filePath() == marker || file.isExecutable() || QFileInfo::exists(target))
            continue;
        if (!dir.mkpath(QFileInfo(target).path())) {
            result.error = QStringLiteral("无法建立目录 %1").arg(QFileInfo(target).path());
            return result;
        }
        if (!copyFile(file.filePath(), target, &result.error))
            return result;
    }
    ProgramPaths::setProgramFolder(result.root + binName);
    result.used = true;
    return result;
}

} // namespace UserTree
