#include "order/order_batch.h"

#include "order/dispatch_log.h"

#include <algorithm>
#include <utility>

namespace {

QString joinOrders(const QStringList &orders)
{
    return orders.join(QStringLiteral("、"));
}

} // namespace

QString OrderBatch::ordersStatement()
{
    return QStringLiteral(
        "select dhdh,dhrq,dfdh,xsfh,xsfm,sui,jsfs,fkfs,dhrh,dhrm,dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,"
        "shyb,fkrh,fkrm,fklr,fklh,fhfs,fhdz,fhrq,bz,pno,cdcs,zt from deorder where dfdh=:sdfdh"
        " order by dhdh");
}

QString OrderBatch::rowsStatement()
{
    return QStringLiteral("select dhdh, sl,tm,yc,zbh,sm,dj,my,zz,isbn,ghbm,ghmc,cbbm,cbmc"
                          " from deorder_mx o where o.dhdh=:sDh");
}

OrderBatch::OrderBatch(QString number, QStringList orders, int lineCount)
    : m_number(std::move(number)), m_orders(std::move(orders)), m_lineCount(lineCount)
{
}

void OrderBatch::markHandedOver(const QString &order, const QStringList &recipients)
{
    m_handedOver.insert(order);
    m_recipients.insert(order, recipients);
}

void OrderBatch::readDispatchLog(const QSqlDatabase &db)
{
    for (const QString &order : std::as_const(m_orders)) {
        const QList<DispatchLog::Entry> entries = DispatchLog::entries(db, order);
        for (auto e = entries.crbegin(); e != entries.crend(); ++e) {
            if (e->result != DispatchLog::Result::Failed) {
                markHandedOver(order, e->recipients);
                if (e->result == DispatchLog::Result::Sent)
                    m_sent.insert(order);
                else
                    m_sent.remove(order);
                break;
            }
        }
    }
}

void OrderBatch::markExported(const QString &order)
{
    m_exported.insert(order);
}

QStringList OrderBatch::handedOverOrders() const
{
    QStringList out;
    for (const QString &o : m_orders)
        if (m_handedOver.contains(o))
            out << o;
    return out;
}

QStringList OrderBatch::exportedOrders() const
{
    QStringList out;
    for (const QString &o : m_orders)
        if (m_exported.contains(o) && !m_handedOver.contains(o))
            out << o;
    return out;
}

QStringList OrderBatch::pendingOrders() const
{
    QStringList out;
    for (const QString &o : m_orders)
        if (!m_handedOver.contains(o) && !m_exported.contains(o))
            out << o;
    return out;
}

QString OrderBatch::nextOrderQuestion(const QString &order) const
{
    const QStringList pending = pendingOrders();
    if (pending.isEmpty())
        return {};
    return QStringLiteral("订单 %1 已经%2。\n本批还有 %3 个订单没有发送或导出：%4。\n是否继续处理下一个订单？")
        .arg(order, m_sent.contains(order)         ? QStringLiteral("发送")
                    : m_handedOver.contains(order) ? QStringLiteral("交给邮件程序")
                                                   : QStringLiteral("导出"))
        .arg(pending.size())
        .arg(joinOrders(pending));
}

QString OrderBatch::doneText() const
{
    if (m_orders.isEmpty())
        return QStringLiteral("订购操作已经完成。");
    // The orders handed over or sent, grouped by the way and their recipients in the batch's order.
    struct Group {
        bool sent;
        QStringList to, orders;
    };
    QList<Group> groups;
    for (const QString &order : handedOverOrders()) {
        const bool sent = m_sent.contains(order);
        const QStringList &to = m_recipients[order];
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const Group &g) { return g.sent == sent && g.to == to; });
        if (group == groups.end())
            groups.append({sent, to, {order}});
        else
            group->orders << order;
    }
    if (groups.isEmpty())
        return QStringLiteral("订购操作已经完成，订单已经生成。");
    QString text = QStringLiteral("订购操作已经完成，");
    for (const Group &g : groups)
        text += g.sent ? DispatchLog::sentText(joinOrders(g.orders), g.to)
                       : DispatchLog::handedOverText(joinOrders(g.orders), g.to);
    return text;
}

QString OrderBatch::notesText() const
{
    QStringList notes;
    const QStringList exported = exportedOrders();
    if (!exported.isEmpty())
        notes << QStringLiteral("已经导出、没有发送的订单：%1。").arg(joinOrders(exported));
    const QStringList pending = pendingOrders();
    if (!pending.isEmpty())
        notes << QStringLiteral("没有发送的订单：%1，可以在\"订单查询\"模块中发送。").arg(joinOrders(pending));
    return notes.join(u'\n');
}

QString OrderBatch::closeQuestion() const
{
    const QStringList pending = pendingOrders();
    if (pending.isEmpty())
        return {};
    return QStringLiteral("本批订单 %1 还没有发送或导出。\n"
                          "关闭后可以在\"订单查询\"模块中发送或导出。\n"
                          "确定关闭订单制作窗口吗？")
        .arg(joinOrders(pending));
}

QString OrderBatch::unlistedText(const QString &error) const
{
    return QStringLiteral("订单已经生成，订单流水号为：%1，共 %2 个订单（%3）。\n"
                          "显示订单时出现错误：%4\n"
                          "请在\"订单查询\"模块中查看、发送或导出这些订单。")
        .arg(m_number)
        .arg(m_orders.size())
        .arg(joinOrders(m_orders), error);
}
