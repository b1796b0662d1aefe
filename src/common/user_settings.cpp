#include "common/user_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace UserSettings {
namespace {

bool &enabledFlag()
{
    static bool on = false;
    return on;
}

// A dialog's caption as one settings key: QSettings reads "/" and "\" as group separators.
QString folderKey(const QString &dialogKey)
{
    QString key = dialogKey;
    key.replace(u'/', u'_');
    key.replace(u'\\', u'_');
    return QStringLiteral("SaveFolders/") + key;
}

} // namespace

void setEnabled(bool on)
{
    enabledFlag() = on;
}

bool isEnabled()
{
    return enabledFlag();
}

QString filePath()
{
    // The same file for the program and its tools, whatever the running program is called.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/zhengding/zhengding.ini");
}

std::unique_ptr<QSettings> open()
{
    if (!isEnabled())
        return nullptr;
    return std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
}

QString rememberedFolder(const QString &dialogKey)
{
    const auto settings = open();
    if (!settings)
        return {};
    const QString folder = settings->value(folderKey(dialogKey)).toString();
    // A folder removed since is no help to the dialog.
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void rememberFolder(const QString &dialogKey, const QString &chosenFile)
{
    const auto settings = open();
    if (!settings || chosenFile.isEmpty())
        return;
    settings->setValue(folderKey(dialogKey), QFileInfo(chosenFile).absolutePath());
}

} // namespace UserSettings
