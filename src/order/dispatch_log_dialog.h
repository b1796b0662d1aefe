#pragma once
// "发送记录": the dispatch log of one order, oldest attempt first — time, channel, recipients,
// subject, attachment and its SHA-256, result and the failure text — read-only, with
// "关闭(&C)". Opened from the order query's pop-up menu.
#include "order/dispatch_log.h"

#include <QDialog>

class QTableWidget;

class DispatchLogDialog : public QDialog {
    Q_OBJECT
public:
    DispatchLogDialog(const QString &order, const QList<DispatchLog::Entry> &entries,
                      QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
