#pragma once
// The unique keys of the numbers that are issued once: the order number deorder.dhdh and the
// cart number deshopcart.dhdh (one header row each). A database made before these keys were
// unique has ordinary indexes (or none) there and may hold a number twice; upgrade() makes the
// keys unique when it holds none, and duplicates() names what stands in the way.
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace NumberKeys {

// A number held by more than one header row.
struct Duplicate {
    QString table;    // "deorder" or "deshopcart"
    QString number;
    int rows = 0;
};

// Every duplicated order and cart number, orders first, each in number order.
QList<Duplicate> duplicates(const QSqlDatabase &db);

// Whether both unique keys exist, read from the engine's catalogue.
bool unique(const QSqlDatabase &db);

enum class Outcome {
    AlreadyUnique,   // nothing to do
    MadeUnique,      // the keys were made unique now
    Duplicates,      // numbers held twice: nothing was changed
};
struct UpgradeResult {
    Outcome outcome = Outcome::AlreadyUnique;
    QList<Duplicate> duplicates;
};

// Makes the missing unique keys in one transaction (and drops the ordinary order-number index
// they replace) when no number is held twice; changes nothing otherwise. Reads the catalogue
// again after the commit, since a driver may report success for DDL whose commit failed.
// Throws AppError with the database's text when a statement fails.
UpgradeResult upgrade(const QSqlDatabase &db);

// Creates the unique keys that are missing inside the caller's transaction (drops the old
// ordinary index too). The caller makes sure no number is held twice.
void createMissingKeys(const QSqlDatabase &db);

// The user's message for duplicates: which numbers, and the command that renumbers them.
QString duplicatesMessage(const QList<Duplicate> &duplicates);

} // namespace NumberKeys
