#include "order/duplicate_renumbering.h"

#include "cart/serial_number.h"
#include "common/app_error.h"
#include "data/conflict_retry.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QSet>
#include <QSqlQuery>

namespace {

// How a row of a table is named on each engine, as read and as matched in an update.
struct RowKey {
    QString read;
    QString order;
    QString match;
};

RowKey rowKeyOf(const QSqlDatabase &db)
{
    switch (Schema::dialectOf(db)) {
    case Schema::Dialect::Sqlite:
        return {QStringLiteral("rowid"), QStringLiteral("rowid"), QStringLiteral("rowid=?")};
    case Schema::Dialect::Firebird: {
        // The driver reads the key's eight bytes as text, which does not go back whole: it
        // travels as the hexadecimal text of the key.
        const QString text = QStringLiteral("uuid_to_char(cast(rdb$db_key as char(16) character set octets))");
        return {text, QStringLiteral("rdb$db_key"), text + QStringLiteral("=?")};
    }
    case Schema::Dialect::Postgres:
        return {QStringLiteral("cast(ctid as text)"), QStringLiteral("ctid"),
                QStringLiteral("ctid=cast(? as tid)")};
    case Schema::Dialect::Unknown:
        break;
    }
    throw AppError(QStringLiteral("不支持在这种数据库上重新编号（支持 SQLite、Firebird、PostgreSQL）"));
}

struct Header {
    QVariant key;
    QString number;
    QString supplier;
};

// The rows of the table whose number is held more than once, each number's rows in the order
// that decides which keeps it.
QList<Header> sharedNumberRows(const QSqlDatabase &db, const RowKey &key, const QString &table)
{
    const bool order = table == u"deorder";
    QSqlQuery q = Sql::exec(
        db, QStringLiteral("select %1,dhdh,%2 from %3 where dhdh in"
                           " (select dhdh from %3 group by dhdh having count(*)>1)"
                           " order by dhdh,%4%5")
                .arg(key.read, order ? QStringLiteral("xsfh") : QStringLiteral("op"), table,
                     order ? QStringLiteral("dhrq,") : QString(), key.order));
    QList<Header> rows;
    while (q.next())
        rows.append({q.value(0), q.value(1).toString(), q.value(2).toString().trimmed()});
    return rows;
}

QList<RenumberedHeader> renumber(const QSqlDatabase &db, const QDate &today)
{
    const RowKey key = rowKeyOf(db);
    QList<RenumberedHeader> done;
    Sql::Transaction transaction(db);
    for (const char *const name : {"deorder", "deshopcart"}) {
        const QString table = QString::fromLatin1(name);
        const bool order = table == u"deorder";
        QString current;
        QSet<QString> suppliersWithLines;
        for (const Header &row : sharedNumberRows(db, key, table)) {
            if (row.number != current) {
                // The first row of a number keeps it, and its supplier's lines with it.
                current = row.number;
                suppliersWithLines = {row.supplier};
                continue;
            }
            RenumberedHeader r;
            r.table = table;
            r.oldNumber = row.number;
            // A number some row holds already (the counter went back before) is passed over.
            do {
                r.newNumber = order ? NextSerialNumber(QStringLiteral("order"), db, QString(), today)
                                    : NextSerialNumber(QStringLiteral("shopcart"), db, QStringLiteral("0"), today);
            } while (Sql::scalar(db, QStringLiteral("select count(*) from %1 where dhdh=?").arg(table),
                                 {r.newNumber}).toInt() > 0);
            Sql::exec(db, QStringLiteral("update %1 set dhdh=? where %2").arg(table, key.match),
                      {r.newNumber, row.key});
            if (order) {
                r.supplierCode = row.supplier;
                if (suppliersWithLines.contains(row.supplier)) {
                    r.linesStayed = true;
                } else {
                    suppliersWithLines.insert(row.supplier);
                    const QString supplierLines = QStringLiteral("dhdh=? and coalesce(trim(ghbm),'')=?");
                    r.movedLines = Sql::scalar(db, QStringLiteral("select count(*) from deorder_mx where ")
                                                       + supplierLines,
                                               {row.number, row.supplier}).toInt();
                    Sql::exec(db, QStringLiteral("update deorder_mx set dhdh=? where ") + supplierLines,
                              {r.newNumber, row.number, row.supplier});
                }
            } else {
                r.linesStayed = true;
            }
            done.append(r);
        }
    }
    transaction.commit();
    return done;
}

} // namespace

QList<RenumberedHeader> RenumberDuplicates(const QSqlDatabase &db, const QDate &today)
{
    return Sql::retryOnConflict(db, [&] { return renumber(db, today); });
}
