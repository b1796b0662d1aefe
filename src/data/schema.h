#pragma once
// Creates the database schema: catalogue base tables and the views qrydebooks, qrybooksall and
// qrypublishers; cart tables and qrydeshopcart; parameter; deorder, deorder_mx, decltrla,
// bookstore; and the indexes the windows' lookups use. One dialect per engine.
#include <QSqlDatabase>
#include <QStringList>

namespace Schema {

// The SQL dialect behind a connection. QSQLITE and QIBASE say it themselves; behind ODBC the
// engine is asked (an SQLite file through the SQLite ODBC driver, PostgreSQL, Firebird) once
// per connection, and the answer is kept with the connection.
enum class Dialect { Sqlite, Firebird, Postgres, Unknown };
Dialect dialectOf(const QSqlDatabase &db);

// True when the database already holds the schema (any of its tables).
bool exists(const QSqlDatabase &db);
// Creates every table, view and index in one go; throws AppError with the database's text.
void create(const QSqlDatabase &db);
// Throws AppError naming every table and view of create() that the database lacks (added
// tables included: run createAddedTables first on an older database). create()
// ends with it; a caller that commits create() inside its own transaction checks again after
// its commit (a driver may report success for DDL whose commit failed).
// withAdded false: the tables added later (addedTableNames) are not asked for.
void verify(const QSqlDatabase &db, bool withAdded = true);
// The lower-case names of the tables and views of create() that the database lacks, tables
// first; empty when it holds them all. Tables added later (addedTableNames) are not counted:
// start-up makes them (createAddedTables). Reads the catalogue only: changes nothing.
QStringList missing(const QSqlDatabase &db);
// The tables create() makes that were added after databases were in use ("deorderlog").
QStringList addedTableNames();
// Which of them the database lacks.
QStringList missingAdded(const QSqlDatabase &db);
// Creates the added tables the database lacks, with their indexes, inside the caller's
// transaction. Throws AppError with the database's text.
void createAddedTables(const QSqlDatabase &db);
// Drops everything create() makes (used by "zhengding-admin init --force").
void drop(const QSqlDatabase &db);

// Lower-case names of the base tables and of the views that create() makes.
QStringList tableNames();
QStringList viewNames();

// The base tables of the supplier's catalogue (publishers, debooks, detsnrty and the category
// tables), which a catalogue import replaces; the other tables hold the program's own rows.
QStringList catalogueTableNames();
// A column of one of tableNames(): its name and its type as create() declares it —
// "v<N>" text of at most N characters, "memo" long text, "n<P>,<S>" exact decimal, "int".
struct ColumnInfo {
    QString name;
    QString type;
};
// The columns of a table in order; empty for a name that is none of tableNames().
QList<ColumnInfo> columnsOf(const QString &table);
// The table's primary key column, or an empty text when it has none.
QString primaryKeyOf(const QString &table);

// How a statement names one of tableNames() on this connection: "parameter" is a reserved
// word in Firebird and is written "PARAMETER" (quoted) there; every other name is itself.
// Costs no statement once the connection's dialect is known.
QString sqlName(const QSqlDatabase &db, const QString &name);

// The statements create() runs on this connection, in order (tables, indexes, views).
// Throws AppError for an engine without a dialect.
QStringList createStatements(const QSqlDatabase &db);

} // namespace Schema
