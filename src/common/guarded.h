#pragma once
// The edge of every slot, event handler and command that can fail: no exception may cross a
// Qt frame. guarded() runs the work and shows an AppError (or any other exception) through the
// Prompter in the standard error box, then the program goes on.
//
//   connect(button, &QPushButton::clicked, this, [this] {
//       guarded(m_prompter, [&] { exportList(); });
//   });
//
// An action that writes the database runs under guardedRetry() (or retryWhileBusy() where the
// window reports failures itself): when another desk holds the database, the user is asked
// whether to try again, and "重试" runs the whole action again.
#include "common/app_error.h"
#include "common/prompter.h"
#include "common/wait_notice.h"

#include <QCoreApplication>
#include <QString>
#include <QVariant>
#include <exception>
#include <utility>

// The caption of an error box: the application's title, as the standard error box shows it.
inline QString errorCaption()
{
    const QCoreApplication *app = QCoreApplication::instance();
    const QString title = app ? app->property("appTitle").toString() : QString();
    return title.isEmpty() ? QStringLiteral("征订") : title;
}

// The standard error box: error icon, OK, the application's title as caption.
inline void showErrorBox(Prompter &prompter, const QString &text)
{
    prompter.message(text, errorCaption(), MsgFlags::Error);
}

// The text an exception shows the user.
inline QString errorText(const std::exception &e)
{
    if (const auto *app = dynamic_cast<const AppError *>(&e))
        return app->text();
    return QString::fromLocal8Bit(e.what());
}

// Runs work; returns true when it ended without an exception, false after the error was shown.
template <typename Work>
bool guarded(Prompter &prompter, Work &&work) noexcept
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const std::exception &e) {
        try {
            showErrorBox(prompter, errorText(e));
        } catch (...) {
            // Showing failed as well: nothing more can be told.
        }
    } catch (...) {
        try {
            showErrorBox(prompter, QStringLiteral("未知错误"));
        } catch (...) {
        }
    }
    return false;
}

// The question asked when a change found the database held by another desk.
inline QString busyRetryQuestion(const BusyError &e)
{
    return QStringLiteral("数据库正被其他工作站使用。是否重试？\n\n") + e.text();
}

// Runs work; when it fails with BusyError, asks the user (Retry/Cancel) and runs the whole work
// again on "重试". Work must be a whole transaction, so that a failed run left nothing half-done.
// On "取消" the BusyError goes on to the caller, who reports it as any other failure.
// While the work runs, the wait notice is up (WaitNotice); it is down while the user is asked.
template <typename Work>
void retryWhileBusy(Prompter &prompter, Work &&work)
{
    for (;;) {
        try {
            const WaitNotice notice;
            work();
            return;
        } catch (const BusyError &e) {
            if (prompter.message(busyRetryQuestion(e), errorCaption(), MsgFlags::RetryCancel)
                != MsgResult::Retry)
                throw;
        }
    }
}

// guarded() for actions that write the database: a busy database offers to try again first.
template <typename Work>
bool guardedRetry(Prompter &prompter, Work &&work) noexcept
{
    return guarded(prompter, [&] { retryWhileBusy(prompter, work); });
}
