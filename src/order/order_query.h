#pragma once
// Looking stored orders up: orders by order date and one text field, the rows and totals of
// one order, and deleting orders.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Statement text with its positional ("?") values, ready for DataSet::setStatement.
struct BoundStatement {
    QString text;
    QVariantList values;
};

// The field choices of the query bar, in the order offered; the first is the default.
QStringList OrderQueryFieldCaptions();
// The deorder column behind a field caption, or an empty text for an unknown caption.
QString OrderQueryColumn(const QString &caption);

struct OrderFilter {
    QDate from;
    QDate to;
    QString fieldCaption;   // one of OrderQueryFieldCaptions()
    QString value;          // matched as a substring, exactly as typed; empty: no filter
};

// The orders dated from..to (both included) whose chosen field contains the value, in
// order-number order. "%" and "_" in the value are matched as themselves. Throws AppError
// for an unknown field caption.
BoundStatement OrderQueryStatement(const OrderFilter &filter);

// The rows of one order.
BoundStatement OrderLinesStatement(const QString &orderNumber);

struct OrderTotals {
    int titles = 0;
    double quantity = 0;
    double amount = 0;
};
// Number of rows, total quantity and total amount of one order; zeros for an unknown order.
OrderTotals OrderTotalsOf(const QSqlDatabase &db, const QString &orderNumber);

// Deletes the orders, rows first then headers, in one transaction, and returns how many
// orders went. An order already sent (cdcs above 0) is refused: nothing is deleted and
// AppError names it. On any failure nothing is deleted and AppError is thrown.
int DeleteOrders(const QSqlDatabase &db, const QStringList &orderNumbers);
