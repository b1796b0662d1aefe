#include "common/gbk_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {

namespace {
// An unpaired surrogate is no character at all and has no GB18030 form: it becomes U+FFFD,
// so the rest of the text still encodes as it should.
QString withoutLoneSurrogates(const QString &text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        if (c.isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            out[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}
} // namespace

QByteArray encode(const QString &text)
{
    QStringEncoder encoder("GB18030");
    QByteArray out = encoder.encode(text);
    if (encoder.hasError()) {
        QStringEncoder again("GB18030");
        out = again.encode(withoutLoneSurrogates(text));
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

} // namespace Gbk
