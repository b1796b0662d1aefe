#include "order/order_making.h"

#include "cart/catalogue_price.h"
#include "cart/serial_number.h"
#include "order/cart_statements.h"
#include "common/date_format.h"
#include "data/bound_text.h"
#include "data/conflict_retry.h"
#include "data/sql_helper.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>

namespace {

struct CartLine {
    QString cartNumber;
    QString tm;
    QString title;
    QString supplierCode;   // trimmed; empty when the line has none
    QString supplierName;
};

QList<CartLine> readCart(const QSqlDatabase &db, const QString &op)
{
    QSqlQuery q = Sql::exec(db,
                            QStringLiteral("select dhdh,tm,sm,ghbm,ghmc from qrydeshopcart where op=?"),
                            {op});
    QList<CartLine> lines;
    while (q.next())
        lines.append({Sql::boundText(q.value(0).toString()), Sql::boundText(q.value(1).toString()),
                      Sql::boundText(q.value(2).toString()), q.value(3).toString().trimmed(),
                      Sql::boundText(q.value(4).toString())});
    return lines;
}

QStringList sortedKeys(QStringList keys)
{
    std::sort(keys.begin(), keys.end());
    return keys;
}

void saveQuantities(const QSqlDatabase &db, const QList<CartQuantity> &rows)
{
    Sql::Repeated update(db, QStringLiteral("update deshopcart_mx set sl=?,my=dj*? where dhdh=? and tm=?"));
    for (const CartQuantity &r : rows)
        update.run({r.quantity, r.quantity, Sql::boundText(r.cartNumber), Sql::boundText(r.tm)});
}

MadeOrders makeOrders(const QSqlDatabase &db, const QString &op, const OrderParties &p,
                      const QList<ConfirmedLine> &confirmed, const QDate &today,
                      const QStringList &leftInCart)
{
    Sql::Transaction transaction(db);

    // What is confirmed is what is ordered: compare inside the transaction, which holds the
    // cart still until the orders are written. Lines left in the cart drop out here.
    const QList<CartLine> wholeCart = readCart(db, op);
    QStringList cartKeys, confirmedKeys = leftInCart;
    for (const CartLine &l : wholeCart)
        cartKeys << l.tm;
    for (const ConfirmedLine &c : confirmed)
        confirmedKeys << Sql::boundText(c.tm);
    if (sortedKeys(cartKeys) != sortedKeys(confirmedKeys))
        throw CartChangedError(QStringLiteral("购物车中的书目已经改变，请重新确认要订购的书目"));
    QList<CartLine> cart;
    for (const CartLine &l : wholeCart)
        if (!leftInCart.contains(l.tm))
            cart.append(l);
    if (cart.isEmpty())
        throw OrderRefusedError(QStringLiteral("请选择要订购的图书"));

    QStringList unsupplied;
    for (const CartLine &l : cart)
        if (l.supplierCode.isEmpty())
            unsupplied << QStringLiteral("%1（%2）").arg(l.title.isEmpty() ? l.tm : l.title, l.tm);
    if (!unsupplied.isEmpty())
        throw OrderRefusedError(QStringLiteral("以下书目没有供货商编号，不能生成订单：\n")
                                + unsupplied.join(u'\n'));

    // The price each line carries, and the catalogue's price now (it may have changed since
    // the title went into the cart): both must be one an order can carry.
    {
        QSqlQuery q = Sql::exec(db,
                                QStringLiteral("select m.tm,m.sm,m.dj,b.tm,b.dj from qrydeshopcart m"
                                               " left join qrydebooks b on b.tm=m.tm where m.op=?"),
                                {op});
        QStringList unpriced;
        QStringList seen;
        while (q.next()) {
            const QString tm = q.value(0).toString();
            if (leftInCart.contains(tm))
                continue;   // not ordered this time
            QString fault = CataloguePrice::fault(q.value(2));
            if (fault.isEmpty() && !q.value(3).isNull())
                fault = CataloguePrice::fault(q.value(4));
            if (fault.isEmpty() || seen.contains(tm))
                continue;
            seen << tm;
            const QString title = q.value(1).toString();
            unpriced << QStringLiteral("%1（%2）：%3").arg(title.isEmpty() ? tm : title, tm, fault);
        }
        if (!unpriced.isEmpty())
            throw OrderRefusedError(QStringLiteral("以下书目的估定价不能用于订单，不能生成订单：\n")
                                    + unpriced.join(u'\n'));
    }

    // The confirmed quantities go into the lines the orders copy, in every cart of op.
    QHash<QString, qint64> quantityOf;
    for (const ConfirmedLine &c : confirmed)
        quantityOf.insert(Sql::boundText(c.tm), c.quantity);
    QList<CartQuantity> quantities;
    for (const CartLine &l : cart)
        quantities.append({l.cartNumber, l.tm, quantityOf.value(l.tm)});
    saveQuantities(db, quantities);

    // One order per code, named after the code's first line; codes in the database's order.
    QHash<QString, QString> nameOf;
    for (const CartLine &l : cart)
        if (!nameOf.contains(l.supplierCode))
            nameOf.insert(l.supplierCode, l.supplierName);
    QStringList codes;
    {
        QSqlQuery q = Sql::exec(db,
                                QStringLiteral("select distinct trim(ghbm) as code from qrydeshopcart"
                                               " where op=? and ghbm is not null order by 1"),
                                {op});
        while (q.next()) {
            const QString code = q.value(0).toString();
            if (!code.isEmpty() && nameOf.contains(code) && !codes.contains(code))
                codes << code;
        }
    }
    if (codes.size() != nameOf.size())
        throw AppError(QStringLiteral("供货商编号无法分组"));

    MadeOrders made;
    made.batchNumber = NextSerialNumber(QStringLiteral("OrderBill"), db, QString(), today);
    const QString orderDate = DateFormat::shortDate(today);
    const QString shippingDate = DateFormat::shortDate(RequestedShippingDate(today));
    for (const QString &code : codes) {
        MadeOrder order;
        order.orderNumber = NextSerialNumber(QStringLiteral("order"), db, QString(), today);
        order.supplierCode = code;
        order.supplierName = nameOf.value(code);
        Sql::exec(db,
                  QStringLiteral("insert into deorder (xsfh,xsfm,dhdh,dfdh,dhrq,jsfs,fkfs,dhrh,dhrm,"
                                 "dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,shyb,fkrh,fkrm,"
                                 "fklr,fklh,fhfs,fhdz,fhrq,bz) values"
                                 " (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                  {order.supplierCode, Sql::boundText(order.supplierName), order.orderNumber,
                   made.batchNumber, orderDate, Sql::boundText(p.settlement), Sql::boundText(p.payment),
                   Sql::boundText(p.ordererNo), Sql::boundText(p.ordererName), Sql::boundText(p.ordererContact),
                   Sql::boundText(p.ordererTel), Sql::boundText(p.ordererClerk), Sql::boundText(p.consigneeNo),
                   Sql::boundText(p.consigneeName), Sql::boundText(p.consigneeContact), Sql::boundText(p.consigneeTel),
                   Sql::boundText(p.consigneeAddress), Sql::boundText(p.consigneeAddress2), Sql::boundText(p.consigneeZip),
                   Sql::boundText(p.payerNo), Sql::boundText(p.payerName), Sql::boundText(p.payerContact), Sql::boundText(p.payerTel),
                   Sql::boundText(p.shippingMethod), Sql::boundText(p.station), shippingDate, Sql::boundText(p.remarks)});
        // The cast gives the select list's value a type on engines that will not guess one.
        QVariantList values{order.orderNumber, op, code};
        const QString leftOut = CartStatements::withoutTitles(leftInCart, values);
        QSqlQuery rows = Sql::exec(
            db,
            QStringLiteral("insert into deorder_mx (dhdh,tm,zbh,yc,sm,dj,sl,my,zz,isbn,ghbm,ghmc,"
                           "cbbm,cbmc) select cast(? as varchar(20)),tm,zbh,yc,sm,dj,sl,dj*sl,zz,"
                           "isbn,ghbm,ghmc,cbbm,cbmc from qrydeshopcart where op=? and trim(ghbm)=?")
                + leftOut,
            values);
        order.lines = rows.numRowsAffected();
        made.lineCount += order.lines;
        made.orders.append(order);
    }
    // Every line is in exactly one order, or the run is not sound.
    if (made.lineCount != cart.size())
        throw AppError(QStringLiteral("订单明细与购物车不符：购物车 %1 行，订单 %2 行")
                           .arg(cart.size())
                           .arg(made.lineCount));

    // The cart loses exactly the ordered lines; a header left without lines goes too.
    {
        Sql::Repeated removeLine(db, QStringLiteral("delete from deshopcart_mx where dhdh=? and tm=?"));
        for (const CartLine &l : cart)
            removeLine.run({l.cartNumber, l.tm});
    }
    Sql::exec(db, QStringLiteral("delete from deshopcart where op=? and not exists"
                                 " (select 1 from deshopcart_mx m where m.dhdh=deshopcart.dhdh)"),
              {op});

    transaction.commit();
    return made;
}

} // namespace

QStringList MadeOrders::orderNumbers() const
{
    QStringList out;
    for (const MadeOrder &o : orders)
        out << o.orderNumber;
    return out;
}

void SaveCartQuantities(const QSqlDatabase &db, const QList<CartQuantity> &rows)
{
    Sql::Transaction transaction(db);
    saveQuantities(db, rows);
    transaction.commit();
}

int DeleteCartLines(const QSqlDatabase &db, const QString &op, const QStringList &keys)
{
    Sql::Transaction transaction(db);
    int removed = 0;
    for (const QString &key : keys) {
        QSqlQuery q = Sql::exec(db,
                                QStringLiteral("delete from deshopcart_mx where tm=? and dhdh in"
                                               " (select dhdh from deshopcart where op=?)"),
                                {Sql::boundText(key), Sql::boundText(op)});
        removed += qMax(0, q.numRowsAffected());
    }
    transaction.commit();
    return removed;
}

QStringList CartTitleKeys(const QSqlDatabase &db, const QString &op)
{
    QStringList keys;
    for (const CartLine &l : readCart(db, Sql::boundText(op)))
        keys << l.tm;
    return sortedKeys(keys);
}

QString OrderMakingFailedText()
{
    return QStringLiteral("生成订单时出现错误");
}

QDate RequestedShippingDate(const QDate &today)
{
    return today.addDays(2);
}

MadeOrders MakeOrders(const QSqlDatabase &db, const QString &op, const OrderParties &parties,
                      const QList<ConfirmedLine> &confirmed, const QDate &today,
                      const QStringList &leftInCart)
{
    // The transaction lives inside makeOrders(): by the time an error is reworded here, the
    // run has been rolled back. A run that lost a race with another desk runs again whole.
    try {
        return Sql::retryOnConflict(db, [&] { return makeOrders(db, Sql::boundText(op), parties, confirmed, today, leftInCart); });
    } catch (const CartChangedError &) {
        throw;
    } catch (const OrderRefusedError &) {
        throw;
    } catch (const BusyError &e) {
        throw BusyError(OrderMakingFailedText() + u'\n' + e.text());
    } catch (const AppError &e) {
        throw AppError(OrderMakingFailedText() + u'\n' + e.text());
    }
}
