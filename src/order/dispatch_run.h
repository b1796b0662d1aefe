#pragma once
// "发送全部未发送订单": several orders sent one after another through one OrderDispatch, one
// mail per order, for the order wizard (the batch) and the order query (the listed orders).
//
//   DispatchRun run(db, options, OrderSource::Query);
//   run.start(DispatchRun::unsentOf(db, listed), prompter.progress());
//   ... finished() -> run.items(), run.countsText()
//
// Each order is read from the database when its turn comes (OrderDocument::load) and handed to
// the dispatch unit, which writes its log row. A failed order does not stop the others. The
// progress is told before each order ("正在发送订单 N …" and how many are done of all); when it
// asks to stop, the order under way still finishes and the rest are named as cancelled. At the
// end every order has its result:
//
//   succeeded   the gist of the dispatch's message: "已交给邮件程序（收件人 …）",
//               "已发送至 …" (whatever the channel said)
//   failed      "发送失败：" and the first line of why (the rest stays in the dispatch log)
//   cancelled   "未发送（已取消）"
#include "common/progress.h"
#include "order/order_dispatch.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

class DispatchRun : public QObject {
    Q_OBJECT
public:
    enum class Result { Succeeded, Failed, Cancelled };
    struct Item {
        QString order;
        QString supplier;   // 供货商名称, once the order was read
        Result result = Result::Cancelled;
        QString text;       // what came of it (see above)
    };
    // Which orders the question speaks of: the listed ones (order query) or the batch's.
    enum class Scope { List, Batch };

    DispatchRun(const QSqlDatabase &db, OrderDispatch::Options options, OrderSource source,
                QObject *parent = nullptr);
    ~DispatchRun() override;

    // The orders among orders (kept in their order) whose last dispatch is not a success.
    // Throws AppError with the database's text.
    static QStringList unsentOf(const QSqlDatabase &db, const QStringList &orders);
    // "发送列表中 3 张未发送的订单？每张订单一封邮件。" ("本批" for the batch) and a line naming
    // up to ten of them; and what is said when there are none.
    static QString question(Scope scope, const QStringList &unsent);
    static QString noneUnsentText(Scope scope);
    static QString cancelledText();
    // The result text of a dispatch's outcome (see above).
    static QString resultText(const DispatchOutcome &outcome);

    // Starts sending the orders; false (and no finished signal) when orders is empty or a run
    // is under way. finished() comes from the event loop, never inside start(). The progress
    // (none: nothing shown, never stopped) lives until the run ends.
    bool start(const QStringList &orders, std::unique_ptr<Progress> progress = {});
    bool running() const { return m_running; }

    // Every order of the last run in the order given, and its result.
    const QList<Item> &items() const { return m_items; }
    int count(Result result) const;
    // "共 5 张订单：成功 3 张，失败 1 张，已取消 1 张。" (failed and cancelled only when any are)
    QString countsText() const;

signals:
    // After the last order (or the cancelled rest) has its result; the progress is gone by then.
    void finished();

private:
    void sendNext();
    void concluded(const DispatchOutcome &outcome);
    void finish();

    QSqlDatabase m_db;
    OrderSource m_source;
    OrderDispatch *m_dispatch = nullptr;
    std::unique_ptr<Progress> m_progress;
    QList<Item> m_items;
    int m_next = 0;   // the item sent next
    bool m_running = false;
};
