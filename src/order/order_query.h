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
    // One of OrderDispatchStates(): orders whose last dispatch had that result ("未发送": none);
    // empty: every order.
    QString dispatchState;
};

// The choices of the dispatch filter: "未发送", "已交给邮件程序", "已发送", "发送失败".
QStringList OrderDispatchStates();
// The position of "fszt" in OrderQueryStatement's columns: the last dispatch as shown
// ("未发送", "已交给邮件程序 12-10 14:03", "已发送 12-10 14:05", "发送失败：…").
int OrderQueryStateColumn();

// The orders dated from..to (both included) whose chosen field contains the value, in
// order-number order, each with its last dispatch. "%" and "_" in the value are matched as
// themselves. Throws AppError for an unknown field caption or dispatch state.
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
