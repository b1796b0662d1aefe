#include "common/ini_reader.h"

#include "common/gbk_codec.h"
#include "common/program_paths.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace Ini {
namespace {

bool isUtf8(const QByteArray &bytes, bool *hasNonAscii)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // decode() is lazy: the bytes are only decoded (and errors only seen) on conversion.
    const QString decoded = decoder.decode(bytes);
    (void)decoded;
    *hasNonAscii = false;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            *hasNonAscii = true;
            break;
        }
    }
    return !decoder.hasError();
}

// Cuts text so that its encoded form takes at most MaxValueBytes bytes, at a character edge.
QString cutToBytes(const QString &text, bool utf8)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        const qsizetype chBytes = utf8 ? ch.toUtf8().size() : Gbk::encode(ch).size();
        if (bytes + chBytes > MaxValueBytes)
            break;
        bytes += int(chBytes);
        i += len;
    }
    return text.left(i);
}

QString stripQuotes(const QString &value)
{
    if (value.size() >= 2 && ((value.startsWith(u'"') && value.endsWith(u'"'))
                              || (value.startsWith(u'\'') && value.endsWith(u'\''))))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

FileText decodeFile(QByteArray bytes)
{
    FileText d;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        d.utf8 = d.bom = true;
        bytes.remove(0, 3);
    } else {
        bool nonAscii = false;
        d.utf8 = isUtf8(bytes, &nonAscii) && nonAscii;
    }
    d.text = d.utf8 ? QString::fromUtf8(bytes) : Gbk::decode(bytes);
    return d;
}

QString readValue(const QString &path, const QString &section, const QString &key,
                  const QString &defaultValue)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return defaultValue;
    const FileText decoded = decodeFile(file.readAll());
    const QString &text = decoded.text;
    const bool utf8 = decoded.utf8;

    bool inSection = false;
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView raw : lines) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        return cutToBytes(stripQuotes(line.mid(eq + 1).trimmed().toString()), utf8);
    }
    return defaultValue;
}

QString readProfileString(const QString &section, const QString &key,
                          const QString &defaultValue, const QString &fileName)
{
    return readValue(ProgramPaths::programFolder() + fileName, section, key, defaultValue);
}

} // namespace Ini
