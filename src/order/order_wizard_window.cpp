#include "order/order_wizard_window.h"

#include "order/cart_statements.h"

#include "cart/order_count_dialog.h"
#include "common/app_error.h"
#include "common/prompter.h"
#include "data/bound_text.h"
#include "grid/empty_field_painter.h"
#include "common/guarded.h"
#include "grid/grid_model.h"
#include "grid/grid_popup_gui.h"
#include "grid/grid_view.h"
#include "widgets/value_label_widget.h"
#include "order/mail_hand_over.h"
#include "order/mail_request.h"
#include "order/order_document.h"
#include "order/order_query.h"
#include "order/order_workbook.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/tab_painter.h"

#include <QAbstractItemDelegate>
#include <QCloseEvent>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace {

const QString Hint = QStringLiteral("系统提示");

const char *const PageCaptions[] = {"确认书目", "订货信息", "确认订单", "发送订单", "订购完成"};

void setCaption(QPushButton *button, const QString &caption)
{
    button->setText(caption);
    QString plain = caption;
    plain.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(u'&');
    button->setAccessibleName(plain.trimmed());
}

QString joinOrders(const QStringList &orders)
{
    return orders.join(QStringLiteral("、"));
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
    QWidget *built[] = {buildBooksPage(), buildPartiesPage(), buildConfirmPage(), buildSendPage(),
                        buildDonePage()};
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

    // The quantity column takes what the quantity dialog takes; a changed quantity recomputes
    // the row's amount and goes to the cart when its cell is left.
    // The quantity column takes exactly what the quantity dialog takes; a changed quantity
    // recomputes the row's amount and goes to the cart when its cell is left.
    m_dbgOk->setEditableField(QStringLiteral("SL"), [](const QVariant &value) -> std::optional<QVariant> {
        if (const auto quantity = TFrmOrderCount::parseQuantity(value.toString()))
            return QVariant(*quantity);
        return std::nullopt;
    });
    m_dsOk.setChangeHook(QStringLiteral("sl"), [](DataSet &ds, int row) {
        const double amount = ds.value(row, QStringLiteral("dj")).toDouble()
                              * ds.value(row, QStringLiteral("sl")).toDouble();
        ds.setValue(row, QStringLiteral("my"), std::round(amount * 10000.0) / 10000.0);
    });
    connect(&m_dsOk, &DataSet::valueChanged, this, &TFrmOrderDo::quantityChanged);
    // A refused quantity is told as the quantity dialog tells it, once the cell's editor is
    // gone: a message box opened while the editor commits would take its focus and commit
    // it again.
    connect(m_dbgOk->gridModel(), &GridModel::editRefused, this, [this] {
        m_editRefused = true;
        QTimer::singleShot(0, this, [this] { tellRefusedEdit(); });
    });
    connect(m_dbgOk, &QAbstractItemView::doubleClicked, this, [this] { editQuantity(); });
    connect(&m_dsOther, &DataSet::currentRowChanged, this, &TFrmOrderDo::orderRowChanged);
    connect(&m_dsOther, &DataSet::opened, this, &TFrmOrderDo::orderRowChanged);

    // Whatever the pop-up then does (刷新, 订购数量, a sort) finds the typed quantity in place.
    if (m_options.popupMenu)
        connect(m_options.popupMenu, &QMenu::aboutToShow, this, [this] { commitGridEdit(); });

    connect(m_btnNext, &QPushButton::clicked, this, &TFrmOrderDo::next);
    connect(m_btnPre, &QPushButton::clicked, this, &TFrmOrderDo::previous);
    connect(m_btnDel, &QPushButton::clicked, this, &TFrmOrderDo::deleteBooks);
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
    commitGridEdit();
    guarded([&] { flushQuantities(); });
    // Orders of the batch that went nowhere yet are named before the window goes.
    const QStringList pending = pendingOrders();
    if (!pending.isEmpty()
        && !m_prompter.askYesNo(QStringLiteral("本批订单 %1 还没有发送或导出。\n"
                                               "关闭后可以在\"订单查询\"模块中发送或导出。\n"
                                               "确定关闭订单制作窗口吗？")
                                    .arg(joinOrders(pending)),
                                true)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TFrmOrderDo::restart()
{
    commitGridEdit();
    guarded([&] { flushQuantities(); });
    ++m_run;   // a hand-over of the previous run reports to nobody
    m_handOverPending = false;
    m_partiesFilled = false;
    m_batch.clear();
    m_made.clear();
    m_sent.clear();
    m_exported.clear();
    m_lineCount = 0;
    m_marked.clear();
    m_dsOrderMx.close();
    m_dsOther.close();
    m_dsHz.close();
    m_dsOk.close();
    m_dbgOk->marksChanged();
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
    commitGridEdit();
    guarded([&] {
        flushQuantities();
        if (!cartChangedSinceRead())
            return;
        m_dsHz.close();
        m_dsOk.close();
        showPage(BooksPage);
    });
}

// Whether the cart's titles differ from those the list read (a closed list counts as changed).
bool TFrmOrderDo::cartChangedSinceRead() const
{
    if (!m_dsOk.isOpen())
        return true;
    QStringList listed = m_leftOut;
    for (int row = 0; row < m_dsOk.recordCount(); ++row)
        listed << m_dsOk.text(row, QStringLiteral("tm"));
    listed.sort();
    return listed != CartTitleKeys(m_db, m_options.operatorCode);
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
    switch (page) {
    case BooksPage:
        m_btnDel->setVisible(true);
        m_btnPre->setEnabled(false);
        // Page 1 shows the whole cart, the lines of quantity 0 included.
        if (!m_leftOut.isEmpty())
            setLeftOut({});
        if (!m_dsOk.isOpen())
            guarded([&] { openBooks(); });
        m_lbCount->setValue(QString::number(m_dsOk.isOpen() ? m_dsOk.recordCount() : 0));
        m_dbgOk->setFocus();
        break;
    case ConfirmPage:
        copyToConfirmPage();
        // The focus must not stay on a control of the page just hidden: keys (Alt+letters
        // too) would go nowhere.
        m_dbGrid1->setFocus();
        break;
    case SendPage:
        m_btnPre->setVisible(false);
        m_dbgOrder->setFocus();
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
    if (from + 1 == PartiesPage && !m_partyEdits.isEmpty())
        findChild<QLineEdit *>(QStringLiteral("EdtName_Dh"))->setFocus();
}

void TFrmOrderDo::back()
{
    showPage(currentPage() - 1);
}

// --- buttons ----------------------------------------------------------------------------

void TFrmOrderDo::next()
{
    if (m_handOverPending)
        return;
    // A refused quantity is told, and the step waits for a good one.
    if (!commitGridEdit())
        return;
    m_btnNext->setEnabled(false);
    const int page = currentPage();
    guarded([&] {
        flushQuantities();
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
    if (m_handOverPending || !commitGridEdit())
        return;
    guarded([&] {
        flushQuantities();
        if (currentPage() == SendPage)
            exportOrder();
        else if (currentPage() > BooksPage)
            back();
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
    SaveCartQuantities(m_db, allQuantities());
    if (!askAboutZeroQuantities())
        return;
    // The parties are offered once per run: going back and forth keeps what was typed.
    if (!m_partiesFilled) {
        fillPartyEdits(LoadDefaultParties(m_db));
        m_partiesFilled = true;
    }
    advance();
}

bool TFrmOrderDo::askAboutZeroQuantities()
{
    QStringList keys, names;
    for (int row = 0; row < m_dsOk.recordCount(); ++row) {
        if (m_dsOk.value(row, QStringLiteral("sl")).toLongLong() != 0)
            continue;
        keys << m_dsOk.text(row, QStringLiteral("tm"));
        names << QStringLiteral("《%1》（条码 %2）").arg(m_dsOk.text(row, QStringLiteral("sm")), keys.last());
    }
    if (keys.isEmpty())
        return true;
    const bool orderAsZero = m_prompter.askYesNo(CartStatements::zeroQuantityQuestion(names), true);
    if (orderAsZero)
        return true;
    if (keys.size() == m_dsOk.recordCount()) {
        m_prompter.info(QStringLiteral("购物车中书目的订购数量都是 0，没有可以订购的书目"));
        return false;
    }
    setLeftOut(keys);
    guarded([&] { openBooks(); });
    return m_dsOk.isOpen();
}

void TFrmOrderDo::setLeftOut(const QStringList &keys)
{
    m_leftOut = keys;
    m_dsOk.close();
    m_dsHz.close();
    const CartStatements::Bound lines = CartStatements::lines(m_options.operatorCode, keys);
    const CartStatements::Bound totals = CartStatements::totals(m_options.operatorCode, keys);
    m_dsOk.setStatement(lines.text, lines.values);
    m_dsHz.setStatement(totals.text, totals.values);
}

void TFrmOrderDo::partiesNext()
{
    if (!m_dsOk.isOpen() || m_dsOk.isEmpty()) {
        m_prompter.info(QStringLiteral("请选择需要订购的图书"));
        return;
    }
    const QString missing = MissingPartyMessage(partiesFromEdits());
    if (!missing.isEmpty()) {
        m_prompter.info(missing);
        // The edits in the order they are checked.
        for (const char *name : {"EdtName_Dh", "EdtLxr_Dh", "EdtTel_Dh", "EdtName_Sh", "EdtLxr_Sh", "EdtTel_Sh",
                                 "EdtCode_Sh", "EdtAdd_Sh", "EdtName_Fk", "EdtLxr_Fk", "EdtTel_Fk"}) {
            QLineEdit *e = findChild<QLineEdit *>(QString::fromLatin1(name));
            if (e && e->text().isEmpty()) {
                e->setFocus();
                break;
            }
        }
        return;
    }
    const QString malformed = MalformedPartyMessage(partiesFromEdits());
    if (!malformed.isEmpty()) {
        m_prompter.info(malformed);
        findChild<QLineEdit *>(QStringLiteral("EdtCode_Sh"))->setFocus();
        return;
    }
    const QString overlong = overlongParty();
    if (!overlong.isEmpty()) {
        m_prompter.info(overlong);
        return;
    }
    m_dtpFhrq->setDate(RequestedShippingDate(QDate::currentDate()));
    const OrderParties parties = PartiesForOrder(partiesFromEdits());
    fillPartyEdits(parties);
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
            made = MakeOrders(m_db, m_options.operatorCode, PartiesForOrder(partiesFromEdits()), confirmed,
                              QDate::currentDate(), m_leftOut);
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
    m_batch = made.batchNumber;
    m_made = made.orderNumbers();
    m_lineCount = made.lineCount;
    m_lbOrderNo->setValue(m_batch);
    m_lbOrderCount->setValue(QString::number(m_made.size()));
    m_dsHz.close();
    m_dsOk.close();
    m_marked.clear();
    m_dsOrderMx.close();
    try {
        openOrders();
    } catch (const AppError &e) {
        m_prompter.info(QStringLiteral("订单已经生成，订单流水号为：%1，共 %2 个订单（%3）。\n"
                                       "显示订单时出现错误：%4\n"
                                       "请在\"订单查询\"模块中查看、发送或导出这些订单。")
                            .arg(m_batch)
                            .arg(m_made.size())
                            .arg(joinOrders(m_made), e.text()));
        showSummary();
        return;
    }
    advance();
}

void TFrmOrderDo::openOrders()
{
    m_dsOther.close();
    m_dsOther.setParam(QStringLiteral("sdfdh"), m_batch);
    m_dsOther.open();
    if (m_dsOther.isEmpty())
        throw AppError(QStringLiteral("订单流水号 %1 下没有订单").arg(m_batch));
}

void TFrmOrderDo::sendNext()
{
    if (!m_dsOther.isOpen() || m_dsOther.isEmpty()) {
        m_prompter.info(QStringLiteral("请选择要发送的订单"));
        return;
    }
    if (!m_dsOrderMx.isOpen() || m_dsOrderMx.isEmpty()) {
        m_prompter.message(QStringLiteral("没有可以发送的数据"), Hint, MsgFlags::Plain);
        return;
    }
    const QString order = m_dsOther.currentText(QStringLiteral("dhdh"));
    const OrderDocument document = OrderDocument::fromLists(m_dsOther, m_dsOrderMx);
    const OrderMail::Prepared mail = m_options.spoolRoot.isEmpty()
                                         ? OrderMail::prepare(document, OrderSource::Wizard)
                                         : OrderMail::prepare(document, OrderSource::Wizard, m_options.spoolRoot);
    auto *handOver = new MailHandOver(mail.request, mail.spoolFolder, m_options.mail, this);
    const int run = m_run;
    connect(handOver, &MailHandOver::finished, this,
            [this, handOver, run, order](bool handedOver, const QString &reason) {
                handOver->deleteLater();
                handOverFinished(run, order, handedOver, reason);
            });
    if (!handOver->start()) {
        const QString reason = handOver->reason();
        delete handOver;
        m_prompter.info(QStringLiteral("订单 %1 未能交给邮件程序：%2\n该订单没有发送。").arg(order, reason));
        return;
    }
    m_handOverPending = true;
    m_btnPre->setEnabled(false);
}

void TFrmOrderDo::handOverFinished(int run, const QString &order, bool handedOver, const QString &reason)
{
    if (run != m_run)
        return;
    m_handOverPending = false;
    m_btnPre->setEnabled(true);
    m_btnNext->setEnabled(true);
    if (!handedOver) {
        m_prompter.info(QStringLiteral("订单 %1 未能交给邮件程序：%2\n该订单没有发送。").arg(order, reason));
        return;
    }
    m_sent.insert(order);
    guarded([&] { handled(order); });
}

void TFrmOrderDo::exportOrder()
{
    if (!m_dsOther.isOpen() || m_dsOther.isEmpty() || !m_dsOrderMx.isOpen() || m_dsOrderMx.isEmpty()) {
        m_prompter.message(QStringLiteral("没有可以导出的数据"), Hint, MsgFlags::Plain);
        return;
    }
    const QString path = m_prompter.saveFileName(OrderWorkbook::saveRequest());
    if (path.isEmpty())
        throw AppError(QStringLiteral("未执行导出，不能进行下一步！"));
    const QString order = m_dsOther.currentText(QStringLiteral("dhdh"));
    OrderWorkbook::ExportOrderWorkbook(OrderDocument::fromLists(m_dsOther, m_dsOrderMx),
                                       OrderSource::Wizard, path);
    m_exported.insert(order);
    handled(order);
}

// After one order of the batch was sent or exported: the next one, or the summary.
void TFrmOrderDo::handled(const QString &order)
{
    const QStringList pending = pendingOrders();
    if (!pending.isEmpty()) {
        const QString question =
            QStringLiteral("订单 %1 已经%2。\n本批还有 %3 个订单没有发送或导出：%4。\n是否继续处理下一个订单？")
                .arg(order, m_sent.contains(order) ? QStringLiteral("交给邮件程序") : QStringLiteral("导出"))
                .arg(pending.size())
                .arg(joinOrders(pending));
        if (m_prompter.askYesNo(question)) {
            for (int row = 0; row < m_dsOther.recordCount(); ++row)
                if (m_dsOther.text(row, QStringLiteral("dhdh")) == pending.first()) {
                    m_dsOther.setCurrentRow(row);
                    break;
                }
            return;
        }
    }
    showSummary();
}

void TFrmOrderDo::showSummary()
{
    m_dsOrderMx.close();
    m_dsOther.close();
    const QStringList pending = pendingOrders();
    const QStringList sent = sentOrders();
    if (pending.isEmpty() && m_exported.isEmpty())
        m_lbDone->setText(QStringLiteral("订购操作已经完成，您订购书目的订单已经发送给相应供货商。"));
    else if (!sent.isEmpty())
        m_lbDone->setText(QStringLiteral("订购操作已经完成，订单 %1 已经发送给相应供货商。").arg(joinOrders(sent)));
    else
        m_lbDone->setText(QStringLiteral("订购操作已经完成，订单已经生成。"));
    QStringList notes;
    const QStringList exported = exportedOrders();
    if (!exported.isEmpty())
        notes << QStringLiteral("已经导出、没有发送的订单：%1。").arg(joinOrders(exported));
    if (!pending.isEmpty())
        notes << QStringLiteral("没有发送的订单：%1，可以在\"订单查询\"模块中发送。").arg(joinOrders(pending));
    m_lbUnsent->setText(notes.join(u'\n'));
    m_lbUnsent->setVisible(!notes.isEmpty());
    m_lbCount->setValue(QString::number(m_lineCount));
    setCaption(m_btnNext, QStringLiteral("下一步(&N)"));
    setCaption(m_btnPre, QStringLiteral("上一步(&P)"));
    showPage(DonePage);
}

QStringList TFrmOrderDo::sentOrders() const
{
    QStringList out;
    for (const QString &o : m_made)
        if (m_sent.contains(o))
            out << o;
    return out;
}

QStringList TFrmOrderDo::exportedOrders() const
{
    QStringList out;
    for (const QString &o : m_made)
        if (m_exported.contains(o) && !m_sent.contains(o))
            out << o;
    return out;
}

QStringList TFrmOrderDo::pendingOrders() const
{
    QStringList out;
    for (const QString &o : m_made)
        if (!m_sent.contains(o) && !m_exported.contains(o))
            out << o;
    return out;
}

void TFrmOrderDo::deleteBooks()
{
    if (currentPage() != BooksPage || !commitGridEdit())
        return;
    guarded([&] {
        flushQuantities();
        const QStringList keys = m_dsOk.isOpen() ? m_marked.markedKeys() : QStringList();
        if (keys.isEmpty()) {
            m_prompter.info(QStringLiteral("请选择要删除的书目"));
            return;
        }
        if (!m_prompter.askYesNo(QStringLiteral("本操作将从购物车中删除选中图书，是否继续？")))
            return;
        retryWhileBusy(m_prompter, [&] { DeleteCartLines(m_db, m_options.operatorCode, keys); });
        m_marked.clear();
        openBooks();
        m_lbCount->setValue(QString::number(m_dsOk.recordCount()));
    });
    m_dbgOk->marksChanged();
}

void TFrmOrderDo::editQuantity()
{
    if (!commitGridEdit())
        return;
    guarded([&] {
        flushQuantities();
        if (!m_dsOk.isOpen() || m_dsOk.isEmpty()) {
            m_prompter.info(QStringLiteral("没有选择要修改的记录，不能修改定购数量！"));
            return;
        }
        TFrmOrderCount dialog(m_prompter, *m_dbgOk, this);
        dialog.exec();
        flushQuantities();
    });
}

// --- parties ------------------------------------------------------------------------------

OrderParties TFrmOrderDo::partiesFromEdits() const
{
    const auto text = [this](const char *name) {
        const QLineEdit *e = findChild<QLineEdit *>(QString::fromLatin1(name));
        return e ? Sql::boundText(e->text()) : QStringLiteral("");
    };
    OrderParties p;
    p.ordererNo = text("EdtUno_Dh");
    p.ordererName = text("EdtName_Dh");
    p.ordererContact = text("EdtLxr_Dh");
    p.ordererTel = text("EdtTel_Dh");
    p.ordererClerk = text("EdtJbr_Dh");
    p.consigneeNo = text("EdtUno_Sh");
    p.consigneeName = text("EdtName_Sh");
    p.consigneeContact = text("EdtLxr_Sh");
    p.consigneeTel = text("EdtTel_Sh");
    p.consigneeZip = text("EdtCode_Sh");
    p.consigneeAddress = text("EdtAdd_Sh");
    p.consigneeAddress2 = text("EdtAdd2_Sh");
    p.payerNo = text("EdtUno_Fk");
    p.payerName = text("EdtName_Fk");
    p.payerContact = text("EdtLxr_Fk");
    p.payerTel = text("EdtTel_Fk");
    p.settlement = text("EdtJsfs");
    p.payment = text("EdtFkfs");
    p.shippingMethod = text("EdtFhfs");
    p.station = text("EdtDz");
    p.remarks = Sql::boundText(m_mmNotes->toPlainText());
    return p;
}

void TFrmOrderDo::fillPartyEdits(const OrderParties &p)
{
    const auto set = [this](const char *name, const QString &value) {
        if (QLineEdit *e = findChild<QLineEdit *>(QString::fromLatin1(name)))
            e->setText(value);
    };
    set("EdtUno_Dh", p.ordererNo);
    set("EdtName_Dh", p.ordererName);
    set("EdtLxr_Dh", p.ordererContact);
    set("EdtTel_Dh", p.ordererTel);
    set("EdtJbr_Dh", p.ordererClerk);
    set("EdtUno_Sh", p.consigneeNo);
    set("EdtName_Sh", p.consigneeName);
    set("EdtLxr_Sh", p.consigneeContact);
    set("EdtTel_Sh", p.consigneeTel);
    set("EdtCode_Sh", p.consigneeZip);
    set("EdtAdd_Sh", p.consigneeAddress);
    set("EdtAdd2_Sh", p.consigneeAddress2);
    set("EdtUno_Fk", p.payerNo);
    set("EdtName_Fk", p.payerName);
    set("EdtLxr_Fk", p.payerContact);
    set("EdtTel_Fk", p.payerTel);
    set("EdtJsfs", p.settlement);
    set("EdtFkfs", p.payment);
    set("EdtFhfs", p.shippingMethod);
    set("EdtDz", p.station);
    m_mmNotes->setPlainText(p.remarks);
    for (const PartyEdit &e : m_partyEdits)
        if (e.edit->objectName() != u"EdtAdd2_Sh")
            EmptyFieldPainter::colour(e.edit);
}

// The first value longer than its order column, named, or an empty text.
QString TFrmOrderDo::overlongParty() const
{
    for (const PartyEdit &p : m_partyEdits) {
        if (p.edit->text().size() > p.width) {
            if (p.edit->isVisibleTo(this))
                p.edit->setFocus();
            return QStringLiteral("%1最多 %2 个字，现有 %3 个字，请修改").arg(p.label).arg(p.width).arg(p.edit->text().size());
        }
    }
    if (m_mmNotes->toPlainText().size() > 120)
        return QStringLiteral("备注最多 120 个字，请修改");
    return {};
}

void TFrmOrderDo::copyToConfirmPage()
{
    for (const auto &[source, copy] : m_copies)
        copy->setText(source->text());
    m_edtFhrqOk->setText(m_dtpFhrq->date().toString(QStringLiteral("yyyy-MM-dd")));
    m_mmNotesOk->setPlainText(m_mmNotes->toPlainText());
    const auto total = [this](const char *field) {
        return m_dsHz.isOpen() && !m_dsHz.isEmpty() ? m_dsHz.value(0, QString::fromLatin1(field)) : QVariant();
    };
    m_hzCount->setValue(DataSet::formatNumber(total("ncount"), QStringLiteral("#,")));
    m_hzSl->setValue(DataSet::formatNumber(total("sl"), QStringLiteral("#,")));
    m_hzMy->setValue(DataSet::formatNumber(total("my"), QStringLiteral("#,.00;#,.00;0")));
}

// --- the cart's quantities ---------------------------------------------------------------------

bool TFrmOrderDo::commitGridEdit()
{
    const QModelIndex current = m_dbgOk->currentIndex();
    QWidget *editor = current.isValid() ? m_dbgOk->indexWidget(current) : nullptr;
    if (editor) {
        QAbstractItemDelegate *delegate = m_dbgOk->itemDelegateForIndex(current);
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    if (!m_editRefused)
        return true;
    tellRefusedEdit();
    return false;
}

void TFrmOrderDo::tellRefusedEdit()
{
    if (!m_editRefused)
        return;
    m_editRefused = false;
    m_prompter.info(QStringLiteral("输入错误！"));
}

void TFrmOrderDo::quantityChanged(int row, int fieldIndex)
{
    if (fieldIndex != m_dsOk.fieldIndex(QStringLiteral("sl")))
        return;
    const QVariant sl = m_dsOk.value(row, fieldIndex);
    if (sl.isNull())
        return;
    m_dirty.append({m_dsOk.text(row, QStringLiteral("dhdh")), m_dsOk.text(row, QStringLiteral("tm")),
                    sl.toLongLong()});
    // One edit goes at once; a run of edits (the quantity dialog on every row) goes together
    // once it is over.
    if (m_dsOk.controlsDisabled()) {
        if (!m_flushQueued) {
            m_flushQueued = true;
            QTimer::singleShot(0, this, [this] { guarded([&] { flushQuantities(); }); });
        }
        return;
    }
    guarded([&] { flushQuantities(); });
}

void TFrmOrderDo::flushQuantities()
{
    m_flushQueued = false;
    if (m_dirty.isEmpty())
        return;
    const QList<CartQuantity> rows = m_dirty;
    m_dirty.clear();
    SaveCartQuantities(m_db, rows);
}

QList<CartQuantity> TFrmOrderDo::allQuantities() const
{
    QList<CartQuantity> rows;
    for (int row = 0; row < m_dsOk.recordCount(); ++row)
        rows.append({m_dsOk.text(row, QStringLiteral("dhdh")), m_dsOk.text(row, QStringLiteral("tm")),
                     m_dsOk.value(row, QStringLiteral("sl")).toLongLong()});
    return rows;
}

void TFrmOrderDo::openBooks()
{
    m_dsOk.open();
}

void TFrmOrderDo::orderRowChanged()
{
    if (!m_dsOther.isOpen() || m_dsOther.isEmpty()) {
        m_dsOrderMx.close();
        updateOrderTotals();
        return;
    }
    guarded([&] {
        m_dsOrderMx.close();
        m_dsOrderMx.setParam(QStringLiteral("sDh"), m_dsOther.currentText(QStringLiteral("dhdh")));
        m_dsOrderMx.open();
    });
    updateOrderTotals();
}

void TFrmOrderDo::updateOrderTotals()
{
    OrderTotals totals;
    if (m_dsOther.isOpen() && !m_dsOther.isEmpty())
        guarded([&] { totals = OrderTotalsOf(m_db, m_dsOther.currentText(QStringLiteral("dhdh"))); });
    m_mxCount->setValue(QString::number(totals.titles));
    m_mxSl->setValue(DataSet::formatNumber(totals.quantity, QStringLiteral("#,")));
    m_mxMy->setValue(DataSet::formatNumber(totals.amount, QStringLiteral("#,.00;#,.00;0")));
}

// --- keys and focus -----------------------------------------------------------------------------

bool TFrmOrderDo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_pages || watched == m_pageTabs)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool pageKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
                             || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
        if (pageKey && key->modifiers().testFlag(Qt::ControlModifier))
            return true;
    }
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Enter moves on to the next control; it acts on the press, so the release that closed
        // a message box does nothing.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextPrevChild(true);
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        if (!edit->isReadOnly() && edit->objectName() != u"EdtAdd2_Sh")
            EmptyFieldPainter::colour(edit);
        break;
    case QEvent::FocusIn:
        if (edit->objectName() == u"EdtName_Dh")
            EmptyFieldPainter::colour(edit);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
