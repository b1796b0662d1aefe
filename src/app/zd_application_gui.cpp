#include "app/zd_application_gui.h"

#include "app/qt_prompter_gui.h"
#include "app/tdm_gui.h"
#include "common/guarded.h"
#include "common/toolkit_translation.h"

#include <QLocale>

ZdApplication::ZdApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    installIdentity();
    // Standard dialogs, buttons and tool tips speak Chinese like the rest of the program.
    ToolkitTranslation::install(this);
    // Dates and sizes in the file dialog, the calendar of date edits: the Chinese forms.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
}

void ZdApplication::installIdentity()
{
    setApplicationName(QStringLiteral("zhengding"));
    setApplicationDisplayName(QString());
    setDesktopFileName(QStringLiteral("zhengding"));
    setWindowIcon(programIcon());
}

QIcon ZdApplication::programIcon()
{
    Q_INIT_RESOURCE(resources);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/appicon/zhengding-%1.png").arg(size), QSize(size, size));
    return icon;
}

bool ZdApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    QtPrompter fallback;
    guarded(DM ? DM->prompter() : static_cast<Prompter &>(fallback),
            [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
