#pragma once
// Executes statements with bound values and reports the database's own error text; nests
// transactions (the outermost one is a real transaction, inner ones are savepoints), so a
// routine that opens its own transaction commits or rolls back with its caller's.
#include "data/engine_error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

namespace SqliteDesks {
class WriteTurn;
}

namespace Sql {

enum class Engine { Sqlite, Firebird, Odbc, Other };
Engine engineOf(const QSqlDatabase &db);

// Prepares text, binds values by position ("?") and executes it. Throws AppError with the
// database's error text when it fails. The returned query is positioned before the first row.
QSqlQuery exec(const QSqlDatabase &db, const QString &text, const QVariantList &values = {});
// Same with named placeholders (":name").
QSqlQuery execNamed(const QSqlDatabase &db, const QString &text,
                    const QList<QPair<QString, QVariant>> &values);
// One statement prepared once and run many times with different values, for loops over many
// rows: each run() costs the binding and the execution only. Throws as exec() does.
class Repeated {
public:
    Repeated(const QSqlDatabase &db, const QString &text);
    // Runs the statement with values bound by position; returns the rows it changed.
    int run(const QVariantList &values);

private:
    QSqlDatabase m_db;
    QSqlQuery m_query;
    bool m_mayWait = true;
};

// First column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase &db, const QString &text, const QVariantList &values = {});

// The user's text for a failed database action: the database's own words, led by the
// driver's where they add something. Every place that reports a database error uses these.
// A failure the user can do something about (a busy database, one that cannot be written, a
// full disk) is led by a Chinese sentence that says what happened and what to do.
QString errorText(const QSqlError &error);
QString errorText(const QSqlQuery &query);
QString errorText(const QSqlDatabase &db);

// Throws the error as BusyError when another desk holds the database or won a race for it,
// else as AppError; the text is errorText(error).
[[noreturn]] void raise(const QSqlError &error);

// The sentence that leads errorText() for an error of that kind (EngineError::kindOf): a busy
// database (a lost race too), one that cannot be written, a full disk; empty for the others.
QString failureSentence(EngineError::Kind kind);

// Current nesting depth of transactions on the connection (0: none open).
int transactionDepth(const QSqlDatabase &db);

// How long a write on an SQLite connection waits for another desk before it gives up with
// BusyError: the connection's busy timeout (10 s as Connection opens it), in milliseconds.
int busyWaitLimit(const QSqlDatabase &db);

// A transaction scope. Depth 0 begins a transaction; deeper scopes take a savepoint.
// On SQLite the outermost scope first waits for this desk's turn to write (SqliteDesks), then
// takes the write lock at once (BEGIN IMMEDIATE); the turn goes back when the scope ends. The
// waits together last at most busyWaitLimit(); one that runs out throws BusyError.
// A scope that is destroyed without commit() rolls back (to its savepoint).
// A scope is finished only when its COMMIT (or RELEASE) succeeded: when it fails, the scope's
// work is rolled back, the scope is closed and commit() throws AppError, so the connection is
// left with no half-open transaction and the next call on it works.
class Transaction {
public:
    explicit Transaction(const QSqlDatabase &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();
    void rollback();
    bool isActive() const { return m_active; }

private:
    QSqlDatabase m_db;
    std::unique_ptr<SqliteDesks::WriteTurn> m_turn;   // the outermost SQLite scope's turn
    int m_level = 0;      // 1 for the outermost scope
    bool m_active = false;
    QString savepointName() const;
    void close();   // the scope is over: it no longer counts in the connection's depth
    void beginSqlite();
};

} // namespace Sql
