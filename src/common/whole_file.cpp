#include "common/whole_file.h"

#include "common/app_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace WholeFile {
namespace {

// The folder that holds path, made absolute, for the messages.
QString parentOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

// Why QSaveFile failed on path, told from the path itself first (those answers do not depend
// on what the last system call left in errno) and then from the system's error number.
QString diagnose(const QString &path, QFileDevice::FileError error, int errorNumber,
                 const QString &qtText)
{
    const QFileInfo target(path);
    // Climb from the target's folder to the nearest thing that exists.
    QFileInfo dir(target.absolutePath());
    while (!dir.exists()) {
        const QString up = dir.absolutePath();
        if (QDir::cleanPath(up) == QDir::cleanPath(dir.absoluteFilePath()))
            break;
        dir = QFileInfo(up);
    }
    if (dir.exists() && !dir.isDir())
        return QStringLiteral("%1 是一个文件，不是文件夹")
            .arg(QDir::toNativeSeparators(dir.absoluteFilePath()));
    if (QDir::cleanPath(dir.absoluteFilePath()) != QDir::cleanPath(target.absolutePath()))
        return QStringLiteral("文件夹 %1 不存在").arg(parentOf(path));
    if (target.isDir())
        return QStringLiteral("%1 是一个文件夹").arg(QDir::toNativeSeparators(target.absoluteFilePath()));
    // The way to the file was just seen whole: a "not found" left in errno comes from a look-up
    // on the way (the target not there yet), not from the failure.
    if (errorNumber == ENOENT || errorNumber == ENOTDIR)
        errorNumber = 0;
    return reasonText(path, errorNumber, error == QFileDevice::NoError ? QString() : qtText);
}

// An existing file that may not be written is refused rather than replaced (the rename of the
// finished temporary file would replace it whatever its mode). Read-only is told from the mode
// bits too, so that a file nobody may write stays untouched even for the administrator.
QString readOnlyReason(const QString &path)
{
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return QString();
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.constData(), W_OK) != 0)
        return QStringLiteral("文件 %1 是只读的，没有被替换")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return QString();
}

// Whether everything written so far is in the file: flushed, and the file as long as the
// furthest position written (a writer may seek back, never past the end).
bool reachedTheDisk(QSaveFile &file)
{
    errno = 0;
    const bool flushed = file.flush();
    const int number = errno;
    const bool whole = flushed && file.error() == QFileDevice::NoError && file.size() >= file.pos();
    errno = number;
    return whole;
}

} // namespace

QString reasonText(const QString &path, int errorNumber, const QString &fallback)
{
    switch (errorNumber) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入文件夹 %1 的权限").arg(parentOf(path));
    case EROFS:
        return QStringLiteral("%1 所在的磁盘是只读的").arg(parentOf(path));
    case ENOENT:
        return QStringLiteral("文件夹 %1 不存在").arg(parentOf(path));
    case ENOTDIR:
        return QStringLiteral("%1 的上级不是文件夹").arg(QDir::toNativeSeparators(path));
    case EISDIR:
        return QStringLiteral("%1 是一个文件夹").arg(QDir::toNativeSeparators(path));
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case EFBIG:
        return QStringLiteral("文件超出了系统允许的大小");
    default:
        break;
    }
    if (!fallback.isEmpty() && fallback.compare(QLatin1String("Unknown error"), Qt::CaseInsensitive) != 0)
        return fallback;
    if (errorNumber != 0)
        return QStringLiteral("系统错误 %1（%2）").arg(errorNumber).arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    return QStringLiteral("系统没有说明原因");
}

QString readReason(const QString &path, const QString &fallback)
{
    const QFileInfo file(path);
    if (!file.exists()) {
        const QFileInfo folder(file.absolutePath());
        if (!folder.exists())
            return QStringLiteral("文件夹 %1 不存在").arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
        if (!folder.isDir())
            return QStringLiteral("%1 是一个文件，不是文件夹").arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
        return QStringLiteral("文件不存在");
    }
    if (file.isDir())
        return QStringLiteral("%1 是一个文件夹，不是文件").arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    if (!file.isReadable())
        return QStringLiteral("没有读取该文件的权限");
    return fallback.isEmpty() ? QStringLiteral("读取文件时出错") : fallback;
}

bool write(const QString &path, const Writer &writer, QString *error)
{
    QSaveFile file(path);
    QString reason = readOnlyReason(path);
    errno = 0;
    if (!reason.isEmpty()) {
        // refused before anything was written
    } else if (!file.open(QIODevice::WriteOnly)) {
        const int number = errno;
        reason = diagnose(path, file.error(), number, file.errorString());
    } else if (!writer(file, &reason)) {
        const int number = errno;
        if (reason.isEmpty())
            reason = diagnose(path, file.error(), number, file.errorString());
        file.cancelWriting();
    } else if (!reachedTheDisk(file)) {
        // A short write (a full disk, a size limit) is no error to Qt: QSaveFile would commit
        // the file cut short. What the system said is in errno.
        const int number = errno;
        reason = number == 0 ? QStringLiteral("文件没有完整写入磁盘") : reasonText(path, number);
        file.cancelWriting();
    } else if (!file.commit()) {
        const int number = errno;
        reason = diagnose(path, file.error(), number, file.errorString());
    } else {
        return true;
    }
    if (error)
        *error = reason;
    return false;
}

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    return write(
        path,
        [&bytes](QIODevice &device, QString *) { return device.write(bytes) == bytes.size(); },
        error);
}

void writeOrThrow(const QString &path, const Writer &writer)
{
    QString reason;
    if (!write(path, writer, &reason))
        throw AppError(QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), reason));
}

void writeOrThrow(const QString &path, const QByteArray &bytes)
{
    QString reason;
    if (!write(path, bytes, &reason))
        throw AppError(QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace WholeFile
