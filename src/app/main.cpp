// Start-up: splash, data module with the connection, main window, message loop.
#include "app/accessible_names_gui.h"
#include "app/form_catalog_gui.h"
#include "app/main_window.h"
#include "app/qt_prompter_gui.h"
#include "app/start_window.h"
#include "app/tdm_gui.h"
#include "app/zd_application_gui.h"
#include "grid/chinese_font_gui.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    bool splashWait = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-splash") == 0)
            splashWait = false;
    }

    ZdApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);  // the tool-bar pictures live in the static ui library
    ChineseFont::applyToApplication();
    AccessibleNames::install();
    FormCatalog::registerAll();

    {
        // The data module and its prompter come after the splash; the splash tells through its own.
        QtPrompter startPrompter;
        auto splash = std::make_unique<TFrmStart>(startPrompter);
        splash->showAndPaint();
        if (splashWait) {
            // The splash stays for 2 s; the wait deliberately handles no events.
            QElapsedTimer shown;
            shown.start();
            while (shown.elapsed() <= 2000)
                QThread::msleep(10);
        }
    }
    if (splashWait)
        QThread::msleep(200);

    DM = new TDM(std::make_unique<QtPrompter>());
    if (!DM->create()) {
        delete DM;
        return 1;
    }

    int rc = 0;
    {
        TFrmMain main(DM->prompter(), DM->sUserName);
        // Without a window manager "maximised" means nothing: take the screen's area too.
        if (QScreen *screen = QGuiApplication::primaryScreen())
            main.setGeometry(screen->availableGeometry());
        main.showMaximized();
        rc = ZdApplication::exec();
    }
    delete DM;
    return rc;
}
