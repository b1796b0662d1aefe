#pragma once
// The orders one run of the order wizard made under one batch number, what became of each
// (handed to the mail program, exported to a workbook, or still pending), and the texts the
// wizard tells of them: the question after each order, page 5, and the question before the
// window closes.
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class OrderBatch {
public:
    // The wizard's lists: the orders of a batch (their headers, in order-number order) and the
    // rows of one order, with the names of their parameters.
    static QString ordersStatement();
    static QString rowsStatement();
    static inline const QString BatchParameter = QStringLiteral("sdfdh");
    static inline const QString OrderParameter = QStringLiteral("sDh");

    OrderBatch() = default;
    // orders in order-number order; lineCount: the order rows made in all.
    OrderBatch(QString number, QStringList orders, int lineCount);

    const QString &number() const { return m_number; }
    const QStringList &orders() const { return m_orders; }
    int lineCount() const { return m_lineCount; }

    // An order of the batch handed over to the mail composer, for these recipients.
    void markHandedOver(const QString &order, const QStringList &recipients = {});
    void markExported(const QString &order);
    // Marks as handed over each order of the batch whose dispatch log holds a hand-over (or a
    // delivery), with the recipients of the last one; page 5 and the question after an order
    // tell a delivery as "已发送至 …". Throws AppError with the database's text.
    void readDispatchLog(const QSqlDatabase &db);

    // In the batch's order: the orders handed over; those exported and not handed over; those
    // neither handed over nor exported.
    QStringList handedOverOrders() const;
    QStringList exportedOrders() const;
    QStringList pendingOrders() const;

    // After order was handed over or exported: whether to go on with the next pending order,
    // naming them all; empty when none is left.
    QString nextOrderQuestion(const QString &order) const;
    // Page 5's first line — the orders handed over or sent and to whom ("订购操作已经完成，订单
    // O1、O2 已交给邮件程序（收件人 …）。订单 O3 已发送至 …。"), or that the orders were made —
    // and its notes on the orders not handed over (empty: none).
    QString doneText() const;
    QString notesText() const;
    // Before the window closes with orders pending; empty when none is.
    QString closeQuestion() const;
    // The orders were made but could not be listed for sending (error: why).
    QString unlistedText(const QString &error) const;

private:
    QString m_number;
    QStringList m_orders;
    int m_lineCount = 0;
    QSet<QString> m_handedOver, m_exported;
    QSet<QString> m_sent;   // of those handed over, the ones an SMTP server took
    QHash<QString, QStringList> m_recipients;   // of each order handed over
};
