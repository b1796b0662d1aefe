#pragma once
// "订单制作": the five-page wizard that turns the operator's cart into orders.
//
//   1 确认书目  the cart (DbgOk): quantities edited in the grid or with "设置订购数量"; 删除
//   2 订货信息  orderer, consignee and payer
//   3 确认订单  everything read-only, the cart and its totals; confirming makes the orders
//   4 发送订单  the batch's orders (DbgOrder) and the rows of the current one: 发送邮件 / 导出
//   5 订购完成  the summary; names the orders that are still to be sent
//
// Only the current page's tab shows, and pages change only through the buttons of the bottom
// bar (BtnDel, BtnPre, BtnNext, BtnClose). A quantity typed into the grid reaches the cart as
// soon as its cell is left, and an open cell editor is committed before any button acts.
#include "data/dataset.h"
#include "grid/marked_rows.h"
#include "order/mail_hand_over.h"
#include "order/order_making.h"
#include "order/order_parties.h"

#include <QSet>
#include <QSqlDatabase>
#include <QStringList>
#include <QWidget>

class DbGrid;
class PpMenu;
class Prompter;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class ValueLabel;
class QDateEdit;

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
    DbGrid *bookGrid() const { return m_dbgOk; }

    // The orders of the batch made in this run, and those handed to the mail program or
    // exported so far.
    QString batchNumber() const { return m_batch; }
    const QStringList &madeOrders() const { return m_made; }
    QStringList sentOrders() const;
    QStringList exportedOrders() const;
    // Made orders neither sent nor exported, in order-number order.
    QStringList pendingOrders() const;

    // The buttons' actions (BtnNextClick, BtnPreClick, BtnDelClick); errors are shown, not
    // passed on.
    void next();
    void previous();
    void deleteBooks();
    // The quantity dialog on DbgOk (its double click).
    void editQuantity();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct PartyEdit {
        QLineEdit *edit;
        QString label;   // the field as the user knows it, for messages
        int width;       // the order column's width in characters
    };

    // Building (order_wizard_pages_widget.cpp).
    void prepareLists();
    QWidget *buildBooksPage();
    QWidget *buildPartiesPage();
    QWidget *buildConfirmPage();
    QWidget *buildSendPage();
    QWidget *buildDonePage();
    QWidget *buildBottomBar();
    QLineEdit *partyEdit(const char *name, const QString &accessible, int width);
    QLineEdit *copyEdit(const char *name, const QString &accessible);
    DbGrid *makeGrid(const char *name, const QString &accessible);

    // Pages.
    void showPage(int page);   // hides every other tab, makes page current, then tbShow
    void tbShow(int page);
    void advance();
    void back();
    void showSummary();

    // Steps of BtnNextClick, by page; each either changes the page, starts a hand-over or stays.
    void booksNext();
    void partiesNext();
    void confirmNext();
    void sendNext();
    void exportOrder();
    void handled(const QString &order);
    void handOverFinished(int run, const QString &order, bool handedOver, const QString &reason);

    // Parties between the edits and OrderParties.
    OrderParties partiesFromEdits() const;
    void fillPartyEdits(const OrderParties &p);
    QString overlongParty() const;
    void copyToConfirmPage();

    // The cart's quantities: the grid's editor committed, changed quantities written.
    // commitGridEdit() is false when the quantity typed last was refused (and says so).
    bool commitGridEdit();
    void tellRefusedEdit();
    void quantityChanged(int row, int fieldIndex);
    void flushQuantities();
    QList<CartQuantity> allQuantities() const;
    void openBooks();
    bool cartChangedSinceRead() const;
    // Lines of quantity 0: the clerk orders them as 0, or (by default) leaves them in the cart;
    // false when nothing is left to order.
    bool askAboutZeroQuantities();
    // DsOk and DsHz list the cart without the titles of keys (closed; they open when shown).
    void setLeftOut(const QStringList &keys);
    void openOrders();
    void orderRowChanged();
    void updateOrderTotals();

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
    QString m_batch;
    QStringList m_made;
    QSet<QString> m_sent, m_exported;
    int m_lineCount = 0;
    QList<CartQuantity> m_dirty;
    QStringList m_leftOut;   // titles of quantity 0 that this run does not order
    bool m_flushQueued = false;
    bool m_editRefused = false;   // a typed quantity was refused and not yet told

    QTabWidget *m_pages = nullptr;
    QObject *m_pageTabs = nullptr;   // the tab bar of m_pages
    DbGrid *m_dbgOk = nullptr;
    DbGrid *m_dbGrid1 = nullptr;
    DbGrid *m_dbgOrder = nullptr;
    DbGrid *m_dbgOrderMx = nullptr;
    QList<PartyEdit> m_partyEdits;
    QList<QPair<QLineEdit *, QLineEdit *>> m_copies;   // page 2 edit -> page 3 "_Ok" twin
    QDateEdit *m_dtpFhrq = nullptr;
    QLineEdit *m_edtFhrqOk = nullptr;
    QPlainTextEdit *m_mmNotes = nullptr;
    QPlainTextEdit *m_mmNotesOk = nullptr;
    ValueLabel *m_hzCount = nullptr, *m_hzSl = nullptr, *m_hzMy = nullptr;
    ValueLabel *m_mxCount = nullptr, *m_mxSl = nullptr, *m_mxMy = nullptr;
    QLabel *m_lbDone = nullptr;
    ValueLabel *m_lbCount = nullptr;
    ValueLabel *m_lbOrderNo = nullptr;
    ValueLabel *m_lbOrderCount = nullptr;
    QLabel *m_lbUnsent = nullptr;
    QPushButton *m_btnDel = nullptr;
    QPushButton *m_btnPre = nullptr;
    QPushButton *m_btnNext = nullptr;
    QPushButton *m_btnClose = nullptr;
};
