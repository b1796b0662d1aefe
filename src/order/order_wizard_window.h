#pragma once
// "订单制作": the five-page wizard that turns the operator's cart into orders.
//
//   1 确认书目  the cart (DbgOk): quantities edited in the grid or with "设置订购数量"; 删除
//   2 订货信息  orderer, consignee and payer
//   3 确认订单  everything read-only, the cart and its totals; confirming makes the orders
//   4 发送订单  the batch's orders (DbgOrder) and the rows of the current one: 发送邮件 / 导出,
//              and 发送全部未发送订单 (order/unsent_sending_gui.h)
//   5 订购完成  the summary; names the orders that are still to be sent
//
// Each page is a class of its own (order_*_page_widget.h) and the batch a unit of its own
// (order_batch.h); this window holds the lists, the page stack and the bottom bar, and leads
// from page to page. Only the current page's tab shows, and pages change only through the
// buttons of the bottom bar (BtnDel, BtnPre, BtnNext, BtnClose).
#include "data/dataset.h"
#include "grid/marked_rows.h"
#include "order/dispatch_notice_gui.h"
#include "order/mail_hand_over.h"
#include "order/order_batch.h"
#include "order/order_dispatch.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QWidget>

struct DispatchOutcome;
class DbGrid;
class OrderBooksPage;
class OrderConfirmPage;
class OrderDonePage;
class OrderPartiesPage;
class OrderSendPage;
class PpMenu;
class Prompter;
class QPushButton;
class QTabWidget;
class UnsentSending;

class TFrmOrderDo : public QWidget {
    Q_OBJECT
public:
    struct Options {
        QString operatorCode;          // keys the cart; empty in every shipped database
        PpMenu *popupMenu = nullptr;   // the pop-up all grids share; none: no menu
        // Where the order mails keep their attachments; empty: the default spool folder.
        QString spoolRoot;
        // How the mail hand-over runs (environment, grace period).
        MailHandOver::Settings mail;
        FolderOpener openFolder;   // shows the order file's folder; none: the file manager
    };

    enum Page { BooksPage = 0, PartiesPage, ConfirmPage, SendPage, DonePage };

    TFrmOrderDo(Prompter &prompter, const QSqlDatabase &db, const Options &options,
                QWidget *parent = nullptr);
    ~TFrmOrderDo() override;

    QSize sizeHint() const override { return {1100, 680}; }

    // A new run from page 1: lists closed, marks and parties forgotten, the cart read again.
    void restart();
    // The window is asked for again ("购物车"): a finished run gives way to a new one, and
    // before the orders are made a cart whose titles changed since page 1 read it is read
    // again on page 1, the typed parties kept. Errors are shown, not passed on.
    void cartRequested();
    int currentPage() const;
    // The operator whose cart the window orders.
    QString operatorCode() const { return m_options.operatorCode; }

    // The window's lists.
    DataSet &books() { return m_dsOk; }          // DsOk
    DataSet &totals() { return m_dsHz; }         // DsHz
    DataSet &orders() { return m_dsOther; }      // DsOther
    DataSet &orderRows() { return m_dsOrderMx; } // DsOrder_Mx
    MarkedRowList &marked() { return m_marked; }
    DbGrid *bookGrid() const;

    // The orders of the batch made in this run, and those handed to the mail program or
    // exported so far.
    QString batchNumber() const { return m_batch.number(); }
    const QStringList &madeOrders() const { return m_batch.orders(); }
    QStringList sentOrders() const { return m_batch.handedOverOrders(); }
    QStringList exportedOrders() const { return m_batch.exportedOrders(); }
    // Made orders neither sent nor exported, in order-number order.
    QStringList pendingOrders() const { return m_batch.pendingOrders(); }

    // The buttons' actions (BtnNextClick, BtnPreClick, BtnDelClick); errors are shown, not
    // passed on.
    void next();
    void previous();
    void deleteBooks();
    // BtnSendAll on page 4: asks, then sends each order of the batch whose last dispatch is not
    // a success, one mail each; at the end the summary opens and page 5 follows when no order
    // is left unsent. Returns whether sending started.
    bool sendAllUnsent();
    UnsentSending *unsentSending() const { return m_sendAll; }
    // The quantity dialog on DbgOk (its double click).
    void editQuantity();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void prepareLists();
    QWidget *buildBottomBar();

    // Pages.
    void showPage(int page);   // hides every other tab, makes page current, then tbShow
    void tbShow(int page);
    void advance();
    void showSummary();

    // Steps of BtnNextClick, by page; each either changes the page, starts a hand-over or stays.
    void booksNext();
    void partiesNext();
    void confirmNext();
    void sendNext();
    void exportOrder();
    void handled(const QString &order);
    void handOverFinished(int run, const DispatchOutcome &outcome);
    void sendAllFinished();
    OrderDispatch::Options dispatchOptions() const;

    template <class Fn>
    bool guarded(Fn &&fn);

    Prompter &m_prompter;
    QSqlDatabase m_db;
    Options m_options;
    DataSet m_dsOk, m_dsHz, m_dsOther, m_dsOrderMx;
    MarkedRowList m_marked;

    int m_page = -1;   // the page the steps last showed
    bool m_shownOnce = false;
    bool m_partiesFilled = false;
    bool m_handOverPending = false;
    int m_run = 0;
    OrderBatch m_batch;

    QTabWidget *m_pages = nullptr;
    QObject *m_pageTabs = nullptr;   // the tab bar of m_pages
    OrderBooksPage *m_books = nullptr;
    OrderPartiesPage *m_parties = nullptr;
    OrderConfirmPage *m_confirm = nullptr;
    OrderSendPage *m_send = nullptr;
    OrderDonePage *m_done = nullptr;
    QPushButton *m_btnDel = nullptr;
    QPushButton *m_btnPre = nullptr;
    QPushButton *m_btnNext = nullptr;
    QPushButton *m_btnPrint = nullptr;   // 打印订单, page 4 only
    QPushButton *m_btnSendAll = nullptr;   // 发送全部未发送订单, page 4 only
    UnsentSending *m_sendAll = nullptr;
    QPushButton *m_btnClose = nullptr;
};
