#include "common/app_settings.h"

#include "common/ini_reader.h"

namespace AppSettings {

int defaultOrderQuantity()
{
    bool ok = false;
    const int value = Ini::readProfileString(QStringLiteral("ALL"), QStringLiteral("dgsl")).trimmed().toInt(&ok);
    return (!ok || value < 0) ? 10 : value;
}

bool showDetail(const QString &windowSection)
{
    QString value = Ini::readProfileString(windowSection, QStringLiteral("ShowDetailYoN"));
    if (value.isEmpty())
        value = Ini::readProfileString(QStringLiteral("ALL"), QStringLiteral("ShowDetailYoN"), QStringLiteral("N"));
    return value == u"Y";
}

} // namespace AppSettings
