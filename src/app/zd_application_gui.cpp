#include "app/zd_application_gui.h"

#include "app/qt_prompter_gui.h"
#include "app/tdm_gui.h"
#include "common/guarded.h"

ZdApplication::ZdApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("zhengding"));
    setApplicationDisplayName(QString());
}

bool ZdApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    QtPrompter fallback;
    guarded(DM ? DM->prompter() : static_cast<Prompter &>(fallback),
            [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
