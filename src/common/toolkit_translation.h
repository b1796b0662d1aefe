#pragma once
// The toolkit's own texts in Chinese: the buttons, file and print dialogs, tool tips and
// command-line parser messages that Qt itself shows come from Qt's Simplified Chinese
// translation (qtbase_zh_CN.qm in the toolkit's translations folder, Debian package
// qt6-translations-l10n).
class QCoreApplication;

namespace ToolkitTranslation {

// Installs the translation into app once; false when the translation file is not there (the
// toolkit's texts then stay English).
bool install(QCoreApplication *app);

} // namespace ToolkitTranslation
