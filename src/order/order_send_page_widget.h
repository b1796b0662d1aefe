#pragma once
// Page 4 of the order wizard, "发送订单": the batch's orders (DbgOrder) and the rows of the
// current one (DbgOrder_Mx) with their totals; the order that is current is sent or exported.
#include "order/order_wizard_controls_widget.h"

#include <QSqlDatabase>
#include <QWidget>

class DataSet;
class DbGrid;
class PpMenu;
class Prompter;
struct OrderDocument;

class OrderSendPage : public QWidget {
    Q_OBJECT
public:
    OrderSendPage(Prompter &prompter, const QSqlDatabase &db, DataSet &orders, DataSet &rows,
                  PpMenu *popupMenu, QWidget *parent);

    // Lists the orders of the batch; throws AppError when that fails or none is found.
    void open(const QString &batchNumber);
    void close();
    bool hasOrders() const;
    bool hasRows() const;
    QString currentOrder() const;
    OrderDocument currentDocument() const;
    // Makes the order current (nothing when it is not listed).
    void select(const QString &order);
    void focusList();

private:
    void orderChanged();
    void showTotals();

    Prompter &m_prompter;
    QSqlDatabase m_db;
    DataSet &m_orders;
    DataSet &m_rows;
    DbGrid *m_orderGrid = nullptr;
    OrderWizardControls::Totals m_totals;
};
