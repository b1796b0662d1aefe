#include "app/window_memory_gui.h"

#include "common/user_settings.h"

#include <QMainWindow>
#include <QSettings>

namespace WindowMemory {
namespace {
QString key(const QMainWindow &window, const char *what)
{
    return QStringLiteral("Windows/%1.%2").arg(window.objectName(), QLatin1String(what));
}
} // namespace

bool restore(QMainWindow &window)
{
    const auto settings = UserSettings::open();
    if (!settings)
        return false;
    const QByteArray geometry = settings->value(key(window, "geometry")).toByteArray();
    if (geometry.isEmpty() || !window.restoreGeometry(geometry))
        return false;
    window.restoreState(settings->value(key(window, "state")).toByteArray());
    return true;
}

void save(const QMainWindow &window)
{
    const auto settings = UserSettings::open();
    if (!settings)
        return;
    settings->setValue(key(window, "geometry"), window.saveGeometry());
    settings->setValue(key(window, "state"), window.saveState());
}

} // namespace WindowMemory
