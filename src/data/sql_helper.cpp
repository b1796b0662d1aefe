#include "data/sql_helper.h"

#include "common/app_error.h"
#include "data/lock_wait.h"
#include "data/sqlite_desks.h"

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
        raise(q.lastError());
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

QString failureSentence(EngineError::Kind kind)
{
    using EngineError::Kind;
    switch (kind) {
    case Kind::Conflict:
    case Kind::Busy:
        return QStringLiteral("数据库正忙：另一台电脑正在使用它，请稍后再试。");
    case Kind::ReadOnly:
        return QStringLiteral("数据库无法写入：数据库文件或它所在的文件夹是只读的，请检查权限。");
    case Kind::DiskFull:
        return QStringLiteral("磁盘空间不足：数据库无法写入，请腾出磁盘空间后再试。");
    case Kind::None:
    case Kind::DuplicateKey:
    case Kind::Other:
        break;
    }
    return {};
}

QString errorText(const QSqlError &e)
{
    QString text = e.databaseText();
    if (text.isEmpty())
        text = e.text();
    if (!e.driverText().isEmpty() && !text.contains(e.driverText()))
        text = e.driverText() + u' ' + text;
    text = text.trimmed();
    const QString sentence = failureSentence(EngineError::kindOf(e));
    return sentence.isEmpty() ? text : sentence + u'\n' + text;
}

void raise(const QSqlError &error)
{
    const EngineError::Kind kind = EngineError::kindOf(error);
    if (kind == EngineError::Kind::Busy || kind == EngineError::Kind::Conflict)
        throw BusyError(errorText(error));
    throw AppError(errorText(error));
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
        raise(q.lastError());
    for (const QVariant &v : values)
        q.addBindValue(v);
    const LockWaitBound bound(db, mayWaitForLock(text));
    if (!q.exec())
        raise(q.lastError());
    return q;
}

Repeated::Repeated(const QSqlDatabase &db, const QString &text)
    : m_db(db), m_query(db), m_mayWait(mayWaitForLock(text))
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(text))
        raise(m_query.lastError());
}

int Repeated::run(const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(int(i), values.at(i));
    const LockWaitBound bound(m_db, m_mayWait);
    if (!m_query.exec())
        raise(m_query.lastError());
    return m_query.numRowsAffected();
}

QSqlQuery execNamed(const QSqlDatabase &db, const QString &text,
                    const QList<QPair<QString, QVariant>> &values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(text))
        raise(q.lastError());
    for (const auto &[name, value] : values)
        q.bindValue(name.startsWith(u':') ? name : u':' + name, value);
    const LockWaitBound bound(db, mayWaitForLock(text));
    if (!q.exec())
        raise(q.lastError());
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

int busyWaitLimit(const QSqlDatabase &db)
{
    if (engineOf(db) != Engine::Sqlite)
        return 0;
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next())
        return q.value(0).toInt();
    return 0;
}

void Transaction::beginSqlite()
{
    const int limit = busyWaitLimit(m_db);
    auto turn = std::make_unique<SqliteDesks::WriteTurn>();
    qint64 waited = 0;
    if (!turn->take(m_db.databaseName(), limit, &waited))
        throw BusyError(failureSentence(EngineError::Kind::Busy) + u'\n'
                        + QStringLiteral("等待 %1 秒后仍未轮到本工作站写入数据库。")
                              .arg(QString::number(limit / 1000.0, 'g', 3)));
    // Take the write lock at once: a busy database is waited for, not half-used. A desk that
    // does not queue for turns (another program) is waited for in what is left of the limit.
    const bool shorter = waited > 0 && limit > 0;
    if (shorter)
        run(m_db, QStringLiteral("PRAGMA busy_timeout=%1").arg(qMax<qint64>(1, limit - waited)));
    QSqlQuery q(m_db);
    const bool begun = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    const QSqlError error = q.lastError();
    q.finish();
    if (shorter)
        run(m_db, QStringLiteral("PRAGMA busy_timeout=%1").arg(limit));
    if (!begun)
        raise(error);
    m_turn = std::move(turn);
}

Transaction::Transaction(const QSqlDatabase &db) : m_db(db)
{
    int &depth = depths()[db.connectionName()];
    if (depth == 0) {
        if (engineOf(db) == Engine::Sqlite) {
            beginSqlite();
        } else if (!m_db.transaction()) {
            raise(m_db.lastError());
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
    QSqlError failure;
    if (m_level == 1) {
        if (engineOf(m_db) == Engine::Sqlite) {
            QSqlQuery q(m_db);
            if (!q.exec(QStringLiteral("COMMIT")))
                failure = q.lastError();
        } else if (!m_db.commit()) {
            failure = m_db.lastError();
        }
    } else {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("RELEASE SAVEPOINT ") + savepointName()))
            failure = q.lastError();
    }
    if (failure.type() == QSqlError::NoError) {
        close();
        m_turn.reset();
        return;
    }
    // A COMMIT that failed (a busy database, a deferred constraint) may leave the transaction
    // open: undo it, so nothing stays half-done and the connection takes the next call.
    try {
        rollback();
    } catch (const AppError &) {
        // The scope is closed all the same; the commit's own error is what the caller needs.
    }
    raise(failure);
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    close();
    if (m_level == 1) {
        // The turn goes back once the write lock is given up, whatever the rollback says.
        const std::unique_ptr<SqliteDesks::WriteTurn> turn = std::move(m_turn);
        if (engineOf(m_db) == Engine::Sqlite)
            run(m_db, QStringLiteral("ROLLBACK"));
        else if (!m_db.rollback())
            raise(m_db.lastError());
    } else {
        // Undo the scope's work, then drop the savepoint so the outer scope goes on.
        run(m_db, QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepointName());
        run(m_db, QStringLiteral("RELEASE SAVEPOINT ") + savepointName());
    }
}

} // namespace Sql
