#include "common/html_text.h"

#include "common/gbk_codec.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace HtmlText {

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    static const QRegularExpression charsetRe(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_\\-]+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(2048));
    const QRegularExpressionMatch m = charsetRe.match(head);
    if (m.hasMatch()) {
        const QString name = m.captured(1).toLower();
        if (name == u"utf-8" || name == u"utf8")
            return QString::fromUtf8(bytes);
        if (name != u"gbk" && name != u"gb2312" && name != u"gb18030" && name != u"cp936") {
            QStringDecoder decoder(name.toLatin1().constData());
            if (decoder.isValid())
                return decoder.decode(bytes);
        }
    }
    return Gbk::decode(bytes);
}

bool load(const QString &path, QString *text)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *text = decode(f.readAll());
    return true;
}

} // namespace HtmlText
