// Nested transactions: inner scopes are savepoints that land or vanish with the outer one.
#include "qt_print.h"
#include "temp_tree.h"

#include "cart/cart.h"
#include "cart/serial_number.h"
#include "common/app_error.h"
#include "data/sql_helper.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

class TransactionTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    void insert(const QString &name)
    {
        Sql::exec(db, QStringLiteral("insert into parameter (userno,pname,pvalue) values ('0',?,1)"),
                  {name});
    }
    QStringList names() const
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select pname from parameter order by pname"));
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
};

TEST_F(TransactionTest, InnerRollbackKeepsOuterWork)
{
    {
        Sql::Transaction outer(db);
        insert(QStringLiteral("a"));
        {
            Sql::Transaction inner(db);
            EXPECT_EQ(Sql::transactionDepth(db), 2);
            insert(QStringLiteral("b"));
            inner.rollback();
        }
        EXPECT_EQ(Sql::transactionDepth(db), 1);
        insert(QStringLiteral("c"));
        outer.commit();
    }
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
}

TEST_F(TransactionTest, OuterRollbackUndoesCommittedInnerScopes)
{
    {
        Sql::Transaction outer(db);
        insert(QStringLiteral("a"));
        {
            Sql::Transaction inner(db);
            insert(QStringLiteral("b"));
            {
                Sql::Transaction innermost(db);
                insert(QStringLiteral("c"));
                innermost.commit();
            }
            inner.commit();
        }
        outer.rollback();
    }
    EXPECT_TRUE(names().isEmpty());
}

TEST_F(TransactionTest, ScopeLeftByAnErrorRollsBack)
{
    try {
        Sql::Transaction outer(db);
        insert(QStringLiteral("a"));
        Sql::Transaction inner(db);
        insert(QStringLiteral("b"));
        Sql::exec(db, QStringLiteral("insert into no_such_table values (1)"));
        inner.commit();
        outer.commit();
        FAIL() << "the statement should have failed";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("no_such_table"))) << e.what();
    }
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_TRUE(names().isEmpty());
    // The connection is usable again at depth 0.
    Sql::Transaction again(db);
    insert(QStringLiteral("d"));
    again.commit();
    EXPECT_EQ(names(), QStringList{QStringLiteral("d")});
}

TEST_F(TransactionTest, SecondScopeAfterInnerRollbackCommits)
{
    Sql::Transaction outer(db);
    for (const char *name : {"x", "y"}) {
        Sql::Transaction inner(db);
        insert(QString::fromLatin1(name));
        if (qstrcmp(name, "x") == 0)
            inner.rollback();
        else
            inner.commit();
    }
    outer.commit();
    EXPECT_EQ(names(), QStringList{QStringLiteral("y")});
}

// A second connection that reads in an open transaction keeps its shared lock, so a COMMIT on
// the first one cannot get the file for longer than the busy timeout and fails. That happens
// with the rollback journal, which a database on a network share keeps (with the write-ahead
// log of a local file a reader holds no commit back).
class ReaderHoldsTheFile {
public:
    explicit ReaderHoldsTheFile(const QString &path)
    {
        QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        reader.setDatabaseName(path);
        reader.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=50"));
        if (!reader.open())
            throw AppError(Sql::errorText(reader));
        Sql::exec(reader, QStringLiteral("BEGIN"));
        Sql::scalar(reader, QStringLiteral("select count(*) from parameter"));
    }
    ~ReaderHoldsTheFile() { release(); }
    void release()
    {
        if (!QSqlDatabase::contains(name()))
            return;
        {
            QSqlDatabase reader = QSqlDatabase::database(name(), false);
            Sql::exec(reader, QStringLiteral("ROLLBACK"));
            reader.close();
        }
        QSqlDatabase::removeDatabase(name());
    }

private:
    static QString name() { return QStringLiteral("lock_holder"); }
};

TEST_F(TransactionTest, FailedCommitRollsBackAndLeavesTheConnectionUsable)
{
    Sql::exec(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
    Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=50"));
    const struct {
        const char *what;
        std::function<void()> work;
    } cases[] = {
        {"a scope of its own",
         [&] {
             Sql::Transaction tx(db);
             insert(QStringLiteral("lost"));
             tx.commit();
         }},
        {"a serial number", [&] { NextSerialNumber(QStringLiteral("lost"), db, QString()); }},
        {"a cart line",
         [&] {
             QString keys = QStringLiteral("T9");
             AddToCart(keys, db, QString());
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm) values ('T9','书')"));
        {
            ReaderHoldsTheFile reader(tree.path(QStringLiteral("init/data.mdb")));
            EXPECT_THROW(c.work(), AppError);
            EXPECT_EQ(Sql::transactionDepth(db), 0);
        }
        EXPECT_TRUE(names().isEmpty());
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deshopcart_mx")).toInt(), 0);
        // The next transaction on the connection begins and lands.
        {
            Sql::Transaction again(db);
            insert(QStringLiteral("next"));
            again.commit();
        }
        EXPECT_EQ(names(), QStringList{QStringLiteral("next")});
        Sql::exec(db, QStringLiteral("delete from parameter"));
        Sql::exec(db, QStringLiteral("delete from debooks"));
    }
}

} // namespace
