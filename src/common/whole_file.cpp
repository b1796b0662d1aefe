#include "common/whole_file.h"

#include "common/app_error.h"

#include <QDir>
#include <QSaveFile>

namespace WholeFile {

bool write(const QString &path, const Writer &writer, QString *error)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (!writer(file, &reason)) {
        if (reason.isEmpty())
            reason = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        reason = file.errorString();
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
