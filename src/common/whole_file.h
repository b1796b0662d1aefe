#pragma once
// The one way the program writes a file: completely or not at all. The bytes go to a temporary
// file beside the target, which replaces the target only once everything was written; a
// failure leaves the target as it was. An existing read-only target (no write permission for
// the user, or no write bit in its mode at all) is refused with that reason, never replaced.
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace WholeFile {

// Fills the device; returns false (with the reason in *error) to abandon the file.
using Writer = std::function<bool(QIODevice &device, QString *error)>;

// Writes the file; on failure returns false with the reason in *error (when given): a Chinese
// sentence that names the folder where that helps (a missing folder, a file where a folder
// should be, no permission, a full disk), never the bare "Unknown error".
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);
bool write(const QString &path, const Writer &writer, QString *error = nullptr);

// The same, throwing AppError "无法写入文件 <path>：<reason>" on failure.
void writeOrThrow(const QString &path, const QByteArray &bytes);
void writeOrThrow(const QString &path, const Writer &writer);

// The sentence for a failed write to path with the system's error number errorNumber (errno);
// fallback (the library's text) is used for numbers without a sentence of their own.
QString reasonText(const QString &path, int errorNumber, const QString &fallback = QString());

// Why a file could not be read, in Chinese, told from the path: it or its folder is missing,
// it is a folder, it may not be read. For a file that is there and readable the reason is
// fallback (what the caller knows, e.g. "图片格式无法识别或文件已损坏"), or a plain sentence
// when that is empty; the library's English text is never shown.
QString readReason(const QString &path, const QString &fallback = QString());

} // namespace WholeFile
