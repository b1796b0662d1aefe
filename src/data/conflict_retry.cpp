#include "data/conflict_retry.h"

#include "data/engine_error.h"
#include "data/sql_helper.h"

#include <QHash>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>

namespace Sql {
namespace {

std::atomic<int> g_retries{0};

// Per connection: the contended rows (by name) of its current owner run.
QHash<QString, QList<QPair<QString, RowLock>>> &contended()
{
    static QHash<QString, QList<QPair<QString, RowLock>>> map;
    return map;
}

} // namespace

bool isConflict(const QSqlError &error)
{
    return EngineError::kindOf(error) == EngineError::Kind::Conflict;
}

bool isConflict(const AppError &error)
{
    if (dynamic_cast<const ConflictGaveUpError *>(&error))
        return false;
    return dynamic_cast<const ConflictError *>(&error) != nullptr
           || isConflict(QSqlError(QString(), error.text(), QSqlError::UnknownError));
}

QString conflictGiveUpText(const QString &databaseText)
{
    // The database's words without the general busy sentence, which this one replaces.
    QString detail = databaseText;
    const QString busy = failureSentence(EngineError::Kind::Busy);
    if (detail.startsWith(busy))
        detail = detail.mid(busy.size()).trimmed();
    return QStringLiteral("数据库正忙：其他工作站同时在修改同样的数据，已经重试 %1 次仍未成功，"
                          "本次操作没有保存任何内容，请稍后再试。")
               .arg(conflictAttempts)
           + u'\n' + detail;
}

void pauseBeforeRetry(int attempt)
{
    const int ceiling = 20 * (1 << qBound(0, attempt - 2, 6));   // 20 ms … 1280 ms
    QThread::msleep(5 + QRandomGenerator::global()->bounded(ceiling));
}

void lockFirstWhenRunAgain(const QSqlDatabase &db, const QString &row, const RowLock &lock)
{
    auto &rows = contended()[db.connectionName()];
    for (const auto &r : rows)
        if (r.first == row)
            return;
    rows.append({row, lock});
}

namespace Detail {

QList<RowLock> rowsToLockFirst(const QSqlDatabase &db)
{
    QList<RowLock> out;
    for (const auto &r : contended().value(db.connectionName()))
        out << r.second;
    return out;
}

void forgetRowsToLockFirst(const QSqlDatabase &db)
{
    contended().remove(db.connectionName());
}

void waitForRows(const QSqlDatabase &db, const QList<RowLock> &rows)
{
    try {
        Transaction wait(db);
        for (const RowLock &lock : rows)
            lock(db);
        wait.rollback();
    } catch (const AppError &) {
        // Another desk had the row and has let go of it: that is all this waited for.
    }
}

} // namespace Detail

int conflictRetries()
{
    return g_retries.load();
}

void noteConflictRetry()
{
    ++g_retries;
}

} // namespace Sql
