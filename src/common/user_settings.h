#pragma once
// What the program remembers for the user between runs: grid layouts, the main window's
// geometry and the last folder of each save dialog. It lives in the user's configuration
// folder ($XDG_CONFIG_HOME/zhengding/zhengding.ini, normally ~/.config/zhengding/), never in
// the program's own syscfg.dbm.
//
// Remembering is off until the program switches it on (tests switch it on where they test
// it), so a library user that never asks for it reads and writes nothing.
#include <QString>
#include <memory>

class QSettings;

namespace UserSettings {

void setEnabled(bool on);
bool isEnabled();

// The settings file (whether remembering is on or not).
QString filePath();
// The file as QSettings; nullptr while remembering is off.
std::unique_ptr<QSettings> open();

// The folder the save dialog named dialogKey chose last, or empty.
QString rememberedFolder(const QString &dialogKey);
// Remembers the folder of chosenFile for the save dialog named dialogKey.
void rememberFolder(const QString &dialogKey, const QString &chosenFile);

} // namespace UserSettings
