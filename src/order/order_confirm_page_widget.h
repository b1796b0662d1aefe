#pragma once
// Page 3 of the order wizard, "确认订单": the parties read-only (each edit of page 2 copied
// into its twin named with "_Ok"), the shipping requirements, the cart (DBGrid1) and its
// totals. Confirming it makes the orders.
#include "order/order_wizard_controls_widget.h"

#include <QHash>
#include <QWidget>

class DataSet;
class DbGrid;
class PpMenu;
class QDate;
class QLineEdit;
class QPlainTextEdit;
struct OrderParties;

class OrderConfirmPage : public QWidget {
    Q_OBJECT
public:
    OrderConfirmPage(DataSet &books, PpMenu *popupMenu, QWidget *parent);

    DbGrid *grid() const { return m_grid; }
    // Shows the parties as typed, the requested shipping date and the totals (ncount, sl,
    // my of their first row; empty when closed or empty).
    void show(const OrderParties &parties, const QDate &shippingDate, const DataSet &totals);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *copyEdit(const char *source);

    QHash<QString, QLineEdit *> m_copies;   // by the page-2 edit's name
    QLineEdit *m_edtFhrqOk = nullptr;
    QPlainTextEdit *m_mmNotesOk = nullptr;
    DbGrid *m_grid = nullptr;
    OrderWizardControls::Totals m_totals;
};
