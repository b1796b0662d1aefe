#pragma once
// Serial numbers from the named counters of table parameter (one row per name and owner):
// cart numbers ("shopcart"), batch numbers ("OrderBill") and order numbers ("order").
// A number is the counter's period text (today's date in the counter's pattern) followed by
// the sequence, left-padded with "0" to the counter's width and never cut.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

// Issues the next number of counter (name, userno); an empty name means "shopcart", an empty
// owner "0". A counter that does not exist yet starts at 1 with the pattern "YYYY" and width 8.
// The sequence restarts at 1 only when the period moves forward (PeriodMovesForward): a desk
// whose date lies behind the stored period (a PC with a wrong date, another desk already in
// the new year) counts on in the stored period, so two desks with different dates never hand
// out the same number; nobody is told.
// The counter row stores the number issued; an empty pvalue counts as 0.
// Runs in its own transaction scope: inside a caller's transaction it is a savepoint and lands
// or vanishes with the caller's work. A failing statement undoes the scope and throws AppError.
// Several desks may count at once: the counter row is locked as it is read (Firebird: WITH
// LOCK, PostgreSQL: FOR UPDATE, SQLite: the write lock), so no number is handed out twice.
// A lost race (an update conflict, a deadlock, another desk creating the same counter) throws
// Sql::ConflictError inside a caller's transaction, for the caller to run its whole
// transaction again (Sql::retryOnConflict); in a transaction of its own it runs again itself.
QString NextSerialNumber(const QString &name, const QSqlDatabase &db, const QString &userno,
                         const QDate &today = QDate::currentDate());

// The period text of a counter pattern on a date. Runs of Y, M and D (either case) are the
// year (YY: two digits, Y…Y of three or more: four), the month and the day (one letter: no
// leading zero, two or more: two digits); text in single or double quotes and every other
// character stand as they are. Empty and "手工编号" (manual numbering) give no period.
QString CounterPeriod(const QString &pformat, const QDate &date);

// Whether today's period of the pattern lies after the stored period text. The stored text is
// read back with the pattern into its year, month and day, which are compared with today's in
// that order (fields the pattern lacks are left out; a two-digit year compares as two digits).
// A stored text the pattern cannot read (the pattern was changed since) counts as forward: the
// counter restarts in today's period. Equal fields are not forward.
bool PeriodMovesForward(const QString &pformat, const QString &storedPeriod, const QDate &today);
