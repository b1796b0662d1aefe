#include "cart/cart.h"

#include "cart/serial_number.h"
#include "common/app_error.h"
#include "common/app_settings.h"
#include "common/prompter.h"
#include "data/conflict_retry.h"
#include "data/dataset.h"
#include "data/sql_helper.h"
#include "grid/marked_rows.h"

#include <QSet>
#include <QSqlQuery>
#include <algorithm>

namespace {

// A null QString is bound as SQL NULL, which no "op=?" ever matches: the empty operator code
// must reach the database as an empty text.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

bool CollectSelectedKeys(const MarkedRowList &marked, DataSet &ds, QString &keys,
                         const QString &field)
{
    if (!ds.isOpen() || ds.recordCount() == 0)
        return false;
    if (marked.isEmpty())
        return !keys.isEmpty();
    // Ticks belong to the rows' keys: walk the list in its current order and take every
    // row whose key is ticked. Values are read by position, so the current row never moves
    // and the list's display needs no suspending.
    const int keyField = ds.fieldIndex(marked.keyField());
    if (keyField < 0)
        return !keys.isEmpty();
    const int valueField = ds.fieldIndex(field);
    if (valueField < 0)
        throw AppError(QStringLiteral("数据集中没有字段“%1”").arg(field));
    for (int row = 0; row < ds.recordCount(); ++row) {
        if (!marked.containsKey(ds.text(row, keyField)))
            continue;
        const QString value = ds.text(row, valueField);
        keys = keys.isEmpty() ? value : keys + u',' + value;
    }
    return !keys.isEmpty();
}

namespace {

CartAddResult addToCart(QString &keys, const QSqlDatabase &db, const QString &op)
{
    const QString owner = text(op);
    CartAddResult result;
    Sql::Transaction transaction(db);

    const QVariant existing =
        Sql::scalar(db, QStringLiteral("select dhdh from deshopcart where op=?"), {owner});
    const int quantity = AppSettings::defaultOrderQuantity();
    QString cart = existing.toString();
    if (!existing.isValid()) {
        cart = NextSerialNumber(QStringLiteral("shopcart"), db, QStringLiteral("0"));
        Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values (?,?,'N')"),
                  {cart, owner});
    }

    // The casts give the select list's values a type on engines that will not guess one.
    const QString insertLine = QStringLiteral(
        "insert into deshopcart_mx (dhdh,tm,sl,sm,yc,zbh,zz,isbn,dj,my,ghbm,ghmc,cbbm,cbmc)"
        " select cast(:dhdh as varchar(20)),tm,cast(:sl as integer),sm,yc,zbh,zz,isbn,dj,dj*:sl,"
        "ghbm,ghmc,cbbm,cbmc from qrydebooks where tm=:tm");
    QSet<QString> seen;
    for (const QString &part : keys.split(u',')) {
        const QString key = text(part);
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);

        if (Sql::scalar(db, QStringLiteral("select 1 from deshopcart_mx where dhdh=? and tm=?"),
                        {cart, key}).isValid()) {
            result.alreadyThere << key;
            continue;
        }
        const QVariant title =
            Sql::scalar(db, QStringLiteral("select sm from qrydebooks where tm=?"), {key});
        if (!title.isValid()) {
            result.refused.append({key, QString(), QStringLiteral("书目库中没有这种书目")});
            continue;
        }
        // Each line in its own savepoint: a refused line is left out, the others stay.
        Sql::Transaction line(db);
        try {
            Sql::execNamed(db, insertLine,
                           {{QStringLiteral("dhdh"), cart}, {QStringLiteral("sl"), quantity},
                            {QStringLiteral("tm"), key}});
        } catch (const BusyError &) {
            throw;   // the whole call is tried again, not one line left out
        } catch (const AppError &e) {
            line.rollback();
            result.refused.append({key, title.toString(), e.text()});
            continue;
        }
        line.commit();
        result.added << key;
    }
    transaction.commit();
    keys.clear();
    return result;
}

} // namespace

CartAddResult AddToCart(QString &keys, const QSqlDatabase &db, const QString &op)
{
    // A call that lost a race with another desk (a new cart's number) runs again whole.
    return Sql::retryOnConflict(db, [&] { return addToCart(keys, db, op); });
}

QString CartAddMessage(const CartAddResult &result)
{
    if (result.complete()) {
        QString text = QStringLiteral("已经将所选书目放入购物车");
        if (!result.alreadyThere.isEmpty())
            text += QStringLiteral("（其中 %1 种书目原已在购物车中）").arg(result.alreadyThere.size());
        return text;
    }
    QStringList lines;
    lines << QStringLiteral("有 %1 种书目未能放入购物车：").arg(result.refused.size());
    for (const CartAddResult::Refused &r : result.refused) {
        const QString name = r.title.isEmpty()
                                 ? QStringLiteral("条码 %1").arg(r.key)
                                 : QStringLiteral("《%1》（条码 %2）").arg(r.title, r.key);
        lines << name + QStringLiteral("：") + r.reason;
    }
    QString done = QStringLiteral("已放入 %1 种").arg(result.added.size());
    if (!result.alreadyThere.isEmpty())
        done += QStringLiteral("，%1 种原已在购物车中").arg(result.alreadyThere.size());
    lines << done + QStringLiteral("。");
    return lines.join(u'\n');
}

bool PlaceSelection(MarkedRowList &marked, DataSet &ds, const QSqlDatabase &db,
                    const QString &mode, const QString &op, Prompter &prompter)
{
    if (mode != u"shopcart")
        throw AppError(QStringLiteral("Unknown destination for the selected titles: ") + mode);
    QString keys;
    if (!CollectSelectedKeys(marked, ds, keys, QStringLiteral("tm"))) {
        prompter.info(QStringLiteral("请选择放入购物车中的书目"));
        return false;
    }
    const CartAddResult result = AddToCart(keys, db, op);
    if (!result.complete()) {
        prompter.message(CartAddMessage(result), QStringLiteral("系统提示"), MsgFlags::Warning);
        return false;
    }
    prompter.info(CartAddMessage(result));
    marked.clear();
    return true;
}
