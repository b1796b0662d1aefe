#include "common/gbk_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {

QByteArray encode(const QString &text)
{
    QStringEncoder encoder("GB18030");
    QByteArray out = encoder.encode(text);
    if (encoder.hasError()) {
        // Unpaired surrogates cannot be encoded; fall back to UTF-8 rather than lose text.
        return text.toUtf8();
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

} // namespace Gbk
