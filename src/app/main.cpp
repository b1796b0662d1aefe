// Start-up: the command line, then splash, data module with the connection, main window,
// message loop. The command line is read before any application object exists, so --help,
// --version and a refused option need no display.
#include "app/accessible_names_gui.h"
#include "app/form_catalog_gui.h"
#include "app/main_window.h"
#include "app/qt_prompter_gui.h"
#include "app/start_window.h"
#include "app/tdm_gui.h"
#include "app/user_tree_gui.h"
#include "app/welcome.h"
#include "app/window_memory_gui.h"
#include "app/zd_application_gui.h"
#include "common/user_settings.h"
#include "common/user_tree.h"
#include "grid/chinese_font_gui.h"
#include "order/mail_request.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QString>
#include <cstdio>
#include <memory>

#ifndef ZD_VERSION
#define ZD_VERSION "1.2"
#endif

namespace {

// Exit codes of the command line: 0 after --help or --version, 2 for a refused argument.
constexpr int UsageExit = 2;

const char *const HelpText =
    "用法：zhengding [选项]\n"
    "\n"
    "征订 (Zhengding)：学校和书店征订教材的桌面程序。配置读取程序目录中的 syscfg.dbm。\n"
    "\n"
    "选项：\n"
    "  --no-splash   不等待启动画面的 2 秒，直接打开主窗口，也不打开首次启动的欢迎窗口\n"
    "                （用于脚本和截图）。\n"
    "  -h, --help    显示本帮助后退出。\n"
    "  --version     显示版本后退出。\n"
    "\n"
    "工作目录：程序目录可写时（scripts/run.sh 建的树）直接在程序目录及其旁边的 init、html、\n"
    "bookimages 中工作；安装后的程序目录只读，每个用户首次启动时复制出自己的工作目录\n"
    "%1，以后都在那里工作。\n"
    "\n"
    "退出码：正常结束为 0，无法连接数据库或建立工作目录为 1，命令行有误为 2。\n";

void writeTo(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

struct CommandLine {
    enum Action { Run, Help, Version, Refused };
    Action action = Run;
    bool splashWait = true;
    QString refused;   // the argument that was refused
};

CommandLine parseCommandLine(int argc, char **argv)
{
    CommandLine cl;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--no-splash") {
            cl.splashWait = false;
        } else if (arg == u"--help" || arg == u"-h") {
            if (cl.action == CommandLine::Run)
                cl.action = CommandLine::Help;
        } else if (arg == u"--version") {
            if (cl.action == CommandLine::Run)
                cl.action = CommandLine::Version;
        } else {
            cl.action = CommandLine::Refused;
            cl.refused = arg;
            return cl;
        }
    }
    return cl;
}

} // namespace

int main(int argc, char **argv)
{
    const CommandLine cl = parseCommandLine(argc, argv);
    switch (cl.action) {
    case CommandLine::Help:
        writeTo(stdout, QString::fromUtf8(HelpText).arg(UserTree::defaultRoot()));
        return 0;
    case CommandLine::Version:
        writeTo(stdout, QStringLiteral("征订 %1\n").arg(QStringLiteral(ZD_VERSION)));
        return 0;
    case CommandLine::Refused:
        writeTo(stderr, (cl.refused.startsWith(u'-')
                             ? QStringLiteral("zhengding：未知选项 %1\n")
                             : QStringLiteral("zhengding：多余的参数 %1\n"))
                                .arg(cl.refused)
                            + QStringLiteral("用 zhengding --help 查看用法。\n"));
        return UsageExit;
    case CommandLine::Run:
        break;
    }
    const bool splashWait = cl.splashWait;

    ZdApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);  // the tool-bar pictures live in the static ui library
    ChineseFont::applyToApplication();
    AccessibleNames::install();
    FormCatalog::registerAll();
    {
        QtPrompter treePrompter;
        if (!UserTreeGui::prepare(treePrompter))
            return 1;
    }
    // Grid layouts, the main window's geometry and the save dialogs' folders are kept for the
    // user in ~/.config/zhengding/zhengding.ini.
    UserSettings::setEnabled(true);

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

    // Attachments of mails handed over a day or more ago: no composer reads them any more.
    OrderMail::removeStaleSpoolFolders();

    int rc = 0;
    {
        TFrmMain main(DM->prompter(), DM->sUserName);
        // A window left maximised opens maximised again, over the screen as it is now.
        if (WindowMemory::restore(main) && !(main.windowState() & Qt::WindowMaximized)) {
            main.show();
        } else {
            // Without a window manager "maximised" means nothing: take the screen's area too.
            if (QScreen *screen = QGuiApplication::primaryScreen())
                main.setGeometry(screen->availableGeometry());
            main.showMaximized();
        }
        // A user's first start opens the welcome beside the main window, once; a scripted
        // start (--no-splash) does not, and does not use it up.
        if (splashWait && Welcome::due()) {
            Welcome::markShown();
            QTimer::singleShot(0, &main, &TFrmMain::showWelcome);
        }
        rc = ZdApplication::exec();
        WindowMemory::save(main);
    }
    delete DM;
    return rc;
}
