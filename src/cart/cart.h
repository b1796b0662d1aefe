#pragma once
// The cart: one header per operator code (deshopcart) with its lines (deshopcart_mx), filled
// from the marked rows of any title list. Titles travel as a key list: catalogue keys (tm)
// joined by single commas in row order.
#include "common/progress.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

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

// What AddToCart did with each title of a key list (each title once, in list order).
struct CartAddResult {
    struct Refused {
        QString key;      // tm
        QString title;    // sm, empty when the catalogue has no such title
        QString reason;   // the database's words, the price's fault, or that the catalogue has no such title
    };
    QStringList added;          // a line was inserted
    QStringList alreadyThere;   // the cart had a line for it already
    QList<Refused> refused;     // no line: the title is not in the catalogue or its line was refused
    bool cancelled = false;     // the user stopped it: nothing was written, the lists are empty

    // Every title of the list is in the cart now.
    bool complete() const { return refused.isEmpty() && !cancelled; }
};

// Adds the titles of keys to the cart of operator op with the default order quantity (read now)
// and consumes keys. The cart header and its number are created when op has no cart yet. A cart
// holds at most one line per title: a title already there, or listed twice, gets no second
// line. Empty keys are passed over. A title without a catalogue row, without a price or with a
// negative one (see CataloguePrice), or whose line cannot be inserted, is reported in the
// result with the reason and the others still land. Any other
// database error undoes the whole call (no header, no lines, no number used), leaves keys as
// they were and throws AppError.
// The titles go in as sets (a few hundred keys bound to one statement), all in one
// transaction; progress counts the titles, and stopping it undoes the whole call as an error
// would, but returns a result marked cancelled instead of throwing.
CartAddResult AddToCart(QString &keys, const QSqlDatabase &db, const QString &op,
                        Progress &progress = Progress::none());

// The user's text for a result: "已经将所选书目放入购物车" only when every title went in (with how
// many were there already), otherwise how many went in and each refused title by name and key.
QString CartAddMessage(const CartAddResult &result);

// Puts the marked rows of ds into the cart ("shopcart", the one mode there is) and tells the
// user what happened. When every title went in it clears the marks and returns true; when a
// title was refused the message names it, the marks stay and it returns false. With nothing
// to put, says so and returns false. Titles ordered this season are named first (see
// SeasonOrders::confirmCartKeys): 是 puts them in too, 否 leaves them out (the marks stay
// when none is left), 取消 changes nothing and returns false. When the cart cannot be written it shows nothing, keeps
// the marks and rethrows. Many titles show the prompter's progress; when the user stops it the
// cart is as it was, the marks stay, it says so and returns false.
bool PlaceSelection(MarkedRowList &marked, DataSet &ds, const QSqlDatabase &db,
                    const QString &mode, const QString &op, Prompter &prompter);
