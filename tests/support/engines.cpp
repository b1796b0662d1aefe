#include "engines.h"

#include "foreign_leaks.h"

#include "data/connection.h"
#include "data/schema.h"

const char *engineName(Engine engine)
{
    switch (engine) {
    case Engine::Sqlite:
        return "Sqlite";
    case Engine::Firebird:
        return "Firebird";
    case Engine::Postgres:
        return "PostgresOdbc";
    }
    return "Unknown";
}

std::string engineTestName(const ::testing::TestParamInfo<Engine> &info)
{
    return engineName(info.param);
}

void PrintTo(Engine engine, std::ostream *os)
{
    *os << engineName(engine);
}

QString EngineDatabase::make(Engine engine, TempTree &tree)
{
    switch (engine) {
    case Engine::Sqlite:
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
        return tree.createDatabase().isOpen() ? QString() : QStringLiteral("no SQLite database");
    case Engine::Firebird: {
        skipLeakCheckAtExit();   // see foreign_leaks.h
        QByteArray config;
        const QString error = createEmbeddedFirebird(tree.path(QStringLiteral("database.fdb")), &config);
        if (error.isEmpty())
            tree.writeConfig(config);
        return error;
    }
    case Engine::Postgres: {
        m_postgres = std::make_unique<PostgresServer>();
        const QString error = m_postgres->start();
        if (error.isEmpty())
            tree.writeConfig(PostgresServer::config());
        return error;
    }
    }
    return QStringLiteral("unknown engine");
}

namespace {
const QString SchemaConnection = QStringLiteral("engine_schema");
}

void EngineSchemaTest::SetUp()
{
    const QString error = database.make(GetParam(), tree);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
    QString openError;
    db = Connection::open(c, SchemaConnection, &openError);
    ASSERT_TRUE(db.isOpen()) << openError.toStdString();
    if (GetParam() != Engine::Sqlite) {
        ASSERT_NO_THROW(Schema::create(db));
    }
}

void EngineSchemaTest::TearDown()
{
    if (QSqlDatabase::contains(SchemaConnection)) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(SchemaConnection);
    }
    database = EngineDatabase();   // after its connection
}
