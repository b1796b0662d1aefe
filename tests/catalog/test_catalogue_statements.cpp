// The catalogue's statements, run against a demo catalogue in SQLite: what each list selects,
// in which order, and that values go in bound.
#include "catalog_fixture.h"

#include "catalog/book_list.h"
#include "catalog/catalogue_statements.h"
#include "data/demo_catalogue.h"
#include "data/sqlite_collation.h"

#include <QDate>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

using CS = CatalogueStatements::PublisherMode;

class CatalogueStatementsTest : public CatalogFixture {
protected:
    void SetUp() override { DemoCatalogue::fill(db, 200); }

    // The rows of a statement as "a|b|…" texts of its columns, in order.
    QStringList rows(const Statement &s, int columns = 1) const
    {
        QSqlQuery q = Sql::exec(db, s.text, s.values);
        QStringList out;
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < columns; ++i)
                row << q.value(i).toString();
            out << row.join(u'|');
        }
        return out;
    }
    // The titles (tm) a title list holds, in its order.
    QStringList titlesOf(const Statement &s) const
    {
        QSqlQuery q = Sql::exec(db, s.text, s.values);
        QStringList out;
        while (q.next())
            out << q.value(QStringLiteral("tm")).toString();
        return out;
    }
    QStringList columnsOf(const Statement &s) const
    {
        QSqlQuery q = Sql::exec(db, s.text, s.values);
        QStringList out;
        for (int i = 0; i < q.record().count(); ++i)
            out << q.record().fieldName(i).toLower();
        return out;
    }
    QStringList column(const QString &sql, const QVariantList &values = {}) const
    {
        return rows({sql, values});
    }
    QString anyValue(const QString &sql) const { return column(sql).value(0); }
};

// Every title list selects what the grid and the pane show: the browse columns, the cover
// file where covers are shown, and none of the long texts.
TEST_F(CatalogueStatementsTest, TitleListsLoadWhatTheyShow)
{
    const QString category = anyValue(QStringLiteral("select ywbc from debooks where ywbc is not null"));
    const QString publisher = anyValue(QStringLiteral("select cbbm from debooks"));
    const QString specialty = anyValue(QStringLiteral("select ztmc from debooks where ztmc is not null"));
    QStringList longTexts = column(QStringLiteral("select name from pragma_table_info('detsnrty')"));
    longTexts.removeAll(QStringLiteral("tm"));
    ASSERT_GE(longTexts.size(), 18);

    QStringList browse;
    for (const QString &c : BookList::browseColumnList())
        browse << c.toLower();
    const struct {
        const char *what;
        Statement statement;
        bool withCover;
    } cases[] = {
        {"category", CatalogueStatements::categoryTitles(category), true},
        {"planned", CatalogueStatements::plannedTitles(), false},
        {"publisher", CatalogueStatements::publisherTitles(publisher), true},
        {"publisher category", CatalogueStatements::publisherCategoryTitles(CS::Specialty, publisher, specialty, {}), true},
    };
    for (const auto &c : cases) {
        QStringList expected = browse;
        if (c.withCover)
            expected << QStringLiteral("fmtp");
        expected << QStringLiteral("ydsl");
        const QStringList got = columnsOf(c.statement);
        EXPECT_EQ(got, expected) << c.what;
        for (const QString &text : longTexts)
            EXPECT_FALSE(got.contains(text)) << c.what << " selects " << text.toStdString();
    }
}

// Each list holds exactly the titles its condition names, in the order the window shows.
TEST_F(CatalogueStatementsTest, TitleListsHoldTheirTitles)
{
    const QString category = anyValue(QStringLiteral("select ywbc from debooks where ywbc is not null"));
    const QString publisher = anyValue(QStringLiteral("select cbbm from debooks group by cbbm order by count(*) desc"));
    const QString specialty =
        column(QStringLiteral("select ztmc from debooks where cbbm=? and ztmc is not null"), {publisher}).value(0);
    const QString business =
        column(QStringLiteral("select ywbc from debooks where cbbm=? and ywbc is not null"), {publisher}).value(0);
    ASSERT_FALSE(specialty.isEmpty());
    ASSERT_FALSE(business.isEmpty());

    const struct {
        const char *what;
        Statement statement;
        QString expectedSql;
        QVariantList values;
    } cases[] = {
        {"category in zbh order", CatalogueStatements::categoryTitles(category),
         "select tm from qrydebooks where ywbc=? order by zbh", {category}},
        {"planned", CatalogueStatements::plannedTitles(), "select tm from qrydebooks where kz11='十一五'", {}},
        {"publisher", CatalogueStatements::publisherTitles(publisher), "select tm from qrydebooks where cbbm=?",
         {publisher}},
        {"specialty", CatalogueStatements::publisherCategoryTitles(CS::Specialty, publisher, specialty, {}),
         "select tm from qrydebooks where cbbm=? and ztmc=?", {publisher, specialty}},
        {"business", CatalogueStatements::publisherCategoryTitles(CS::Business, publisher, business, {}),
         "select tm from qrydebooks where cbbm=? and ywbc=?", {publisher, business}},
    };
    for (const auto &c : cases) {
        const QStringList expected = column(c.expectedSql, c.values);
        EXPECT_FALSE(expected.isEmpty()) << c.what;
        const QStringList got = titlesOf(c.statement);
        if (QByteArray(c.what).contains("order"))
            EXPECT_EQ(got, expected) << c.what;
        else
            EXPECT_EQ(QSet<QString>(got.begin(), got.end()), QSet<QString>(expected.begin(), expected.end())) << c.what;
    }
}

// The further classification is chosen by its id: two classifications of one publisher may
// share a name, and each label shows only its own titles.
TEST_F(CatalogueStatementsTest, OtherClassificationFiltersByItsId)
{
    const QStringList titles = column(QStringLiteral("select tm from debooks limit 3"));
    ASSERT_EQ(titles.size(), 3);
    Sql::exec(db, QStringLiteral("update debooks set cbbm='PX' where tm in (?,?,?)"), {titles[0], titles[1], titles[2]});
    Sql::exec(db, QStringLiteral("insert into debookotype (id,name,pno) values ('O1','规划教材','PX'),('O2','规划教材','PX')"));
    Sql::exec(db, QStringLiteral("insert into debook2type (bh,cid) values (?,'O1'),(?,'O2'),(?,'O2')"),
              {titles[0], titles[1], titles[2]});

    EXPECT_EQ(rows(CatalogueStatements::publisherCategories(CS::Other, QStringLiteral("PX")), 2),
              (QStringList{QStringLiteral("O1|规划教材"), QStringLiteral("O2|规划教材")}));
    const QString name = QStringLiteral("规划教材");
    EXPECT_EQ(titlesOf(CatalogueStatements::publisherCategoryTitles(CS::Other, QStringLiteral("PX"), name, QStringLiteral("O1"))),
              QStringList{titles[0]});
    QStringList second = titlesOf(CatalogueStatements::publisherCategoryTitles(CS::Other, QStringLiteral("PX"), name, QStringLiteral("O2")));
    second.sort();
    QStringList expected{titles[1], titles[2]};
    expected.sort();
    EXPECT_EQ(second, expected);
}

TEST_F(CatalogueStatementsTest, CategoryListsOfEachMode)
{
    const QString publisher = anyValue(QStringLiteral("select pno from debook_categories"));
    const struct {
        CS mode;
        QString expectedSql;
    } cases[] = {
        {CS::Specialty, "select cno,category from debook_categories where pno=? order by cno"},
        {CS::Business, "select cno2,category2 from debook_categories2 where pno=? order by cno2"},
        {CS::Other, "select id,name from debookotype where pno=? order by id"},
    };
    for (const auto &c : cases) {
        const Statement s = CatalogueStatements::publisherCategories(c.mode, publisher);
        EXPECT_EQ(columnsOf(s), (QStringList{QStringLiteral("bh"), QStringLiteral("bname")})) << int(c.mode);
        EXPECT_EQ(rows(s, 2), rows({c.expectedSql, {publisher}}, 2)) << int(c.mode);
    }
    EXPECT_EQ(rows(CatalogueStatements::categoryTree(), 2),
              column(QStringLiteral("select distinct cno2||'|'||category2 from debook_categories2 order by xh")));
}

// Publishers come in display order; those of equal order by name in pinyin order, which is
// not the order of the names' bytes. The filter matches part of a code or of a name, bound.
TEST_F(CatalogueStatementsTest, PublishersInDisplayThenPinyinOrder)
{
    Sql::exec(db, QStringLiteral("delete from publishers"));
    Sql::exec(db, QStringLiteral("delete from debooks where tm not in (select tm from debooks limit 6)"));
    const QStringList tms = column(QStringLiteral("select tm from debooks"));
    ASSERT_EQ(tms.size(), 6);
    const struct {
        const char *code;
        const char *name;
        int xh;
    } publishers[] = {
        {"P1", "张家出版社", 2}, {"P2", "阿城出版社", 2}, {"P3", "白山出版社", 2}, {"P4", "中华书局", 1}, {"P5", "O'Neil Press", 3},
        {"P6", "100%_Books", 4},
    };
    for (int i = 0; i < 6; ++i) {
        Sql::exec(db, QStringLiteral("insert into publishers (puno,puname,xh) values (?,?,?)"),
                  {QString::fromLatin1(publishers[i].code), QString::fromUtf8(publishers[i].name), publishers[i].xh});
        Sql::exec(db, QStringLiteral("update debooks set cbbm=? where tm=?"), {QString::fromLatin1(publishers[i].code), tms[i]});
    }
    ASSERT_TRUE(SqliteCollation::hasPinyin(db));

    const struct {
        const char *filter;
        QStringList codes;
    } cases[] = {
        {"", {"P4", "P2", "P3", "P1", "P5", "P6"}},
        {"出版社", {"P2", "P3", "P1"}},
        {"P4", {"P4"}},
        {"O'Neil", {"P5"}},
        {"没有", {}},
        // Typed "%" and "_" are the publisher's characters, not wildcards.
        {"%", {"P6"}},
        {"_", {"P6"}},
        {"0%_B", {"P6"}},
        {"出_社", {}},
    };
    for (const auto &c : cases) {
        const Statement s = CatalogueStatements::publishers(db, QString::fromUtf8(c.filter));
        EXPECT_EQ(rows(s), c.codes) << c.filter;
    }
}

// A connection without the collation (opened some other way) still gets a statement it can
// run, ordered by the plain text.
TEST_F(CatalogueStatementsTest, PublishersWithoutTheCollation)
{
    const QString name = QStringLiteral("plain_%1").arg(quintptr(this));
    {
        QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        plain.setDatabaseName(tree.path(QStringLiteral("init/data.mdb")));
        ASSERT_TRUE(plain.open());
        EXPECT_FALSE(SqliteCollation::hasPinyin(plain));
        const Statement s = CatalogueStatements::publishers(plain, QString());
        EXPECT_FALSE(s.text.contains(QStringLiteral("collate")));
        QSqlQuery q = Sql::exec(plain, s.text, s.values);
        EXPECT_TRUE(q.next());
        EXPECT_TRUE(SqliteCollation::installPinyin(plain));
        EXPECT_TRUE(SqliteCollation::hasPinyin(plain));
    }
    QSqlDatabase::removeDatabase(name);
}

// "已订" of every title list: the quantity of the title ordered this season, summed over its
// orders; null for one ordered last year only or never.
TEST_F(CatalogueStatementsTest, TitleListsCarryTheQuantityOrderedThisSeason)
{
    const QString publisher = anyValue(QStringLiteral("select cbbm from debooks group by cbbm order by count(*) desc"));
    const QStringList titles =
        column(QStringLiteral("select tm from debooks where cbbm=? order by tm"), {publisher}).mid(0, 3);
    ASSERT_EQ(titles.size(), 3);
    const int year = QDate::currentDate().year();
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values ('O1',?),('O2',?),('L1',?)"),
              {QString::number(year) + QStringLiteral("-01-01"), QString::number(year) + QStringLiteral("-06-30"),
               QString::number(year - 1) + QStringLiteral("-12-31")});
    Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sl) values ('O1',?,5),('O2',?,2),('L1',?,4)"),
              {titles[0], titles[0], titles[1]});
    QSqlQuery q = Sql::exec(db, CatalogueStatements::publisherTitles(publisher).text,
                            CatalogueStatements::publisherTitles(publisher).values);
    QHash<QString, QString> ordered;
    while (q.next())
        ordered.insert(q.value(QStringLiteral("tm")).toString(),
                       q.value(QStringLiteral("ydsl")).isNull() ? QStringLiteral("-")
                                                               : q.value(QStringLiteral("ydsl")).toString());
    EXPECT_EQ(ordered.value(titles[0]), QStringLiteral("7"));
    EXPECT_EQ(ordered.value(titles[1]), QStringLiteral("-"));
    EXPECT_EQ(ordered.value(titles[2]), QStringLiteral("-"));
}

TEST_F(CatalogueStatementsTest, PaneListsOfOneTitle)
{
    const QString tm = anyValue(QStringLiteral("select tm from detsnrty"));
    ASSERT_FALSE(tm.isEmpty());
    EXPECT_EQ(rows(CatalogueStatements::titleLongTexts(tm)), QStringList{tm});
    EXPECT_EQ(rows(CatalogueStatements::titleClassifications(tm), 2),
              column(QStringLiteral("select b.cid||'|'||a.name from debookotype a join debook2type b on a.id=b.cid"
                                    " where b.bh=?"),
                     {tm}));
}

} // namespace
