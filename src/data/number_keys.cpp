#include "data/number_keys.h"

#include "common/app_error.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QSqlQuery>

namespace NumberKeys {

namespace {

struct Key {
    const char *index;
    const char *table;
};

// The unique keys as Schema::create() makes them.
const Key keys[] = {
    {"ux_deorder_dhdh", "deorder"},
    {"ux_deshopcart_dhdh", "deshopcart"},
};

// The ordinary order-number index that databases made before the unique key carry.
const char *const oldOrderIndex = "ix_deorder_dhdh";

bool indexExists(const QSqlDatabase &db, const QString &name)
{
    QString text;
    QString bound = name;
    switch (Schema::dialectOf(db)) {
    case Schema::Dialect::Sqlite:
        text = QStringLiteral("select count(*) from sqlite_master where type='index' and lower(name)=?");
        break;
    case Schema::Dialect::Firebird:
        text = QStringLiteral("select count(*) from rdb$indices where trim(rdb$index_name)=?");
        bound = name.toUpper();
        break;
    case Schema::Dialect::Postgres:
        text = QStringLiteral("select count(*) from pg_indexes where schemaname=current_schema()"
                              " and indexname=?");
        break;
    case Schema::Dialect::Unknown:
        throw AppError(QStringLiteral("不支持在这种数据库上检查索引（支持 SQLite、Firebird、PostgreSQL）"));
    }
    return Sql::scalar(db, text, {bound}).toInt() > 0;
}

} // namespace

QList<Duplicate> duplicates(const QSqlDatabase &db)
{
    QList<Duplicate> out;
    for (const Key &key : keys) {
        const QString table = QString::fromLatin1(key.table);
        QSqlQuery q = Sql::exec(db, QStringLiteral("select dhdh,count(*) from %1 where dhdh is not null"
                                                   " group by dhdh having count(*)>1 order by dhdh")
                                        .arg(table));
        while (q.next())
            out.append({table, q.value(0).toString(), q.value(1).toInt()});
    }
    return out;
}

bool unique(const QSqlDatabase &db)
{
    for (const Key &key : keys)
        if (!indexExists(db, QString::fromLatin1(key.index)))
            return false;
    return true;
}

void createMissingKeys(const QSqlDatabase &db)
{
    for (const Key &key : keys) {
        const QString index = QString::fromLatin1(key.index);
        if (!indexExists(db, index))
            Sql::exec(db, QStringLiteral("create unique index %1 on %2 (dhdh)")
                              .arg(index, QString::fromLatin1(key.table)));
    }
    if (indexExists(db, QString::fromLatin1(oldOrderIndex)))
        Sql::exec(db, QStringLiteral("drop index %1").arg(QString::fromLatin1(oldOrderIndex)));
}

UpgradeResult upgrade(const QSqlDatabase &db)
{
    UpgradeResult result;
    if (unique(db) && !indexExists(db, QString::fromLatin1(oldOrderIndex)))
        return result;
    {
        Sql::Transaction transaction(db);
        result.duplicates = duplicates(db);
        if (!result.duplicates.isEmpty()) {
            transaction.rollback();
            result.outcome = Outcome::Duplicates;
            return result;
        }
        createMissingKeys(db);
        transaction.commit();
    }
    if (!unique(db))
        throw AppError(QStringLiteral("订单号和购物车号的唯一索引没有建成（数据库报告成功，但索引不在）。"));
    result.outcome = Outcome::MadeUnique;
    return result;
}

QString duplicatesMessage(const QList<Duplicate> &duplicates)
{
    QStringList orders;
    QStringList carts;
    for (const Duplicate &d : duplicates)
        (d.table == u"deorder" ? orders : carts) << QStringLiteral("%1（%2 次）").arg(d.number).arg(d.rows);
    QString text = QStringLiteral("数据库中有重复的编号，无法为它们建立唯一索引：\n");
    if (!orders.isEmpty())
        text += QStringLiteral("订单号：%1\n").arg(orders.join(QStringLiteral("、")));
    if (!carts.isEmpty())
        text += QStringLiteral("购物车号：%1\n").arg(carts.join(QStringLiteral("、")));
    text += QStringLiteral("请系统管理员用“zhengding-admin renumber-duplicates”为后来的订单重新编号，"
                           "然后重新发送这些订单。");
    return text;
}

} // namespace NumberKeys
