// Several desks on one database: four worker processes draw numbers and make orders at once
// on the embedded SQLite file, a Firebird server of the test's own (reached over TCP as the
// configuration names it) and a PostgreSQL server behind ODBC. A missing server program fails
// these tests.
#include "db_servers.h"
#include "desk_run.h"
#include "engines.h"
#include "foreign_leaks.h"
#include "temp_tree.h"

#include "cart/cart.h"
#include "cart/serial_number.h"
#include "common/operator_code.h"
#include "common/program_paths.h"
#include "data/conflict_retry.h"
#include "data/connection.h"
#include "data/demo_catalogue.h"
#include "data/lock_wait.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "order/order_making.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <memory>

namespace {

const int catalogueTitles = 60;

// A database with the schema and a small catalogue on the engine, named by bin/syscfg.dbm as
// the desks will read it, and the test's own connection to it.
class DesksTest : public ::testing::TestWithParam<Engine> {
protected:
    TempTree tree;
    std::unique_ptr<FirebirdServer> firebird;
    std::unique_ptr<PostgresServer> postgres;
    QSqlDatabase db;
    QStringList extraConnections;

    void SetUp() override
    {
        skipLeakCheckAtExit();
        switch (GetParam()) {
        case Engine::Sqlite:
            tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
            db = tree.createDatabase();
            break;
        case Engine::Firebird: {
            firebird = std::make_unique<FirebirdServer>(tree.path(QStringLiteral("firebird")));
            const QString error = firebird->start();
            ASSERT_TRUE(error.isEmpty()) << error.toStdString();
            const QString created = firebird->createDatabase(QStringLiteral("desks.fdb"));
            ASSERT_TRUE(created.isEmpty()) << created.toStdString();
            tree.writeConfig(firebird->config(QStringLiteral("desks.fdb")));
            db = open(QStringLiteral("desks_test"));
            ASSERT_TRUE(db.isOpen());
            ASSERT_NO_THROW(Schema::create(db));
            break;
        }
        case Engine::Postgres: {
            postgres = std::make_unique<PostgresServer>();
            const QString error = postgres->start();
            ASSERT_TRUE(error.isEmpty()) << error.toStdString();
            tree.writeConfig(PostgresServer::config());
            db = open(QStringLiteral("desks_test"));
            ASSERT_TRUE(db.isOpen());
            ASSERT_NO_THROW(Schema::create(db));
            break;
        }
        }
        ASSERT_NO_THROW(DemoCatalogue::fill(db, catalogueTitles));
    }

    void TearDown() override
    {
        // Connections go before their server.
        for (const QString &name : extraConnections + QStringList{QStringLiteral("desks_test")}) {
            if (!QSqlDatabase::contains(name))
                continue;
            {
                QSqlDatabase c = QSqlDatabase::database(name, false);
                c.close();
            }
            if (name == u"desks_test")
                db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
        }
        db = QSqlDatabase();
    }

    // A connection as the program opens it, from bin/syscfg.dbm.
    QSqlDatabase open(const QString &name)
    {
        const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
        QString error;
        QSqlDatabase opened = Connection::open(c, name, &error);
        EXPECT_TRUE(opened.isOpen()) << error.toStdString();
        if (name != u"desks_test")
            extraConnections << name;
        return opened;
    }

    QList<DeskReport> run(const QStringList &args)
    {
        return runDesks(QStringLiteral(ZD_DESK_WORKER), tree.bin(), 4, args,
                        tree.path(QStringLiteral("desks")));
    }

    static void record(const QList<DeskReport> &reports)
    {
        const DeskFigures f = figuresOf(reports);
        ::testing::Test::RecordProperty("retries", f.retries);
        std::printf("  %d calls, %d batches, %d orders, %d conflicts run again, slowest call %.1f ms,"
                    " 99th percentile %.1f ms\n",
                    f.calls, f.batches, f.orders, f.retries, f.slowestMs, f.p99Ms);
    }
};

TEST_P(DesksTest, FourDesksDrawDistinctConsecutiveNumbers)
{
    const QList<DeskReport> reports = run({QStringLiteral("--numbers"), QStringLiteral("30")});
    const QStringList problems = numberRunProblems(db, reports);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    record(reports);
}

TEST_P(DesksTest, FourDesksMakeSoundOrders)
{
    const QList<DeskReport> reports =
        run({QStringLiteral("--rounds"), QStringLiteral("6"), QStringLiteral("--titles"), QStringLiteral("5")});
    const QStringList problems = orderRunProblems(db, reports);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    record(reports);
}

// Two desks whose dates lie either side of New Year's Eve make orders by turns on one database:
// no order or batch number is issued twice, and once the later desk has counted, every number
// is in its year.
TEST_P(DesksTest, DesksEitherSideOfNewYearTakingTurnsNeverShareANumber)
{
    struct Desk {
        QSqlDatabase db;
        QDate today;
        QString op;
    };
    const Desk desks[] = {{db, QDate(2026, 12, 31), QStringLiteral("late_clock")},
                          {open(QStringLiteral("new_year_desk")), QDate(2027, 1, 1), QStringLiteral("new_year")}};
    ASSERT_TRUE(desks[1].db.isOpen());
    QStringList titles;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from debooks where ghbm is not null order by tm"));
    while (q.next() && titles.size() < 6)
        titles << q.value(0).toString().trimmed();
    q = QSqlQuery();
    OrderParties parties;
    parties.ordererNo = QStringLiteral("B01");
    parties.consigneeNo = QStringLiteral("1");
    parties.payerNo = QStringLiteral("1");

    QStringList orders, batches;
    for (int turn = 0; turn < 6; ++turn) {
        const Desk &desk = desks[turn % 2];
        SCOPED_TRACE(turn);
        QString keys = titles.mid(turn % 3, 3).join(u',');
        ASSERT_TRUE(AddToCart(keys, desk.db, desk.op).complete());
        QList<ConfirmedLine> confirmed;
        QSqlQuery cart = Sql::exec(desk.db, QStringLiteral("select tm,sl from qrydeshopcart where op=?"), {desk.op});
        while (cart.next())
            confirmed.append({cart.value(0).toString().trimmed(), cart.value(1).toLongLong()});
        cart = QSqlQuery();
        MadeOrders made;
        ASSERT_NO_THROW(made = MakeOrders(desk.db, desk.op, parties, confirmed, desk.today));
        ASSERT_FALSE(made.orders.isEmpty());
        for (const QString &number : made.orderNumbers() + QStringList{made.batchNumber}) {
            if (turn > 0) {
                EXPECT_TRUE(number.startsWith(u"2027")) << number.toStdString();
            }
        }
        orders << made.orderNumbers();
        batches << made.batchNumber;
    }
    EXPECT_EQ(QSet<QString>(orders.begin(), orders.end()).size(), orders.size()) << orders.join(u' ').toStdString();
    EXPECT_EQ(QSet<QString>(batches.begin(), batches.end()).size(), batches.size()) << batches.join(u' ').toStdString();
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deorder")).toInt(), orders.size());
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(distinct dhdh) from deorder")).toInt(), orders.size());
}

// Four desks as the program ships: no operator code configured, each desk with its own login
// name (one longer than the cart's column). Each takes its own code from its login, fills its
// own cart, and every batch holds exactly the titles its own desk put in.
TEST_P(DesksTest, FourDesksAsShippedOrderFromTheirOwnCarts)
{
    const QStringList logins = {QStringLiteral("zhang"), QStringLiteral("li"), QStringLiteral("wang"),
                                QStringLiteral("clerk.of.the.second.floor.desk4")};
    const QList<DeskReport> reports =
        runDesks(QStringLiteral(ZD_DESK_WORKER), tree.bin(), 4,
                 {QStringLiteral("--rounds"), QStringLiteral("6"), QStringLiteral("--titles"), QStringLiteral("5")},
                 tree.path(QStringLiteral("desks")), 300000, logins);
    QStringList codes, expected;
    for (const DeskReport &r : reports)
        codes << r.op;
    for (const QString &login : logins)
        expected << OperatorCode::resolve(QString(), login);
    EXPECT_EQ(codes, expected);
    const QStringList problems = orderRunProblems(db, reports);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    record(reports);
}

// A desk that stops inside its transaction while it holds the order counter: another desk's
// number drawing gives up with the busy error once the lock wait bound has passed, and draws
// the next number when it tries again after the hold ended. The desk is a process of its own
// with a deadline, so a desk that waited for ever fails the test instead of stalling it.
TEST_P(DesksTest, AHeldCounterEndsInTheBusyErrorAndTheRetryAfterwardsDraws)
{
    ASSERT_EQ(NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("0")).right(8), QStringLiteral("00000001"));
    const QString work = tree.path(QStringLiteral("held"));
    QDir().mkpath(work);
    const QString out = work + QStringLiteral("/desk.txt");
    const QString answered = work + QStringLiteral("/answered");
    QProcess desk;
    desk.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    desk.setProcessEnvironment(environment);
    {
        Sql::Transaction hold(db);
        ASSERT_EQ(NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("0")).right(8),
                  QStringLiteral("00000002"));
        desk.start(QStringLiteral(ZD_DESK_WORKER),
                   {QStringLiteral("--bin"), tree.bin(), QStringLiteral("--op"), QStringLiteral("D1"),
                    QStringLiteral("--out"), out, QStringLiteral("--numbers"), QStringLiteral("1"),
                    QStringLiteral("--after-busy"), answered});
        ASSERT_TRUE(desk.waitForStarted());
        QDeadlineTimer deadline(Sql::LockWaitLimitMs + 30000);
        while (!QFileInfo::exists(answered + QStringLiteral(".busy")) && desk.state() != QProcess::NotRunning
               && !deadline.hasExpired())
            desk.waitForFinished(20);
        EXPECT_TRUE(QFileInfo::exists(answered + QStringLiteral(".busy")))
            << "the desk did not give up while the counter was held: "
            << QString::fromLocal8Bit(desk.readAll()).toStdString();
        hold.rollback();   // the hold ends
    }
    QFile(answered).open(QIODevice::WriteOnly);
    if (desk.state() != QProcess::NotRunning && !desk.waitForFinished(60000)) {
        desk.kill();
        desk.waitForFinished();
        FAIL() << "the desk did not end after the hold";
    }
    ASSERT_EQ(desk.exitCode(), 0) << QString::fromLocal8Bit(desk.readAll()).toStdString();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList errors = lines.filter(QRegularExpression(QStringLiteral("^error ")));
    ASSERT_EQ(errors.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(errors.first().mid(6).startsWith(Sql::failureSentence(EngineError::Kind::Busy)))
        << errors.first().toStdString();
    // The held number was rolled back: the retry draws it.
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^number "))),
              QStringList{QStringLiteral("number ") + QString::number(QDate::currentDate().year())
                          + QStringLiteral("00000002")});
    const QStringList calls = lines.filter(QRegularExpression(QStringLiteral("^call ")));
    if (!calls.isEmpty())
        std::printf("  the busy error came after %s ms (bound %d ms)\n", qPrintable(calls.first().mid(5)),
                    Sql::LockWaitLimitMs);
}

// The unique keys of the counter, cart and order tables: those of the SQLite schema, and a
// second row for a key is refused alike.
QSet<QString> uniqueKeys(const QSqlDatabase &db)
{
    QSet<QString> keys;
    const QStringList tables = {QStringLiteral("parameter"), QStringLiteral("deshopcart"),
                                QStringLiteral("deshopcart_mx"), QStringLiteral("deorder"),
                                QStringLiteral("deorder_mx")};
    switch (Schema::dialectOf(db)) {
    case Schema::Dialect::Sqlite:
        for (const QString &t : tables) {
            QSqlQuery list = Sql::exec(db, QStringLiteral("select name,\"unique\" from pragma_index_list(?)"), {t});
            while (list.next()) {
                if (list.value(1).toInt() == 0)
                    continue;
                QStringList columns;
                QSqlQuery info = Sql::exec(db, QStringLiteral("select name from pragma_index_info(?) order by seqno"),
                                           {list.value(0)});
                while (info.next())
                    columns << info.value(0).toString().toLower();
                keys << t + u'(' + columns.join(u',') + u')';
            }
        }
        break;
    case Schema::Dialect::Firebird: {
        QSqlQuery q = Sql::exec(db, QStringLiteral(
            "select trim(i.rdb$relation_name),trim(s.rdb$field_name) from rdb$indices i"
            " join rdb$index_segments s on s.rdb$index_name=i.rdb$index_name"
            " where i.rdb$unique_flag=1 and coalesce(i.rdb$system_flag,0)=0"
            " order by i.rdb$index_name,s.rdb$field_position"));
        QMap<QString, QStringList> columns;
        while (q.next())
            columns[q.value(0).toString().toLower()] << q.value(1).toString().toLower();
        for (auto it = columns.begin(); it != columns.end(); ++it)
            if (tables.contains(it.key()))
                keys << it.key() + u'(' + it.value().join(u',') + u')';
        break;
    }
    case Schema::Dialect::Postgres: {
        QSqlQuery q = Sql::exec(db, QStringLiteral(
            "select t.relname,a.attname from pg_index x join pg_class t on t.oid=x.indrelid"
            " join pg_namespace n on n.oid=t.relnamespace"
            " join lateral unnest(x.indkey) with ordinality as k(attnum,pos) on true"
            " join pg_attribute a on a.attrelid=t.oid and a.attnum=k.attnum"
            " where x.indisunique and n.nspname='public' order by x.indexrelid,k.pos"));
        QMap<QString, QStringList> columns;
        while (q.next())
            columns[q.value(0).toString().toLower()] << q.value(1).toString().toLower();
        for (auto it = columns.begin(); it != columns.end(); ++it)
            if (tables.contains(it.key()))
                keys << it.key() + u'(' + it.value().join(u',') + u')';
        break;
    }
    case Schema::Dialect::Unknown:
        break;
    }
    return keys;
}

TEST_P(DesksTest, CounterCartAndOrderKeysMeanWhatTheyMeanOnSqlite)
{
    const QSet<QString> expected = {QStringLiteral("parameter(pname,userno)"),
                                    QStringLiteral("deshopcart_mx(dhdh,tm)"),
                                    QStringLiteral("deshopcart(dhdh)"), QStringLiteral("deorder(dhdh)")};
    {
        TempTree reference;
        EXPECT_EQ(uniqueKeys(reference.createDatabase()), expected) << "the SQLite schema itself";
    }
    ProgramPaths::setProgramFolder(tree.bin());
    EXPECT_EQ(uniqueKeys(db), expected);

    const QString parameter = Schema::sqlName(db, QStringLiteral("parameter"));
    const struct {
        const char *what;
        QString statement;
        bool secondRefused;
    } cases[] = {
        {"a counter twice", QStringLiteral("insert into %1 (userno,pname,pvalue,idate,len,pformat)"
                                           " values ('0','twice',1,'2026',8,'YYYY')").arg(parameter), true},
        {"a title twice in one cart", QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl) values ('C1','T1',1)"), true},
        {"a title in two carts", QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl) values ('C%1','T2',1)"), false},
        {"an order number twice", QStringLiteral("insert into deorder (dhdh,dfdh) values ('O1','B1')"), true},
        {"a cart number twice", QStringLiteral("insert into deshopcart (dhdh,op) values ('C1','a')"), true},
        {"a batch in two orders", QStringLiteral("insert into deorder (dhdh,dfdh) values ('O%1','B2')"), false},
    };
    int serial = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString first = c.statement.contains(u"%1") ? c.statement.arg(++serial) : c.statement;
        const QString second = c.statement.contains(u"%1") ? c.statement.arg(++serial) : c.statement;
        ASSERT_NO_THROW(Sql::exec(db, first));
        if (c.secondRefused)
            EXPECT_THROW(Sql::exec(db, second), AppError);
        else
            EXPECT_NO_THROW(Sql::exec(db, second));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, DesksTest,
                         ::testing::Values(Engine::Sqlite, Engine::Firebird, Engine::Postgres), engineTestName);

// On the multi-version engines a counter changed by another desk after a transaction began
// is a conflict for it (Firebird) or is waited for and read as committed (PostgreSQL): either
// way the owner of the transaction gets the next number, never the same one.
class MultiVersionTest : public DesksTest {};

TEST_P(MultiVersionTest, AnotherDesksNumberIsNeverHandedOutAgain)
{
    QSqlDatabase other = open(QStringLiteral("other_desk"));
    ASSERT_TRUE(other.isOpen());
    ASSERT_EQ(NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("0")).right(8), QStringLiteral("00000001"));

    int attempts = 0;
    QString otherNumber;
    const QString mine = Sql::retryOnConflict(db, [&] {
        Sql::Transaction transaction(db);
        ++attempts;
        // The transaction has read (its snapshot is taken) before the other desk counts.
        Sql::scalar(db, QStringLiteral("select count(*) from deorder"));
        if (attempts == 1)
            otherNumber = NextSerialNumber(QStringLiteral("order"), other, QStringLiteral("0"));
        const QString n = NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("0"));
        transaction.commit();
        return n;
    });
    EXPECT_EQ(otherNumber.right(8), QStringLiteral("00000002"));
    EXPECT_EQ(mine.right(8), QStringLiteral("00000003"));
    EXPECT_EQ(attempts, GetParam() == Engine::Firebird ? 2 : 1);
    EXPECT_EQ(Sql::transactionDepth(db), 0);
}

// Two desks create the same new counter at once: one inserts it, the other counts on from it.
TEST_P(MultiVersionTest, ANewCounterIsCreatedOnce)
{
    QSqlDatabase other = open(QStringLiteral("other_desk"));
    ASSERT_TRUE(other.isOpen());
    int attempts = 0;
    QString otherNumber;
    const QString mine = Sql::retryOnConflict(db, [&] {
        Sql::Transaction transaction(db);
        ++attempts;
        Sql::scalar(db, QStringLiteral("select count(*) from deorder"));
        if (attempts == 1) {
            // The other desk creates the counter and commits while this one has not looked yet.
            otherNumber = NextSerialNumber(QStringLiteral("fresh"), other, QStringLiteral("0"));
        }
        const QString n = NextSerialNumber(QStringLiteral("fresh"), db, QStringLiteral("0"));
        transaction.commit();
        return n;
    });
    EXPECT_EQ(otherNumber.right(8), QStringLiteral("00000001"));
    EXPECT_EQ(mine.right(8), QStringLiteral("00000002"));
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from %1 where pname='fresh'")
                                  .arg(Schema::sqlName(db, QStringLiteral("parameter"))))
                  .toInt(),
              1);
}

INSTANTIATE_TEST_SUITE_P(Engines, MultiVersionTest, ::testing::Values(Engine::Firebird, Engine::Postgres),
                         engineTestName);

TEST(FirebirdServerTest, TheConfigurationReachesThePrivateServerOverTcp)
{
    skipLeakCheckAtExit();
    TempTree tree;
    FirebirdServer server(tree.path(QStringLiteral("firebird")));
    const QString error = server.start();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_TRUE(server.createDatabase(QStringLiteral("zd.fdb")).isEmpty());
    tree.writeConfig(server.config(QStringLiteral("zd.fdb")));
    const ConnectionConfig config = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
    EXPECT_EQ(config.server, QStringLiteral("localhost/%1:%2").arg(server.port()).arg(tree.path(QStringLiteral("firebird/zd.fdb"))));
    {
        QString openError;
        QSqlDatabase db = Connection::open(config, QStringLiteral("fb_tcp"), &openError);
        ASSERT_TRUE(db.isOpen()) << openError.toStdString();
        QSqlQuery q = Sql::exec(db, QStringLiteral(
            "select rdb$get_context('SYSTEM','NETWORK_PROTOCOL'),a.mon$server_pid from mon$attachments a"
            " where a.mon$attachment_id=current_connection"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString().trimmed(), QStringLiteral("TCPv4"));
        EXPECT_EQ(q.value(1).toLongLong(), server.pid());
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fb_tcp"));

    // A wrong password is refused: the server checks its own security database.
    ConnectionConfig wrong = config;
    wrong.password = QStringLiteral("masterkey");
    QString refused;
    EXPECT_FALSE(Connection::open(wrong, QStringLiteral("fb_wrong"), &refused).isOpen());
    EXPECT_FALSE(refused.isEmpty());

    // Stopped, it is gone.
    server.stop();
    EXPECT_FALSE(Connection::open(config, QStringLiteral("fb_gone"), &refused).isOpen());
}

} // namespace
