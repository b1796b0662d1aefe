// The schema on the embedded SQLite database.
#include "schema_checks.h"
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

class SchemaTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
};

TEST_F(SchemaTest, CreatesEveryTableAndView)
{
    EXPECT_EQ(Schema::dialectOf(db), Schema::Dialect::Sqlite);
    EXPECT_TRUE(Schema::exists(db));
    const QSet<QString> tables = [&] {
        QSet<QString> s;
        for (const QString &n : db.tables(QSql::Tables))
            s.insert(n.toLower());
        return s;
    }();
    const QSet<QString> views = [&] {
        QSet<QString> s;
        for (const QString &n : db.tables(QSql::Views))
            s.insert(n.toLower());
        return s;
    }();
    for (const char *name : {"debooks", "publishers", "debook_categories", "debook_categories2",
                             "debookotype", "debook2type", "detsnrty", "deshopcart",
                             "deshopcart_mx", "parameter", "deorder", "deorder_mx", "decltrla",
                             "bookstore"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(name))) << name;
    for (const char *name : {"qrydebooks", "qrybooksall", "qrypublishers", "qrydeshopcart"})
        EXPECT_TRUE(views.contains(QString::fromLatin1(name))) << name;
}

TEST_F(SchemaTest, CatalogueViewCarriesBrowseAndSearchColumns)
{
    const QSet<QString> columns = SchemaChecks::columnsOf(db, QStringLiteral("qrydebooks"));
    QStringList wanted = SchemaChecks::browseColumns();
    EXPECT_EQ(wanted.size(), 48);
    wanted << QStringLiteral("fmtp") << QStringLiteral("kz11")
           << QStringLiteral("hzcb,cbgb,sbny,cip,tjfl,tjmc,ztc,bqtg,csbh,ysrq,cd,kd,hd,zl,xsdj,"
                             "fjqk,nrty,zjml,jcpd,zzjj,ckzl,qtnr,cbsm,fy,qy,xy,hj,fl,sp,xy2,"
                             "jcpd2,zzjj2,sp2,fl2,sp3,fl3,qtnr2")
                  .split(u',');
    for (const QString &c : wanted)
        EXPECT_TRUE(columns.contains(c.toLower())) << c.toStdString();

    const QSet<QString> cart = SchemaChecks::columnsOf(db, QStringLiteral("qrydeshopcart"));
    for (const char *c : {"sl", "my", "tm", "sm", "yc", "dj", "zz", "isbn", "zbh", "ghbm", "ghmc",
                          "cbbm", "cbmc", "dhdh", "op"})
        EXPECT_TRUE(cart.contains(QString::fromLatin1(c))) << c;
}

TEST_F(SchemaTest, WindowStatementsRun)
{
    SchemaChecks::expectStatementsRun(db);
}

TEST_F(SchemaTest, OrderRoadThroughViewsAndDate)
{
    SchemaChecks::expectOrderRoad(db);
}

TEST_F(SchemaTest, WrittenTablesRefuseValuesLongerThanTheirColumns)
{
    struct Case {
        const char *statement;
        QString value;
        bool accepted;
    };
    const Case cases[] = {
        {"insert into deorder (dhdh,dhlr) values ('1',?)", QString(30, u'a'), true},
        {"insert into deorder (dhdh,dhlr) values ('1',?)", QString(31, u'a'), false},
        {"insert into deorder (dhdh,dhlr) values ('2',?)", QString(30, u'订'), true},   // a number once
        {"insert into decltrla (uno,zip) values ('1',?)", QString(16, u'1'), false},
        {"insert into bookstore (bno,bname) values ('1',?)", QString(100, u'单'), true},
        {"insert into deshopcart (dhdh,op) values ('1',?)", QString(31, u'o'), false},
        // Copies of catalogue columns hold whatever the catalogue holds.
        {"insert into debooks (tm,sm) values ('1',?)", QString(501, u'书'), true},
        {"insert into deshopcart_mx (dhdh,sm) values ('1',?)", QString(501, u'书'), true},
        {"insert into deorder_mx (dhdh,isbn) values ('1',?)", QString(31, u'9'), true},
    };
    for (const Case &c : cases) {
        bool accepted = true;
        try {
            Sql::exec(db, QString::fromLatin1(c.statement), {c.value});
        } catch (const AppError &) {
            accepted = false;
        }
        EXPECT_EQ(accepted, c.accepted) << c.statement << " length " << c.value.size();
    }
}

TEST_F(SchemaTest, LongestCatalogueValuesReachCartAndOrder)
{
    SchemaChecks::expectWidestTitleTravels(db, 500);
    SchemaChecks::expectWidestTitleTravels(db, 800);
}

TEST_F(SchemaTest, OneCartLinePerTitle)
{
    Sql::exec(db, QStringLiteral("insert into deshopcart_mx (dhdh,tm) values ('C1','A1')"));
    Sql::exec(db, QStringLiteral("insert into deshopcart_mx (dhdh,tm) values ('C2','A1')"));
    EXPECT_THROW(Sql::exec(db, QStringLiteral("insert into deshopcart_mx (dhdh,tm) values ('C1','A1')")),
                 AppError);
}

TEST_F(SchemaTest, DropRemovesEverythingAndCreateRebuilds)
{
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh) values ('1')"));
    EXPECT_THROW(Schema::create(db), AppError);   // already there
    Schema::drop(db);
    EXPECT_FALSE(Schema::exists(db));
    EXPECT_TRUE(SchemaChecks::relations(db).isEmpty());
    Schema::create(db);
    SchemaChecks::expectAllRelations(db);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deorder")).toInt(), 0);
}

TEST_F(SchemaTest, FailedCreateLeavesNothingBehind)
{
    Schema::drop(db);
    // A table of the same name as a view makes the creation fail at its very end.
    Sql::exec(db, QStringLiteral("create table qrydeshopcart (x integer)"));
    EXPECT_THROW(Schema::create(db), AppError);
    const QSet<QString> left = SchemaChecks::relations(db);
    EXPECT_EQ(left, QSet<QString>{QStringLiteral("qrydeshopcart")});
}

} // namespace
