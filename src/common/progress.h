#pragma once
// Long work tells how far it got and learns whether the user asked it to stop. Core routines
// take a Progress and never draw anything: the windows hand in one that shows a progress
// dialog (after half a second, with the count and a wait cursor), the admin tool one that
// prints to stderr, tests one that records or stops half way. Work that can be stopped must
// leave nothing half-done when it is: it rolls back or writes no file.
//
//   Progress &p = ...;
//   p.start(QStringLiteral("正在放入购物车…"), keys.size());
//   for (...) { ...; if (!p.advance(done)) return cancelled(); }
#include <QString>
#include <QtGlobal>

class Progress {
public:
    virtual ~Progress() = default;

    // A new stretch of work: what it is and how many steps it has (0: not known).
    virtual void start(const QString &label, qint64 total) { Q_UNUSED(label) Q_UNUSED(total) }
    // done steps of the total are finished; false once the user asked to stop.
    virtual bool advance(qint64 done) { Q_UNUSED(done) return true; }
    // Whether advance() returning false is honoured: work that cannot be stopped (or that
    // could not undo what it did) turns this off, and a dialog then offers no cancel button.
    virtual void setCancellable(bool on) { Q_UNUSED(on) }

    // The progress that shows nothing and never stops anything.
    static Progress &none()
    {
        static Progress silent;
        return silent;
    }
};
