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

const QString kBusy = Sql::failureSentence(Sql::Failure::Busy);
const QString kReadOnly = Sql::failureSentence(Sql::Failure::ReadOnly);
const QString kFull = Sql::failureSentence(Sql::Failure::DiskFull);

TEST(DatabaseFailures, SentencesSayWhatHappened)
{
    EXPECT_TRUE(kBusy.contains(QStringLiteral("正忙")));
    EXPECT_TRUE(kBusy.contains(QStringLiteral("再试")));
    EXPECT_TRUE(kReadOnly.contains(QStringLiteral("只读")));
    EXPECT_TRUE(kFull.contains(QStringLiteral("磁盘空间不足")));
    EXPECT_TRUE(Sql::failureSentence(Sql::Failure::Other).isEmpty());
}

// The engines' own words and codes, as their drivers hand them over.
TEST(DatabaseFailures, DriverTextsAreSorted)
{
    const struct {
        const char *engine;
        QString databaseText;
        QString driverText;
        QString code;
        Sql::Failure expected;
    } cases[] = {
        {"SQLite busy", QStringLiteral("database is locked"), QStringLiteral("Unable to fetch row"),
         QStringLiteral("5"), Sql::Failure::Busy},
        {"SQLite table lock", QStringLiteral("database table is locked"), QString(), QStringLiteral("6"),
         Sql::Failure::Busy},
        {"SQLite read-only", QStringLiteral("attempt to write a readonly database"),
         QStringLiteral("Unable to fetch row"), QStringLiteral("8"), Sql::Failure::ReadOnly},
        {"SQLite full", QStringLiteral("database or disk is full"), QStringLiteral("Unable to fetch row"),
         QStringLiteral("13"), Sql::Failure::DiskFull},
        {"Firebird lock conflict",
         QStringLiteral("lock conflict on no wait transaction\nacquire lock for relation (DEORDER) failed"),
         QStringLiteral("Unable to execute query"), QStringLiteral("335544345"), Sql::Failure::Busy},
        {"Firebird deadlock by code only", QStringLiteral("-913"), QString(), QStringLiteral("335544336"),
         Sql::Failure::Busy},
        {"Firebird update conflict",
         QStringLiteral("deadlock\nupdate conflicts with concurrent update\nconcurrent transaction number is 12"),
         QString(), QStringLiteral("335544336"), Sql::Failure::Busy},
        {"Firebird lock time-out", QStringLiteral("lock time-out on wait transaction"), QString(),
         QStringLiteral("335544510"), Sql::Failure::Busy},
        {"Firebird statement cancelled at the lock wait bound", QStringLiteral("operation was cancelled"),
         QStringLiteral("Unable to execute query"), QStringLiteral("-901"), Sql::Failure::Busy},
        {"Firebird read-only", QStringLiteral("attempted update on read-only database"), QString(),
         QStringLiteral("335544361"), Sql::Failure::ReadOnly},
        {"Firebird disk full", QStringLiteral("I/O error during \"write\" operation for file \"/db/zd.fdb\"\n"
                                              "Error while trying to write to file\nNo space left on device"),
         QString(), QStringLiteral("335544344"), Sql::Failure::DiskFull},
        {"PostgreSQL serialization", QStringLiteral("ERROR: could not serialize access due to concurrent update;"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("40001"), Sql::Failure::Busy},
        {"PostgreSQL lock timeout by state only", QStringLiteral("ERROR: canceling statement"),
         QString(), QStringLiteral("55P03"), Sql::Failure::Busy},
        {"PostgreSQL deadlock", QStringLiteral("ERROR: deadlock detected"), QString(),
         QStringLiteral("40P01"), Sql::Failure::Busy},
        {"PostgreSQL read-only transaction",
         QStringLiteral("ERROR: cannot execute INSERT in a read-only transaction"), QString(),
         QStringLiteral("25006"), Sql::Failure::ReadOnly},
        {"PostgreSQL disk full", QStringLiteral("ERROR: could not extend file \"base/16384/16385\""), QString(),
         QStringLiteral("53100"), Sql::Failure::DiskFull},
        {"ODBC states in a list", QStringLiteral("some driver text"), QString(), QStringLiteral("01000;40001"),
         Sql::Failure::Busy},
        // Failures the user cannot mend by waiting or freeing space keep their own words only.
        {"SQLite missing table", QStringLiteral("no such table: deorder"), QStringLiteral("Parameter count mismatch"),
         QStringLiteral("1"), Sql::Failure::Other},
        {"SQLite unique", QStringLiteral("UNIQUE constraint failed: parameter.pname"), QString(),
         QStringLiteral("19"), Sql::Failure::Other},
        {"Firebird wrong password",
         QStringLiteral("Your user name and password are not defined."), QString(), QStringLiteral("335544472"),
         Sql::Failure::Other},
        {"a code that merely starts like a state", QStringLiteral("syntax error"), QString(),
         QStringLiteral("400011"), Sql::Failure::Other},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.engine);
        const QSqlError error(c.driverText, c.databaseText, QSqlError::StatementError, c.code);
        EXPECT_EQ(Sql::failureOf(error), c.expected);
        const QString text = Sql::errorText(error);
        const QString sentence = Sql::failureSentence(c.expected);
        if (sentence.isEmpty()) {
            for (const QString &s : {kBusy, kReadOnly, kFull})
                EXPECT_FALSE(text.contains(s)) << text.toStdString();
        } else {
            EXPECT_TRUE(text.startsWith(sentence + u'\n')) << text.toStdString();
        }
        // The engine's own words stay in the text.
        EXPECT_TRUE(text.contains(c.databaseText.trimmed())) << text.toStdString();
    }
    EXPECT_EQ(Sql::failureOf(QSqlError()), Sql::Failure::Other);
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
