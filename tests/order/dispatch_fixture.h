#pragma once
// Orders of one run dispatched as both ordering windows do, and what a failure must leave: the
// common first line, a failed log row whose text the clerk was shown, no transfer counted.
#include "sending_fixture.h"

#include "common/gbk_codec.h"
#include "data/dataset.h"
#include "order/dispatch_log.h"
#include "order/order_dispatch.h"
#include "order/order_query.h"

#include <QSignalSpy>

class OrderDispatchTest : public SendingTest {
protected:
    static inline const QDate day{2026, 3, 5};
    static inline const QDateTime sendTime{QDate(2026, 3, 15), QTime(14, 30, 5)};
    QStringList orders;
    QString mailConfig = tree.path(QStringLiteral("bin/syscfg.dbm"));   // no [Mail]: the composer
    SmtpSender::Limits smtpLimits;

    void SetUp() override
    {
        orders = makeRun(day, QStringLiteral("一中"), {QStringLiteral("G1"), QStringLiteral("G2")});
        tree.writeFile(QStringLiteral("init/mailadd.txt"), "a@x.cn\r\nb@y.cn\r\n");
        tree.writeFile(QStringLiteral("init/mail.txt"), Gbk::encode(QStringLiteral("您好：\r\n附件是订单。")));
    }
    // The order at position current of the run, as the windows' lists give it.
    OrderDocument document(int current)
    {
        DataSet headers;
        DataSet rows;
        headers.setConnection(db);
        rows.setConnection(db);
        const BoundStatement h = OrderQueryStatement({day, day, QStringLiteral("订货单号"), QString(), {}});
        headers.setStatement(h.text, h.values);
        headers.open();
        headers.setCurrentRow(current);
        const BoundStatement r = OrderLinesStatement(headers.currentText(QStringLiteral("dhdh")));
        rows.setStatement(r.text, r.values);
        rows.open();
        return OrderDocument::fromLists(headers, rows);
    }
    OrderDispatch::Options dispatchOptions()
    {
        OrderDispatch::Options o;
        o.spoolRoot = spoolRoot;
        o.handOver = handOverSettings();
        o.mailConfigFile = mailConfig;
        o.smtpLimits = smtpLimits;
        o.now = sendTime;
        return o;
    }
    // path: the PATH the hand-over looks for xdg-email on (empty: the stand-in's, then the system's)
    DispatchOutcome dispatch(int current, OrderSource source = OrderSource::Query, const QString &path = {})
    {
        OrderDispatch::Options o = dispatchOptions();
        if (!path.isEmpty())
            o.handOver.environment.insert(QStringLiteral("PATH"), path);
        OrderDispatch unit(db, o);
        QSignalSpy finished(&unit, &OrderDispatch::finished);
        EXPECT_TRUE(unit.start(document(current), source));
        EXPECT_TRUE(unit.busy());
        EXPECT_FALSE(unit.start(document(current), source)) << "a second hand-over while one runs";
        EXPECT_TRUE(finished.isEmpty()) << "finished inside start()";
        EXPECT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.size(), 1);
        EXPECT_FALSE(unit.busy());
        return finished.isEmpty() ? DispatchOutcome{} : finished.first().first().value<DispatchOutcome>();
    }
    int cdcs(const QString &order)
    {
        return Sql::scalar(db, QStringLiteral("select cdcs from deorder where dhdh=?"), {order}).toInt();
    }
    // The order's one log row; fails the test when there is not exactly one.
    DispatchLog::Entry onlyRow(const QString &order)
    {
        const QList<DispatchLog::Entry> rows = DispatchLog::entries(db, order);
        EXPECT_EQ(rows.size(), 1);
        return rows.isEmpty() ? DispatchLog::Entry{} : rows.first();
    }
    // A failure: told with the common first line, written as a failed row, not counted.
    void expectFailure(const DispatchOutcome &outcome, const QString &order)
    {
        EXPECT_FALSE(outcome.handedOver);
        EXPECT_EQ(outcome.message.section(u'\n', 0, 0), OrderDispatch::failedFirstLine());
        EXPECT_TRUE(outcome.message.endsWith(QStringLiteral("该订单没有发送。"))) << outcome.message.toStdString();
        const DispatchLog::Entry row = onlyRow(order);
        EXPECT_EQ(row.result, DispatchLog::Result::Failed);
        EXPECT_FALSE(row.failure.isEmpty());
        // The log keeps the clerk's reason, then the launcher's or the server's own words,
        // which the message leaves to "详细信息".
        QString reason = row.failure;
        if (!outcome.details.isEmpty()) {
            EXPECT_TRUE(reason.endsWith(u'\n' + outcome.details)) << reason.toStdString();
            reason.chop(outcome.details.size() + 1);
        }
        EXPECT_TRUE(outcome.message.contains(reason)) << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains(QStringLiteral("详细信息"))) << outcome.message.toStdString();
        EXPECT_EQ(cdcs(order), 0);
    }
};
