// Several desks on one SQLite file: write-ahead logging, turns to write, the offer to try a busy
// change again, and desks killed in the middle of their work.
#include "qt_print.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "cart/cart.h"
#include "common/app_error.h"
#include "common/guarded.h"
#include "data/sql_helper.h"
#include "data/sqlite_desks.h"
#include "order/order_making.h"
#include "order/order_query.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QThread>
#include <functional>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

const QString kBusy = Sql::failureSentence(EngineError::Kind::Busy);

int count(const QSqlDatabase &db, const QString &table)
{
    return Sql::scalar(db, QStringLiteral("select count(*) from ") + table).toInt();
}

// Another desk's connection to the same file, closed and removed with the object.
class OtherDesk {
public:
    OtherDesk(const QString &path, const QString &name, int busyTimeoutMs = 10000) : m_name(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (!db.open())
            throw AppError(Sql::errorText(db));
    }
    ~OtherDesk()
    {
        m_transaction.reset();
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    // Takes this desk's turn and the write lock, as a change in progress does.
    void holdTheWriteLock() { m_transaction = std::make_unique<Sql::Transaction>(db()); }
    void letGo() { m_transaction.reset(); }
    bool holding() const { return m_transaction != nullptr; }

private:
    QString m_name;
    std::unique_ptr<Sql::Transaction> m_transaction;
};

class SqliteDesksTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    QString path() const { return tree.path(QStringLiteral("init/data.mdb")); }
    // The desk worker's options for a desk on this tree's database, with the empty operator
    // code; the configuration names the database as the program reads it.
    QStringList deskWorker(const QStringList &mode) const
    {
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
        return mode + QStringList{QStringLiteral("--bin"), tree.bin(), QStringLiteral("--op"), QString()};
    }

    // Titles T001… with five suppliers G1…G5.
    void addTitles(int n)
    {
        Sql::Transaction tx(db);
        for (int i = 1; i <= n; ++i)
            Sql::exec(db,
                      QStringLiteral("insert into debooks (tm,sm,yc,zbh,zz,isbn,dj,ghbm,ghmc,cbbm,cbmc)"
                                     " values (?,?,'1','Z1','作者','978',12.5,?,?,'P1','出版社')"),
                      {QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0')),
                       QStringLiteral("书名%1").arg(i), QStringLiteral("G%1").arg(i % 5 + 1),
                       QStringLiteral("供货商%1").arg(i % 5 + 1)});
        tx.commit();
    }
    QString allKeys() const
    {
        QStringList keys;
        QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from debooks order by tm"));
        while (q.next())
            keys << q.value(0).toString();
        return keys.join(u',');
    }
};

// --- Journal -------------------------------------------------------------------------------

TEST_F(SqliteDesksTest, ALocalFileRunsWithAWriteAheadLog)
{
    EXPECT_TRUE(SqliteDesks::isLocalFileSystem(path()));
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));

    // procfs stands for any file system not known to be on this host's disks: it keeps the
    // rollback journal, as a network share does. A file not made yet is judged by its folder,
    // which must be there to take the log's files.
    const struct {
        QString path;
        bool local;
        const char *mode;
    } cases[] = {
        {path(), true, "wal"},
        {tree.path(QStringLiteral("init/not_yet.mdb")), true, "wal"},
        {tree.path(QStringLiteral("no/such/folder/x.mdb")), true, "delete"},
        {QStringLiteral("/proc/self/status"), false, "delete"},
        {QStringLiteral("/proc/not_yet.mdb"), false, "delete"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(SqliteDesks::isLocalFileSystem(c.path), c.local);
        EXPECT_EQ(SqliteDesks::wantedJournalMode(c.path), QString::fromLatin1(c.mode));
    }
}

TEST_F(SqliteDesksTest, AReaderDoesNotBlockTheWriterOnALocalFile)
{
    // With the rollback journal (a network share) the reader's lock holds the COMMIT back until
    // the writer gives up; with the log it lands while the reader still sees its snapshot.
    const struct {
        const char *mode;
        bool lands;
    } cases[] = {{"wal", true}, {"delete", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        Sql::exec(db, QStringLiteral("PRAGMA journal_mode=%1").arg(QString::fromLatin1(c.mode)));
        Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=100"));
        Sql::exec(db, QStringLiteral("delete from parameter"));
        OtherDesk reader(path(), QStringLiteral("reader"));
        Sql::exec(reader.db(), QStringLiteral("BEGIN"));
        EXPECT_EQ(count(reader.db(), QStringLiteral("parameter")), 0);

        bool landed = false;
        try {
            Sql::Transaction tx(db);
            Sql::exec(db, QStringLiteral("insert into parameter (userno,pname,pvalue) values ('0','w',1)"));
            tx.commit();
            landed = true;
        } catch (const BusyError &e) {
            EXPECT_TRUE(e.text().startsWith(kBusy + u'\n')) << e.text().toStdString();
        }
        EXPECT_EQ(landed, c.lands);
        EXPECT_EQ(count(reader.db(), QStringLiteral("parameter")), 0);   // its snapshot
        Sql::exec(reader.db(), QStringLiteral("ROLLBACK"));
        EXPECT_EQ(count(reader.db(), QStringLiteral("parameter")), c.lands ? 1 : 0);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }
}

// --- Turns ---------------------------------------------------------------------------------

TEST_F(SqliteDesksTest, ATurnIsHeldByOneDeskAtATime)
{
    SqliteDesks::WriteTurn first, second;
    ASSERT_TRUE(first.take(path(), 0));
    EXPECT_TRUE(first.held());
    qint64 waited = -1;
    EXPECT_FALSE(second.take(path(), 50, &waited));
    EXPECT_GE(waited, 50);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_TRUE(second.take(path(), 0));
    EXPECT_TRUE(QFile::exists(SqliteDesks::turnFilePath(path())));

    // A database in memory has no sidecar file and no turns.
    SqliteDesks::WriteTurn memory;
    EXPECT_TRUE(memory.take(QStringLiteral(":memory:"), 0));
    EXPECT_FALSE(memory.held());
}

// The sidecar file is writable by whoever may write the database, never by everybody; two
// desks of one user still take turns on it.
TEST_F(SqliteDesksTest, TheTurnFileIsNeverWritableByEverybody)
{
    const struct {
        mode_t umask, database;
        int existing;   // mode of a turn file left by an older version; -1: none
        mode_t expected;
    } cases[] = {
        {022, 0644, -1, 0644},     // a desk of its own, the usual umask
        {077, 0600, -1, 0600},     // a private database
        {002, 0644, -1, 0664},     // the group may write as far as the umask says
        {022, 0664, -1, 0664},     // a database shared by a group: the group queues too
        {000, 0666, -1, 0664},     // even a database everybody may write
        {022, 0644, 0666, 0644 | S_IWGRP},   // an older file loses the others' write right
    };
    const QString turnFile = SqliteDesks::turnFilePath(path());
    const QByteArray native = QFile::encodeName(turnFile);
    struct UmaskBack {
        mode_t saved = ::umask(022);
        ~UmaskBack() { ::umask(saved); }
    } umaskBack;
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << "umask " << c.umask << " database " << c.database);
        QFile::remove(turnFile);
        if (c.existing >= 0) {
            QFile made(turnFile);
            ASSERT_TRUE(made.open(QIODevice::WriteOnly));
            made.close();
            ASSERT_EQ(::chmod(native.constData(), mode_t(c.existing)), 0);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), c.database), 0);
        ::umask(c.umask);
        SqliteDesks::WriteTurn first, second;
        ASSERT_TRUE(first.take(path(), 0));
        EXPECT_TRUE(first.held());
        EXPECT_FALSE(second.take(path(), 0));
        first.release();
        EXPECT_TRUE(second.take(path(), 0));
        EXPECT_TRUE(second.held());
        struct stat st = {};
        ASSERT_EQ(::stat(native.constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.expected);
        EXPECT_EQ(st.st_mode & S_IWOTH, 0u);
    }
    ::chmod(QFile::encodeName(path()).constData(), 0644);
}

TEST_F(SqliteDesksTest, AWriteThatDoesNotGetItsTurnIsBusyAndChangesNothing)
{
    OtherDesk other(path(), QStringLiteral("other"));
    other.holdTheWriteLock();
    Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=150"));
    Sql::exec(other.db(), QStringLiteral("insert into debooks (tm,sm,ghbm) values ('T1','书','G1')"));
    const struct {
        const char *what;
        std::function<void()> work;
    } cases[] = {
        {"a transaction", [&] { Sql::Transaction tx(db); }},
        {"a cart", [&] { QString keys = QStringLiteral("T1"); AddToCart(keys, db, QString()); }},
        {"orders", [&] { MakeOrders(db, QString(), OrderParties(), {{QStringLiteral("T1"), 1}}); }},
        {"deleting orders", [&] { DeleteOrders(db, {QStringLiteral("x")}); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.work();
            ADD_FAILURE() << "no error";
        } catch (const BusyError &e) {
            EXPECT_TRUE(e.text().contains(kBusy + u'\n')) << e.text().toStdString();
            EXPECT_FALSE(e.text().contains(QStringLiteral("database is locked")));
        }
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }
    other.letGo();   // its title goes with it
    EXPECT_EQ(count(db, QStringLiteral("deshopcart")), 0);
    EXPECT_EQ(count(db, QStringLiteral("parameter")), 0);
    // The turn is free again: the next change lands.
    addTitles(1);
    EXPECT_EQ(count(db, QStringLiteral("debooks")), 1);
}

TEST_F(SqliteDesksTest, FourDesksWritingAtOnceAllGetTheirTurns)
{
    // Four processes issue numbers of one counter as fast as they can. Every call gets its turn
    // within the wait limit, and no desk is left with a small share of the turns.
    db.close();
    QList<QProcess *> desks;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    // They start together, once all have had time to open the database.
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 2000);
    for (int i = 0; i < 4; ++i) {
        auto *desk = new QProcess;
        desk->setProcessEnvironment(env);
        desk->start(QStringLiteral(ZD_DESK_WORKER),
                     deskWorker({QStringLiteral("--turns"), QStringLiteral("3"), QStringLiteral("--start"), start}));
        desks << desk;
    }
    QList<int> turns;
    int total = 0;
    for (QProcess *desk : desks) {
        EXPECT_TRUE(desk->waitForFinished(60000));
        const QString out = QString::fromUtf8(desk->readAllStandardOutput()).trimmed();
        std::printf("[ desk ] %s\n", qPrintable(out));
        const QStringList words = out.split(u' ');
        ASSERT_EQ(words.size(), 8) << out.toStdString() << desk->readAllStandardError().toStdString();
        EXPECT_EQ(words[3], QStringLiteral("0")) << "busy: " << out.toStdString();
        EXPECT_EQ(words[5], QStringLiteral("0")) << "failed: " << out.toStdString();
        turns << words[1].toInt();
        total += turns.last();
        delete desk;
    }
    // The counter issued exactly the numbers the desks counted.
    OtherDesk after(path(), QStringLiteral("after"));
    EXPECT_EQ(Sql::scalar(after.db(), QStringLiteral("select pvalue from parameter where pname='desk'")).toInt(),
              total);
    for (int t : turns)
        EXPECT_GE(t * 4 * 4, total) << "a desk got less than a quarter of an even share";
}

// --- Trying a busy change again ------------------------------------------------------------

// Answers the busy question from its script and lets the other desk go when it asks the first
// time, as a user would wait for the other desk and then press "重试".
class LettingGoPrompter : public ScriptedPrompter {
public:
    OtherDesk *other = nullptr;
    int message(const QString &text, const QString &caption, int flags) override
    {
        const int answer = ScriptedPrompter::message(text, caption, flags);
        if (flags == MsgFlags::RetryCancel && other)
            other->letGo();
        return answer;
    }
};

TEST_F(SqliteDesksTest, ABusyChangeOffersToTryAgain)
{
    addTitles(10);
    Sql::exec(db, QStringLiteral("PRAGMA busy_timeout=150"));
    const QString keys = allKeys();
    const QString ten = QStringLiteral("10");
    const struct {
        const char *what;
        std::function<void()> work;
        QString table;      // where the change lands
        QString landed;     // its rows when it landed
    } actions[] = {
        {"cart", [&] { QString k = keys; AddToCart(k, db, QString()); }, QStringLiteral("deshopcart_mx"), ten},
        {"orders",
         [&] {
             QList<ConfirmedLine> lines;
             for (const QString &k : keys.split(u','))
                 lines.append({k, 2});
             MakeOrders(db, QString(), OrderParties(), lines);
         },
         QStringLiteral("deorder_mx"), ten},
    };
    const struct {
        const char *what;
        QList<int> answers;
        bool lands;
        int questions;
    } answers[] = {
        {"retry", {MsgResult::Retry}, true, 1},
        {"cancel", {MsgResult::Cancel}, false, 1},
        {"retry while still busy, then cancel", {MsgResult::Retry, MsgResult::Cancel}, false, 2},
    };
    for (const auto &a : actions) {
        for (const auto &ans : answers) {
            SCOPED_TRACE(std::string(a.what) + ": " + ans.what);
            if (QString::fromLatin1(a.what) == u"orders") {
                Sql::exec(db, QStringLiteral("delete from deorder_mx"));
                Sql::exec(db, QStringLiteral("delete from deorder"));
                Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
                QString k = keys;
                AddToCart(k, db, QString());
            } else {
                Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
                Sql::exec(db, QStringLiteral("delete from deshopcart"));
            }
            const int before = count(db, a.table);
            OtherDesk other(path(), QStringLiteral("other"));
            other.holdTheWriteLock();
            LettingGoPrompter prompter;
            for (int answer : ans.answers)
                prompter.answers.enqueue(answer);
            // Only a "retry" lets the other desk go; otherwise it stays until the end.
            if (ans.lands)
                prompter.other = &other;

            const bool ok = guardedRetry(prompter, a.work);

            EXPECT_EQ(ok, ans.lands);
            ASSERT_GE(prompter.shown.size(), ans.questions);
            for (int i = 0; i < ans.questions; ++i) {
                EXPECT_EQ(prompter.shown[i].flags, MsgFlags::RetryCancel);
                EXPECT_TRUE(prompter.shown[i].text.startsWith(
                    QStringLiteral("数据库正被其他工作站使用。是否重试？")));
            }
            if (ans.lands) {
                EXPECT_EQ(prompter.shown.size(), 1);
                EXPECT_EQ(QString::number(count(db, a.table)), a.landed);
            } else {
                // Cancel: reported as before, with the busy sentence; nothing landed.
                ASSERT_EQ(prompter.shown.size(), ans.questions + 1);
                EXPECT_EQ(prompter.shown.last().flags, MsgFlags::Error);
                EXPECT_TRUE(prompter.shown.last().text.contains(kBusy));
                other.letGo();
                EXPECT_EQ(count(db, a.table), before);
            }
            EXPECT_EQ(Sql::transactionDepth(db), 0);
        }
    }
}

// --- Desks killed in the middle of their work ----------------------------------------------

// Copies of one prepared database, each given to a child desk that is killed at a random
// moment of its work; afterwards the file holds the whole change or none of it.
class KilledDesk : public SqliteDesksTest {
protected:
    QString templatePath() const { return tree.path(QStringLiteral("template.mdb")); }

    // Freezes the prepared database as the template and closes the test's own connection.
    void freezeTemplate()
    {
        Sql::exec(db, QStringLiteral("VACUUM INTO ?"), {templatePath()});
        db.close();
    }
    void freshCopy() const
    {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(path() + QString::fromLatin1(suffix));
        ASSERT_TRUE(QFile::copy(templatePath(), path()));
    }

    // Runs the worker; kills it after delayUs microseconds from its "ready" (never when
    // delayUs < 0). Returns the milliseconds it reported for its work when it finished.
    int runWorker(const QString &mode, qint64 delayUs, bool *finished)
    {
        QProcess worker;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        worker.setProcessEnvironment(env);
        worker.start(QStringLiteral(ZD_DESK_WORKER), deskWorker({mode}));
        EXPECT_TRUE(worker.waitForStarted());
        QByteArray out;
        while (!out.contains("ready\n") && worker.waitForReadyRead(30000))
            out += worker.readAllStandardOutput();
        EXPECT_TRUE(out.contains("ready\n")) << worker.readAllStandardError().toStdString();
        if (delayUs >= 0) {
            QThread::usleep(static_cast<unsigned long>(delayUs));
            worker.kill();
        }
        worker.waitForFinished(60000);
        out += worker.readAllStandardOutput();
        *finished = worker.exitStatus() == QProcess::NormalExit && worker.exitCode() == 0;
        if (delayUs < 0) {
            EXPECT_TRUE(*finished) << worker.readAllStandardError().toStdString();
        }
        const int at = out.indexOf("done ");
        return at < 0 ? -1 : out.mid(at + 5).trimmed().toInt();
    }

    // Checks the file after a worker ended; returns whether its change is there.
    bool checkWholeOrNothing(const std::function<bool(const QSqlDatabase &)> &check)
    {
        const QString name = QStringLiteral("after_kill");
        bool landed = false;
        {
            QSqlDatabase after = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            after.setDatabaseName(path());
            EXPECT_TRUE(after.open());
            EXPECT_EQ(Sql::scalar(after, QStringLiteral("PRAGMA integrity_check")).toString(),
                      QStringLiteral("ok"));
            landed = check(after);
            after.close();
        }
        QSqlDatabase::removeDatabase(name);
        return landed;
    }

    static qint64 counter(const QSqlDatabase &db, const char *name)
    {
        return Sql::scalar(db, QStringLiteral("select pvalue from parameter where pname=?"),
                           {QString::fromLatin1(name)}).toLongLong();
    }

    // Kills the worker many times at random moments of its work.
    void killManyTimes(const QString &mode, int kills,
                       const std::function<bool(const QSqlDatabase &)> &check)
    {
        // One undisturbed run: the change lands whole, and its length sets the kill window.
        freshCopy();
        bool finished = false;
        const int workMs = runWorker(mode, -1, &finished);
        ASSERT_TRUE(finished);
        ASSERT_TRUE(checkWholeOrNothing(check));
        const qint64 window = qMax(1, workMs) * 1200LL;   // µs, a little past the end

        QRandomGenerator random(20261210);
        int landed = 0, none = 0;
        for (int i = 0; i < kills && !HasFailure(); ++i) {
            freshCopy();
            const qint64 delay = static_cast<qint64>(random.bounded(static_cast<quint64>(window)));
            runWorker(mode, delay, &finished);
            SCOPED_TRACE(QStringLiteral("kill %1 after %2 µs").arg(i).arg(delay).toStdString());
            (checkWholeOrNothing(check) ? landed : none)++;
        }
        std::printf("[ %s ] work %d ms, %d kills: %d left the change whole, %d left nothing\n",
                    qPrintable(mode), workMs, kills, landed, none);
    }
};

TEST_F(KilledDesk, MakingOrdersLandsWholeOrNotAtAll)
{
    addTitles(500);
    QString keys = allKeys();
    AddToCart(keys, db, QString());
    ASSERT_EQ(count(db, QStringLiteral("deshopcart_mx")), 500);
    const qint64 cartCounter = counter(db, "shopcart");
    freezeTemplate();

    killManyTimes(QStringLiteral("--order-cart"), 40, [&](const QSqlDatabase &after) {
        const int orders = count(after, QStringLiteral("deorder"));
        const int lines = count(after, QStringLiteral("deorder_mx"));
        const int cart = count(after, QStringLiteral("deshopcart_mx"));
        const int carts = count(after, QStringLiteral("deshopcart"));
        EXPECT_EQ(counter(after, "shopcart"), cartCounter);
        // No counter advanced without its order.
        EXPECT_EQ(counter(after, "order"), orders);
        EXPECT_EQ(counter(after, "OrderBill"),
                  Sql::scalar(after, QStringLiteral("select count(distinct dfdh) from deorder")).toInt());
        if (orders == 0) {
            EXPECT_EQ(lines, 0);
            EXPECT_EQ(cart, 500);
            EXPECT_EQ(carts, 1);
            return false;
        }
        EXPECT_EQ(orders, 5);
        EXPECT_EQ(lines, 500);
        EXPECT_EQ(cart, 0);
        EXPECT_EQ(carts, 0);
        return true;
    });
}

TEST_F(KilledDesk, FillingTheCartLandsWholeOrNotAtAll)
{
    addTitles(500);
    freezeTemplate();

    killManyTimes(QStringLiteral("--fill-cart"), 30, [&](const QSqlDatabase &after) {
        const int carts = count(after, QStringLiteral("deshopcart"));
        const int lines = count(after, QStringLiteral("deshopcart_mx"));
        EXPECT_EQ(counter(after, "shopcart"), carts);
        if (carts == 0) {
            EXPECT_EQ(lines, 0);
            return false;
        }
        EXPECT_EQ(carts, 1);
        EXPECT_EQ(lines, 500);
        return true;
    });
}

} // namespace
