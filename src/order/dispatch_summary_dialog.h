#pragma once
// "发送全部未发送订单" at its end: each order of the run with its supplier and result
// (订单号 / 供货商 / 结果), the counts above them, and "关闭(&C)". Read-only; the table has the
// focus, so the clerk (and the screen reader) goes through the results with the arrow keys.
#include "order/dispatch_run.h"

#include <QDialog>

class QLabel;
class QTableWidget;

class DispatchSummaryDialog : public QDialog {
    Q_OBJECT
public:
    DispatchSummaryDialog(const QList<DispatchRun::Item> &items, const QString &counts,
                          QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    QLabel *counts() const { return m_counts; }

private:
    QTableWidget *m_table = nullptr;
    QLabel *m_counts = nullptr;
};
