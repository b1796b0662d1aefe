// A database failure the user can act on is told in a Chinese sentence before the engine's text.
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/lock_wait.h"
#include "data/sql_helper.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kBusy = Sql::failureSentence(EngineError::Kind::Busy);
const QString kReadOnly = Sql::failureSentence(EngineError::Kind::ReadOnly);
const QString kFull = Sql::failureSentence(EngineError::Kind::DiskFull);

TEST(DatabaseFailures, SentencesSayWhatHappened)
{
    EXPECT_TRUE(kBusy.contains(QStringLiteral("正忙")));
    EXPECT_TRUE(kBusy.contains(QStringLiteral("再试")));
    EXPECT_TRUE(kReadOnly.contains(QStringLiteral("只读")));
    EXPECT_TRUE(kFull.contains(QStringLiteral("磁盘空间不足")));
    EXPECT_TRUE(Sql::failureSentence(EngineError::Kind::Other).isEmpty());
}

// The same failures made for real on SQLite files.
class SqliteFailures : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    QStringList extraConnections;

    ~SqliteFailures() override
    {
        for (const QString &name : std::as_const(extraConnections)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
    QSqlDatabase second(const QString &name, const QString &options)
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        extraConnections << name;
        other.setDatabaseName(db.databaseName());
        other.setConnectOptions(options);
        EXPECT_TRUE(other.open()) << Sql::errorText(other).toStdString();
        return other;
    }
    static QString failureOf(const std::function<void()> &work)
    {
        try {
            work();
        } catch (const AppError &e) {
            return e.text();
        }
        return QStringLiteral("<no error>");
    }
};

TEST_F(SqliteFailures, ABusyDatabaseSaysTryAgain)
{
    QSqlDatabase holder = second(QStringLiteral("holder"), QString());
    Sql::exec(holder, QStringLiteral("BEGIN IMMEDIATE"));
    Sql::exec(holder, QStringLiteral("insert into parameter (userno,pname,pvalue) values ('0','held',1)"));
    Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=20"));
    const struct {
        const char *what;
        std::function<void()> work;
    } cases[] = {
        {"a statement", [&] { Sql::exec(db, QStringLiteral("insert into parameter (userno,pname,pvalue) values ('0','x',1)")); }},
        {"a transaction", [&] { Sql::Transaction tx(db); }},
    };
    for (const auto &c : cases) {
        const QString text = failureOf(c.work);
        EXPECT_TRUE(text.startsWith(kBusy + u'\n')) << c.what << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("database is locked"))) << c.what;
    }
    Sql::exec(holder, QStringLiteral("ROLLBACK"));
    EXPECT_EQ(Sql::transactionDepth(db), 0);
}

TEST_F(SqliteFailures, AReadOnlyDatabaseSaysItCannotBeWritten)
{
    // Root ignores file modes, so the database is opened read-only instead of made read-only.
    QSqlDatabase reader = second(QStringLiteral("reader"), QStringLiteral("QSQLITE_OPEN_READONLY"));
    EXPECT_EQ(Sql::scalar(reader, QStringLiteral("select count(*) from parameter")).toInt(), 0);
    const QString text = failureOf([&] {
        Sql::exec(reader, QStringLiteral("insert into parameter (userno,pname,pvalue) values ('0','x',1)"));
    });
    EXPECT_TRUE(text.startsWith(kReadOnly + u'\n')) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("readonly database"))) << text.toStdString();
}

TEST_F(SqliteFailures, AFullDatabaseSaysTheDiskIsFull)
{
    Sql::exec(db, QStringLiteral("create table filler (b blob)"));
    const int pages = Sql::scalar(db, QStringLiteral("PRAGMA page_count")).toInt();
    Sql::scalar(db, QStringLiteral("PRAGMA max_page_count=%1").arg(pages + 1));
    const QString text = failureOf([&] {
        Sql::exec(db, QStringLiteral("insert into filler (b) values (?)"), {QByteArray(100000, 'x')});
    });
    EXPECT_TRUE(text.startsWith(kFull + u'\n')) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("database or disk is full"))) << text.toStdString();
    // Nothing of the failed statement landed.
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from filler")).toInt(), 0);
}

// Only a statement that can wait for another desk's lock is bounded: a long plain read on
// Firebird is never cut off as if it had waited.
TEST(DatabaseFailures, OnlyStatementsThatCanWaitForALockAreBounded)
{
    const struct {
        const char *statement;
        bool bounded;
    } cases[] = {
        {"select * from qrydebooks order by sm", false},
        {"  SELECT count(*) from deorder", false},
        {"select pvalue from parameter where pname=? with lock", true},
        {"select pvalue from parameter where pname=? FOR UPDATE", true},
        {"update parameter set pvalue=pvalue+1 where pname=?", true},
        {"insert into deorder_mx select * from qrydeshopcart", true},
        {"delete from deshopcart where op=?", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Sql::mayWaitForLock(QString::fromLatin1(c.statement)), c.bounded) << c.statement;
}

} // namespace
