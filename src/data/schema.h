#pragma once
// Creates the database schema: catalogue base tables and the views qrydebooks, qrybooksall and
// qrypublishers; cart tables and qrydeshopcart; parameter; deorder, deorder_mx, decltrla,
// bookstore; and the indexes the windows' lookups use. One dialect per engine.
#include <QSqlDatabase>
#include <QStringList>

namespace Schema {

// True when the database already holds the schema (any of its tables).
bool exists(const QSqlDatabase &db);
// Creates every table, view and index in one go; throws AppError with the database's text.
void create(const QSqlDatabase &db);
// Drops everything create() makes (used by "zhengding-admin init --force").
void drop(const QSqlDatabase &db);

QStringList tableNames();
QStringList viewNames();

} // namespace Schema
