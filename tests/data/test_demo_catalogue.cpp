// The generated demo catalogue: deterministic, joined the way the windows join it, plausible.
#include "joined_rows.h"
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/demo_catalogue.h"
#include "data/sql_helper.h"

#include <QRegularExpression>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

constexpr int Titles = 1500;

int count(const QSqlDatabase &db, const QString &text, const QVariantList &values = {})
{
    return Sql::scalar(db, text, values).toInt();
}

QStringList dumpAll(const QSqlDatabase &db)
{
    QStringList all;
    for (const char *select :
         {"select * from debooks order by tm", "select * from detsnrty order by tm",
          "select * from debook2type order by bh,cid", "select * from publishers order by puno",
          "select * from debook_categories order by pno,cno",
          "select * from debook_categories2 order by pno,cno2",
          "select * from debookotype order by id", "select * from bookstore"})
        all << joinedRows(db, QString::fromLatin1(select));
    return all;
}

class DemoCatalogueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tree = new TempTree;
        db = tree->createDatabase();
        DemoCatalogue::fill(db, Titles, [](int done, int total) {
            progress << qMakePair(done, total);
        });
    }
    static void TearDownTestSuite()
    {
        db = QSqlDatabase();
        delete tree;
        tree = nullptr;
    }
    static inline TempTree *tree = nullptr;
    static inline QSqlDatabase db;
    static inline QList<QPair<int, int>> progress;
};

TEST_F(DemoCatalogueTest, SameCountGivesSameRowsAndTitlesDoNotDependOnTheTotal)
{
    TempTree other;
    QSqlDatabase again = other.createDatabase();
    DemoCatalogue::fill(again, Titles);
    EXPECT_EQ(dumpAll(again), dumpAll(db));

    TempTree fewer;
    QSqlDatabase small = fewer.createDatabase();
    DemoCatalogue::fill(small, 100);
    const QStringList firstHundred = joinedRows(db, QStringLiteral("select * from debooks order by tm")).mid(0, 100);
    EXPECT_EQ(joinedRows(small, QStringLiteral("select * from debooks order by tm")), firstHundred);
}

TEST_F(DemoCatalogueTest, EveryTitleJoinsItsPublisherAndCategories)
{
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from qrydebooks")), Titles);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from qrypublishers")),
              count(db, QStringLiteral("select count(distinct cbbm) from debooks")));
    struct Orphan {
        const char *what;
        const char *select;
    };
    const Orphan orphans[] = {
        {"publisher", "select count(*) from debooks b where not exists "
                      "(select 1 from publishers p where p.puno=b.cbbm and p.puname=b.cbmc)"},
        {"specialty", "select count(*) from debooks b where not exists (select 1 from "
                      "debook_categories c where c.pno=b.cbbm and c.category=b.ztmc)"},
        {"business category", "select count(*) from debooks b where not exists (select 1 from "
                              "debook_categories2 c where c.pno=b.cbbm and c.category2=b.ywbc "
                              "and c.cno2=b.ywbm)"},
        {"classification", "select count(*) from debook2type l where not exists (select 1 from "
                           "debookotype t, debooks b where t.id=l.cid and b.tm=l.bh and "
                           "t.pno=b.cbbm)"},
        {"long text", "select count(*) from detsnrty t where not exists "
                      "(select 1 from debooks b where b.tm=t.tm)"},
        {"planned title without national mark", "select count(*) from debooks b where "
                      "kz11='十一五' and not exists (select 1 from debook2type l, debookotype t "
                      "where l.bh=b.tm and t.id=l.cid and t.name='国家级规划教材')"},
    };
    for (const Orphan &o : orphans)
        EXPECT_EQ(count(db, QString::fromUtf8(o.select)), 0) << o.what;
}

TEST_F(DemoCatalogueTest, ProportionsArePlausible)
{
    struct Share {
        const char *what;
        const char *select;
        int lowPercent;
        int highPercent;
    };
    const Share shares[] = {
        {"planned titles", "select count(*) from debooks where kz11='十一五'", 7, 13},
        {"shipped covers", "select count(*) from debooks where fmtp like 'cover__.jpg'", 44, 56},
        {"missing covers", "select count(*) from debooks where fmtp like 'missing%'", 1, 5},
        {"no cover", "select count(*) from debooks where fmtp=''", 40, 54},
        {"long texts", "select count(*) from detsnrty", 28, 38},
        {"synopsis", "select count(*) from debooks where jj is not null", 58, 72},
        {"classified", "select count(distinct bh) from debook2type", 20, 40},
    };
    for (const Share &s : shares) {
        const int n = count(db, QString::fromUtf8(s.select));
        EXPECT_GE(n * 100, s.lowPercent * Titles) << s.what << ": " << n;
        EXPECT_LE(n * 100, s.highPercent * Titles) << s.what << ": " << n;
    }
    const QStringList covers = DemoCatalogue::coverNames();
    QSqlQuery used = Sql::exec(db, QStringLiteral("select distinct fmtp from debooks where fmtp like 'cover%'"));
    int distinct = 0;
    while (used.next()) {
        EXPECT_TRUE(covers.contains(used.value(0).toString())) << used.value(0).toString().toStdString();
        ++distinct;
    }
    EXPECT_EQ(distinct, covers.size());

    EXPECT_EQ(count(db, QStringLiteral("select count(*) from publishers")), 40);
    EXPECT_GE(count(db, QStringLiteral("select count(distinct category2) from debook_categories2")), 10);
    const int suppliers = count(db, QStringLiteral("select count(distinct ghbm) from debooks"));
    EXPECT_GE(suppliers, 3);
    EXPECT_LE(suppliers, 5);
    EXPECT_EQ(count(db, QStringLiteral("select count(distinct ghmc) from debooks")), suppliers);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from bookstore")), 1);
    EXPECT_GT(count(db, QStringLiteral("select count(*) from debooks where round(dj*100)%100<>0")), 0);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from debooks where dj is null or dj<=0")), 0);
    EXPECT_EQ(count(db, QStringLiteral("select count(distinct zbh) from debooks")), Titles);
}

TEST_F(DemoCatalogueTest, IsbnsCarryAValidCheckDigit)
{
    QSqlQuery q = Sql::exec(db, QStringLiteral("select isbn from debooks"));
    const QRegularExpression form(QStringLiteral("^978-7-\\d{4}-\\d{4}-\\d$"));
    int checked = 0;
    while (q.next()) {
        const QString isbn = q.value(0).toString();
        ASSERT_TRUE(form.match(isbn).hasMatch()) << isbn.toStdString();
        const QString digits = QString(isbn).remove(u'-');
        int sum = 0;
        for (int i = 0; i < 13; ++i)
            sum += digits.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
        EXPECT_EQ(sum % 10, 0) << isbn.toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, Titles);
}

TEST_F(DemoCatalogueTest, TextsFitTheirColumns)
{
    // The embedded database keeps any length; other engines refuse what does not fit.
    for (const char *table : {"debooks", "publishers", "debook_categories", "debook_categories2",
                              "debookotype", "debook2type", "bookstore"}) {
        QSqlQuery info = Sql::exec(db, QStringLiteral("select name,type from pragma_table_info(?)"),
                                   {QString::fromLatin1(table)});
        const QRegularExpression varchar(QStringLiteral("^varchar\\((\\d+)\\)"));
        while (info.next()) {
            const auto m = varchar.match(info.value(1).toString());
            if (!m.hasMatch())
                continue;
            const QString column = info.value(0).toString();
            const int longest = count(db, QStringLiteral("select max(length(%1)) from %2")
                                              .arg(column, QLatin1String(table)));
            EXPECT_LE(longest, m.captured(1).toInt()) << table << "." << column.toStdString();
        }
    }
}

TEST_F(DemoCatalogueTest, LongTextsAreKilobytesInSeveralFieldsWithEitherLineEnd)
{
    QSqlQuery q = Sql::exec(db, QStringLiteral("select * from detsnrty"));
    int rows = 0, crlf = 0, lf = 0;
    while (q.next()) {
        const QString tm = q.value(QStringLiteral("tm")).toString();
        qsizetype bytes = 0;
        int fields = 0;
        bool hasCrLf = false, hasLf = false;
        for (int i = 0; i < q.record().count(); ++i) {
            if (q.record().fieldName(i).compare(u"tm", Qt::CaseInsensitive) == 0 || q.isNull(i))
                continue;
            const QString text = q.value(i).toString();
            bytes += text.toUtf8().size();
            ++fields;
            for (qsizetype c = 0; c < text.size(); ++c) {
                if (text[c] == u'\r') {
                    ASSERT_TRUE(c + 1 < text.size() && text[c + 1] == u'\n') << "lone CR in " << tm.toStdString();
                    hasCrLf = true;
                    ++c;
                } else if (text[c] == u'\n') {
                    hasLf = true;
                }
            }
        }
        EXPECT_GE(bytes, 1024) << tm.toStdString();
        EXPECT_LE(bytes, 6144) << tm.toStdString();
        EXPECT_GE(fields, 4) << tm.toStdString();
        EXPECT_FALSE(hasCrLf && hasLf) << "mixed line ends in " << tm.toStdString();
        crlf += hasCrLf;
        lf += hasLf;
        ++rows;
    }
    ASSERT_GT(rows, 0);
    // Both kinds of catalogue are well represented.
    EXPECT_GE(crlf * 4, rows) << crlf << " of " << rows;
    EXPECT_GE(lf * 4, rows) << lf << " of " << rows;
    EXPECT_EQ(crlf + lf, rows);
}

TEST_F(DemoCatalogueTest, ReportsProgressUpToTheTotal)
{
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), qMakePair(Titles, Titles));
    for (int i = 1; i < progress.size(); ++i)
        EXPECT_LT(progress.at(i - 1).first, progress.at(i).first);
    EXPECT_GE(progress.size(), 5);
}

TEST(DemoCatalogueFill, RefusesAFilledCatalogueUnlessReplacingAndChangesNothingOnFailure)
{
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    EXPECT_FALSE(DemoCatalogue::isDemo(db));
    DemoCatalogue::fill(db, 30);
    EXPECT_TRUE(DemoCatalogue::isDemo(db));
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh) values ('keep')"));
    EXPECT_THROW(DemoCatalogue::fill(db, 50), AppError);
    EXPECT_EQ(DemoCatalogue::titleCount(db), 30);

    DemoCatalogue::fill(db, 50, {}, true);
    EXPECT_EQ(DemoCatalogue::titleCount(db), 50);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from publishers")), 40);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from bookstore")), 1);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from deorder")), 1);   // orders untouched

    // A failure half-way leaves the earlier catalogue in place.
    Sql::exec(db, QStringLiteral("create trigger stop_at_40 before insert on debooks "
                                 "when new.tm like '%40' begin select raise(abort,'stop'); end"));
    EXPECT_THROW(DemoCatalogue::fill(db, 60, {}, true), AppError);
    EXPECT_EQ(DemoCatalogue::titleCount(db), 50);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from publishers")), 40);
    // One marker, whatever the number of fills; it goes with the catalogue.
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from parameter")), 1);
    EXPECT_TRUE(DemoCatalogue::isDemo(db));
    DemoCatalogue::clear(db);
    EXPECT_FALSE(DemoCatalogue::isDemo(db));
}

} // namespace
