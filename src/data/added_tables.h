#pragma once
// Start-up upgrade of a database made before some of the program's tables existed (the
// dispatch log "deorderlog"): the missing ones are created in one transaction, then the
// catalogue is read again, since a driver may report success for DDL whose commit failed.
#include <QSqlDatabase>
#include <QStringList>

namespace AddedTables {

// Creates what Schema::missingAdded names; returns the names created (empty: nothing to do).
// Throws AppError with the database's text, or naming a table that is still missing.
QStringList upgrade(const QSqlDatabase &db);

} // namespace AddedTables
