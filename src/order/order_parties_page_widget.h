#pragma once
// Page 2 of the order wizard, "订货信息": orderer, consignee and payer, one edit per field of
// PartyFields() (those not shown are kept on the page, hidden), the requested shipping date
// and the remarks. Enter moves on to the next control; a required edit left empty is coloured.
#include "order/order_parties.h"

#include <QDate>
#include <QWidget>

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

class OrderPartiesPage : public QWidget {
    Q_OBJECT
public:
    explicit OrderPartiesPage(QWidget *parent);

    // The parties as typed (text bound as text), and the edits filled from parties.
    OrderParties parties() const;
    void fill(const OrderParties &parties);

    // The first value longer than its order column, named, with its edit focused where it is
    // shown within ancestor; or an empty text.
    QString overlongParty(const QWidget *ancestor) const;
    // The focus to the first required edit left empty / to the postcode / to the first edit.
    void focusMissing();
    void focusPostcode();
    void focusFirst();

    QDate shippingDate() const;
    void setShippingDate(const QDate &date);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *edit(const char *name) const;

    QList<QLineEdit *> m_edits;   // in the order of PartyFields()
    QDateEdit *m_dtpFhrq = nullptr;
    QPlainTextEdit *m_mmNotes = nullptr;
};
