#include "order/order_query_window.h"

#include "common/app_error.h"
#include "common/guarded.h"
#include "common/prompter.h"
#include "grid/grid_view.h"
#include "widgets/value_label_widget.h"
#include "order/dispatch_log_dialog.h"
#include "order/dispatch_summary_dialog.h"
#include "order/order_document.h"
#include "order/order_print_gui.h"
#include "order/order_query.h"
#include "order/order_query_fields.h"
#include "order/order_workbook.h"
#include "order/unsent_sending_gui.h"
#include "widgets/button_flow_gui.h"
#include "widgets/captioned_controls_gui.h"
#include "widgets/criteria_scroll_gui.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/toggle_strip_widget.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

const QString Hint = QStringLiteral("系统提示");
const QString CountFormat = OrderQueryFields::CountFormat;
const QString MoneyFormat = OrderQueryFields::MoneyFormat;

bool hasRows(const DataSet &ds)
{
    return ds.isOpen() && ds.recordCount() > 0;
}

constexpr int ButtonWidth = 72;

struct HeadField {
    const char *caption;
    const char *column;
};

// The order head as six rows of read-only fields.
const QList<QList<HeadField>> &headRows()
{
    static const QList<QList<HeadField>> rows = {
        {{"订货单号", "dhdh"}, {"订货日期", "dhrq"}, {"订货人编号", "dhrh"}, {"订货人名称", "dhrm"}},
        {{"订货人电话", "dhlh"}, {"收货人地址", "shdz"}},
        {{"收货人编号", "shrh"}, {"收货人名称", "shrm"}, {"收货联系人", "shlr"}, {"收货人电话", "shlh"}},
        {{"付款人编号", "fkrh"}, {"付款人名称", "fkrm"}, {"付款联系人", "fklr"}, {"付款人电话", "fklh"}},
        {{"结算方式", "jsfs"}, {"付款方式", "fkfs"}, {"备注", "bz"}},
        {{"要求发货日期", "fhrq"}, {"发货方式", "fhfs"}, {"发货到站", "fhdz"}},
    };
    return rows;
}


// Calls fn whenever the watched widget is resized (before its layout places the children).
class ResizeHook : public QObject {
public:
    ResizeHook(QWidget *watched, std::function<void()> fn) : QObject(watched), m_fn(std::move(fn))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            m_fn();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_fn;
};

} // namespace

TFrmSeh::TFrmSeh(Prompter &prompter, const QSqlDatabase &db, const Options &options, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db), m_options(options),
      m_marked(QStringLiteral("dhdh"))
{
    setObjectName(QStringLiteral("FrmSeh"));
    setWindowTitle(QStringLiteral("订单查询"));
    GridColours::paintBackground(this, GridColours::Window);

    m_orders.setObjectName(QStringLiteral("DsOrder"));
    m_orders.setConnection(db);
    OrderQueryFields::defineOrderFields(m_orders);
    m_lines.setObjectName(QStringLiteral("DsBook"));
    m_lines.setConnection(db);
    OrderQueryFields::defineLineFields(m_lines);
    m_marked.setDataSet(&m_orders);
    m_dispatch = new OrderDispatch(db, m_options.sending, this);
    connect(m_dispatch, &OrderDispatch::finished, this, &TFrmSeh::dispatchFinished);
    m_sendAll = new UnsentSending(prompter, db, OrderSource::Query, DispatchRun::Scope::List, this);
    connect(m_sendAll, &UnsentSending::finished, this, [this] {
        m_btnSend->setEnabled(true);
        m_btnSendAll->setEnabled(true);
        showDispatchState(hasRows(m_orders) ? m_orders.currentText(QStringLiteral("dhdh")) : QString());
    });

    QWidget *queryBar = buildQueryBar();

    m_dbgOrder = new DbGrid(this);
    m_dbgOrder->setObjectName(QStringLiteral("DbgOrder"));
    m_dbgOrder->setAccessibleName(QStringLiteral("订单列表"));
    m_dbgOrder->useTitleListFonts();
    m_dbgOrder->setColumns(OrderQueryFields::orderColumns());
    m_dbgOrder->setDataSet(&m_orders);
    m_dbgOrder->setMarkedRows(&m_marked);
    m_dbgOrder->setPopupOptions(0, 1);   // "浏览(&L)" shown, but an order has no detail window
    m_dbgOrder->setPopupMenu(options.popupMenu);
    m_dbgOrder->setOwnPopupItem(QStringLiteral("发送记录(&G)"), [this] { openDispatchLog(); });
    m_dbgOrder->setTabKeyNavigation(false);   // Tab leaves the grid for the head strip

    m_panel8 = buildHeadPanel();
    m_headStrip = new TToggleStrip(Qt::Horizontal, m_panel8, this);
    m_headStrip->setFocusPolicy(Qt::StrongFocus);   // Tab reaches it: the head without a mouse
    m_headStrip->setObjectName(QStringLiteral("HeadStrip"));
    m_headStrip->setPictureNames(QStringLiteral("ImgUp"), QStringLiteral("ImgDown"));
    m_headStrip->setHints(QStringLiteral("显示单头"), QStringLiteral("隐藏单头"));
    m_headStrip->setTargetVisible(false);

    m_dbgBook = new DbGrid(this);
    m_dbgBook->setObjectName(QStringLiteral("DbgBook"));
    m_dbgBook->setAccessibleName(QStringLiteral("订单明细"));
    m_dbgBook->useTitleListFonts();
    m_dbgBook->setColumns(OrderQueryFields::lineColumns());
    m_dbgBook->setDataSet(&m_lines);
    m_dbgBook->setOpensDetail(true);
    m_dbgBook->setPopupOptions(0, 0, false);
    m_dbgBook->setPopupMenu(options.popupMenu);
    m_dbgBook->setTabKeyNavigation(false);

    QWidget *bottom = buildTotalsAndButtons();
    // The header and three rows of either list stay in view however short the window gets.
    for (DbGrid *grid : {m_dbgOrder, m_dbgBook})
        grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height()
                               + 3 * grid->verticalHeader()->defaultSectionSize()
                               + grid->horizontalScrollBar()->sizeHint().height() + 2 * grid->frameWidth());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(queryBar);
    layout->addWidget(m_dbgOrder, 3);
    layout->addWidget(m_panel8);
    layout->addWidget(m_headStrip);
    layout->addWidget(m_dbgBook, 2);
    layout->addWidget(bottom);

    connect(&m_orders, &DataSet::opened, this, [this] {
        m_shownOrder.clear();
        currentOrderChanged();
    });
    connect(&m_orders, &DataSet::closed, this, &TFrmSeh::currentOrderChanged);
    connect(&m_orders, &DataSet::currentRowChanged, this, &TFrmSeh::currentOrderChanged);
    connect(&m_orders, &DataSet::orderChanged, this, &TFrmSeh::currentOrderChanged);

    const QDate today = m_options.today.isValid() ? m_options.today : QDate::currentDate();
    m_edtBdate->setDate(QDate(today.year(), today.month(), 1));
    m_edtEdate->setDate(today);

    setTabOrder(m_edtBdate, m_edtEdate);
    setTabOrder(m_edtEdate, m_cbField);
    setTabOrder(m_cbField, m_edtValue);
    setTabOrder(m_edtValue, m_cbDispatch);
    setTabOrder(m_cbDispatch, m_btnQuery);
    setTabOrder(m_btnQuery, m_dbgOrder);
    setTabOrder(m_dbgOrder, m_headStrip);
    setTabOrder(m_headStrip, m_dbgBook);
    setTabOrder(m_dbgBook, m_btnSend);
    setTabOrder(m_btnSend, m_btnSendAll);
    setTabOrder(m_btnSendAll, m_btnExp);
    setTabOrder(m_btnExp, m_btnDel);
    setTabOrder(m_btnDel, m_btnClose);
    setFocusProxy(m_edtValue);
}

TFrmSeh::~TFrmSeh()
{
    // The grids follow the lists: they go before the lists do, and the window stops
    // following the order list.
    m_orders.disconnect(this);
    delete m_dbgBook;
    delete m_dbgOrder;
}

QWidget *TFrmSeh::buildQueryBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PlQuery"));
    m_edtBdate = new QDateEdit(bar);
    m_edtBdate->setObjectName(QStringLiteral("EdtBdate"));
    m_edtEdate = new QDateEdit(bar);
    m_edtEdate->setObjectName(QStringLiteral("EdtEdate"));
    for (QDateEdit *e : {m_edtBdate, m_edtEdate}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setCalendarPopup(true);
        e->setMinimumWidth(110);
    }
    m_edtBdate->setAccessibleName(QStringLiteral("订货日期"));
    auto *dateCaption = new QLabel(QStringLiteral("订货日期："), bar);
    dateCaption->setBuddy(m_edtBdate);
    auto *to = new QLabel(QStringLiteral("到"), bar);
    to->setBuddy(m_edtEdate);
    m_edtEdate->setAccessibleName(QStringLiteral("到"));

    m_cbField = new QComboBox(bar);
    m_cbField->setObjectName(QStringLiteral("CbField"));
    m_cbField->addItems(OrderQueryFieldCaptions());
    m_cbField->setCurrentIndex(0);
    m_cbField->setMinimumWidth(110);
    m_edtValue = new QLineEdit(bar);
    m_edtValue->setObjectName(QStringLiteral("EdtValue"));
    m_edtValue->setMinimumWidth(200);
    m_cbDispatch = new QComboBox(bar);
    m_cbDispatch->setObjectName(QStringLiteral("CbDispatch"));
    m_cbDispatch->addItems(QStringList{QStringLiteral("全部")} + OrderDispatchStates());
    connect(m_cbDispatch, &QComboBox::activated, this, [this] { guarded(m_prompter, [this] { runQuery(); }); });
    m_btnQuery = captionedButton(this, QStringLiteral("BtnQuery"), QStringLiteral("查询(&Q)"), ButtonWidth);
    m_btnQuery->setParent(bar);

    // The captions and fields scroll when the window is too narrow; the button stays in view.
    auto *fields = new QWidget;
    auto *row = new QHBoxLayout(fields);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(dateCaption);
    row->addWidget(m_edtBdate);
    row->addWidget(to);
    row->addWidget(m_edtEdate);
    row->addSpacing(12);
    row->addWidget(captionFor(m_cbField, QStringLiteral("查询项")));
    row->addWidget(m_cbField);
    row->addWidget(captionFor(m_edtValue, QStringLiteral("查询值")));
    row->addWidget(m_edtValue, 1);
    row->addWidget(captionFor(m_cbDispatch, QStringLiteral("发送状态")));
    row->addWidget(m_cbDispatch);
    auto *barRow = new QHBoxLayout(bar);
    barRow->setContentsMargins(8, 6, 8, 6);
    barRow->setSpacing(6);
    barRow->addWidget(new CriteriaScrollArea(fields, bar), 1);
    barRow->addSpacing(6);
    barRow->addWidget(m_btnQuery);
    barRow->addStretch(1);
    // The value field and the space after the button share the spare width equally, as if
    // they were one row: the stretch of the scrolled fields counts their fixed part too.
    auto *share = new ResizeHook(bar, [this, bar, barRow, fields] {
        const int fixedPart = fields->sizeHint().width() - m_edtValue->sizeHint().width();
        const int spare = bar->width() - 16 - 3 * 6 - 6 - m_btnQuery->sizeHint().width() - fixedPart;
        const int value = std::max(spare / 2, 1);
        barRow->setStretch(0, fixedPart + value);
        barRow->setStretch(3, value);
    });
    Q_UNUSED(share);

    connect(m_btnQuery, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { runQuery(); }); });
    // Enter acts when it is pressed.
    connect(m_edtValue, &QLineEdit::returnPressed, this, [this] { guarded(m_prompter, [&] { runQuery(); }); });
    return bar;
}

QWidget *TFrmSeh::buildHeadPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel8"));
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    constexpr int PerRow = 4;
    // Read-only fields on a grey ground, so they do not look as if they took input.
    QPalette readOnly = panel->palette();
    readOnly.setColor(QPalette::Base, QColor(0xEE, 0xF1, 0xF4));
    const QList<QList<HeadField>> &rows = headRows();
    for (int r = 0; r < rows.size(); ++r) {
        const QList<HeadField> &fields = rows[r];
        for (int i = 0; i < fields.size(); ++i) {
            auto *edit = new QLineEdit(panel);
            const QString column = QString::fromLatin1(fields[i].column);
            edit->setObjectName(QStringLiteral("Head_") + column);
            edit->setReadOnly(true);
            edit->setPalette(readOnly);
            QLabel *label = captionFor(edit, QString::fromUtf8(fields[i].caption));
            label->setParent(panel);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // The last field of a short row takes the rest of the row.
            const int span = i == fields.size() - 1 ? 2 * (PerRow - i) - 1 : 1;
            grid->addWidget(label, r, 2 * i);
            grid->addWidget(edit, r, 2 * i + 1, 1, span);
            m_headFields.append({column, edit});
        }
    }
    for (int c = 0; c < PerRow; ++c)
        grid->setColumnStretch(2 * c + 1, 1);
    return panel;
}

QWidget *TFrmSeh::buildTotalsAndButtons()
{
    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("PlBottom"));
    auto *sum = new QLabel(QStringLiteral("明细汇总"), bottom);
    QFont bold = sum->font();
    bold.setBold(true);
    sum->setFont(bold);
    auto makeValue = [bottom](const char *name, const QString &caption) {
        auto *l = new ValueLabel(caption, bottom);
        l->setObjectName(QString::fromLatin1(name));
        l->setMinimumWidth(80);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    m_titles = makeValue("LblCount", QStringLiteral("品种"));
    m_quantity = makeValue("LblSl", QStringLiteral("数量"));
    m_amount = makeValue("LblMy", QStringLiteral("码洋"));

    m_btnSend = captionedButton(this, QStringLiteral("BtnSend"), QStringLiteral("发送(&S)"), ButtonWidth);
    m_btnSend->setToolTip(QStringLiteral("发送邮件"));
    m_btnSendAll = captionedButton(this, QStringLiteral("BtnSendAll"), QStringLiteral("发送全部未发送订单(&A)"), ButtonWidth);
    m_btnSendAll->setToolTip(QStringLiteral("列表中每张未发送的订单发送一封邮件"));
    m_btnExp = captionedButton(this, QStringLiteral("BtnExp"), QStringLiteral("导出(&E)"), ButtonWidth);
    m_btnPrint = captionedButton(this, QStringLiteral("BtnPrint"), QStringLiteral("打印订单(&R)"), ButtonWidth);
    m_btnDel = captionedButton(this, QStringLiteral("BtnDel"), QStringLiteral("删除(&D)"), ButtonWidth);
    m_btnClose = captionedButton(this, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), ButtonWidth);
    const QList<QPushButton *> buttonRow = {m_btnSend, m_btnSendAll, m_btnExp, m_btnPrint, m_btnDel, m_btnClose};
    for (QPushButton *b : buttonRow)
        b->setParent(bottom);

    // The totals scroll when the window is too narrow; the buttons wrap onto further rows.
    auto *totals = new QWidget;
    auto *row = new QHBoxLayout(totals);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(sum);
    row->addSpacing(12);
    for (const auto &[caption, value] : {std::pair{QStringLiteral("品种："), m_titles},
                                         std::pair{QStringLiteral("数量："), m_quantity},
                                         std::pair{QStringLiteral("码洋："), m_amount}}) {
        auto *label = new QLabel(caption, bottom);
        label->setBuddy(value);
        row->addWidget(label);
        row->addWidget(value);
    }
    row->addStretch(1);
    auto *buttons = new ButtonFlowLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(6);
    for (QPushButton *b : buttonRow)
        buttons->insertWidget(-1, b);
    auto *bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(8, 4, 8, 6);
    bottomRow->setSpacing(6);
    bottomRow->addWidget(new CriteriaScrollArea(totals, bottom), 1);
    bottomRow->addLayout(buttons);

    connect(m_btnSend, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { sendOrder(); }); });
    connect(m_btnSendAll, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { sendAllUnsent(); }); });
    connect(m_btnExp, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { exportOrder(); }); });
    connect(m_btnDel, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { deleteMarked(); }); });
    connect(m_btnPrint, &QPushButton::clicked, this, [this] {
        const QString order = hasRows(m_orders) ? m_orders.currentText(QStringLiteral("DHDH")) : QString();
        guarded(m_prompter, [&] { OrderPrint::preview(this, m_db, order, m_prompter); });
    });
    connect(m_btnClose, &QPushButton::clicked, this, [this] {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
            frame->close();
        else
            close();
    });
    return bottom;
}

void TFrmSeh::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    guarded(m_prompter, [&] { runQuery(); });
    m_edtValue->setFocus();
}

bool TFrmSeh::headVisible() const
{
    return m_headStrip->targetVisible();
}

void TFrmSeh::toggleHead()
{
    m_headStrip->toggle();
}

bool TFrmSeh::runQuery()
{
    m_marked.clear();
    m_orders.close();
    m_dbgOrder->marksChanged();
    try {
        const BoundStatement s = OrderQueryStatement(
            {m_edtBdate->date(), m_edtEdate->date(), m_cbField->currentText(), m_edtValue->text(),
             m_cbDispatch->currentIndex() > 0 ? m_cbDispatch->currentText() : QString()});
        m_orders.setStatement(s.text, s.values);
        m_orders.open();
    } catch (const AppError &e) {
        m_orders.close();
        m_prompter.message(QStringLiteral("查询数据时出现错误!\n") + e.text(), Hint, MsgFlags::Error);
        return false;
    }
    return true;
}

void TFrmSeh::currentOrderChanged()
{
    guarded(m_prompter, [&] {
        if (!hasRows(m_orders)) {
            m_shownOrder.clear();
            m_lines.close();
            for (const auto &[column, edit] : m_headFields)
                edit->clear();
            showTotals(false, 0, 0, 0);
            return;
        }
        for (const auto &[column, edit] : m_headFields) {
            edit->setText(m_orders.currentText(column));
            edit->setCursorPosition(0);
        }
        const QString dhdh = m_orders.currentText(QStringLiteral("dhdh"));
        if (dhdh == m_shownOrder && m_lines.isOpen())
            return;
        m_shownOrder = dhdh;
        m_lines.close();
        showTotals(false, 0, 0, 0);
        const BoundStatement s = OrderLinesStatement(dhdh);
        m_lines.setStatement(s.text, s.values);
        m_lines.open();
        const OrderTotals t = OrderTotalsOf(m_db, dhdh);
        showTotals(true, t.titles, t.quantity, t.amount);
    });
}

void TFrmSeh::showTotals(bool known, qint64 titles, double quantity, double amount)
{
    m_titles->setValue(known ? DataSet::formatNumber(titles, CountFormat) : QString());
    m_quantity->setValue(known ? DataSet::formatNumber(quantity, CountFormat) : QString());
    m_amount->setValue(known ? DataSet::formatNumber(amount, MoneyFormat) : QString());
}

bool TFrmSeh::deleteMarked()
{
    if (m_marked.isEmpty()) {
        m_prompter.message(QStringLiteral("请选择要删除的订单"), Hint, MsgFlags::Information);
        return false;
    }
    if (!m_prompter.askYesNo(QStringLiteral("本操作将删除选中订单，是否继续？")))
        return false;
    if (!m_orders.isOpen())
        return false;
    const QStringList numbers = m_marked.markedKeys();
    try {
        retryWhileBusy(m_prompter, [&] { DeleteOrders(m_db, numbers); });
    } catch (const AppError &e) {
        // Nothing was deleted: the list and its ticks stay as they were.
        m_prompter.message(QStringLiteral("删除订单时发生错误！\n") + e.text(), Hint, MsgFlags::Error);
        m_dbgOrder->marksChanged();
        return false;
    }
    m_marked.clear();
    try {
        m_orders.refresh();
    } catch (const AppError &e) {
        m_orders.close();
        m_prompter.message(QStringLiteral("查询数据时出现错误!\n") + e.text(), Hint, MsgFlags::Error);
    }
    m_dbgOrder->marksChanged();
    m_prompter.message(QStringLiteral("已经将选中的订单删除"), Hint, MsgFlags::Information);
    return true;
}

bool TFrmSeh::exportOrder()
{
    if (!hasRows(m_orders) || !hasRows(m_lines)) {
        m_prompter.message(QStringLiteral("没有可以导出的数据"), Hint, MsgFlags::Plain);
        return false;
    }
    const QString path = m_prompter.saveFileName(OrderWorkbook::saveRequest());
    if (path.isEmpty())
        return false;
    try {
        OrderWorkbook::ExportOrderWorkbook(OrderDocument::fromLists(m_orders, m_lines),
                                           OrderSource::Query, path);
    } catch (const std::exception &e) {
        showErrorBox(m_prompter, QStringLiteral("导出数据时发生错误！\n") + errorText(e));
        return false;
    }
    m_prompter.message(QStringLiteral("订单导出完成！"), Hint, MsgFlags::Information);
    return true;
}

bool TFrmSeh::sendOrder()
{
    if (m_sendAll->running())
        return false;
    if (!hasRows(m_orders) || !hasRows(m_lines)) {
        m_prompter.message(QStringLiteral("没有可以发送的数据"), Hint, MsgFlags::Plain);
        return false;
    }
    bool started = false;
    guarded(m_prompter, [&] {
        started = m_dispatch->start(OrderDocument::fromLists(m_orders, m_lines), OrderSource::Query);
    });
    m_btnSend->setEnabled(!m_dispatch->busy());
    return started;
}

DispatchLogDialog *TFrmSeh::openDispatchLog()
{
    if (!hasRows(m_orders))
        return nullptr;
    const QString order = m_orders.currentText(QStringLiteral("dhdh"));
    auto *dialog = new DispatchLogDialog(order, DispatchLog::entries(m_db, order), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void TFrmSeh::dispatchFinished(const DispatchOutcome &outcome)
{
    m_btnSend->setEnabled(!m_sendAll->running());
    DispatchNotice::tell(m_prompter, outcome, true, m_options.openFolder);
    showDispatchState(outcome.order);
}

bool TFrmSeh::sendAllUnsent()
{
    if (m_dispatch->busy() || m_sendAll->running())
        return false;
    QStringList listed;
    for (int row = 0; m_orders.isOpen() && row < m_orders.recordCount(); ++row)
        listed << m_orders.text(row, QStringLiteral("dhdh"));
    if (!m_sendAll->start(listed, m_options.sending))
        return false;
    m_btnSend->setEnabled(false);
    m_btnSendAll->setEnabled(false);
    return true;
}

DispatchSummaryDialog *TFrmSeh::sendAllSummary() const
{
    return m_sendAll->summary();
}

// The list shows the new state (and an order that went out takes no tick any more).
void TFrmSeh::showDispatchState(const QString &current)
{
    guarded(m_prompter, [&] {
        if (!m_orders.isOpen())
            return;
        m_orders.refresh();
        for (int row = 0; row < m_orders.recordCount(); ++row)
            if (m_orders.text(row, QStringLiteral("dhdh")) == current)
                m_orders.setCurrentRow(row);
        m_dbgOrder->marksChanged();
    });
}
