#pragma once
// Hands one order mail to the desktop's mail composer through xdg-email, without blocking
// the window. xdg-email waits until the composer closes, so it is started detached (it goes
// on after the program ends) through a small shell wrapper that leaves its exit code in the
// spool folder; the hand-over watches that for its first seconds:
//
//   - xdg-email not found on PATH, or not startable: start() returns false, reason() says why;
//   - xdg-email exits with an error within the grace period (3: no mail program; 1: bad
//     argument …): finished(false, reason), the reason in Chinese; what xdg-email itself
//     said (English) is details();
//   - xdg-email exits with 0, or is still running when the grace period ends (the composer
//     is open): finished(true, {}).
//
// After a failure the spool folder is removed at once (no composer has it); after a
// successful hand-over it stays for the composer and goes with removeStaleSpoolFolders()
// at a later start. xdg-email runs with LANG=C.UTF-8 when the environment names no UTF-8
// locale, since it mangles Chinese otherwise.
#include "order/mail_request.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcessEnvironment>
#include <QTimer>

class MailHandOver : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        int graceMs = 2500;   // how long an early exit still counts as a failed hand-over
        int pollMs = 100;
    };

    MailHandOver(const MailRequest &request, const QString &spoolFolder, Settings settings,
                 QObject *parent = nullptr);

    // Starts xdg-email; false (and no finished signal) when it cannot be started.
    bool start();
    QString reason() const { return m_reason; }
    // After a failure: the launcher's own words (its error output), else empty.
    QString details() const { return m_details; }

    // The launcher's error output as the user may read it behind "详细信息": trimmed, and
    // only its end when it is very long.
    static QString launcherWords(const QString &log);
    // Why xdg-email's exit code means the mail was not handed over, in Chinese.
    static QString exitReason(int code);

    // The environment xdg-email runs in: unchanged when its character type is UTF-8, else
    // without LC_ALL and a non-UTF-8 LC_CTYPE, and with LANG=C.UTF-8 unless LANG is UTF-8.
    static QProcessEnvironment withUtf8Locale(QProcessEnvironment environment);

signals:
    // Emitted once, after a start() that returned true.
    void finished(bool handedOver, const QString &reason);

private:
    void poll();
    void fail(const QString &reason);

    MailRequest m_request;
    QString m_folder;
    Settings m_settings;
    QString m_reason;
    QString m_details;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_done = false;
};
