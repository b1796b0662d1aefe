#pragma once
// "发送全部未发送订单" for a window: finds the unsent orders among those it lists, asks
// (naming how many), sends them through a DispatchRun with the prompter's progress (取消 stops
// after the order under way), then shows the summary (DispatchSummaryDialog, window-modal) and
// says finished() so the window shows the orders' new state.
#include "order/dispatch_run.h"

#include <QObject>
#include <QPointer>
#include <QSqlDatabase>

class DispatchSummaryDialog;
class Prompter;
class QWidget;

class UnsentSending : public QObject {
    Q_OBJECT
public:
    UnsentSending(Prompter &prompter, const QSqlDatabase &db, OrderSource source, DispatchRun::Scope scope,
                  QWidget *window);

    // Asks about the unsent ones among listed and starts sending them; false when none is
    // unsent (that is told), the clerk says no, or a run is under way. Throws AppError when
    // the dispatch log cannot be read.
    bool start(const QStringList &listed, const OrderDispatch::Options &options);
    bool running() const { return m_run && m_run->running(); }
    // The summary of the last run while it is open.
    DispatchSummaryDialog *summary() const;

signals:
    void finished();

private:
    void runFinished();

    Prompter &m_prompter;
    QSqlDatabase m_db;
    OrderSource m_source;
    DispatchRun::Scope m_scope;
    QWidget *m_window;
    DispatchRun *m_run = nullptr;
    QPointer<DispatchSummaryDialog> m_summary;
};
