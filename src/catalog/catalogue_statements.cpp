#include "catalog/catalogue_statements.h"

#include "cart/season_orders.h"
#include "catalog/book_list.h"
#include "data/like_pattern.h"
#include "data/sqlite_collation.h"

namespace CatalogueStatements {

QString titleColumns(bool withCover)
{
    return BookList::browseColumns() + (withCover ? QStringLiteral(",fmtp") : QString());
}

namespace {

// A title list with this season's ordered quantity (ydsl); where holds the condition and
// order, values its bound values.
Statement selectTitles(bool withCover, const QString &where, const QVariantList &values)
{
    return {QStringLiteral("select ") + titleColumns(withCover) + u',' + SeasonOrders::quantityColumn()
                + QStringLiteral(" from qrydebooks") + where,
            SeasonOrders::seasonBounds() + values};
}

} // namespace

Statement categoryTree()
{
    return {QStringLiteral("select distinct cno2 as bh,category2 as name,xh from debook_categories2 order by xh"),
            {}};
}

Statement categoryTitles(const QString &category)
{
    return selectTitles(true, QStringLiteral(" where ywbc=? order by zbh"), {category});
}

Statement plannedTitles()
{
    return selectTitles(false, QStringLiteral(" where kz11 = ?"), {QStringLiteral("十一五")});
}

Statement publishers(const QSqlDatabase &db, const QString &filter)
{
    const QString order = SqliteCollation::hasPinyin(db)
                              ? QStringLiteral(" order by xh,puname collate %1").arg(QLatin1String(SqliteCollation::PinyinName))
                              : QStringLiteral(" order by xh,puname");
    if (filter.isEmpty())
        return {QStringLiteral("select puno,puname from qrypublishers") + order, {}};
    const QString pattern = u'%' + LikePattern::escaped(filter) + u'%';
    return {QStringLiteral("select puno,puname from qrypublishers where ")
                + LikePattern::condition(QStringLiteral("puname"), pattern) + QStringLiteral(" or ")
                + LikePattern::condition(QStringLiteral("puno"), pattern) + order,
            {pattern, pattern}};
}

Statement publisherCategories(PublisherMode mode, const QString &publisherCode)
{
    switch (mode) {
    case PublisherMode::Business:
        return {QStringLiteral("select cno2 as bh,category2 as bname from debook_categories2 where pno=? order by cno2"),
                {publisherCode}};
    case PublisherMode::Other:
        return {QStringLiteral("select id as bh,name as bname from debookotype where pno=? order by id"),
                {publisherCode}};
    case PublisherMode::Specialty:
        break;
    }
    return {QStringLiteral("select cno as bh,category as bname from debook_categories where pno=? order by cno"),
            {publisherCode}};
}

Statement publisherTitles(const QString &publisherCode)
{
    return selectTitles(true, QStringLiteral(" where cbbm=?"), {publisherCode});
}

Statement publisherCategoryTitles(PublisherMode mode, const QString &publisherCode, const QString &name,
                                  const QString &code)
{
    switch (mode) {
    case PublisherMode::Business:
        return selectTitles(true, QStringLiteral(" where cbbm=? and ywbc=?"), {publisherCode, name});
    case PublisherMode::Other:
        return selectTitles(true, QStringLiteral(" where cbbm=? and tm in (select bh from debook2type where cid=?)"),
                            {publisherCode, code});
    case PublisherMode::Specialty:
        break;
    }
    return selectTitles(true, QStringLiteral(" where cbbm=? and ztmc=?"), {publisherCode, name});
}

Statement titleClassifications(const QString &tm)
{
    return {QStringLiteral("select b.cid as id,a.name as name from debookotype a,debook2type b"
                           " where a.id=b.cid and b.bh=?"),
            {tm}};
}

Statement titleLongTexts(const QString &tm)
{
    return {QStringLiteral("select * from detsnrty where tm=?"), {tm}};
}

} // namespace CatalogueStatements
