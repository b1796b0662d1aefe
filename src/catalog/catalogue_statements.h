#pragma once
// The catalogue's statements: what each browse list selects, as statement text with the values
// bound to it. The windows only run them. A title list loads what it shows: the browse
// columns (and the cover file name where covers are shown), never the long texts, which the
// detail pane reads for its current title alone. Every title list also selects "已订" (ydsl),
// the quantity of the title ordered this season (see SeasonOrders::quantityColumn), a column
// the grids hide until the clerk shows it.
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

struct Statement {
    QString text;
    QVariantList values;
    bool operator==(const Statement &other) const = default;
};

namespace CatalogueStatements {

// The publisher browse's ways of grouping a publisher's titles (the entries of CbxType).
enum class PublisherMode {
    Specialty = 0,   // 按专业分类浏览书目: debook_categories, titles by ztmc
    Business = 1,    // 按类别分类浏览书目: debook_categories2, titles by ywbc
    Other = 2,       // 按其他分类浏览书目: debookotype, titles linked by debook2type
};

// The columns a title list selects: the browse column list, with ",fmtp" for lists whose
// pane shows covers.
QString titleColumns(bool withCover);

// Category browse: the category tree (bh, name, xh) in xh order.
Statement categoryTree();
// Category browse: the titles of a business category (ywbc) in ZBH order, with covers.
Statement categoryTitles(const QString &category);
// Planned-textbook browse: every title whose kz11 is "十一五", in the database's order.
Statement plannedTitles();

// Publisher browse: publishers (puno, puname) whose name or code contains filter, or all for
// an empty filter; in display order (xh), publishers of equal order by name in pinyin order
// (the SQLite collation where db has it, else the engine's order of the text).
Statement publishers(const QSqlDatabase &db, const QString &filter);
// Publisher browse: the categories (bh, bname) of a publisher in a mode.
Statement publisherCategories(PublisherMode mode, const QString &publisherCode);
// Publisher browse: all titles of a publisher, with covers.
Statement publisherTitles(const QString &publisherCode);
// Publisher browse: the titles of one category label, with covers. Specialty and Business
// match the label's name (ztmc, ywbc); Other matches the classification's id (the label's bh).
Statement publisherCategoryTitles(PublisherMode mode, const QString &publisherCode, const QString &name,
                                  const QString &code);

// Detail pane: the further classifications (id, name) of one title.
Statement titleClassifications(const QString &tm);
// Detail pane: the long texts (detsnrty) of one title.
Statement titleLongTexts(const QString &tm);

} // namespace CatalogueStatements
