#pragma once
// The edge of every slot, event handler and command that can fail: no exception may cross a
// Qt frame. guarded() runs the work and shows an AppError (or any other exception) through the
// Prompter in the standard error box, then the program goes on.
//
//   connect(button, &QPushButton::clicked, this, [this] {
//       guarded(m_prompter, [&] { exportList(); });
//   });
#include "common/app_error.h"
#include "common/prompter.h"

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
