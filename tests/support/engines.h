#pragma once
// The engines a test runs on, as the parameter of a test over several of them, and an empty
// database of each for one test: the embedded SQLite file, Firebird embedded and PostgreSQL
// through ODBC (a private server, see db_servers.h).
#include "db_servers.h"
#include "temp_tree.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

enum class Engine { Sqlite, Firebird, Postgres };

const char *engineName(Engine engine);
// The name of a test instance: INSTANTIATE_TEST_SUITE_P(…, ::testing::Values(…), engineTestName).
std::string engineTestName(const ::testing::TestParamInfo<Engine> &info);
void PrintTo(Engine engine, std::ostream *os);

// An empty database of the engine, named by the tree's bin/syscfg.dbm as the program reads it:
// SQLite the tree's own file with the schema (TempTree::createDatabase), Firebird an embedded
// file without tables, PostgreSQL a private server's database without tables, running while
// the object lives (destroy it after the connections to it).
class EngineDatabase {
public:
    // Empty text when the database is ready, else what went wrong.
    QString make(Engine engine, TempTree &tree);

private:
    std::unique_ptr<PostgresServer> m_postgres;
};

// A test over the engines on a database with the program's schema, opened as the program
// opens it from the tree's syscfg.dbm.
class EngineSchemaTest : public ::testing::TestWithParam<Engine> {
protected:
    TempTree tree;
    EngineDatabase database;
    QSqlDatabase db;

    void SetUp() override;
    void TearDown() override;
};
