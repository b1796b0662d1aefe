#pragma once
// What the program shows while a change to the database may have to wait for another desk.
// The wait happens inside the database call, in the window's own thread, for at most the lock
// wait bound (Sql::LockWaitLimitMs): the window cannot repaint during it, so the notice is put
// up, and painted, before the change starts and taken down when it ends. retryWhileBusy()
// holds a WaitNotice around every run of its work; the application installs how the notice is
// shown (the main window's status bar and the wait cursor). Nested notices show once.
#include <QString>

#include <functional>

class WaitNotice {
public:
    // shown(true) puts the notice up, shown(false) takes it down; none installed: nothing shows.
    using Show = std::function<void(bool)>;
    static void install(Show show);
    // The text the notice says, for a bound of that many seconds.
    static QString text(int seconds);
    // Whether a notice is up now.
    static bool isUp();

    WaitNotice();
    ~WaitNotice();
    WaitNotice(const WaitNotice &) = delete;
    WaitNotice &operator=(const WaitNotice &) = delete;

    // The notice is down while one lives (a question to the user in the middle of the work),
    // and up again afterwards if it was.
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause &) = delete;
        Pause &operator=(const Pause &) = delete;

    private:
        int m_depth;
    };
};
