#pragma once
// How long one desk waits for a row or a database another desk holds, the same on every
// engine: SQLite's busy timeout, PostgreSQL's lock_timeout (set as the connection opens) and,
// on Firebird, a watch that cancels a statement still waiting when the bound has passed
// (Qt's Firebird driver starts its transactions without parameters, so the transaction's own
// lock timeout cannot be given there). Past the bound the statement fails with the busy
// error (BusyError), which the windows turn into "数据库正被其他工作站使用。是否重试？".
#include <QSqlDatabase>
#include <QString>

#include <cstdint>

namespace Sql {

inline constexpr int LockWaitLimitMs = 10000;

// Bounds one statement (its execution, or the fetch in which Firebird locks a row) on db to
// LockWaitLimitMs: on Firebird a statement still running then is cancelled, and fails with
// "operation was cancelled", which EngineError::kindOf() reads as Kind::Busy. Does nothing on the
// other engines, whose own timeouts bound the wait.
class LockWaitBound {
public:
    // needed false: nothing is watched (a statement that cannot wait for a lock).
    explicit LockWaitBound(const QSqlDatabase &db, bool needed = true);
    ~LockWaitBound();
    LockWaitBound(const LockWaitBound &) = delete;
    LockWaitBound &operator=(const LockWaitBound &) = delete;

private:
    std::uint64_t m_ticket = 0;   // 0: nothing watched
};

// Whether the statement can wait for another desk's lock: anything but a plain select (a
// multi-version engine reads without waiting), so a long read is never cut off as a wait.
bool mayWaitForLock(const QString &statement);

} // namespace Sql
