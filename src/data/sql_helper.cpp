#include "data/sql_helper.h"

#include "common/app_error.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>

namespace Sql {
namespace {

QHash<QString, int> &depths()
{
    static QHash<QString, int> map;
    return map;
}

void run(const QSqlDatabase &db, const QString &text)
{
    QSqlQuery q(db);
    if (!q.exec(text))
        throw AppError(errorText(q));
}

} // namespace

Engine engineOf(const QSqlDatabase &db)
{
    const QString driver = db.driverName();
    if (driver == u"QSQLITE")
        return Engine::Sqlite;
    if (driver == u"QIBASE")
        return Engine::Firebird;
    if (driver == u"QODBC")
        return Engine::Odbc;
    return Engine::Other;
}

QString errorText(const QSqlError &e)
{
    QString text = e.databaseText();
    if (text.isEmpty())
        text = e.text();
    if (!e.driverText().isEmpty() && !text.contains(e.driverText()))
        text = e.driverText() + u' ' + text;
    return text.trimmed();
}

QString errorText(const QSqlQuery &query)
{
    return errorText(query.lastError());
}

QString errorText(const QSqlDatabase &db)
{
    return errorText(db.lastError());
}

QSqlQuery exec(const QSqlDatabase &db, const QString &text, const QVariantList &values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(text))
        throw AppError(errorText(q));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw AppError(errorText(q));
    return q;
}

QSqlQuery execNamed(const QSqlDatabase &db, const QString &text,
                    const QList<QPair<QString, QVariant>> &values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(text))
        throw AppError(errorText(q));
    for (const auto &[name, value] : values)
        q.bindValue(name.startsWith(u':') ? name : u':' + name, value);
    if (!q.exec())
        throw AppError(errorText(q));
    return q;
}

QVariant scalar(const QSqlDatabase &db, const QString &text, const QVariantList &values)
{
    QSqlQuery q = exec(db, text, values);
    return q.next() ? q.value(0) : QVariant();
}

int transactionDepth(const QSqlDatabase &db)
{
    return depths().value(db.connectionName(), 0);
}

Transaction::Transaction(const QSqlDatabase &db) : m_db(db)
{
    int &depth = depths()[db.connectionName()];
    if (depth == 0) {
        if (engineOf(db) == Engine::Sqlite) {
            // Take the write lock at once: a busy database is waited for, not half-used.
            run(db, QStringLiteral("BEGIN IMMEDIATE"));
        } else if (!m_db.transaction()) {
            throw AppError(errorText(m_db));
        }
    } else {
        m_level = depth + 1;
        run(db, QStringLiteral("SAVEPOINT ") + savepointName());
    }
    ++depth;
    m_level = depth;
    m_active = true;
}

Transaction::~Transaction()
{
    if (m_active) {
        try {
            rollback();
        } catch (...) {
            // A destructor must not throw; the connection reports the next failure itself.
        }
    }
}

QString Transaction::savepointName() const
{
    return QStringLiteral("zd_sp%1").arg(m_level);
}

void Transaction::close()
{
    m_active = false;
    --depths()[m_db.connectionName()];
}

void Transaction::commit()
{
    if (!m_active)
        return;
    QString failure;
    if (m_level == 1) {
        if (engineOf(m_db) == Engine::Sqlite) {
            QSqlQuery q(m_db);
            if (!q.exec(QStringLiteral("COMMIT")))
                failure = errorText(q);
        } else if (!m_db.commit()) {
            failure = errorText(m_db);
        }
    } else {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("RELEASE SAVEPOINT ") + savepointName()))
            failure = errorText(q);
    }
    if (failure.isEmpty()) {
        close();
        return;
    }
    // A COMMIT that failed (a busy database, a deferred constraint) may leave the transaction
    // open: undo it, so nothing stays half-done and the connection takes the next call.
    try {
        rollback();
    } catch (const AppError &) {
        // The scope is closed all the same; the commit's own error is what the caller needs.
    }
    throw AppError(failure);
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    close();
    if (m_level == 1) {
        if (engineOf(m_db) == Engine::Sqlite)
            run(m_db, QStringLiteral("ROLLBACK"));
        else if (!m_db.rollback())
            throw AppError(errorText(m_db));
    } else {
        // Undo the scope's work, then drop the savepoint so the outer scope goes on.
        run(m_db, QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepointName());
        run(m_db, QStringLiteral("RELEASE SAVEPOINT ") + savepointName());
    }
}

} // namespace Sql
