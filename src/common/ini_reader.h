#pragma once
// Read-only INI reader with the rules of the configuration file: sections and keys match
// without regard to case, a value is cut to its first 99 bytes in the file's own encoding
// (never splitting a character), and a missing file, section or key yields the default.
// The file is GBK unless it is UTF-8 (a BOM, or valid UTF-8 holding non-ASCII text).
#include <QString>

namespace Ini {

constexpr int MaxValueBytes = 99;

// The text of a configuration file's bytes by the rule above, and how they were encoded.
struct FileText {
    QString text;
    bool utf8 = false;
    bool bom = false;   // UTF-8 with a leading byte-order mark (not part of text)
};
FileText decodeFile(QByteArray bytes);

// Reads key in section of the INI file at path.
QString readValue(const QString &path, const QString &section, const QString &key,
                  const QString &defaultValue = QString());

// Reads from programFolder() + fileName (the program always passes "syscfg.dbm").
QString readProfileString(const QString &section, const QString &key,
                          const QString &defaultValue = QString(),
                          const QString &fileName = QStringLiteral("syscfg.dbm"));

} // namespace Ini
