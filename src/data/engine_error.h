#pragma once
// What a failed database action means, read from the error the driver handed over: its native
// code and the engine's own words. The one place that knows the engines' codes and texts:
// SQLite (QSQLITE), Firebird (QIBASE) and, behind ODBC (QODBC), PostgreSQL and the SQLite
// ODBC driver.
//
// The native code has a form of its own for each driver, so one driver's code never reads
// as another's. QSQLITE gives SQLite's extended result code (5 busy, 2067 unique, …), each
// with fixed words of its own, which decide. QIBASE gives Firebird's SQLCODE (-913 update
// conflict or deadlock, -803 unique, …); ISC status numbers are read too. QODBC gives the
// native numbers of the ODBC driver's records, separated by ';': psqlodbc's is 1 for every
// server error, so there the words decide; a driver that hands over SQLSTATEs (40001,
// 23505, …) is read by them.
#include <QSqlError>

namespace EngineError {

enum class Kind {
    None,           // no error at all
    Conflict,       // the transaction lost a race with another desk (an update conflict, a
                    // deadlock, a serialization failure): run again from its start it usually
                    // succeeds
    Busy,           // another desk holds the database or the row and did not let go within
                    // the lock wait bound (SQLite's busy database, a lock wait that ran out,
                    // Firebird's statement cancelled at the bound)
    DiskFull,       // the disk or the database's size limit is full
    ReadOnly,       // the database, its file or the transaction cannot be written
    DuplicateKey,   // a second row for a unique key
    Other,          // anything else: the user can do nothing but read the engine's words
};

// The kind of a database error. An error that became text (an AppError's) is read through
// QSqlError(QString(), text, QSqlError::UnknownError): its words alone decide.
Kind kindOf(const QSqlError &error);

} // namespace EngineError
