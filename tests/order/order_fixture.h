#pragma once
// A fresh SQLite database with helpers to fill the cart and read what order making left.
#include "joined_rows.h"
#include "temp_tree.h"

#include "data/sql_helper.h"

#include <QDate>
#include <QSqlQuery>
#include <QStringList>
#include <gtest/gtest.h>

class OrderDbTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    // A cart line for operator op in that operator's cart (created with number cart<op>).
    // A null ghbm is stored as NULL.
    void addLine(const QString &tm, const QString &sm, double dj, qint64 sl, const QString &ghbm,
                 const QString &ghmc, const QString &op = QStringLiteral(""))
    {
        const QString cart = QStringLiteral("cart") + op;
        if (!Sql::scalar(db, QStringLiteral("select 1 from deshopcart where dhdh=?"), {cart}).isValid())
            Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values (?,?,'N')"),
                      {cart, op});
        Sql::exec(db,
                  QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl,sm,yc,zbh,zz,isbn,dj,my,ghbm,"
                                 "ghmc,cbbm,cbmc) values (?,?,?,?,'1','Z-'||?,'作者','978-'||?,?,?,?,?,"
                                 "'P1','出版社')"),
                  {cart, tm, sl, sm, tm, tm, dj, dj * sl,
                   ghbm.isNull() ? QVariant() : QVariant(ghbm), ghmc});
    }
    // "tm|sl|my" of op's cart lines, sorted.
    QStringList cartLines(const QString &op = QStringLiteral(""))
    {
        return rows(QStringLiteral("select tm,sl,my from qrydeshopcart where op=? order by tm"), {op});
    }
    QStringList rows(const QString &statement, const QVariantList &values = {})
    {
        return joinedRows(db, statement, values);
    }
    int count(const QString &table)
    {
        return Sql::scalar(db, QStringLiteral("select count(*) from ") + table).toInt();
    }
    // pvalue of a counter, -1 when it does not exist.
    qint64 counter(const QString &name)
    {
        const QVariant v = Sql::scalar(
            db, QStringLiteral("select pvalue from parameter where pname=? and userno='0'"), {name});
        return v.isValid() ? v.toLongLong() : -1;
    }
};
