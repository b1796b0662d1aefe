#pragma once
// Several desks on one database: on the multi-version engines (Firebird, PostgreSQL) two
// transactions that change the same row can end in an update conflict, a deadlock or a
// serialization failure. Such a transaction cannot go on; run again from its start it
// usually succeeds. The level that owns the outermost transaction runs it again, a bounded
// number of times; inner levels let the conflict pass up to it.
#include "common/app_error.h"
#include "data/sql_helper.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QList>
#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

namespace Sql {

// A transaction lost a race with another desk and must be run again from its start.
class ConflictError : public AppError {
public:
    using AppError::AppError;
};

// Every attempt lost: the text says so in the user's words. It is no conflict any more, so
// no level above runs the work again.
class ConflictGaveUpError : public AppError {
public:
    using AppError::AppError;
};

// Whether a database error means "another transaction changed the same data first"
// (EngineError::Kind::Conflict): Firebird's update conflict and deadlock, PostgreSQL's
// serialization failure and deadlock.
bool isConflict(const QSqlError &error);
// The same for an error that has already become an AppError (its text holds the words).
bool isConflict(const AppError &error);

// How many times a whole transaction is run at most before the conflict reaches the user.
constexpr int conflictAttempts = 12;

// The user's text when every attempt lost: a Chinese sentence, then the database's words.
QString conflictGiveUpText(const QString &databaseText);

// Waits a little before attempt number `attempt` (2, 3, …): a random, growing pause, so that
// desks that collided do not collide again in step.
void pauseBeforeRetry(int attempt);

// Conflicts retried in this process so far (for tests and benchmarks).
int conflictRetries();
void noteConflictRetry();

// A row that a transaction lost a race for. When the owner runs its transaction again, it
// first waits until the row is free (a short transaction that locks it and lets go), then
// begins its transaction and locks the row before anything else, so that the window in which
// another desk can take it first is as short as it can be. Called by the routine that lost
// the race, before it throws its ConflictError; forgotten when the owner's run ends.
using RowLock = std::function<void(const QSqlDatabase &)>;
void lockFirstWhenRunAgain(const QSqlDatabase &db, const QString &row, const RowLock &lock);

namespace Detail {
// The rows to lock first for db's current owner run; empty when none was contended.
QList<RowLock> rowsToLockFirst(const QSqlDatabase &db);
void forgetRowsToLockFirst(const QSqlDatabase &db);
// Waits for the rows to be free, in a transaction of its own that changes nothing.
void waitForRows(const QSqlDatabase &db, const QList<RowLock> &rows);
} // namespace Detail

// Runs work, which opens and commits its own transaction on db. When no transaction is open
// on db, work owns the outermost one: a conflict makes it run again (its transaction has been
// rolled back by then), up to conflictAttempts times, and then a ConflictGaveUpError with
// conflictGiveUpText() is thrown. Inside a caller's transaction work runs once and a conflict
// passes to the caller, which owns the whole transaction. Other errors pass unchanged.
template <class Work>
auto retryOnConflict(const QSqlDatabase &db, Work &&work) -> decltype(work());

template <class Work>
auto retryOnConflict(const QSqlDatabase &db, Work &&work) -> decltype(work())
{
    using Result = decltype(work());
    if (transactionDepth(db) > 0)
        return work();
    // Rows contended before (in a transaction someone else owned) are not this run's; those
    // of this run are forgotten however it ends.
    Detail::forgetRowsToLockFirst(db);
    struct Forget {
        const QSqlDatabase &db;
        ~Forget() { Detail::forgetRowsToLockFirst(db); }
    } forget{db};
    for (int attempt = 1;; ++attempt) {
        try {
            const QList<RowLock> rows = Detail::rowsToLockFirst(db);
            if (rows.isEmpty())
                return work();
            // Run again: the contended rows first, then the work inside the same transaction.
            Detail::waitForRows(db, rows);
            Transaction transaction(db);
            for (const RowLock &lock : rows)
                lock(db);
            if constexpr (std::is_void_v<Result>) {
                work();
                transaction.commit();
                return;
            } else {
                Result result = work();
                transaction.commit();
                return result;
            }
        } catch (const AppError &e) {
            if (!isConflict(e))
                throw;
            if (attempt >= conflictAttempts)
                throw ConflictGaveUpError(conflictGiveUpText(e.text()));
        }
        noteConflictRetry();
        pauseBeforeRetry(attempt + 1);
    }
}

} // namespace Sql
