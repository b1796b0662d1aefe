#pragma once
// The quantities typed into the order wizard's list of cart lines (fields dhdh, tm, sl, dj,
// my) on their way into the cart: every write of them goes through write().
#include "order/order_making.h"

#include <QList>
#include <QSqlDatabase>

class DataSet;

class CartQuantityWrites {
public:
    // A changed quantity in lines recomputes the row's amount, price × quantity to four places.
    static void followAmounts(DataSet &lines);

    // Notes the row's quantity when the field changed is the quantity and it is not null;
    // false when nothing was noted.
    bool noteChange(const DataSet &lines, int row, int fieldIndex);
    // Notes every row's quantity (a null one as 0).
    void noteAll(const DataSet &lines);
    bool isEmpty() const { return m_rows.isEmpty(); }

    // Writes what is noted, in one transaction, and forgets it (also when the write fails);
    // with nothing noted no statement runs. Throws AppError.
    void write(const QSqlDatabase &db);

private:
    QList<CartQuantity> m_rows;
};
