#include "order/order_send_page_widget.h"

#include "order/order_batch.h"
#include "order/order_document.h"
#include "order/order_query.h"

#include "common/app_error.h"
#include "common/guarded.h"
#include "data/dataset.h"
#include "grid/grid_view.h"

#include <QGroupBox>
#include <QVBoxLayout>

OrderSendPage::OrderSendPage(Prompter &prompter, const QSqlDatabase &db, DataSet &orders, DataSet &rows,
                             PpMenu *popupMenu, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db), m_orders(orders), m_rows(rows)
{
    setObjectName(QStringLiteral("tb7"));
    m_orders.setStatement(OrderBatch::ordersStatement());
    m_rows.setStatement(OrderBatch::rowsStatement());
    const struct {
        const char *name, *caption;
    } header[] = {
        {"DHDH", "订货单号"},   {"DHRQ", "订货日期"},   {"DFDH", "订单流水号"}, {"JSFS", "结算方式"},
        {"FKFS", "付款方式"},   {"DHRH", "订货人编号"}, {"DHRM", "订货人名称"}, {"DHLR", "订货联系人"},
        {"DHLH", "订货人电话"}, {"DHJB", "订货经办人"}, {"SHRH", "收货人编号"}, {"SHRM", "收货人名称"},
        {"SHLR", "收货联系人"}, {"SHLH", "收货人电话"}, {"SHDZ", "收货地址"},   {"SHDZ2", "收货地址2"},
        {"SHYB", "收货邮编"},   {"FKRH", "付款人编号"}, {"FKRM", "付款人名称"}, {"FKLR", "付款联系人"},
        {"FKLH", "付款人电话"}, {"FHFS", "发货方式"},   {"FHDZ", "发货到站"},   {"FHRQ", "要求发货日期"},
        {"BZ", "备注"},         {"CDCS", "传递次数"},   {"ZT", "状态"},         {"XSFH", "供货商编号"},
        {"XSFM", "供货商名称"},
    };
    for (const auto &f : header)
        m_orders.defineField(QString::fromLatin1(f.name), QString::fromUtf8(f.caption));
    const QString quantity = QStringLiteral("#,"), money = QStringLiteral("#,.00;#,.00;0");
    const struct {
        const char *name, *caption;
        const QString &format;
    } fields[] = {
        {"DHDH", "订货单号", QString()},   {"SM", "书名", QString()},
        {"TM", "条码", QString()},         {"ZBH", "征订序号", QString()},
        {"YC", "印次", QString()},         {"ZZ", "作者", QString()},
        {"SL", "订购数量", quantity},      {"DJ", "定价", money},
        {"MY", "订购码洋", money},         {"ISBN", "ISBN", QString()},
        {"CBMC", "出版社名称", QString()}, {"CBBM", "出版社编号", QString()},
        {"GHBM", "供货商编号", QString()}, {"GHMC", "供货商名称", QString()},
    };
    for (const auto &f : fields)
        m_rows.defineField(QString::fromLatin1(f.name), QString::fromUtf8(f.caption), f.format);

    m_orderGrid = OrderWizardControls::grid(this, "DbgOrder", QStringLiteral("订单列表"), popupMenu);
    GridColumns orderColumns;
    const struct {
        const char *field, *title;
        int width;
        bool visible;
    } heads[] = {
        {"DHDH", "订货单号", 100, true},     {"XSFM", "供货商", 150, true},
        {"DHRQ", "订货日期", 80, true},
        {"DFDH", "流水号", 100, true},       {"JSFS", "结算方式", 70, true},
        {"FKFS", "付款方式", 70, true},      {"FHFS", "发货方式", 70, true},
        {"FHDZ", "发货到站", 70, true},      {"DHRH", "订货人编号", 80, true},
        {"DHRM", "订货人名称", 140, true},   {"SHRH", "收货人编号", 80, true},
        {"SHRM", "收货人名称", 140, true},   {"FKRH", "付款人编号", 80, true},
        {"FKRM", "付款人名称", 140, true},   {"FHRQ", "要求发货日期", 90, true},
        {"BZ", "备注", 120, true},           {"DHLR", "订货联系人", 80, false},
        {"DHLH", "订货联系电话", 100, false}, {"DHJB", "订货经办人", 80, false},
        {"SHLR", "收货联系人", 80, false},   {"SHLH", "收货联系电话", 100, false},
        {"SHDZ", "收货人地址", 160, false},  {"SHDZ2", "收货人地址2", 160, false},
        {"SHYB", "收货邮编", 70, false},     {"FKLR", "付款联系人", 80, false},
        {"FKLH", "付款联系电话", 100, false},
    };
    for (const auto &c : heads)
        orderColumns.addField(QString::fromLatin1(c.field), QString::fromUtf8(c.title), c.width).visible = c.visible;
    m_orderGrid->setColumns(orderColumns);
    m_orderGrid->setDataSet(&m_orders);
    m_orderGrid->setPopupOptions(0, 1, false);

    auto *rowGrid = OrderWizardControls::grid(this, "DbgOrder_Mx", QStringLiteral("订单明细"), popupMenu);
    GridColumns rowColumns;
    const struct {
        const char *field, *title;
        int width;
    } lines[] = {
        {"SM", "书名", 260}, {"TM", "条码", 110},     {"ZBH", "征订序号", 80},
        {"YC", "印次", 40},  {"ZZ", "作者", 100},     {"SL", "订购数量", 70},
        {"DJ", "定价", 64},  {"MY", "订购码洋", 80},  {"ISBN", "ISBN", 110},
    };
    for (const auto &c : lines)
        rowColumns.addField(QString::fromLatin1(c.field), QString::fromUtf8(c.title), c.width);
    rowGrid->setColumns(rowColumns);
    rowGrid->setDataSet(&m_rows);
    rowGrid->setOpensDetail(true);
    rowGrid->setPopupOptions(0, 0, false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_orderGrid, 2);
    layout->addWidget(rowGrid, 3);
    layout->addWidget(m_totals.build(this, "LbMx"));

    connect(&m_orders, &DataSet::currentRowChanged, this, &OrderSendPage::orderChanged);
    connect(&m_orders, &DataSet::opened, this, &OrderSendPage::orderChanged);
}

void OrderSendPage::open(const QString &batchNumber)
{
    m_orders.close();
    m_orders.setParam(OrderBatch::BatchParameter, batchNumber);
    m_orders.open();
    if (m_orders.isEmpty())
        throw AppError(QStringLiteral("订单流水号 %1 下没有订单").arg(batchNumber));
}

void OrderSendPage::close()
{
    m_rows.close();
    m_orders.close();
}

bool OrderSendPage::hasOrders() const
{
    return m_orders.isOpen() && !m_orders.isEmpty();
}

bool OrderSendPage::hasRows() const
{
    return m_rows.isOpen() && !m_rows.isEmpty();
}

QString OrderSendPage::currentOrder() const
{
    return m_orders.currentText(QStringLiteral("dhdh"));
}

OrderDocument OrderSendPage::currentDocument() const
{
    return OrderDocument::fromLists(m_orders, m_rows);
}

void OrderSendPage::select(const QString &order)
{
    for (int row = 0; row < m_orders.recordCount(); ++row)
        if (m_orders.text(row, QStringLiteral("dhdh")) == order) {
            m_orders.setCurrentRow(row);
            break;
        }
}

void OrderSendPage::focusList()
{
    m_orderGrid->setFocus();
}

void OrderSendPage::orderChanged()
{
    if (!hasOrders()) {
        m_rows.close();
        showTotals();
        return;
    }
    guarded(m_prompter, [&] {
        m_rows.close();
        m_rows.setParam(OrderBatch::OrderParameter, currentOrder());
        m_rows.open();
    });
    showTotals();
}

void OrderSendPage::showTotals()
{
    OrderTotals totals;
    if (hasOrders())
        guarded(m_prompter, [&] { totals = OrderTotalsOf(m_db, currentOrder()); });
    m_totals.show(QString::number(totals.titles), totals.quantity, totals.amount);
}
