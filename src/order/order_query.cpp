#include "order/order_query.h"

#include "common/app_error.h"
#include "common/date_format.h"
#include "data/like_pattern.h"
#include "data/sql_helper.h"
#include "order/dispatch_log.h"

#include <QSqlQuery>

namespace {

struct FieldColumn {
    const char *caption;
    const char *column;
};

const FieldColumn fieldColumns[] = {
    {"订货单号", "dhdh"},   {"流水号", "dfdh"},     {"订货人编号", "dhrh"},
    {"订货人名称", "dhrm"}, {"付款人编号", "fkrh"}, {"付款人名称", "fkrm"},
    {"收货人编号", "shrh"}, {"收货人名称", "shrm"}, {"付款方式", "fkfs"},
    {"结算方式", "jsfs"},   {"发货方式", "fhfs"},   {"发货到站", "fhdz"},
};

// The order's last row of the dispatch log.
const char *const lastDispatch = "(select l.%1 from deorderlog l where l.dhdh=deorder.dhdh"
                                 " and l.xh=(select max(m.xh) from deorderlog m where m.dhdh=deorder.dhdh))";

QString lastDispatchOf(const char *column)
{
    return QString::fromLatin1(lastDispatch).arg(QLatin1String(column));
}

} // namespace

QStringList OrderDispatchStates()
{
    return {DispatchLog::unsentText(), DispatchLog::resultText(DispatchLog::Result::HandedOver),
            DispatchLog::resultText(DispatchLog::Result::Sent),
            DispatchLog::resultText(DispatchLog::Result::Failed)};
}

int OrderQueryStateColumn()
{
    return 50;
}

QStringList OrderQueryFieldCaptions()
{
    QStringList out;
    for (const FieldColumn &f : fieldColumns)
        out << QString::fromUtf8(f.caption);
    return out;
}

QString OrderQueryColumn(const QString &caption)
{
    for (const FieldColumn &f : fieldColumns)
        if (caption == QString::fromUtf8(f.caption))
            return QString::fromLatin1(f.column);
    return QString();
}

BoundStatement OrderQueryStatement(const OrderFilter &filter)
{
    BoundStatement s;
    s.text = QStringLiteral(
        "select dhdh,dhrq,dfdh,xsfh,xsfm,xslr,xslh,xsfs,sl,my,zk,sy,yf,bzf,sui,jsfs,fkfs,dhrh,"
        "dhrm,dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,shyb,fkrh,fkrm,fklr,fklh,fhfs,fhdz,"
        "fhrq,bz,kz1,kz2,kz3,kz4,kz5,kz6,kz7,kz8,kz9,kz10,pno,cdcs,zt,coalesce(%1,cast(? as varchar(200)))"
        " as fszt from deorder where dhrq>=? and dhrq<=?").arg(lastDispatchOf("fszt"));
    s.values = {DispatchLog::unsentText(), DateFormat::shortDate(filter.from), DateFormat::shortDate(filter.to)};
    if (!filter.value.isEmpty()) {
        const QString column = OrderQueryColumn(filter.fieldCaption);
        if (column.isEmpty())
            throw AppError(QStringLiteral("未知的查询字段：") + filter.fieldCaption);
        const QString pattern = u'%' + LikePattern::escaped(filter.value) + u'%';
        s.text += QStringLiteral(" and ") + LikePattern::condition(column, pattern);
        s.values << pattern;
    }
    if (filter.dispatchState == DispatchLog::unsentText()) {
        s.text += QStringLiteral(" and not exists (select 1 from deorderlog n where n.dhdh=deorder.dhdh)");
    } else if (!filter.dispatchState.isEmpty()) {
        if (!OrderDispatchStates().contains(filter.dispatchState))
            throw AppError(QStringLiteral("未知的发送状态：") + filter.dispatchState);
        s.text += QStringLiteral(" and ") + lastDispatchOf("jg") + QStringLiteral("=?");
        s.values << filter.dispatchState;
    }
    s.text += QStringLiteral(" order by dhdh");
    return s;
}

BoundStatement OrderLinesStatement(const QString &orderNumber)
{
    return {QStringLiteral("select dhdh,sm,tm,zbh,isbn,yc,zz,cbbm,cbmc,sl,dj,my from deorder_mx"
                           " where dhdh=?"),
            {orderNumber}};
}

OrderTotals OrderTotalsOf(const QSqlDatabase &db, const QString &orderNumber)
{
    QSqlQuery q = Sql::exec(db,
                            QStringLiteral("select count(*) as ncount,sum(sl) as sl,sum(my) as my"
                                           " from deorder_mx where dhdh=?"),
                            {orderNumber});
    OrderTotals t;
    if (q.next()) {
        t.titles = q.value(0).toInt();
        t.quantity = q.value(1).toDouble();
        t.amount = q.value(2).toDouble();
    }
    return t;
}

int DeleteOrders(const QSqlDatabase &db, const QStringList &orderNumbers)
{
    Sql::Transaction transaction(db);
    QStringList sent;
    for (const QString &dhdh : orderNumbers)
        if (Sql::scalar(db, QStringLiteral("select 1 from deorder where dhdh=? and cdcs>0"), {dhdh})
                .isValid())
            sent << dhdh;
    if (!sent.isEmpty())
        throw AppError(QStringLiteral("以下订单已经传递，不能删除：") + sent.join(u'、'));

    for (const QString &dhdh : orderNumbers)
        Sql::exec(db, QStringLiteral("delete from deorder_mx where dhdh=?"), {dhdh});
    int removed = 0;
    for (const QString &dhdh : orderNumbers) {
        QSqlQuery q = Sql::exec(db, QStringLiteral("delete from deorder where dhdh=?"), {dhdh});
        removed += qMax(0, q.numRowsAffected());
    }
    transaction.commit();
    return removed;
}
