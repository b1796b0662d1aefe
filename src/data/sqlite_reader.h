#pragma once
// Rows of an executed QSQLITE query read straight from SQLite into the columns of a list.
// The QtSql driver keeps preparing the statement and binding its values; only the rows are
// read here, through the statement the driver made, and they come out as the driver would
// give them (whole numbers as qint64, other numbers as double, texts as the driver decodes
// them, byte arrays, nulls) without a QVariant and a second copy per value.
//
// The driver links the system's libsqlite3 (Debian's libqt6sql6-sqlite does), the library
// this file links: the statement handle is used by the one SQLite of the process.
#include <QSqlQuery>
#include <vector>

class ColumnStore;

namespace SqliteReader {

// Whether the rows of this executed query can be read here: a QSQLITE statement the driver
// exposes, with the driver's default number policy (a connection that asks for another one
// reads through the driver).
bool canRead(const QSqlQuery &query);

// Appends every row of the executed query to the columns (one per result column, created
// from the query's record) and returns the number of rows. Throws AppError with the
// driver's text when a row cannot be fetched.
size_t readAll(QSqlQuery &query, std::vector<ColumnStore> &columns);

} // namespace SqliteReader
