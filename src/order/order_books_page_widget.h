#pragma once
// Page 1 of the order wizard, "确认书目": the cart's lines (DbgOk), their quantities edited in
// the grid or with the quantity dialog. A quantity typed into the grid reaches the cart as
// soon as its cell is left; an open cell editor is committed before any button acts.
#include "order/cart_quantity_writes.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QWidget>

class DataSet;
class DbGrid;
class MarkedRowList;
class PpMenu;
class Prompter;

class OrderBooksPage : public QWidget {
    Q_OBJECT
public:
    // books and totals: the cart's lines (DsOk) and their totals (DsHz) of the operator op.
    OrderBooksPage(Prompter &prompter, const QSqlDatabase &db, const QString &op, DataSet &books, DataSet &totals,
                   MarkedRowList &marked, PpMenu *popupMenu, QWidget *parent);

    DbGrid *grid() const { return m_grid; }
    // From here on a quantity changed in the list goes to the cart, and the pop-up commits a
    // typed one first. Called once every grid on the list is built: they show the change
    // before it is written (and any error of the write is told).
    void followEdits(PpMenu *popupMenu);

    // The grid's open editor committed; false when the quantity typed last was refused (and
    // that is told).
    bool commitEdit();
    // The quantities changed so far go to the cart; every row's with all. Throw AppError.
    void writeQuantities();
    void writeAllQuantities();
    // The quantity dialog on the grid (its double click); errors are shown, not passed on.
    void editQuantity();
    // 删除: the marked titles out of the cart, once the clerk agrees; false when none went.
    // Errors are shown, not passed on.
    bool deleteMarked();

    // The lists without the titles of keys, which stay in the cart this run (closed; they open
    // when shown); no keys: the whole cart.
    void setLeftOut(const QStringList &keys);
    const QStringList &leftOut() const { return m_leftOut; }
    // Whether the cart's titles differ from those the list read (a closed list counts as
    // changed). Throws AppError.
    bool cartChanged() const;
    // Lines of quantity 0: the clerk orders them as 0, or (by default) leaves them in the cart;
    // false when nothing is left to order.
    bool askAboutZeroQuantities();
    // Lines of titles ordered this season are named: the clerk orders them again, or leaves
    // them in the cart for this run (nothing leaves the cart); false when nothing is left to
    // order. Throws AppError.
    bool askAboutSeasonOrders();

private:
    void tellRefusedEdit();
    void quantityChanged(int row, int fieldIndex);

    Prompter &m_prompter;
    QSqlDatabase m_db;
    QString m_op;
    DataSet &m_books;
    DataSet &m_totals;
    MarkedRowList &m_marked;
    QStringList m_leftOut;   // titles (of quantity 0, or ordered this season) this run does not order
    DbGrid *m_grid = nullptr;
    CartQuantityWrites m_quantities;
    bool m_writeQueued = false;
    bool m_editRefused = false;   // a typed quantity was refused and not yet told
};
