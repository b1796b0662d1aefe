#include "order/order_wizard_window.h"

#include "order/order_books_page_widget.h"
#include "order/order_confirm_page_widget.h"
#include "order/order_document.h"
#include "order/order_done_page_widget.h"
#include "order/order_making.h"
#include "order/order_parties_page_widget.h"
#include "order/order_print_gui.h"
#include "order/order_send_page_widget.h"
#include "order/order_workbook.h"
#include "order/order_dispatch.h"
#include "order/unsent_sending_gui.h"

#include "common/app_error.h"
#include "common/guarded.h"
#include "common/prompter.h"
#include "grid/grid_view.h"
#include "widgets/button_flow_gui.h"
#include "widgets/captioned_controls_gui.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/plain_caption.h"
#include "widgets/tab_painter.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

namespace {

const QString Hint = QStringLiteral("系统提示");

const char *const PageCaptions[] = {"确认书目", "订货信息", "确认订单", "发送订单", "订购完成"};

constexpr int ButtonWidth = 84;

void setCaption(QPushButton *button, const QString &caption)
{
    button->setText(caption);
    button->setAccessibleName(plainCaption(caption));
}

} // namespace

template <class Fn>
bool TFrmOrderDo::guarded(Fn &&fn)
{
    return ::guarded(m_prompter, std::forward<Fn>(fn));
}

TFrmOrderDo::TFrmOrderDo(Prompter &prompter, const QSqlDatabase &db, const Options &options, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db), m_options(options)
{
    setObjectName(QStringLiteral("FrmOrderDo"));
    setWindowTitle(QStringLiteral("订单制作"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, GridColours::Window);
    setPalette(pal);

    prepareLists();

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PgcOrder"));
    m_pages->setAccessibleName(QStringLiteral("订单制作步骤"));
    TabPainter::install(m_pages, false);
    m_pages->tabBar()->setFocusPolicy(Qt::NoFocus);
    PpMenu *popup = m_options.popupMenu;
    m_books = new OrderBooksPage(m_prompter, m_db, m_options.operatorCode, m_dsOk, m_dsHz, m_marked, popup, this);
    m_parties = new OrderPartiesPage(this);
    m_confirm = new OrderConfirmPage(m_dsOk, popup, this);
    m_send = new OrderSendPage(m_prompter, m_db, m_dsOther, m_dsOrderMx, popup, this);
    m_done = new OrderDonePage(this);
    m_books->followEdits(popup);
    QWidget *built[] = {m_books, m_parties, m_confirm, m_send, m_done};
    for (int i = 0; i < 5; ++i) {
        built[i]->setProperty("tag", i + 2);
        // A page scrolls in a window smaller than its group boxes; at full size it fills the tab.
        auto *scroll = new QScrollArea;
        scroll->setObjectName(built[i]->objectName() + QStringLiteral("Scroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->viewport()->setAutoFillBackground(false);
        const bool fills = built[i]->autoFillBackground();
        scroll->setWidget(built[i]);
        built[i]->setAutoFillBackground(fills);   // setWidget turns it on
        m_pages->addTab(scroll, QString::fromUtf8(PageCaptions[i]));
    }
    QWidget *bar = buildBottomBar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(2);
    layout->addWidget(m_pages, 1);
    layout->addWidget(bar);

    connect(m_btnNext, &QPushButton::clicked, this, &TFrmOrderDo::next);
    connect(m_btnPre, &QPushButton::clicked, this, &TFrmOrderDo::previous);
    connect(m_btnDel, &QPushButton::clicked, this, &TFrmOrderDo::deleteBooks);
    m_sendAll = new UnsentSending(m_prompter, m_db, OrderSource::Wizard, DispatchRun::Scope::Batch, this);
    connect(m_sendAll, &UnsentSending::finished, this, &TFrmOrderDo::sendAllFinished);
    connect(m_btnSendAll, &QPushButton::clicked, this, &TFrmOrderDo::sendAllUnsent);
    connect(m_btnPrint, &QPushButton::clicked, this, [this] {
        guarded([&] { OrderPrint::preview(this, m_db, m_send->currentOrder(), m_prompter); });
    });
    connect(m_btnClose, &QPushButton::clicked, this, [this] {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
            frame->close();   // closes this window first
        else
            close();
    });

    for (int i = 0; i < m_pages->count(); ++i)
        m_pages->setTabVisible(i, false);

    // The pages change only through the steps: the tab widget's own switching (Ctrl+Tab,
    // Ctrl+PgUp/PgDn, the wheel over the tab bar) would skip the checks of a step, so its keys
    // are taken away and any other change of the current tab is turned back.
    m_pageTabs = m_pages->tabBar();
    m_pages->installEventFilter(this);
    m_pageTabs->installEventFilter(this);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (index != m_page && m_page >= 0)
            m_pages->setCurrentIndex(m_page);
    });
}

TFrmOrderDo::~TFrmOrderDo()
{
    // The grids follow the lists: they go before the lists do.
    delete m_pages;
}

void TFrmOrderDo::prepareLists()
{
    for (DataSet *ds : {&m_dsOk, &m_dsHz, &m_dsOther, &m_dsOrderMx})
        ds->setConnection(m_db);
    m_dsOk.setObjectName(QStringLiteral("DsOk"));
    m_dsHz.setObjectName(QStringLiteral("DsHz"));
    m_dsOther.setObjectName(QStringLiteral("DsOther"));
    m_dsOrderMx.setObjectName(QStringLiteral("DsOrder_Mx"));
}

QWidget *TFrmOrderDo::buildBottomBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PlBottom"));
    QWidget *note = OrderWizardControls::stepNote(bar);

    m_btnDel = captionedButton(bar, QStringLiteral("BtnDel"), QStringLiteral("删除(&D)"), ButtonWidth);
    m_btnPre = captionedButton(bar, QStringLiteral("BtnPre"), QStringLiteral("上一步(&P)"), ButtonWidth);
    m_btnNext = captionedButton(bar, QStringLiteral("BtnNext"), QStringLiteral("下一步(&N)"), ButtonWidth);
    m_btnPrint = captionedButton(bar, QStringLiteral("BtnPrint"), QStringLiteral("打印订单(&R)"), ButtonWidth);
    m_btnSendAll = captionedButton(bar, QStringLiteral("BtnSendAll"), QStringLiteral("发送全部未发送订单(&A)"), ButtonWidth);
    m_btnClose = captionedButton(bar, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), ButtonWidth);
    // The buttons wrap onto further rows in a narrow window.
    auto *buttons = new ButtonFlowLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    for (QPushButton *b : {m_btnDel, m_btnPrint, m_btnSendAll, m_btnPre, m_btnNext, m_btnClose})
        buttons->insertWidget(-1, b);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 4, 8, 6);
    row->setSpacing(8);
    row->addWidget(note, 1);
    row->addLayout(buttons);
    return bar;
}

DbGrid *TFrmOrderDo::bookGrid() const
{
    return m_books->grid();
}

int TFrmOrderDo::currentPage() const
{
    return m_page;
}

void TFrmOrderDo::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    restart();
}

void TFrmOrderDo::closeEvent(QCloseEvent *event)
{
    // What was typed last still reaches the cart.
    m_books->commitEdit();
    guarded([&] { m_books->writeQuantities(); });
    // Orders of the batch that went nowhere yet (by the dispatch log) are named before the
    // window goes.
    guarded([&] { m_batch.readDispatchLog(m_db); });
    const QString question = m_batch.closeQuestion();
    if (!question.isEmpty() && !m_prompter.askYesNo(question, true)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TFrmOrderDo::restart()
{
    m_books->commitEdit();
    guarded([&] { m_books->writeQuantities(); });
    ++m_run;   // a hand-over of the previous run reports to nobody
    m_handOverPending = false;
    m_partiesFilled = false;
    m_batch = OrderBatch();
    m_marked.clear();
    m_dsOrderMx.close();
    m_dsOther.close();
    m_dsHz.close();
    m_dsOk.close();
    m_books->grid()->marksChanged();
    setCaption(m_btnNext, QStringLiteral("下一步(&N)"));
    setCaption(m_btnPre, QStringLiteral("上一步(&P)"));
    showPage(BooksPage);
}

void TFrmOrderDo::cartRequested()
{
    if (m_page == DonePage) {
        restart();
        return;
    }
    // Once the orders are made the batch is sent first; before that the list follows the cart.
    if (m_page < BooksPage || m_page > ConfirmPage || m_handOverPending)
        return;
    m_books->commitEdit();
    guarded([&] {
        m_books->writeQuantities();
        if (!m_books->cartChanged())
            return;
        m_dsHz.close();
        m_dsOk.close();
        showPage(BooksPage);
    });
}

// --- pages ------------------------------------------------------------------------------

void TFrmOrderDo::showPage(int page)
{
    m_page = page;
    for (int i = 0; i < m_pages->count(); ++i)
        m_pages->setTabVisible(i, i == page);
    m_pages->setCurrentIndex(page);
    tbShow(page);
}

void TFrmOrderDo::tbShow(int page)
{
    for (QPushButton *b : {m_btnPre, m_btnNext}) {
        b->setVisible(true);
        b->setEnabled(true);
    }
    m_btnDel->setVisible(false);
    m_btnPrint->setVisible(page == SendPage);
    m_btnSendAll->setVisible(page == SendPage);
    switch (page) {
    case BooksPage:
        m_btnDel->setVisible(true);
        m_btnPre->setEnabled(false);
        // Page 1 shows the whole cart, the lines of quantity 0 included.
        if (!m_books->leftOut().isEmpty())
            m_books->setLeftOut({});
        if (!m_dsOk.isOpen())
            guarded([&] { m_dsOk.open(); });
        m_done->setTitleCount(m_dsOk.isOpen() ? m_dsOk.recordCount() : 0);
        m_books->grid()->setFocus();
        break;
    case ConfirmPage:
        m_confirm->show(m_parties->parties(), m_parties->shippingDate(), m_dsHz);
        // The focus must not stay on a control of the page just hidden: keys (Alt+letters
        // too) would go nowhere.
        m_confirm->grid()->setFocus();
        break;
    case SendPage:
        m_btnPre->setVisible(false);
        m_send->focusList();
        break;
    case DonePage:
        m_btnPre->setVisible(false);
        m_btnNext->setVisible(false);
        m_btnClose->setFocus();
        break;
    default:
        break;
    }
}

void TFrmOrderDo::advance()
{
    const int from = currentPage();
    setCaption(m_btnNext, QStringLiteral("下一步(&N)"));
    setCaption(m_btnPre, QStringLiteral("上一步(&P)"));
    showPage(from + 1);
    if (from == ConfirmPage) {
        m_btnPre->setVisible(true);
        setCaption(m_btnPre, QStringLiteral("导出(&E)"));
        setCaption(m_btnNext, QStringLiteral("发送邮件(&S)"));
    }
    if (from + 1 == PartiesPage)
        m_parties->focusFirst();
}

// --- buttons ----------------------------------------------------------------------------

void TFrmOrderDo::next()
{
    if (m_handOverPending)
        return;
    // A refused quantity is told, and the step waits for a good one.
    if (!m_books->commitEdit())
        return;
    m_btnNext->setEnabled(false);
    const int page = currentPage();
    guarded([&] {
        m_books->writeQuantities();
        switch (page) {
        case BooksPage:
            booksNext();
            break;
        case PartiesPage:
            partiesNext();
            break;
        case ConfirmPage:
            confirmNext();
            break;
        case SendPage:
            sendNext();
            break;
        default:
            break;
        }
    });
    // Every path that stays on a page (an error included) gives the button back; a page
    // change gave it back already, and a running hand-over keeps it until it reports.
    if (!m_handOverPending)
        m_btnNext->setEnabled(true);
}

void TFrmOrderDo::previous()
{
    if (m_handOverPending || !m_books->commitEdit())
        return;
    guarded([&] {
        m_books->writeQuantities();
        if (currentPage() == SendPage)
            exportOrder();
        else if (currentPage() > BooksPage)
            showPage(currentPage() - 1);
    });
}

void TFrmOrderDo::booksNext()
{
    if (!m_dsOk.isOpen() || m_dsOk.isEmpty()) {
        m_prompter.info(QStringLiteral("请选择需要订购的图书"));
        return;
    }
    for (int row = 0; row < m_dsOk.recordCount(); ++row) {
        if (m_dsOk.isNull(row, QStringLiteral("sl"))) {
            m_dsOk.setCurrentRow(row);
            m_prompter.info(QStringLiteral("请确定图书的订购数量"));
            return;
        }
    }
    m_books->writeAllQuantities();
    if (!m_books->askAboutZeroQuantities() || !m_books->askAboutSeasonOrders())
        return;
    // The parties are offered once per run: going back and forth keeps what was typed.
    if (!m_partiesFilled) {
        m_parties->fill(LoadDefaultParties(m_db));
        m_partiesFilled = true;
    }
    advance();
}

void TFrmOrderDo::partiesNext()
{
    if (!m_dsOk.isOpen() || m_dsOk.isEmpty()) {
        m_prompter.info(QStringLiteral("请选择需要订购的图书"));
        return;
    }
    const QString missing = MissingPartyMessage(m_parties->parties());
    if (!missing.isEmpty()) {
        m_prompter.info(missing);
        m_parties->focusMissing();
        return;
    }
    const QString malformed = MalformedPartyMessage(m_parties->parties());
    if (!malformed.isEmpty()) {
        m_prompter.info(malformed);
        m_parties->focusPostcode();
        return;
    }
    const QString overlong = m_parties->overlongParty(this);
    if (!overlong.isEmpty()) {
        m_prompter.info(overlong);
        return;
    }
    m_parties->setShippingDate(RequestedShippingDate(QDate::currentDate()));
    const OrderParties parties = PartiesForOrder(m_parties->parties());
    m_parties->fill(parties);
    SaveDefaultParties(m_db, parties);
    try {
        m_dsHz.open();
    } catch (const AppError &) {
        // The totals are a courtesy; the orders do not depend on them.
    }
    advance();
}

void TFrmOrderDo::confirmNext()
{
    if (!m_dsOk.isOpen() || m_dsOk.isEmpty()) {
        m_prompter.info(QStringLiteral("请选择需要订购的图书"));
        return;
    }
    if (!m_prompter.askYesNo(QStringLiteral("订单生成后将不可修改，确认生成订单吗？")))
        return;

    QList<ConfirmedLine> confirmed;
    for (int row = 0; row < m_dsOk.recordCount(); ++row)
        confirmed.append({m_dsOk.text(row, QStringLiteral("tm")),
                          m_dsOk.value(row, QStringLiteral("sl")).toLongLong()});
    MadeOrders made;
    try {
        retryWhileBusy(m_prompter, [&] {
            made = MakeOrders(m_db, m_options.operatorCode, PartiesForOrder(m_parties->parties()), confirmed,
                              QDate::currentDate(), m_books->leftOut());
        });
    } catch (const CartChangedError &e) {
        m_prompter.info(e.text());
        m_dsHz.close();
        m_dsOk.close();
        m_marked.clear();
        showPage(BooksPage);
        return;
    } catch (const OrderRefusedError &e) {
        m_prompter.info(e.text());
        return;
    } catch (const AppError &e) {
        m_prompter.message(e.text(), QStringLiteral("信息提示"), MsgFlags::Error);
        return;
    }

    // The orders are made and the cart is empty: from here on the run only shows them.
    m_batch = OrderBatch(made.batchNumber, made.orderNumbers(), made.lineCount);
    m_done->showMade(m_batch);
    m_dsHz.close();
    m_dsOk.close();
    m_marked.clear();
    m_dsOrderMx.close();
    try {
        m_send->open(m_batch.number());
    } catch (const AppError &e) {
        m_prompter.info(m_batch.unlistedText(e.text()));
        showSummary();
        return;
    }
    advance();
}

void TFrmOrderDo::sendNext()
{
    if (!m_send->hasOrders()) {
        m_prompter.info(QStringLiteral("请选择要发送的订单"));
        return;
    }
    if (!m_send->hasRows()) {
        m_prompter.message(QStringLiteral("没有可以发送的数据"), Hint, MsgFlags::Plain);
        return;
    }
    auto *dispatch = new OrderDispatch(m_db, dispatchOptions(), this);
    const int run = m_run;
    connect(dispatch, &OrderDispatch::finished, this, [this, dispatch, run](const DispatchOutcome &outcome) {
        dispatch->deleteLater();
        handOverFinished(run, outcome);
    });
    dispatch->start(m_send->currentDocument(), OrderSource::Wizard);
    m_handOverPending = true;
    m_btnPre->setEnabled(false);
}

void TFrmOrderDo::handOverFinished(int run, const DispatchOutcome &outcome)
{
    if (run != m_run)
        return;
    m_handOverPending = false;
    m_btnPre->setEnabled(true);
    m_btnNext->setEnabled(true);
    DispatchNotice::tell(m_prompter, outcome, false, m_options.openFolder);
    if (!outcome.handedOver)
        return;
    guarded([&] {
        m_batch.readDispatchLog(m_db);   // what page 5 and the close question tell
        handled(outcome.order);
    });
}

OrderDispatch::Options TFrmOrderDo::dispatchOptions() const
{
    return {m_options.spoolRoot, m_options.mail, {}, {}, {}};
}

bool TFrmOrderDo::sendAllUnsent()
{
    if (m_handOverPending || currentPage() != SendPage)
        return false;
    guarded([&] { m_handOverPending = m_sendAll->start(m_batch.orders(), dispatchOptions()); });
    for (QPushButton *b : {m_btnPre, m_btnNext, m_btnSendAll})
        b->setEnabled(!m_handOverPending);
    return m_handOverPending;
}

// Page 5 and the close question follow the log; with orders left unsent page 4 stays.
void TFrmOrderDo::sendAllFinished()
{
    m_handOverPending = false;
    for (QPushButton *b : {m_btnPre, m_btnNext, m_btnSendAll})
        b->setEnabled(true);
    guarded([&] { m_batch.readDispatchLog(m_db); });
    if (m_batch.pendingOrders().isEmpty())
        showSummary();
    else
        m_send->select(m_batch.pendingOrders().first());
}

void TFrmOrderDo::exportOrder()
{
    if (!m_send->hasOrders() || !m_send->hasRows()) {
        m_prompter.message(QStringLiteral("没有可以导出的数据"), Hint, MsgFlags::Plain);
        return;
    }
    const QString path = m_prompter.saveFileName(OrderWorkbook::saveRequest());
    if (path.isEmpty())
        throw AppError(QStringLiteral("未执行导出，不能进行下一步！"));
    const QString order = m_send->currentOrder();
    OrderWorkbook::ExportOrderWorkbook(m_send->currentDocument(), OrderSource::Wizard, path);
    m_batch.markExported(order);
    handled(order);
}

// After one order of the batch was sent or exported: the next one, or the summary.
void TFrmOrderDo::handled(const QString &order)
{
    const QString question = m_batch.nextOrderQuestion(order);
    if (!question.isEmpty() && m_prompter.askYesNo(question)) {
        m_send->select(m_batch.pendingOrders().first());
        return;
    }
    showSummary();
}

void TFrmOrderDo::showSummary()
{
    m_send->close();
    m_done->showSummary(m_batch);
    setCaption(m_btnNext, QStringLiteral("下一步(&N)"));
    setCaption(m_btnPre, QStringLiteral("上一步(&P)"));
    showPage(DonePage);
}

void TFrmOrderDo::deleteBooks()
{
    if (currentPage() == BooksPage && m_books->deleteMarked())
        m_done->setTitleCount(m_dsOk.recordCount());
}

void TFrmOrderDo::editQuantity()
{
    m_books->editQuantity();
}

bool TFrmOrderDo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_pages || watched == m_pageTabs)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool pageKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
                             || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
        if (pageKey && key->modifiers().testFlag(Qt::ControlModifier))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
