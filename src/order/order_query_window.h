#pragma once
// The order query "订单查询": the stored orders of a date range, filtered by one text field and
// by their last dispatch, with the rows and totals of the current order below; ticked orders
// are deleted, the current order is exported as a workbook or sent by mail again, and its
// dispatch log opens from the pop-up menu.
//
//   ┌ query bar: 订货日期 EdtBdate 到 EdtEdate  CbField  EdtValue  CbDispatch [查询(&Q)] ┐
//   │ DbgOrder (选择, 订货单号, 订货日期, 发送状态 …; pop-up item 发送记录(&G))          │
//   ├ Panel8: the current order's head, read-only (hidden at opening) ─────────────────┤
//   ├ head strip ImgUp/ImgDown ────────────────────────────────────────────────────────┤
//   │ DbgBook (the current order's rows)                                              │
//   ├ 明细汇总: 品种 数量 码洋  [发送(&S)] [发送全部未发送订单(&A)] [导出(&E)] [打印订单(&R)]
//   │                           [删除(&D)] [关闭(&C)] ─────────────────────────────────────┤
//   └─────────────────────────────────────────────────────────────────────────────────┘
#include "data/dataset.h"
#include "grid/marked_rows.h"
#include "order/dispatch_notice_gui.h"
#include "order/order_dispatch.h"

#include <QDate>
#include <QSqlDatabase>
#include <QWidget>

class DbGrid;
class DispatchLogDialog;
class DispatchSummaryDialog;
class UnsentSending;
class PpMenu;
class Prompter;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class TToggleStrip;
class ValueLabel;

// What the window is given when it is made, besides its connection and prompter.
struct OrderQueryOptions {
    QDate today;                   // invalid: the current date
    PpMenu *popupMenu = nullptr;   // the pop-up menu all grids share; none: no menu
    OrderDispatch::Options sending;   // where and how "发送(&S)" hands the mail over
    FolderOpener openFolder;          // shows the order file's folder; none: the file manager
};

class TFrmSeh : public QWidget {
    Q_OBJECT
public:
    using Options = OrderQueryOptions;

    TFrmSeh(Prompter &prompter, const QSqlDatabase &db, const Options &options = {},
            QWidget *parent = nullptr);
    ~TFrmSeh() override;

    QSize sizeHint() const override { return {1180, 700}; }

    DataSet &orders() { return m_orders; }
    DataSet &lines() { return m_lines; }
    MarkedRowList &marked() { return m_marked; }
    DbGrid *orderGrid() const { return m_dbgOrder; }
    DbGrid *bookGrid() const { return m_dbgBook; }
    bool headVisible() const;

    // BtnQuery: the orders of the date range whose chosen field contains the value. The ticks
    // go with every new query. Returns whether the list was opened.
    bool runQuery();
    // BtnDel: asks, then deletes the ticked orders with their rows in one transaction. A
    // refused or failed deletion is told and keeps the ticks. Returns whether orders went.
    bool deleteMarked();
    // BtnExp: the current order as a workbook. Returns whether a file was written.
    bool exportOrder();
    // BtnSend: hands the current order to the mail composer (order/order_dispatch.h); the
    // outcome is told when it is known and the list shows the order's new state. Returns
    // whether the hand-over started.
    bool sendOrder();
    // BtnSendAll: asks, then sends every listed order whose last dispatch is not a success, one
    // mail each (order/unsent_sending_gui.h); the summary opens at the end and the list shows
    // the orders' new state. Returns whether sending started.
    bool sendAllUnsent();
    // The summary of the last "发送全部未发送订单" while it is open.
    DispatchSummaryDialog *sendAllSummary() const;
    // "发送记录(&G)" of the order list's pop-up menu: the dispatch log of the current order in
    // a dialog of its own (none when no order is listed).
    DispatchLogDialog *openDispatchLog();
    // ImgUp/ImgDown: shows or hides the order head.
    void toggleHead();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildQueryBar();
    QWidget *buildHeadPanel();
    QWidget *buildTotalsAndButtons();
    void currentOrderChanged();
    void showTotals(bool known, qint64 titles, double quantity, double amount);
    void dispatchFinished(const DispatchOutcome &outcome);
    // The list read again, the current order kept (a sent order takes no tick any more).
    void showDispatchState(const QString &current);

    Prompter &m_prompter;
    QSqlDatabase m_db;
    Options m_options;
    DataSet m_orders;   // DsOrder
    DataSet m_lines;    // DsBook
    MarkedRowList m_marked;
    OrderDispatch *m_dispatch = nullptr;
    UnsentSending *m_sendAll = nullptr;
    QString m_shownOrder;   // dhdh whose rows DsBook holds
    bool m_shownOnce = false;

    QDateEdit *m_edtBdate = nullptr;
    QDateEdit *m_edtEdate = nullptr;
    QComboBox *m_cbField = nullptr;
    QComboBox *m_cbDispatch = nullptr;
    QLineEdit *m_edtValue = nullptr;
    QPushButton *m_btnQuery = nullptr;
    DbGrid *m_dbgOrder = nullptr;
    QWidget *m_panel8 = nullptr;
    QList<QPair<QString, QLineEdit *>> m_headFields;   // column, read-only edit
    TToggleStrip *m_headStrip = nullptr;
    DbGrid *m_dbgBook = nullptr;
    ValueLabel *m_titles = nullptr;
    ValueLabel *m_quantity = nullptr;
    ValueLabel *m_amount = nullptr;
    QPushButton *m_btnSend = nullptr;
    QPushButton *m_btnSendAll = nullptr;
    QPushButton *m_btnExp = nullptr;
    QPushButton *m_btnPrint = nullptr;   // 打印订单: the current order's print preview
    QPushButton *m_btnDel = nullptr;
    QPushButton *m_btnClose = nullptr;
};
