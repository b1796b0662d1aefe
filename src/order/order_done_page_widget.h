#pragma once
// Page 5 of the order wizard, "订购完成": what the run made, and which orders are still to be
// sent.
#include <QWidget>

class OrderBatch;
class QLabel;
class ValueLabel;

class OrderDonePage : public QWidget {
    Q_OBJECT
public:
    explicit OrderDonePage(QWidget *parent);

    void setTitleCount(int count);
    // The batch's number and how many orders it holds, once they are made.
    void showMade(const OrderBatch &batch);
    // The summary of the batch.
    void showSummary(const OrderBatch &batch);

private:
    QLabel *m_lbDone = nullptr;
    ValueLabel *m_lbCount = nullptr;
    ValueLabel *m_lbOrderNo = nullptr;
    ValueLabel *m_lbOrderCount = nullptr;
    QLabel *m_lbUnsent = nullptr;
};
