#pragma once
// The cart: one header per operator code (deshopcart) with its lines (deshopcart_mx), filled
// from the marked rows of any title list. Titles travel as a key list: catalogue keys (tm)
// joined by single commas in row order.
#include <QSqlDatabase>
#include <QString>

class DataSet;
class MarkedRowList;
class Prompter;

// Appends to keys the text of field for every row whose key (the marked-row list's key field)
// is ticked, in the list's current order, whatever sort, locate or refresh came between the
// ticks and this call (joined by ","; an empty keys simply becomes the first value). Returns
// whether keys is non-empty afterwards; a closed or empty list returns false and leaves keys
// alone. The list's current row does not move.
bool CollectSelectedKeys(const MarkedRowList &marked, DataSet &ds, QString &keys,
                         const QString &field);

// Adds the titles of keys to the cart of operator op with the default order quantity (read now)
// and consumes keys. The cart header and its number are created when op has no cart yet. In an
// existing cart a title already there is skipped; keys are not compared with the lines of a
// cart this call created, so a key listed twice there gives two lines. A key without a
// catalogue row adds nothing. A line that cannot be inserted is left out and the others still
// land. Any other database error undoes the whole call (no header, no lines, no number used),
// leaves keys as they were and throws AppError.
void AddToCart(QString &keys, const QSqlDatabase &db, const QString &op);

// Puts the marked rows of ds into the cart ("shopcart", the one mode there is) and tells the
// user; clears the marks and returns true. With nothing to put, says so and returns false.
// When the cart cannot be written it shows nothing, keeps the marks and rethrows.
bool PlaceSelection(MarkedRowList &marked, DataSet &ds, const QSqlDatabase &db,
                    const QString &mode, const QString &op, Prompter &prompter);
