#pragma once
// Turning the operator's cart into orders, one per supplier, and the cart edits the order
// wizard makes before that: quantities and removed titles.
#include "common/app_error.h"
#include "order/order_parties.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// One cart line's quantity as the user left it: the cart number, the title's key and the
// quantity.
struct CartQuantity {
    QString cartNumber;
    QString tm;
    qint64 quantity = 0;
};

// Writes each quantity into its cart line and sets the line's amount to price × quantity, so
// the totals shown before confirming are those the orders will carry. One transaction: all
// lines or none; throws AppError.
void SaveCartQuantities(const QSqlDatabase &db, const QList<CartQuantity> &rows);

// Removes the titles keyed by keys from the cart of operator op, in one transaction, and
// returns how many lines went. Throws AppError.
int DeleteCartLines(const QSqlDatabase &db, const QString &op, const QStringList &keys);

// The titles' keys of operator op's cart, sorted. Throws AppError.
QStringList CartTitleKeys(const QSqlDatabase &db, const QString &op);

// A line as the user confirmed it: the title's key and its quantity.
struct ConfirmedLine {
    QString tm;
    qint64 quantity = 0;
};

struct MadeOrder {
    QString orderNumber;    // dhdh
    QString supplierCode;   // xsfh
    QString supplierName;   // xsfm
    int lines = 0;
};

struct MadeOrders {
    QString batchNumber;    // dfdh shared by every order of the run
    QList<MadeOrder> orders;   // in order-number order, which is supplier-code order
    int lineCount = 0;

    QStringList orderNumbers() const;
};

// The cart no longer holds the titles the user confirmed (a title was added or removed
// elsewhere meanwhile): nothing was made, and the user should look at the cart again.
class CartChangedError : public AppError {
public:
    using AppError::AppError;
};

// The cart cannot be ordered as it is (it is empty, or titles have no supplier code):
// nothing was made and the text says why.
class OrderRefusedError : public AppError {
public:
    using AppError::AppError;
};

// The first line of the text of an AppError from a failed run of MakeOrders; the database's
// own text follows on the second line.
QString OrderMakingFailedText();

// The requested shipping date of orders made on a day: two days later.
QDate RequestedShippingDate(const QDate &today);

// Makes the orders of operator op's cart in one transaction: one batch number, then per
// supplier code (in code order) one order number, a header carrying the parties, the order
// date today and the requested shipping date, and one row per cart line with amount
// price × quantity. The confirmed quantities are written into the cart first. The cart then
// loses exactly the lines that were ordered.
//
// The cart must hold exactly the titles of confirmed and of leftInCart, else CartChangedError;
// the titles of leftInCart (those the user chose not to order this time) are neither ordered
// nor touched and stay in the cart. Nothing to order, lines without a supplier code, and
// lines whose price (the line's own, or the catalogue's now) is missing or negative give
// OrderRefusedError naming the titles and why. Any other failure gives AppError with
// OrderMakingFailedText() and the cause on a second line. In every one of these cases no
// order, no number and no change of the cart remains.
MadeOrders MakeOrders(const QSqlDatabase &db, const QString &op, const OrderParties &parties,
                      const QList<ConfirmedLine> &confirmed,
                      const QDate &today = QDate::currentDate(),
                      const QStringList &leftInCart = {});
