// The schema and the demo catalogue on real engines other than the embedded file: Firebird
// embedded (a database file made with isql-fb), an ODBC data source over an SQLite file
// (unixODBC with the SQLite ODBC driver) and one over PostgreSQL (a private server started for
// the test, reached through psqlodbc). A missing engine fails these tests.
#include "db_servers.h"
#include "schema_checks.h"
#include "qt_print.h"
#include "temp_tree.h"
#include "foreign_leaks.h"

#include "scripted_prompter.h"

#include "app/data_module.h"
#include "cart/cart.h"
#include "cart/search_condition.h"
#include "common/string_cipher.h"
#include "data/connection.h"
#include "data/demo_catalogue.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "search_titles.h"

namespace {

// Opens the database that bin/syscfg.dbm describes, as the program does.
class EngineTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db;
    const QString connectionName = QStringLiteral("engine_test");

    void TearDown() override { closeConnection(); }

    void closeConnection()
    {
        if (db.isValid()) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
        }
    }

    void openConfigured(const QByteArray &config)
    {
        tree.writeConfig(config);
        const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
        QString error;
        db = Connection::open(c, connectionName, &error);
        ASSERT_TRUE(db.isOpen()) << error.toStdString();
    }

    // Start-up over the configured database refuses it, and the database is left without tables.
    void expectStartUpRefuses(const QByteArray &config)
    {
        tree.writeConfig(config);
        ScriptedPrompter prompter;
        DataModuleState state = DataModule::create(prompter, QStringLiteral("engine_startup"));
        EXPECT_TRUE(state.endRequested);
        EXPECT_FALSE(state.con.isOpen());
        EXPECT_FALSE(QSqlDatabase::contains(QStringLiteral("engine_startup")));
        ASSERT_EQ(prompter.shown.size(), 1) << prompter.texts().join(u'|').toStdString();
        EXPECT_EQ(prompter.shown.first().text,
                  DataModule::connectionFailureText(DataModule::catalogueMissingText(
                      Schema::tableNames() + Schema::viewNames())));
        EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("zhengding-admin init")));
        openConfigured(config);
        EXPECT_FALSE(Schema::exists(db)) << "start-up created something";
    }

    // What every engine must do with the schema and the demo catalogue.
    void exerciseSchema(Schema::Dialect expected)
    {
        EXPECT_EQ(Schema::dialectOf(db), expected);
        EXPECT_FALSE(Schema::exists(db));
        ASSERT_NO_THROW(Schema::create(db));
        EXPECT_TRUE(Schema::exists(db));
        SchemaChecks::expectAllRelations(db);
        const QSet<QString> columns = SchemaChecks::columnsOf(db, QStringLiteral("qrydebooks"));
        for (const QString &c : SchemaChecks::browseColumns() + QStringList{QStringLiteral("fmtp"), QStringLiteral("kz11")})
            EXPECT_TRUE(columns.contains(c.toLower())) << c.toStdString();
        SchemaChecks::expectStatementsRun(db);
        SchemaChecks::expectOrderRoad(db);
        SchemaChecks::expectWidestTitleTravels(db, 500);

        // The demo catalogue fits the engine's column widths and joins as on SQLite.
        ASSERT_NO_THROW(DemoCatalogue::fill(db, 150, {}, true));
        EXPECT_EQ(DemoCatalogue::titleCount(db), 150);
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from debooks b where not exists "
                                                 "(select 1 from debook_categories c where "
                                                 "c.pno=b.cbbm and c.category=b.ztmc)"))
                      .toInt(),
                  0);
        const QVariant title = Sql::scalar(db, QStringLiteral("select sm from qrydebooks where tm=?"),
                                           {QStringLiteral("2000000000001")});
        EXPECT_FALSE(title.toString().isEmpty());
        const QVariant price = Sql::scalar(db, QStringLiteral("select dj from qrydebooks where tm=?"),
                                           {QStringLiteral("2000000000002")});
        EXPECT_GT(price.toDouble(), 0.0);
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from qrybooksall where nrty is not null"))
                      .toInt(),
                  Sql::scalar(db, QStringLiteral("select count(*) from detsnrty")).toInt());
        exerciseCart();
        exerciseTypedSearchAndPrices();

        ASSERT_NO_THROW(Schema::drop(db));
        EXPECT_FALSE(Schema::exists(db));
    }

    // The cart's set insert on the engine: every title once with its amount, an unknown key
    // named, a second call finds them all there.
    void exerciseCart()
    {
        Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
        Sql::exec(db, QStringLiteral("delete from deshopcart"));
        QStringList titles;
        QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from qrydebooks order by tm"));
        while (q.next())
            titles << q.value(0).toString();
        ASSERT_EQ(titles.size(), 150);
        QString keys = titles.join(u',') + QStringLiteral(",nosuch,") + titles.first();
        const CartAddResult first = AddToCart(keys, db, QString());
        EXPECT_EQ(first.added, titles);
        ASSERT_EQ(first.refused.size(), 1);
        EXPECT_EQ(first.refused.first().key, QStringLiteral("nosuch"));
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from qrydeshopcart where op=?"),
                              {QStringLiteral("")}).toInt(),
                  150);
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deshopcart_mx m"
                                                 " inner join debooks b on b.tm=m.tm"
                                                 " where m.sl=10 and m.sm=b.sm and m.my=b.dj*10"))
                      .toInt(),
                  150);
        keys = titles.join(u',');
        const CartAddResult again = AddToCart(keys, db, QString());
        EXPECT_TRUE(again.added.isEmpty());
        EXPECT_EQ(again.alreadyThere, titles);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }

    // A typed "%" and "_" match as typed (LIKE … ESCAPE on the engine), "不等于" keeps a title
    // whose field is NULL, and a title without a price stays out of the cart with the reason.
    void exerciseTypedSearchAndPrices()
    {
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,csm) values ('W1','满分100%_题解',null)"));
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,csm,dj) values ('W2','满分1000题解','丛书',1)"));
        const auto found = [&](const BoundCondition &c) { return searchTitles(db, c); };
        EXPECT_EQ(found(SimpleCondition(QStringLiteral("书名"), 0, QStringLiteral("0%_题"))), QStringList{"W1"});
        EXPECT_EQ(found(SimpleCondition(QStringLiteral("书名"), 1, QStringLiteral("满分100%"))), QStringList{"W1"});
        const QStringList others = found(SimpleCondition(QStringLiteral("丛书名称"), 4, QStringLiteral("丛书")));
        EXPECT_TRUE(others.contains(QStringLiteral("W1")));
        EXPECT_FALSE(others.contains(QStringLiteral("W2")));

        QString keys = QStringLiteral("W1,W2");
        const CartAddResult added = AddToCart(keys, db, QStringLiteral("w"));
        EXPECT_EQ(added.added, QStringList{"W2"});
        ASSERT_EQ(added.refused.size(), 1);
        EXPECT_EQ(added.refused.first().reason, QStringLiteral("没有估定价"));
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }
};

TEST_F(EngineTest, FirebirdEmbedded)
{
    skipLeakCheckAtExit();
    QByteArray config;
    const QString error = createEmbeddedFirebird(tree.path(QStringLiteral("zd.fdb")), &config);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    openConfigured(config);
    exerciseSchema(Schema::Dialect::Firebird);
}

// Start-up over an engine's database without the program's tables ends with the connection
// message that names the init command, and creates nothing in it.
TEST_F(EngineTest, StartUpRefusesAFirebirdDatabaseWithoutTheCatalogue)
{
    skipLeakCheckAtExit();
    QByteArray config;
    const QString error = createEmbeddedFirebird(tree.path(QStringLiteral("empty.fdb")), &config);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    expectStartUpRefuses(config);
}

TEST_F(EngineTest, OdbcDataSourceOverSqlite)
{
    [[maybe_unused]] const ForeignLeaksIgnored driverKeepsItsAllocations;
    const OdbcLists &lists = OdbcLists::instance();
    ASSERT_FALSE(lists.sqliteDriver.isEmpty()) << "the SQLite ODBC driver (libsqliteodbc) is needed";
    QFile::remove(lists.sqliteFile());
    openConfigured("[All]\r\nsDbType=Ora\r\n[Ora]\r\nsUid=zd\r\nsPwd=\r\nsServer=zd_sqlite_source\r\n");
    exerciseSchema(Schema::Dialect::Sqlite);
}

TEST_F(EngineTest, StartUpRefusesAnOdbcDatabaseWithoutTheCatalogue)
{
    [[maybe_unused]] const ForeignLeaksIgnored driverKeepsItsAllocations;
    const OdbcLists &lists = OdbcLists::instance();
    ASSERT_FALSE(lists.sqliteDriver.isEmpty()) << "the SQLite ODBC driver (libsqliteodbc) is needed";
    QFile::remove(lists.sqliteFile());
    expectStartUpRefuses("[All]\r\nsDbType=Ora\r\n[Ora]\r\nsUid=zd\r\nsPwd=\r\nsServer=zd_sqlite_source\r\n");
}

TEST_F(EngineTest, OdbcDataSourceOverPostgres)
{
    PostgresServer server;
    const QString error = server.start();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    openConfigured(PostgresServer::config());
    exerciseSchema(Schema::Dialect::Postgres);
    closeConnection();   // before the server goes
}

// The password reaches the server whole, whatever it holds: a ";" or "}" in it is part of the
// value and adds no attribute to the connection string; nor can the user name add one.
TEST_F(EngineTest, OdbcCredentialsAreQuoted)
{
    PostgresServer server;
    const QString error = server.start();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    openConfigured(PostgresServer::config());
    const QString roles[][2] = {
        {QStringLiteral("zd_quoted"), QStringLiteral("pa;ss}w{ord=1")},
        {QStringLiteral("zd_second"), QStringLiteral("}x;PWD=y")},
    };
    for (const auto &role : roles) {
        QString name = role[0];
        QString password = role[1];
        Sql::exec(db, QStringLiteral("create role \"%1\" login password '%2'")
                          .arg(name.replace(u'"', QStringLiteral("\"\"")),
                               password.replace(u'\'', QStringLiteral("''"))));
    }
    // The engine is known from the opening on: it is not asked again, even when it cannot be.
    db.close();
    EXPECT_EQ(Schema::dialectOf(db), Schema::Dialect::Postgres);
    closeConnection();
    ASSERT_TRUE(server.requirePasswords().isEmpty());

    const struct {
        QString user;
        QString password;
        bool opens;
    } cases[] = {
        {roles[0][0], roles[0][1], true},
        {roles[1][0], roles[1][1], true},
        {roles[0][0], QStringLiteral("pa;ss}w{ord=2"), false},
        // Unquoted, the second UID would log in as the trusted role without a password.
        {roles[0][0], QStringLiteral("wrong;UID=zd"), false},
        {roles[0][0] + QStringLiteral(";UID=zd"), QStringLiteral("wrong"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.user + u' ' + c.password).toStdString());
        ConnectionConfig config;
        config.kind = QStringLiteral("Ora");
        config.user = c.user;
        config.password = c.password;
        config.server = QStringLiteral("zd_postgres_source");
        QString openError;
        {
            const QSqlDatabase quoted = Connection::open(config, QStringLiteral("quoted"), &openError);
            EXPECT_EQ(quoted.isOpen(), c.opens) << openError.toStdString();
            if (quoted.isOpen())
                EXPECT_EQ(Sql::scalar(quoted, QStringLiteral("select current_user")).toString(), c.user);
            else
                EXPECT_FALSE(openError.isEmpty());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("quoted"));
    }
}

} // namespace
