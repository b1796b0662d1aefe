// The schema and the demo catalogue on real engines other than the embedded file: Firebird
// embedded (a database file made with isql-fb) and an ODBC data source (unixODBC with the
// SQLite ODBC driver). A missing engine fails these tests.
#include "schema_checks.h"
#include "qt_print.h"
#include "temp_tree.h"

#include "common/string_cipher.h"
#include "data/connection.h"
#include "data/demo_catalogue.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Opens the database that bin/syscfg.dbm describes, as the program does.
class EngineTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db;
    const QString connectionName = QStringLiteral("engine_test");

    void TearDown() override
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

        ASSERT_NO_THROW(Schema::drop(db));
        EXPECT_FALSE(Schema::exists(db));
    }
};

TEST_F(EngineTest, FirebirdEmbedded)
{
    const QString path = tree.path(QStringLiteral("zd.fdb"));
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
    ASSERT_TRUE(isql.waitForStarted(10000)) << "isql-fb (firebird3.0-utils) is needed";
    isql.write(QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' PASSWORD 'masterkey' "
                              "DEFAULT CHARACTER SET UTF8;\nquit;\n")
                   .arg(path)
                   .toUtf8());
    isql.closeWriteChannel();
    ASSERT_TRUE(isql.waitForFinished(60000));
    ASSERT_TRUE(QFileInfo::exists(path)) << isql.readAllStandardError().toStdString();

    openConfigured(QStringLiteral("[All]\r\nsDbType=Fb\r\n[Fb]\r\nsUid=SYSDBA\r\nsPwd=%1\r\n"
                                  "sServer=%2\r\n")
                       .arg(StringCipher::encipherPassword(QStringLiteral("masterkey")), path)
                       .toUtf8());
    exerciseSchema(Schema::Dialect::Firebird);
}

QString sqliteOdbcDriver()
{
    QStringList candidates;
    for (const QFileInfo &dir : QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        candidates << dir.filePath() + QStringLiteral("/odbc/libsqlite3odbc.so");
    candidates << QStringLiteral("/usr/lib/odbc/libsqlite3odbc.so")
               << QStringLiteral("/usr/local/lib/libsqlite3odbc.so");
    for (const QString &c : candidates)
        if (QFileInfo::exists(c))
            return c;
    return {};
}

TEST_F(EngineTest, OdbcDataSource)
{
    const QString driver = sqliteOdbcDriver();
    ASSERT_FALSE(driver.isEmpty()) << "the SQLite ODBC driver (libsqliteodbc) is needed";
    // A private driver and data-source list, read by unixODBC when the connection opens.
    const QString odbcDir = tree.path(QStringLiteral("odbc"));
    QDir().mkpath(odbcDir);
    tree.writeFile(QStringLiteral("odbc/odbcinst.ini"),
                   QStringLiteral("[ZD SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%1\n"
                                  "Setup=%1\nThreading=2\n")
                       .arg(driver)
                       .toUtf8());
    tree.writeFile(QStringLiteral("odbc/odbc.ini"),
                   QStringLiteral("[zd_test_source]\nDriver=ZD SQLite3\nDatabase=%1\nTimeout=10000\n")
                       .arg(tree.path(QStringLiteral("odbc/catalogue.db")))
                       .toUtf8());
    qputenv("ODBCSYSINI", odbcDir.toLocal8Bit());
    qputenv("ODBCINI", (odbcDir + QStringLiteral("/odbc.ini")).toLocal8Bit());

    openConfigured("[All]\r\nsDbType=Ora\r\n[Ora]\r\nsUid=zd\r\nsPwd=\r\nsServer=zd_test_source\r\n");
    exerciseSchema(Schema::Dialect::Sqlite);
}

} // namespace
