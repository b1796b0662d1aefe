// Running a transaction again after it lost a race with another desk: bounded, whole, and
// never leaving the engine's raw words alone in front of the user.
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/conflict_retry.h"
#include "data/sql_helper.h"

#include <gtest/gtest.h>

namespace {

class ConflictRetryTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    int rows() { return Sql::scalar(db, QStringLiteral("select count(*) from deshopcart")).toInt(); }
    void insertCart(int n)
    {
        Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values (?,'x','N')"),
                  {QStringLiteral("C%1").arg(n)});
    }
};

TEST_F(ConflictRetryTest, TheOwnerRunsItsWholeTransactionAgain)
{
    int attempts = 0;
    const int result = Sql::retryOnConflict(db, [&] {
        Sql::Transaction transaction(db);
        insertCart(++attempts);
        if (attempts < 3)
            throw Sql::ConflictError(QStringLiteral("update conflicts with concurrent update"));
        transaction.commit();
        return attempts;
    });
    EXPECT_EQ(result, 3);
    // The lost attempts left nothing behind.
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select dhdh from deshopcart")).toString(), QStringLiteral("C3"));
}

// The row a run lost is waited for, then locked first inside the run's transaction; the next
// run knows nothing of it.
TEST_F(ConflictRetryTest, TheContendedRowIsLockedFirstWhenRunAgain)
{
    QList<int> depthsAtLock;
    int depthInWork = -1;
    int attempts = 0;
    Sql::retryOnConflict(db, [&] {
        Sql::Transaction transaction(db);
        depthInWork = Sql::transactionDepth(db);
        if (++attempts == 1) {
            Sql::lockFirstWhenRunAgain(db, QStringLiteral("counter/order"), [&](const QSqlDatabase &on) {
                depthsAtLock << Sql::transactionDepth(on);
            });
            throw Sql::ConflictError(QStringLiteral("update conflicts with concurrent update"));
        }
        insertCart(attempts);
        transaction.commit();
    });
    EXPECT_EQ(attempts, 2);
    // Once in a transaction that only waits, once in the one the work then runs inside.
    EXPECT_EQ(depthsAtLock, (QList<int>{1, 1}));
    EXPECT_EQ(depthInWork, 2);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(Sql::transactionDepth(db), 0);

    depthsAtLock.clear();
    Sql::retryOnConflict(db, [&] { return 0; });
    EXPECT_TRUE(depthsAtLock.isEmpty());
}

TEST_F(ConflictRetryTest, EndlessConflictsEndInTheUsersSentence)
{
    int attempts = 0;
    try {
        Sql::retryOnConflict(db, [&] {
            Sql::Transaction transaction(db);
            insertCart(++attempts);
            throw AppError(Sql::failureSentence(EngineError::Kind::Busy)
                           + QStringLiteral("\ndeadlock update conflicts with concurrent update"));
        });
        FAIL() << "no error";
    } catch (const AppError &e) {
        EXPECT_EQ(e.text(), Sql::conflictGiveUpText(QStringLiteral("deadlock update conflicts with concurrent update")));
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("数据库正忙")));
        EXPECT_EQ(e.text().count(QStringLiteral("数据库正忙")), 1);
        EXPECT_FALSE(Sql::isConflict(e)) << "given up: no one above runs it again";
    }
    EXPECT_EQ(attempts, Sql::conflictAttempts);
    EXPECT_EQ(rows(), 0);
}

TEST_F(ConflictRetryTest, OtherErrorsAndInnerLevelsRunOnce)
{
    int attempts = 0;
    EXPECT_THROW(Sql::retryOnConflict(db, [&] {
                     ++attempts;
                     throw AppError(QStringLiteral("no such table: x"));
                 }),
                 AppError);
    EXPECT_EQ(attempts, 1);

    // Inside a caller's transaction the conflict goes to the caller, which owns the whole.
    attempts = 0;
    Sql::Transaction outer(db);
    EXPECT_THROW(Sql::retryOnConflict(db, [&]() -> int {
                     ++attempts;
                     throw Sql::ConflictError(QStringLiteral("deadlock"));
                 }),
                 Sql::ConflictError);
    EXPECT_EQ(attempts, 1);
}

} // namespace
