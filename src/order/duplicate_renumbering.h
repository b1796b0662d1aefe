#pragma once
// Gives the later of the orders (and carts) that share a number fresh numbers, so that the
// number becomes a unique key (see data/number_keys.h). Used by "zhengding-admin
// renumber-duplicates".
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

struct RenumberedHeader {
    QString table;          // "deorder" or "deshopcart"
    QString oldNumber;
    QString newNumber;
    QString supplierCode;   // deorder.xsfh of the renumbered order
    int movedLines = 0;     // deorder_mx lines that went with it
    bool linesStayed = false;   // its lines could not be told apart and stayed with the first
};

// For every order number held by several deorder rows the first row keeps it (by dhrq, then by
// the table's row order: SQLite rowid, Firebird RDB$DB_KEY, PostgreSQL ctid) and each later row
// gets NextSerialNumber("order") (numbers some row holds already are passed over). An order's lines carry only the number, so they are told
// apart by supplier, as orders are made one per supplier: the lines whose trimmed ghbm is the
// renumbered header's trimmed xsfh move with it. A later order of a supplier that already had
// an order with that number gets a new number, but its lines cannot be told apart and stay with
// the first (linesStayed). Cart numbers held by several deshopcart rows likewise: the later
// headers get NextSerialNumber("shopcart", owner "0"); cart lines carry no owner, so they stay
// with the first. All of it runs in one transaction, after which NumberKeys::upgrade can make
// the unique keys. Returns what was renumbered, orders first. Throws AppError (nothing changed).
QList<RenumberedHeader> RenumberDuplicates(const QSqlDatabase &db,
                                           const QDate &today = QDate::currentDate());
