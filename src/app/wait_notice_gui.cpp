#include "app/wait_notice_gui.h"

#include "common/wait_notice.h"
#include "data/lock_wait.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace WaitNoticeGui {
namespace {

void show(bool up)
{
    if (up)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *main = qobject_cast<QMainWindow *>(w);
        if (!main || !main->statusBar())
            continue;
        if (up)
            main->statusBar()->showMessage(WaitNotice::text(Sql::LockWaitLimitMs / 1000));
        else
            main->statusBar()->clearMessage();
        if (main->isVisible())
            main->statusBar()->repaint();   // now: no event is handled until the change is done
    }
}

} // namespace

void install()
{
    WaitNotice::install(show);
}

void uninstall()
{
    WaitNotice::install({});
}

} // namespace WaitNoticeGui
