#pragma once
// The frame of the program: menus, tool bar, the child-window area and the status bar.
// Its commands open the working windows by name through the form registry.
#include "app/main_menu_config.h"

#include <QHash>
#include <QMainWindow>

class Prompter;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Command tags carried by the menu items.
    enum Command {
        CmdCategoryBrowse = 10,
        CmdPublisherBrowse = 11,
        CmdSearch = 12,
        CmdCart = 22,
        CmdOrderQuery = 23,
        CmdSettings = 24,
        CmdInfoPage3 = 101,
        CmdAbout = 402,
        CmdWelcome = 403,
        CmdExit = 999,
        CmdCascade = -1,
        CmdTile = -2,
        CmdToggleToolBar = -4,
    };

    TFrmMain(Prompter &prompter, const QString &userName, QWidget *parent = nullptr);
    ~TFrmMain() override;

    QMdiArea *mdiArea() const { return m_mdi; }
    QToolBar *toolBar() const { return m_toolBar; }

    // Runs the command of a menu tag; a tag without a command does nothing.
    void runCommand(int tag);
    // Opens the information window and shows page n.
    void showInfoPage(int page);
    void openWindow(const QString &name);
    // Opens the welcome (see app/welcome.h) beside the main window, without blocking it.
    void showWelcome();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *addMenuItem(QMenu *menu, const QString &name, const QString &caption, int tag);
    QToolButton *addToolButton(const QString &name, const QString &caption, const QString &icon);
    void buildMenus(const MainMenuConfig &config);
    void buildToolBar(const MainMenuConfig &config);
    void buildStatusBar(const QString &userName);
    void updateWindowCommands();
    void fillWindowMenu();
    void openCart();
    void showGuide() { showInfoPage(1); }
    void openSettings() { runCommand(CmdSettings); }
    void runCommandUnguarded(int tag);

    Prompter &m_prompter;
    QMdiArea *m_mdi = nullptr;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_windowMenu = nullptr;
    QAction *m_windowListStart = nullptr;
    QHash<QString, QAction *> m_actions;
};
