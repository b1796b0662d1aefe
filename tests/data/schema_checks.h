#pragma once
// Checks that a freshly created schema serves the statements the windows send, shared by the
// SQLite, Firebird and ODBC tests.
#include "cart/cart.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QDate>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace SchemaChecks {

inline QStringList browseColumns()
{
    return QStringLiteral("sm,tm,zbh,yc,zz,dj,cbrq,kb,zdfs,Qzs,cbbm,cbmc,ghbm,ghmc,fsm,fsm2,tsh1,"
                          "tsh2,wwsm,wwsm2,isbn,csm,csm2,ztbm,ztmc,ywbm,ywbc,zpbm,zpmc,syfw,syzy,"
                          "nrdj,zz2,yz,yz2,chr,bj,bj2,bs,zzgg,bcys,dwyz,zyz,bzyz,ys,mbcs,sfxs,jj")
        .split(u',');
}

// Lower-case names of the columns a statement returns.
inline QSet<QString> columnsOf(const QSqlDatabase &db, const QString &relation)
{
    QSqlQuery q = Sql::exec(db, QStringLiteral("select * from %1 where 1=0").arg(relation));
    QSet<QString> names;
    const QSqlRecord r = q.record();
    for (int i = 0; i < r.count(); ++i)
        names.insert(r.fieldName(i).toLower());
    return names;
}

inline QSet<QString> relations(const QSqlDatabase &db)
{
    QSet<QString> names;
    for (const QString &n : db.tables(QSql::Tables) + db.tables(QSql::Views))
        names.insert(n.trimmed().toLower());
    return names;
}

inline void expectAllRelations(const QSqlDatabase &db)
{
    const QSet<QString> present = relations(db);
    for (const QString &n : Schema::tableNames() + Schema::viewNames())
        EXPECT_TRUE(present.contains(n)) << n.toStdString();
}

// Runs the statements of the windows, as they write them, on an empty schema.
inline void expectStatementsRun(const QSqlDatabase &db)
{
    const char *const statements[] = {
        "select sm,tm,zbh,yc,zz,dj,cbrq,kb,zdfs,Qzs,cbbm,cbmc,ghbm,ghmc,fsm,fsm2,tsh1,tsh2,wwsm,"
        "wwsm2,isbn,csm,csm2,ztbm,ztmc,ywbm,ywbc,zpbm,zpmc,syfw,syzy,nrdj,zz2,yz,yz2,chr,bj,bj2,bs,"
        "zzgg,bcys,dwyz,zyz,bzyz,ys,mbcs,sfxs,jj,fmtp from qrydebooks  where ywbc='计算机' and "
        "cbbm='1' and kz11='十一五' and ztmc='x' and nrty like '%x%' and hzcb like '%x%' "
        "order by zbh",
        "select * from qrybooksall where tm='x'",
        "select puno,puname,xh from qrypublishers order by xh,puname",
        "select distinct cno2,category2,xh from debook_categories2 order by xh",
        "select cno,category from debook_categories where pno='1' order by cno",
        "select * from detsnrty\r\nwhere tm='x'\r\n",
        "select b.cid as id,a.name as name\r\nfrom debookotype a,\r\ndebook2type b\r\n"
        "where a.id=b.cid\r\n    and b.bh='x'",
        "select dhdh from deshopcart where op=''",
        "select 1 from deshopcart_mx where dhdh='x' and tm = 'x'",
        "select sl,sm,tm,yc,zbh,isbn,zz,dj,my,ghbm,ghmc,cbbm,cbmc,dhdh from qrydeshopcart where op=''",
        "select Count(tm)as ncount,sum(sl)as sl,sum(my)as my from qrydeshopcart where op= ''",
        "select distinct ghbm,ghmc from qrydeshopcart where op = '' order by ghbm",
        "select pvalue,idate,len,pformat from parameter where pname='shopcart' and userno='0'",
        "insert into parameter (userno,pname,notes,pvalue,idate,len,pformat) values "
        "('0','shopcart','流水号','1','2026',8,'YYYY')",
        "update parameter set pvalue =pvalue+1\twhere pname='shopcart' and userno='0'",
        "update parameter set pvalue =1,idate='2027' where pname='shopcart' and userno='0'",
        "select count(*) as ncount,sum(sl) as sl,sum(my) as my  from deorder_mx where dhdh= 'x'",
        "select dhdh,dhrq,dfdh,xsfh,xsfm,xslr,xslh,xsfs,sl,my,zk,sy,yf,bzf,sui,jsfs,fkfs,dhrh,dhrm,"
        "dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,shyb,fkrh,fkrm,fklr,fklh,fhfs,fhdz,fhrq,bz,"
        "kz1,kz2,kz3,kz4,kz5,kz6,kz7,kz8,kz9,kz10,pno,cdcs,zt from deorder ",
        "select bno,bname,contact,tele,zipcode,address from BOOKSTORE ",
        "update bookstore set bname='x',     contact= 'x',     tele='x'",
        "select uno,uname,contact,addr,addr2,zip,tel from decltrla where cls = 'SHR' and "
        "state='N' and Def='Y'",
        "select uno,uname,contact,tel from decltrla where cls = 'FKR' and state='N' and DEf='Y'",
        "delete from decltrla ",
        "insert into decltrla (uno,uname,addr,addr2,contact,zip,tel,def,state,cls)  values "
        "('1','收货单位','地址','','联系人','430070','027','Y','N','SHR'        )",
        "update decltrla set sname='x',sname2='x',city='x',province='x',fax='x',email='x',"
        "idate='x'",
        "delete from deorder_mx where dhdh in ('x','y')",
        "delete from deorder where dhdh in ('x','y')",
    };
    const QString counters = Schema::sqlName(db, QStringLiteral("parameter"));
    for (const char *text : statements) {
        const QString statement = QString::fromUtf8(text).replace(QStringLiteral(" parameter "),
                                                                  u' ' + counters + u' ');
        EXPECT_NO_THROW(Sql::exec(db, statement)) << statement.toStdString();
    }
}

// One title through cart and order: views join, amounts compute, the order gets its date.
inline void expectOrderRoad(const QSqlDatabase &db)
{
    Sql::exec(db, QStringLiteral("insert into publishers (puno,puname,xh) values (?,?,?)"),
              {QStringLiteral("5601"), QStringLiteral("东海理工大学出版社"), 1});
    Sql::exec(db, QStringLiteral("insert into publishers (puno,puname,xh) values (?,?,?)"),
              {QStringLiteral("5602"), QStringLiteral("没有书目的出版社"), 2});
    Sql::exec(db,
              QStringLiteral("insert into debooks (tm,sm,zbh,dj,ghbm,ghmc,cbbm,cbmc,kz11,fmtp) "
                             "values (?,?,?,?,?,?,?,?,?,?)"),
              {QStringLiteral("T1"), QStringLiteral("数据结构（第2版）"), QStringLiteral("000001"),
               12.5, QStringLiteral("GH01"), QStringLiteral("北方高校教材发行中心"),
               QStringLiteral("5601"), QStringLiteral("东海理工大学出版社"),
               QStringLiteral("十一五"), QStringLiteral("cover01.jpg")});
    Sql::exec(db, QStringLiteral("insert into detsnrty (tm,nrty) values (?,?)"),
              {QStringLiteral("T1"), QStringLiteral("内容简介：线性表、树与图。")});

    // The cart, with the statements of the cart routine.
    Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values ('C1','','N')"));
    Sql::execNamed(db,
                   QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl,sm,yc,zbh,zz,isbn,dj,my,"
                                  "ghbm,ghmc,cbbm,cbmc) select 'C1',tm,'10',sm,yc,zbh,zz,isbn,dj,"
                                  "dj*:sl,ghbm,ghmc,cbbm,cbmc from qrydebooks where tm='T1'"),
                   {{QStringLiteral("sl"), 10}});
    QSqlQuery cart = Sql::exec(db, QStringLiteral("select op,sl,my,sm,dhdh from qrydeshopcart"));
    ASSERT_TRUE(cart.next());
    EXPECT_EQ(cart.value(0).toString(), QString());
    EXPECT_EQ(cart.value(1).toInt(), 10);
    EXPECT_DOUBLE_EQ(cart.value(2).toDouble(), 125.0);
    EXPECT_EQ(cart.value(3).toString(), QStringLiteral("数据结构（第2版）"));
    EXPECT_EQ(cart.value(4).toString(), QStringLiteral("C1"));
    EXPECT_FALSE(cart.next());

    // An order header without dhrq gets the date of its creation.
    const QString before = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    Sql::exec(db,
              QStringLiteral("insert into deorder (xsfh,xsfm,dhdh,dfdh,dhrm,bz) "
                             "values (?,?,?,?,?,?)"),
              {QStringLiteral("GH01"), QStringLiteral("北方高校教材发行中心"),
               QStringLiteral("202600000001"), QStringLiteral("202600000001"),
               QStringLiteral("江城大学"), QStringLiteral("含'引号")});
    const QString after = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString dhrq = Sql::scalar(db, QStringLiteral("select dhrq from deorder where dhdh=?"),
                                     {QStringLiteral("202600000001")})
                             .toString();
    EXPECT_TRUE(dhrq == before || dhrq == after) << dhrq.toStdString();
    Sql::exec(db,
              QStringLiteral("insert into deorder_mx (dhdh,tm,zbh,yc,sm,dj,sl,my,zz,isbn,ghbm,ghmc,"
                             "cbbm,cbmc) select ?,tm,zbh,yc,sm,dj,sl,dj*sl,zz,isbn,ghbm,ghmc,cbbm,"
                             "cbmc from qrydeshopcart where ghbm=? and op = ?"),
              {QStringLiteral("202600000001"), QStringLiteral("GH01"), QStringLiteral("")});
    QSqlQuery total = Sql::exec(db, QStringLiteral("select count(*) as ncount,sum(sl) as sl,"
                                                   "sum(my) as my from deorder_mx where dhdh= ?"),
                                {QStringLiteral("202600000001")});
    ASSERT_TRUE(total.next());
    EXPECT_EQ(total.value(0).toInt(), 1);
    EXPECT_DOUBLE_EQ(total.value(2).toDouble(), 125.0);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deorder where dhrq between ? and ?"),
                          {before, after})
                  .toInt(),
              1);

    // Catalogue views: the publisher without titles is not listed; the full record has texts.
    QSqlQuery pubs = Sql::exec(db, QStringLiteral("select puno from qrypublishers"));
    QStringList listed;
    while (pubs.next())
        listed << pubs.value(0).toString();
    EXPECT_EQ(listed, QStringList{QStringLiteral("5601")});
    QSqlQuery full = Sql::exec(db, QStringLiteral("select nrty,fmtp,puname from qrybooksall where tm='T1'"));
    ASSERT_TRUE(full.next());
    EXPECT_EQ(full.value(0).toString(), QStringLiteral("内容简介：线性表、树与图。"));
    EXPECT_EQ(full.value(1).toString(), QStringLiteral("cover01.jpg"));
    EXPECT_EQ(full.value(2).toString(), QStringLiteral("东海理工大学出版社"));
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from qrydebooks where kz11=?"),
                          {QStringLiteral("十一五")})
                  .toInt(),
              1);
}

// A title that fills every catalogue column the cart and the orders copy goes into the cart
// and into an order unchanged: neither table is narrower than the catalogue. titleLength is
// the length of sm (the catalogue declares 500; SQLite keeps longer ones too).
inline void expectWidestTitleTravels(const QSqlDatabase &db, int titleLength)
{
    struct Value {
        const char *column;
        QString text;
    };
    const QList<Value> values = {
        {"tm", QString(20, u'9')},   {"sm", QString(titleLength, u'书')},
        {"yc", QString(10, u'印')},  {"zbh", QString(20, u'Z')},
        {"zz", QString(40, u'著')},  {"isbn", QStringLiteral("ISBN 978-7-000-00000-0/G·12345")},
        {"ghbm", QString(10, u'G')}, {"ghmc", QString(60, u'供')},
        {"cbbm", QString(10, u'P')}, {"cbmc", QString(60, u'社')},
    };
    ASSERT_EQ(values.at(5).text.size(), 30);
    QStringList columns;
    QVariantList bound;
    for (const Value &v : values) {
        columns << QString::fromLatin1(v.column);
        bound << v.text;
    }
    Sql::exec(db,
              QStringLiteral("insert into debooks (%1,dj) values (%2?)")
                  .arg(columns.join(u','), QStringLiteral("?,").repeated(int(values.size()))),
              bound + QVariantList{12.5});

    const QString op = QStringLiteral("宽");
    const QString tm = values.at(0).text;
    QString keys = tm;
    const CartAddResult added = AddToCart(keys, db, op);
    EXPECT_EQ(added.added, QStringList{tm});
    for (const CartAddResult::Refused &r : added.refused)
        ADD_FAILURE() << "refused: " << r.reason.toStdString();

    const QString order = QStringLiteral("W1");
    Sql::exec(db,
              QStringLiteral("insert into deorder_mx (dhdh,tm,zbh,yc,sm,dj,sl,my,zz,isbn,ghbm,ghmc,"
                             "cbbm,cbmc) select ?,tm,zbh,yc,sm,dj,sl,dj*sl,zz,isbn,ghbm,ghmc,cbbm,"
                             "cbmc from qrydeshopcart where tm=? and op = ?"),
              {order, tm, op});
    for (const char *table : {"qrydeshopcart", "deorder_mx"}) {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select %1 from %2 where tm=?")
                                        .arg(columns.join(u','), QLatin1String(table)),
                                {tm});
        ASSERT_TRUE(q.next()) << table;
        for (int i = 0; i < values.size(); ++i)
            EXPECT_EQ(q.value(i).toString(), values.at(i).text) << table << "." << values.at(i).column;
    }
    Sql::exec(db, QStringLiteral("delete from deorder_mx where dhdh=?"), {order});
    Sql::exec(db, QStringLiteral("delete from deshopcart_mx where tm=?"), {tm});
    Sql::exec(db, QStringLiteral("delete from debooks where tm=?"), {tm});
}

} // namespace SchemaChecks
