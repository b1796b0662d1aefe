#include "cart/cart.h"

#include "cart/catalogue_price.h"
#include "cart/season_orders.h"
#include "cart/serial_number.h"
#include "common/app_error.h"
#include "common/app_settings.h"
#include "common/prompter.h"
#include "data/bound_text.h"
#include "data/conflict_retry.h"
#include "data/dataset.h"
#include "data/sql_helper.h"
#include "grid/marked_rows.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>

namespace {

// Titles bound to one statement: well inside every engine's limits on bound values and on the
// length of an "in" list (Firebird allows 1,500 items).
constexpr qsizetype CartBatch = 500;

// " in (?,?,…)" with count placeholders.
QString inList(qsizetype count)
{
    QString out = QStringLiteral(" in (");
    out.reserve(6 + count * 2);
    for (qsizetype i = 0; i < count; ++i)
        out += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
    out += u')';
    return out;
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
        if (!keys.isEmpty())
            keys += u',';
        keys += ds.text(row, valueField);
    }
    return !keys.isEmpty();
}

namespace {

// A busy database or a race lost to another desk is no fault of one title: the whole call
// is tried again (or the user is asked), never one line left out.
bool wholeCallFails(const AppError &e)
{
    return dynamic_cast<const BusyError *>(&e) != nullptr || Sql::isConflict(e);
}

CartAddResult addToCart(QString &keys, const QSqlDatabase &db, const QString &op,
                        Progress &progress)
{
    const QString owner = Sql::boundText(op);
    CartAddResult result;

    // Each title once, in list order.
    QStringList titles;
    {
        QSet<QString> seen;
        for (const QString &part : keys.split(u',')) {
            const QString key = Sql::boundText(part);
            if (key.isEmpty() || seen.contains(key))
                continue;
            seen.insert(key);
            titles << key;
        }
    }
    progress.setCancellable(true);
    progress.start(QStringLiteral("正在放入购物车"), titles.size());

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
    const QString insertLines = QStringLiteral(
        "insert into deshopcart_mx (dhdh,tm,sl,sm,yc,zbh,zz,isbn,dj,my,ghbm,ghmc,cbbm,cbmc)"
        " select cast(? as varchar(20)),tm,cast(? as integer),sm,yc,zbh,zz,isbn,dj,"
        "dj*cast(? as integer),ghbm,ghmc,cbbm,cbmc from qrydebooks where ")
        + CataloguePrice::acceptedSql(QStringLiteral("dj")) + QStringLiteral(" and tm");
    for (qsizetype first = 0; first < titles.size(); first += CartBatch) {
        const QStringList batch = titles.mid(first, CartBatch);
        const QString in = inList(batch.size());
        QVariantList batchValues;
        for (const QString &key : batch)
            batchValues << key;

        // A new cart has only this call's lines, and each title comes once.
        QSet<QString> there;
        QSqlQuery q;
        if (existing.isValid()) {
            q = Sql::exec(db, QStringLiteral("select tm from deshopcart_mx where dhdh=? and tm") + in,
                          QVariantList{cart} + batchValues);
            while (q.next())
                there.insert(q.value(0).toString());
        }
        q = QSqlQuery();
        QStringList fresh;
        for (const QString &key : batch)
            if (!there.contains(key))
                fresh << key;

        // The batch's lines in one statement. When it inserted fewer lines than it had titles,
        // the lines in the cart tell which titles the catalogue lacks. When the database
        // refuses a line, the batch goes line by line, each in its own savepoint, so a refused
        // line is left out and the others stay.
        QSet<QString> added;
        QHash<QString, CartAddResult::Refused> refusals;   // tm -> why there is no line
        if (!fresh.isEmpty()) {
            Sql::Transaction set(db);
            QVariantList values{cart, quantity, quantity};
            for (const QString &key : fresh)
                values << key;
            bool setRefused = false;
            int inserted = -1;
            try {
                inserted = Sql::exec(db, insertLines + inList(fresh.size()), values).numRowsAffected();
            } catch (const AppError &e) {
                if (wholeCallFails(e))
                    throw;
                setRefused = true;
            }
            if (!setRefused) {
                set.commit();
                if (inserted == fresh.size()) {
                    added = QSet<QString>(fresh.begin(), fresh.end());
                } else {
                    q = Sql::exec(db, QStringLiteral("select tm from deshopcart_mx where dhdh=? and tm")
                                          + inList(fresh.size()),
                                  QVariantList{cart} + values.mid(3));
                    while (q.next())
                        added.insert(q.value(0).toString());
                    q = QSqlQuery();
                }
            } else {
                set.rollback();
                for (const QString &key : fresh) {
                    Sql::Transaction line(db);
                    try {
                        const int n = Sql::exec(db, insertLines + QStringLiteral("=?"),
                                                {cart, quantity, quantity, key})
                                          .numRowsAffected();
                        // A driver that cannot count: the cart says whether the line is there.
                        if (n > 0
                            || (n < 0
                                && Sql::scalar(db, QStringLiteral("select 1 from deshopcart_mx where dhdh=? and tm=?"),
                                               {cart, key}).isValid()))
                            added.insert(key);
                    } catch (const AppError &e) {
                        if (wholeCallFails(e))
                            throw;
                        line.rollback();
                        const QVariant title =
                            Sql::scalar(db, QStringLiteral("select sm from qrydebooks where tm=?"), {key});
                        refusals.insert(key, {key, title.toString(), e.text()});
                        continue;
                    }
                    line.commit();
                }
            }
        }

        // A title left out by the price condition is in the catalogue: say what its price lacks.
        QStringList lineless;
        for (const QString &key : fresh)
            if (!added.contains(key) && !refusals.contains(key))
                lineless << key;
        if (!lineless.isEmpty()) {
            QVariantList values;
            for (const QString &key : lineless)
                values << key;
            q = Sql::exec(db, QStringLiteral("select tm,sm,dj from qrydebooks where tm") + inList(lineless.size()),
                          values);
            while (q.next()) {
                const QString key = q.value(0).toString();
                const QString fault = CataloguePrice::fault(q.value(2));
                if (!fault.isEmpty() && !refusals.contains(key))
                    refusals.insert(key, {key, q.value(1).toString(), fault});
            }
            q = QSqlQuery();
        }

        for (const QString &key : batch) {
            if (there.contains(key))
                result.alreadyThere << key;
            else if (added.contains(key))
                result.added << key;
            else if (refusals.contains(key))
                result.refused.append(refusals.value(key));
            else
                result.refused.append({key, QString(), QStringLiteral("书目库中没有这种书目")});
        }
        if (!progress.advance(first + batch.size())) {
            transaction.rollback();
            CartAddResult stopped;
            stopped.cancelled = true;
            return stopped;
        }
    }
    transaction.commit();
    keys.clear();
    return result;
}

} // namespace

CartAddResult AddToCart(QString &keys, const QSqlDatabase &db, const QString &op,
                        Progress &progress)
{
    // A call that lost a race with another desk (a new cart's number) runs again whole.
    return Sql::retryOnConflict(db, [&] { return addToCart(keys, db, op, progress); });
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
    // Titles ordered this season are named once for the whole selection.
    if (!SeasonOrders::confirmCartKeys(keys, db, prompter))
        return false;
    if (keys.isEmpty()) {
        prompter.info(QStringLiteral("所选书目本季都已经订购，没有放入购物车"));
        return false;
    }
    CartAddResult result;
    {
        // The progress display is gone before any message opens: a finished progress dialog
        // left behind would come up over the message (it is modal) and keep its 确定 from
        // being pressed.
        const std::unique_ptr<Progress> progress = prompter.progress();
        result = AddToCart(keys, db, op, *progress);
    }
    if (result.cancelled) {
        prompter.info(QStringLiteral("已取消，购物车没有改变"));
        return false;
    }
    if (!result.complete()) {
        prompter.message(CartAddMessage(result), QStringLiteral("系统提示"), MsgFlags::Warning);
        return false;
    }
    prompter.info(CartAddMessage(result));
    marked.clear();
    return true;
}
