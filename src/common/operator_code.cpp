#include "common/operator_code.h"

#include "common/ini_reader.h"

#include <QCryptographicHash>
#include <QtGlobal>

#include <pwd.h>
#include <unistd.h>

namespace OperatorCode {
namespace {

QString safeCharacters(const QString &code)
{
    QString out = code;
    for (QChar &c : out)
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    return out;
}

QString shortened(const QString &code)
{
    if (code.size() <= MaxLength)
        return code;
    const QByteArray hash = QCryptographicHash::hash(code.toUtf8(), QCryptographicHash::Sha1);
    const QString tail = u'~' + QString::fromLatin1(hash.left(4).toHex());
    QString head = code.left(MaxLength - tail.size());
    if (head.back().isHighSurrogate())   // never half a character
        head.chop(1);
    return head + tail;
}

} // namespace

QString resolve(const QString &configured, const QString &login)
{
    QString code = configured.trimmed();
    if (code.isEmpty())
        code = login.trimmed();
    return shortened(safeCharacters(code));
}

QString loginName()
{
    for (const char *variable : {"LOGNAME", "USER"}) {
        const QString value = qEnvironmentVariable(variable).trimmed();
        if (!value.isEmpty())
            return value;
    }
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QString();
}

QString current()
{
    return resolve(Ini::readProfileString(QStringLiteral("All"), QStringLiteral("sUserName")), loginName());
}

} // namespace OperatorCode
