// What a failed database action means, read from the drivers' errors of every engine: the
// engines' own words and codes as their drivers hand them over, and the same failures made
// for real on SQLite, Firebird embedded and PostgreSQL through ODBC.
#include "engines.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/conflict_retry.h"
#include "data/connection.h"
#include "data/engine_error.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

using Kind = EngineError::Kind;

const char *nameOf(Kind kind)
{
    switch (kind) {
    case Kind::None: return "None";
    case Kind::Conflict: return "Conflict";
    case Kind::Busy: return "Busy";
    case Kind::DiskFull: return "DiskFull";
    case Kind::ReadOnly: return "ReadOnly";
    case Kind::DuplicateKey: return "DuplicateKey";
    case Kind::Other: return "Other";
    }
    return "?";
}

} // namespace

namespace EngineError {
void PrintTo(Kind kind, std::ostream *os)
{
    *os << nameOf(kind);
}
} // namespace EngineError

namespace {

bool throwsBusy(const QSqlError &error)
{
    try {
        Sql::raise(error);
    } catch (const BusyError &) {
        return true;
    } catch (const AppError &) {
        return false;
    }
    return false;
}

// The engines' own words and codes, as their drivers hand them over. wordsAlone: the words
// tell the kind without the code (as they must once the error has become an AppError's text).
TEST(EngineError, DriverErrorsAreSorted)
{
    const struct {
        const char *driver;
        const char *what;
        QString databaseText;
        QString driverText;
        QString code;
        Kind kind;
        bool wordsAlone;
    } cases[] = {
        {"QSQLITE", "busy", QStringLiteral("database is locked"), QStringLiteral("Unable to fetch row"),
         QStringLiteral("5"), Kind::Busy, true},
        {"QSQLITE", "table lock", QStringLiteral("database table is locked"), QString(), QStringLiteral("6"),
         Kind::Busy, true},
        {"QSQLITE", "read-only", QStringLiteral("attempt to write a readonly database"),
         QStringLiteral("Unable to fetch row"), QStringLiteral("8"), Kind::ReadOnly, true},
        {"QSQLITE", "full", QStringLiteral("database or disk is full"), QStringLiteral("Unable to fetch row"),
         QStringLiteral("13"), Kind::DiskFull, true},
        {"QSQLITE", "unique", QStringLiteral("UNIQUE constraint failed: deorder.dhdh"),
         QStringLiteral("Unable to fetch row"), QStringLiteral("2067"), Kind::DuplicateKey, true},
        {"QSQLITE", "missing table", QStringLiteral("no such table: deorder"),
         QStringLiteral("Parameter count mismatch"), QStringLiteral("1"), Kind::Other, false},
        {"QSQLITE", "not null", QStringLiteral("NOT NULL constraint failed: deorder.dhdh"),
         QStringLiteral("Unable to fetch row"), QStringLiteral("1299"), Kind::Other, false},

        {"QIBASE", "update conflict",
         QStringLiteral("deadlock - update conflicts with concurrent update - concurrent transaction number is 10"),
         QStringLiteral("Unable to execute query"), QStringLiteral("-913"), Kind::Conflict, true},
        {"QIBASE", "lock conflict",
         QStringLiteral("lock conflict on no wait transaction\nacquire lock for relation (DEORDER) failed"),
         QStringLiteral("Unable to execute query"), QStringLiteral("335544345"), Kind::Conflict, true},
        {"QIBASE", "deadlock by SQLCODE only", QString(), QStringLiteral("Unable to execute query"),
         QStringLiteral("-913"), Kind::Conflict, false},
        {"QIBASE", "deadlock by ISC status only", QStringLiteral("-913"), QString(), QStringLiteral("335544336"),
         Kind::Conflict, false},
        {"QIBASE", "lock time-out", QStringLiteral("lock time-out on wait transaction"), QString(),
         QStringLiteral("335544510"), Kind::Busy, true},
        {"QIBASE", "statement cancelled at the lock wait bound", QStringLiteral("operation was cancelled"),
         QStringLiteral("Unable to execute query"), QStringLiteral("-901"), Kind::Busy, true},
        {"QIBASE", "cancelled by ISC status only", QString(), QString(), QStringLiteral("335544794"), Kind::Busy,
         false},
        {"QIBASE", "unique index",
         QStringLiteral("attempt to store duplicate value (visible to active transactions) in unique index "
                        "\"UX_DEORDER_DHDH\" - Problematic key value is (\"DHDH\" = 'N1')"),
         QStringLiteral("Unable to execute query"), QStringLiteral("-803"), Kind::DuplicateKey, true},
        {"QIBASE", "primary key",
         QStringLiteral("violation of PRIMARY or UNIQUE KEY constraint \"INTEG_4\" on table \"PARAMETER\""),
         QStringLiteral("Unable to execute query"), QStringLiteral("-803"), Kind::DuplicateKey, true},
        {"QIBASE", "unique by SQLCODE only", QString(), QString(), QStringLiteral("-803"), Kind::DuplicateKey,
         false},
        {"QIBASE", "read-only", QStringLiteral("attempted update on read-only database"), QString(),
         QStringLiteral("335544361"), Kind::ReadOnly, true},
        {"QIBASE", "disk full",
         QStringLiteral("I/O error during \"write\" operation for file \"/db/zd.fdb\"\n"
                        "Error while trying to write to file\nNo space left on device"),
         QString(), QStringLiteral("335544344"), Kind::DiskFull, true},
        {"QIBASE", "wrong password", QStringLiteral("Your user name and password are not defined."), QString(),
         QStringLiteral("335544472"), Kind::Other, false},

        // psqlodbc's native number is 1 for every server error: the words decide.
        {"QODBC", "PostgreSQL serialization",
         QStringLiteral("ERROR: could not serialize access due to concurrent update;\nError while executing the query"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("1"), Kind::Conflict, true},
        {"QODBC", "PostgreSQL deadlock", QStringLiteral("ERROR: deadlock detected;\nError while executing the query"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("1"), Kind::Conflict, true},
        {"QODBC", "PostgreSQL lock timeout",
         QStringLiteral("ERROR: canceling statement due to lock timeout;\nError while executing the query"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("1"), Kind::Busy, true},
        {"QODBC", "PostgreSQL unique",
         QStringLiteral("ERROR: duplicate key value violates unique constraint \"ux_deorder_dhdh\"\n"
                        "DETAIL: Key (dhdh)=(N1) already exists.;\nError while executing the query"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("1"), Kind::DuplicateKey, true},
        {"QODBC", "PostgreSQL read-only transaction",
         QStringLiteral("ERROR: cannot execute INSERT in a read-only transaction;\nError while executing the query"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("1"), Kind::ReadOnly, true},
        {"QODBC", "PostgreSQL disk full",
         QStringLiteral("ERROR: could not extend file \"base/16384/16385\": No space left on device"),
         QStringLiteral("QODBC: Unable to execute statement"), QStringLiteral("1"), Kind::DiskFull, true},
        // A driver that gives the SQLSTATEs (one a diagnostic record, separated by ';').
        {"SQLSTATE", "serialization by state only", QStringLiteral("something"), QString(),
         QStringLiteral("40001;HY000"), Kind::Conflict, false},
        {"SQLSTATE", "deadlock, the state second", QStringLiteral("some driver text"), QString(),
         QStringLiteral("01000;40P01"), Kind::Conflict, false},
        {"SQLSTATE", "lock timeout", QStringLiteral("ERROR: canceling statement"), QString(),
         QStringLiteral("55P03"), Kind::Busy, false},
        {"SQLSTATE", "unique", QString(), QString(), QStringLiteral("23505"), Kind::DuplicateKey, false},
        {"SQLSTATE", "read-only", QString(), QString(), QStringLiteral("25006"), Kind::ReadOnly, false},
        {"SQLSTATE", "disk full", QString(), QString(), QStringLiteral("53100"), Kind::DiskFull, false},
        {"QODBC", "SQLite ODBC driver busy", QStringLiteral("database is locked (5)"), QString(),
         QStringLiteral("5"), Kind::Busy, true},
        {"SQLSTATE", "a code that merely starts like a state", QStringLiteral("syntax error"), QString(),
         QStringLiteral("400011"), Kind::Other, false},
    };
    const QString busy = Sql::failureSentence(Kind::Busy);
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.driver) + ": " + c.what);
        const QSqlError error(c.driverText, c.databaseText, QSqlError::StatementError, c.code);
        EXPECT_EQ(EngineError::kindOf(error), c.kind);

        // What the user reads: the sentence for the kind, then the engine's own words.
        const QString text = Sql::errorText(error);
        const QString sentence = Sql::failureSentence(c.kind);
        if (sentence.isEmpty()) {
            for (const Kind k : {Kind::Busy, Kind::ReadOnly, Kind::DiskFull})
                EXPECT_FALSE(text.contains(Sql::failureSentence(k))) << text.toStdString();
        } else {
            EXPECT_TRUE(text.startsWith(sentence + u'\n')) << text.toStdString();
        }
        EXPECT_TRUE(text.contains(c.databaseText.trimmed())) << text.toStdString();
        EXPECT_EQ(sentence == busy && !busy.isEmpty(), c.kind == Kind::Busy || c.kind == Kind::Conflict);

        // Who acts on it: a busy database or a lost race may be tried again as a whole; a lost
        // race is run again by the owner of the transaction, also from the AppError's text.
        EXPECT_EQ(throwsBusy(error), c.kind == Kind::Busy || c.kind == Kind::Conflict);
        EXPECT_EQ(Sql::isConflict(error), c.kind == Kind::Conflict);
        EXPECT_EQ(Sql::isConflict(AppError(text)), c.kind == Kind::Conflict && c.wordsAlone);
        EXPECT_EQ(EngineError::kindOf(QSqlError(QString(), text, QSqlError::UnknownError)),
                  c.wordsAlone ? c.kind : Kind::Other);
    }
    EXPECT_EQ(EngineError::kindOf(QSqlError()), Kind::None);
    EXPECT_EQ(Sql::failureSentence(Kind::Other), QString());
    EXPECT_TRUE(Sql::isConflict(Sql::ConflictError(QStringLiteral("any words"))));
    EXPECT_FALSE(Sql::isConflict(Sql::ConflictGaveUpError(Sql::conflictGiveUpText(
        QStringLiteral("update conflicts with concurrent update")))));
}

// ---- the same failures made for real --------------------------------------------------

// Two desks on one database of the engine, each on a connection of its own.
class RealEngineError : public ::testing::TestWithParam<Engine> {
protected:
    TempTree tree;
    EngineDatabase database;
    QSqlDatabase first;
    QSqlDatabase second;

    void SetUp() override
    {
        const QString made = database.make(GetParam(), tree);
        ASSERT_TRUE(made.isEmpty()) << made.toStdString();
        const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
        QString error;
        first = Connection::open(c, QStringLiteral("errors_first"), &error);
        ASSERT_TRUE(first.isOpen()) << error.toStdString();
        second = Connection::open(c, QStringLiteral("errors_second"), &error);
        ASSERT_TRUE(second.isOpen()) << error.toStdString();
        if (GetParam() != Engine::Sqlite) {
            ASSERT_NO_THROW(Schema::create(first));
        }
        Sql::exec(first, QStringLiteral("insert into deorder (dhdh,dfdh) values ('N1','B1')"));
    }

    void TearDown() override
    {
        for (const QString &name : {QStringLiteral("errors_first"), QStringLiteral("errors_second")}) {
            if (!QSqlDatabase::contains(name))
                continue;
            {
                QSqlDatabase db = QSqlDatabase::database(name, false);
                if (db.isOpen())
                    db.rollback();
                db.close();
            }
            first = second = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
        }
        database = EngineDatabase();   // after its connections
    }

    // The driver's error of a statement that must fail.
    static QSqlError failureOf(const QSqlDatabase &db, const QString &statement)
    {
        QSqlQuery q(db);
        EXPECT_FALSE(q.exec(statement)) << statement.toStdString();
        return q.lastError();
    }
};

TEST_P(RealEngineError, ASecondRowForAUniqueKeyIsADuplicateKey)
{
    const QSqlError error = failureOf(second, QStringLiteral("insert into deorder (dhdh,dfdh) values ('N1','B2')"));
    EXPECT_EQ(EngineError::kindOf(error), Kind::DuplicateKey)
        << error.nativeErrorCode().toStdString() << " " << error.text().toStdString();
    EXPECT_FALSE(throwsBusy(error));
}

// Another desk changed the row after this desk's transaction began: on the multi-version
// engines the transaction has lost the race; SQLite's writers wait in turn instead, and one
// that finds the database held past its wait is told it is busy.
TEST_P(RealEngineError, AChangeRacedByAnotherDeskIsAConflictOrBusy)
{
    const QString update = QStringLiteral("update deorder set dfdh=? where dhdh='N1'");
    if (GetParam() == Engine::Postgres)   // the snapshot a Firebird transaction has by default
        Sql::exec(first, QStringLiteral("set default_transaction_isolation = 'repeatable read'"));
    ASSERT_TRUE(first.transaction());
    if (GetParam() == Engine::Sqlite) {
        Sql::exec(first, update, {QStringLiteral("B2")});
        Sql::exec(second, QStringLiteral("PRAGMA busy_timeout=20"));
        const QSqlError error = failureOf(second, QStringLiteral("update deorder set dfdh='B3' where dhdh='N1'"));
        EXPECT_EQ(EngineError::kindOf(error), Kind::Busy)
            << error.nativeErrorCode().toStdString() << " " << error.text().toStdString();
        EXPECT_TRUE(throwsBusy(error));
        EXPECT_TRUE(first.rollback());
        return;
    }
    EXPECT_EQ(Sql::scalar(first, QStringLiteral("select dfdh from deorder where dhdh='N1'")).toString().trimmed(),
              QStringLiteral("B1"));
    Sql::exec(second, update, {QStringLiteral("B2")});   // committed at once
    const QSqlError error = failureOf(first, QStringLiteral("update deorder set dfdh='B3' where dhdh='N1'"));
    EXPECT_EQ(EngineError::kindOf(error), Kind::Conflict)
        << error.nativeErrorCode().toStdString() << " " << error.text().toStdString();
    EXPECT_TRUE(Sql::isConflict(AppError(Sql::errorText(error))));
    EXPECT_TRUE(first.rollback());
}

INSTANTIATE_TEST_SUITE_P(Engines, RealEngineError,
                         ::testing::Values(Engine::Sqlite, Engine::Firebird, Engine::Postgres), engineTestName);

} // namespace
