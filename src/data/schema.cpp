#include "data/schema.h"

#include "common/app_error.h"
#include "data/sql_helper.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>

#include <stdexcept>
#include <string>

namespace Schema {
namespace {

// Column types are written once and rendered per dialect:
//   "v<N>"    text of at most N characters
//   "memo"    long text
//   "n<P,S>"  exact decimal
//   "int"     integer
//   "today"   text 10 that new rows fill with the date of their creation, "YYYY-MM-DD"
struct Column {
    const char *name;
    const char *type;
    bool copied = false;   // a copy of the catalogue column: its type, and no narrower check
};

struct Table {
    const char *name;
    QList<Column> columns;
    const char *primaryKey = nullptr;   // column name, or none
    bool checkWidths = false;   // the program writes it: refuse over-long values (not in copies)
    QList<QPair<const char *, const char *>> defaults = {};   // column -> literal default
    // Added after databases were in use: start-up makes it in an older database (see
    // createAddedTables) instead of refusing the database.
    bool added = false;
};

struct Index {
    const char *name;
    const char *table;
    const char *columns;
    bool unique = false;
};

const QList<Column> &bookColumns()
{
    static const QList<Column> columns = {
        {"tm", "v20"},     {"zbh", "v20"},    {"isbn", "v30"},   {"sm", "v500"},
        {"fsm", "v80"},    {"fsm2", "v80"},   {"tsh1", "v100"},  {"tsh2", "v100"},
        {"wwsm", "v130"},  {"wwsm2", "v130"}, {"csm", "v80"},    {"csm2", "v80"},
        {"ztbm", "v20"},   {"ztmc", "v50"},   {"ywbm", "v4"},    {"ywbc", "v30"},
        {"zpbm", "v2"},    {"zpmc", "v30"},   {"syfw", "v30"},   {"syzy", "v20"},
        {"nrdj", "v30"},   {"ghbm", "v10"},   {"ghmc", "v60"},   {"cbbm", "v10"},
        {"cbmc", "v60"},   {"zz", "v40"},     {"zz2", "v130"},   {"yz", "v40"},
        {"yz2", "v160"},   {"chr", "v30"},    {"bj", "v30"},     {"bj2", "v100"},
        {"bs", "v30"},     {"yc", "v10"},     {"kb", "v10"},     {"zzgg", "v20"},
        {"zdfs", "v10"},   {"bcys", "n10,0"}, {"dwyz", "n6,3"},  {"zyz", "n11,3"},
        {"bzyz", "n11,3"}, {"qzs", "int"},    {"ys", "int"},     {"mbcs", "int"},
        {"cbrq", "v10"},   {"dj", "n15,2"},   {"sfxs", "v4"},    {"jj", "memo"},
        {"fmtp", "v40"},   {"kz11", "v20"},
        // Further columns that only the search builder names.
        {"hzcb", "v60"},   {"cbgb", "v30"},   {"sbny", "v10"},   {"cip", "v60"},
        {"tjfl", "v20"},   {"tjmc", "v60"},   {"ztc", "v100"},   {"bqtg", "v100"},
        {"csbh", "v30"},   {"ysrq", "v10"},   {"cd", "v10"},     {"kd", "v10"},
        {"hd", "v10"},     {"zl", "v10"},     {"xsdj", "v20"},   {"fjqk", "v60"},
    };
    return columns;
}

// A column that holds a copy of a catalogue column: declared exactly as the catalogue's, so
// whatever the catalogue holds the cart and the orders hold too.
Column copyOf(const char *name, const char *catalogueColumn)
{
    for (const Column &c : bookColumns())
        if (qstrcmp(c.name, catalogueColumn) == 0)
            return {name, c.type, true};
    throw std::logic_error(std::string("no catalogue column ") + catalogueColumn);
}

Column copyOf(const char *name)
{
    return copyOf(name, name);
}

const QList<Column> &cartLineColumns()
{
    static const QList<Column> columns = {
        {"dhdh", "v20"},  copyOf("tm"),   {"sl", "n15,0"}, copyOf("sm"),
        copyOf("yc"),     copyOf("zbh"),  copyOf("zz"),    copyOf("isbn"),
        copyOf("dj"),     {"my", "n15,2"}, copyOf("ghbm"), copyOf("ghmc"),
        copyOf("cbbm"),   copyOf("cbmc"),
    };
    return columns;
}

const QList<Table> &tables()
{
    static const QList<Table> list = {
        {"publishers", {{"puno", "v10"}, {"puname", "v60"}, {"xh", "int"}}, "puno"},
        {"debooks", bookColumns(), "tm"},
        {"detsnrty",
         {{"tm", "v20"},    {"nrty", "memo"}, {"zjml", "memo"},  {"jcpd", "memo"},
          {"zzjj", "memo"}, {"ckzl", "memo"}, {"qtnr", "memo"},  {"cbsm", "memo"},
          {"fy", "memo"},   {"qy", "memo"},   {"xy", "memo"},    {"hj", "memo"},
          {"fl", "memo"},   {"sp", "memo"},   {"xy2", "memo"},   {"jcpd2", "memo"},
          {"zzjj2", "memo"}, {"sp2", "memo"}, {"fl2", "memo"},   {"sp3", "memo"},
          {"fl3", "memo"},  {"qtnr2", "memo"}},
         "tm"},
        {"debook_categories", {{"pno", "v10"}, {"cno", "v10"}, {"category", "v50"}}},
        {"debook_categories2",
         {{"pno", "v10"}, {"cno2", "v10"}, {"category2", "v30"}, {"xh", "int"}}},
        {"debookotype", {{"id", "v20"}, {"name", "v80"}, {"pno", "v10"}}},
        {"debook2type", {{"bh", "v20"}, {"cid", "v20"}}},
        {"deshopcart", {{"dhdh", "v20"}, {"op", "v30"}, {"state", "v4"}}, nullptr, true},
        {"deshopcart_mx", cartLineColumns(), nullptr, true},
        {"parameter",
         {{"userno", "v20"}, {"pname", "v30"}, {"notes", "v60"}, {"pvalue", "int"},
          {"idate", "v20"}, {"len", "int"}, {"pformat", "v30"}},
         nullptr, true},
        {"deorder",
         {{"dhdh", "v20"},  {"dhrq", "today"}, {"dfdh", "v20"},  copyOf("xsfh", "ghbm"),
          copyOf("xsfm", "ghmc"), {"jsfs", "v30"},   {"fkfs", "v30"},  {"dhrh", "v10"},
          {"dhrm", "v100"}, {"dhlr", "v30"},   {"dhlh", "v60"},  {"dhjb", "v30"},
          {"shrh", "v20"},  {"shrm", "v100"},  {"shlr", "v30"},  {"shlh", "v60"},
          {"shdz", "v80"},  {"shdz2", "v80"},  {"shyb", "v15"},  {"fkrh", "v20"},
          {"fkrm", "v100"}, {"fklr", "v30"},   {"fklh", "v60"},  {"fhfs", "v20"},
          {"fhdz", "v20"},  {"fhrq", "v10"},   {"bz", "v120"},   {"cdcs", "int"},
          {"zt", "v10"},
          // Columns the order query selects and nothing writes.
          {"xslr", "v30"},  {"xslh", "v60"},   {"xsfs", "v30"},  {"sl", "n15,0"},
          {"my", "n15,2"},  {"zk", "n15,2"},   {"sy", "n15,2"},  {"yf", "n15,2"},
          {"bzf", "n15,2"}, {"sui", "n15,2"},  {"kz1", "v60"},   {"kz2", "v60"},
          {"kz3", "v60"},   {"kz4", "v60"},    {"kz5", "v60"},   {"kz6", "v60"},
          {"kz7", "v60"},   {"kz8", "v60"},    {"kz9", "v60"},   {"kz10", "v60"},
          {"pno", "v10"}},
         nullptr, true, {{"cdcs", "0"}}},
        {"deorder_mx",
         {{"dhdh", "v20"}, copyOf("tm"),    copyOf("zbh"),   copyOf("yc"),
          copyOf("sm"),    copyOf("dj"),    {"sl", "n15,0"}, {"my", "n15,2"},
          copyOf("zz"),    copyOf("isbn"),  copyOf("ghbm"),  copyOf("ghmc"),
          copyOf("cbbm"),  copyOf("cbmc")},
         nullptr, true},
        {"decltrla",
         {{"uno", "v20"},      {"uname", "v100"}, {"addr", "v200"},  {"addr2", "v200"},
          {"contact", "v60"},  {"zip", "v15"},    {"tel", "v60"},    {"state", "v1"},
          {"def", "v1"},       {"cls", "v30"},    {"sname", "v100"}, {"sname2", "v100"},
          {"city", "v30"},     {"province", "v30"}, {"fax", "v60"},  {"email", "v100"},
          {"idate", "v20"}},
         nullptr, true},
        {"bookstore",
         {{"bno", "v20"}, {"bname", "v100"}, {"contact", "v30"}, {"tele", "v60"},
          {"zipcode", "v15"}, {"address", "v200"}},
         nullptr, true},
        // One row per attempt to send an order (see order/dispatch_log.h).
        {"deorderlog",
         {{"dhdh", "v20"},  {"xh", "int"},      {"fssj", "v19"},  {"fsfs", "v10"},
          {"sjr", "v1000"}, {"zt", "v100"},     {"fjmc", "v200"}, {"fjsha", "v64"},
          {"jg", "v20"},    {"sbyy", "v2000"},  {"fszt", "v200"}},
         nullptr, true, {}, true},
    };
    return list;
}

const QList<Index> &indexes()
{
    static const QList<Index> list = {
        {"ix_debooks_zbh", "debooks", "zbh"},
        {"ix_debooks_ywbc", "debooks", "ywbc"},
        {"ix_debooks_cbbm", "debooks", "cbbm,ztmc"},
        {"ix_debooks_ztmc", "debooks", "ztmc"},
        {"ix_debooks_kz11", "debooks", "kz11"},
        {"ix_debook_categories_pno", "debook_categories", "pno"},
        {"ix_debook_categories2_cat", "debook_categories2", "category2"},
        {"ix_debookotype_id", "debookotype", "id"},
        {"ix_debook2type_bh", "debook2type", "bh"},
        {"ix_deshopcart_op", "deshopcart", "op"},
        {"ux_deshopcart_dhdh", "deshopcart", "dhdh", true},    // one header per cart number
        {"ix_deshopcart_mx_dhdh", "deshopcart_mx", "dhdh,tm", true},   // one line per title
        {"ix_parameter_name", "parameter", "pname,userno", true},
        {"ux_deorder_dhdh", "deorder", "dhdh", true},          // an order number is issued once
        {"ix_deorder_dfdh", "deorder", "dfdh"},
        {"ix_deorder_dhrq", "deorder", "dhrq"},
        {"ix_deorder_mx_dhdh", "deorder_mx", "dhdh"},
        {"ux_deorderlog_dhdh", "deorderlog", "dhdh,xh", true},   // attempts of an order, numbered
    };
    return list;
}

QStringList detailTextColumns()
{
    QStringList names;
    for (const Table &t : tables())
        if (qstrcmp(t.name, "detsnrty") == 0)
            for (const Column &c : t.columns)
                if (qstrcmp(c.name, "tm") != 0)
                    names << QString::fromLatin1(c.name);
    return names;
}

QString prefixed(const char *alias, const QList<Column> &columns)
{
    QStringList out;
    for (const Column &c : columns)
        out << QStringLiteral("%1.%2").arg(QLatin1String(alias), QLatin1String(c.name));
    return out.join(u',');
}

QString prefixed(const char *alias, const QStringList &columns)
{
    QStringList out;
    for (const QString &c : columns)
        out << QLatin1String(alias) + u'.' + c;
    return out.join(u',');
}

// The views keep to plain joins every engine understands. qrydebooks carries the long texts
// too, so a search condition on any caption of the search builder has its column.
QList<QPair<QString, QString>> viewDefinitions()
{
    const QString books = prefixed("b", bookColumns());
    const QString texts = prefixed("t", detailTextColumns());
    return {
        {QStringLiteral("qrydebooks"),
         QStringLiteral("select %1,%2 from debooks b left join detsnrty t on t.tm=b.tm")
             .arg(books, texts)},
        {QStringLiteral("qrybooksall"),
         QStringLiteral("select %1,%2,p.puname from debooks b"
                        " left join detsnrty t on t.tm=b.tm"
                        " left join publishers p on p.puno=b.cbbm")
             .arg(books, texts)},
        {QStringLiteral("qrypublishers"),
         QStringLiteral("select p.puno,p.puname,p.xh from publishers p"
                        " where exists (select 1 from debooks b where b.cbbm=p.puno)")},
        {QStringLiteral("qrydeshopcart"),
         QStringLiteral("select %1,h.op,h.state from deshopcart_mx m"
                        " inner join deshopcart h on h.dhdh=m.dhdh")
             .arg(prefixed("m", cartLineColumns()))},
    };
}

// Firebird reserves some of the names; there they are written quoted, in upper case, which is
// the name an unquoted word would have had.
QString nameIn(Dialect dialect, const QString &name)
{
    if (dialect == Dialect::Firebird && name == u"parameter")
        return u'"' + name.toUpper() + u'"';
    return name;
}

QString renderType(Dialect dialect, const QString &type, const QString &column, bool checkWidth)
{
    if (type == u"memo")
        return dialect == Dialect::Firebird ? QStringLiteral("blob sub_type text")
                                            : QStringLiteral("text");
    if (type == u"int")
        return QStringLiteral("integer");
    if (type.startsWith(u'n'))
        return QStringLiteral("numeric(%1)").arg(type.mid(1));
    QString width = type.mid(1);
    QString extra;
    if (type == u"today") {
        width = QStringLiteral("10");
        switch (dialect) {
        case Dialect::Sqlite:
            extra = QStringLiteral(" default (strftime('%Y-%m-%d','now','localtime'))");
            break;
        case Dialect::Firebird:   // a date given to a text column is written as YYYY-MM-DD
            extra = QStringLiteral(" default current_date");
            break;
        case Dialect::Postgres:
            extra = QStringLiteral(" default to_char(current_date,'YYYY-MM-DD')");
            break;
        case Dialect::Unknown:
            break;
        }
    }
    QString text = QStringLiteral("varchar(%1)").arg(width) + extra;
    // SQLite keeps any length in a varchar: make it refuse what other engines refuse.
    if (checkWidth && dialect == Dialect::Sqlite)
        text += QStringLiteral(" check (length(%1)<=%2)").arg(column, width);
    return text;
}

QString createTableText(Dialect dialect, const Table &table)
{
    QStringList parts;
    for (const Column &c : table.columns) {
        const QString name = QString::fromLatin1(c.name);
        QString part = name + u' ' + renderType(dialect, QString::fromLatin1(c.type), name,
                                                table.checkWidths && !c.copied);
        for (const auto &[column, value] : table.defaults)
            if (qstrcmp(column, c.name) == 0)
                part += QStringLiteral(" default ") + QLatin1String(value);
        if (table.primaryKey && qstrcmp(table.primaryKey, c.name) == 0)
            part += QStringLiteral(" not null primary key");
        parts << part;
    }
    return QStringLiteral("create table %1 (%2)")
        .arg(nameIn(dialect, QString::fromLatin1(table.name)), parts.join(QStringLiteral(", ")));
}

QString createIndexText(Dialect dialect, const Index &i)
{
    return QStringLiteral("create %1index %2 on %3 (%4)")
        .arg(i.unique ? QStringLiteral("unique ") : QString(), QLatin1String(i.name),
             nameIn(dialect, QString::fromLatin1(i.table)), QLatin1String(i.columns));
}

QStringList statementsFor(Dialect dialect)
{
    QStringList out;
    for (const Table &t : tables())
        out << createTableText(dialect, t);
    for (const Index &i : indexes())
        out << createIndexText(dialect, i);
    for (const auto &[name, select] : viewDefinitions())
        out << QStringLiteral("create view %1 as %2").arg(name, select);
    return out;
}

QSet<QString> presentRelations(const QSqlDatabase &db)
{
    QSet<QString> names;
    for (const QString &n : db.tables(QSql::AllTables))
        names.insert(n.trimmed().toLower());
    return names;
}

QStringList missingRelations(const QSqlDatabase &db, bool withAdded)
{
    const QSet<QString> present = presentRelations(db);
    const QStringList added = addedTableNames();
    QStringList missing;
    for (const QString &n : tableNames() + viewNames())
        if (!present.contains(n) && (withAdded || !added.contains(n)))
            missing << n;
    return missing;
}

bool probe(const QSqlDatabase &db, const QString &text, QString *firstValue = nullptr)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(text) || !q.next())
        return false;
    if (firstValue)
        *firstValue = q.value(0).toString();
    return true;
}

// The first probe is one PostgreSQL answers, so no failed statement spoils its transaction.
Dialect askedDialect(const QSqlDatabase &db)
{
    if (!db.isOpen())
        return Dialect::Unknown;
    QString version;
    if (probe(db, QStringLiteral("select version()"), &version)
        && version.startsWith(QStringLiteral("PostgreSQL")))
        return Dialect::Postgres;
    if (probe(db, QStringLiteral("select sqlite_version()")))
        return Dialect::Sqlite;
    if (probe(db, QStringLiteral("select rdb$get_context('SYSTEM','ENGINE_VERSION') from rdb$database")))
        return Dialect::Firebird;
    return Dialect::Unknown;
}

void requireKnown(Dialect dialect)
{
    if (dialect == Dialect::Unknown)
        throw AppError(QStringLiteral("不支持在这种数据库上建立表结构（支持 SQLite、Firebird、PostgreSQL）"));
}

} // namespace

Dialect dialectOf(const QSqlDatabase &db)
{
    switch (Sql::engineOf(db)) {
    case Sql::Engine::Sqlite:
        return Dialect::Sqlite;
    case Sql::Engine::Firebird:
        return Dialect::Firebird;
    case Sql::Engine::Odbc:
    case Sql::Engine::Other:
        break;
    }
    // Behind ODBC the engine has to be asked. The answer is kept on the connection's driver,
    // which lives exactly as long as the connection, so it is asked once per connection and
    // never in the middle of a caller's transaction again.
    QSqlDriver *driver = db.driver();
    static const char *const property = "zd_dialect";
    if (driver) {
        const QVariantList known = driver->property(property).toList();
        if (known.size() == 2 && known.at(0).toString() == db.databaseName())
            return Dialect(known.at(1).toInt());
    }
    const Dialect dialect = askedDialect(db);
    if (driver && dialect != Dialect::Unknown)
        driver->setProperty(property, QVariantList{db.databaseName(), int(dialect)});
    return dialect;
}

QStringList tableNames()
{
    QStringList names;
    for (const Table &t : tables())
        names << QString::fromLatin1(t.name);
    return names;
}

QStringList addedTableNames()
{
    QStringList names;
    for (const Table &t : tables())
        if (t.added)
            names << QString::fromLatin1(t.name);
    return names;
}

QStringList missingAdded(const QSqlDatabase &db)
{
    const QSet<QString> present = presentRelations(db);
    QStringList out;
    for (const QString &n : addedTableNames())
        if (!present.contains(n))
            out << n;
    return out;
}

void createAddedTables(const QSqlDatabase &db)
{
    const QStringList absent = missingAdded(db);
    if (absent.isEmpty())
        return;
    const Dialect dialect = dialectOf(db);
    requireKnown(dialect);
    for (const Table &t : tables())
        if (absent.contains(QLatin1String(t.name)))
            Sql::exec(db, createTableText(dialect, t));
    for (const Index &i : indexes())
        if (absent.contains(QLatin1String(i.table)))
            Sql::exec(db, createIndexText(dialect, i));
}

QStringList viewNames()
{
    QStringList names;
    for (const auto &view : viewDefinitions())
        names << view.first;
    return names;
}

QStringList catalogueTableNames()
{
    return {QStringLiteral("publishers"),         QStringLiteral("debooks"),
            QStringLiteral("detsnrty"),           QStringLiteral("debook_categories"),
            QStringLiteral("debook_categories2"), QStringLiteral("debookotype"),
            QStringLiteral("debook2type")};
}

QList<ColumnInfo> columnsOf(const QString &table)
{
    QList<ColumnInfo> out;
    for (const Table &t : tables())
        if (table == QLatin1String(t.name))
            for (const Column &c : t.columns)
                out.append({QString::fromLatin1(c.name),
                            qstrcmp(c.type, "today") == 0 ? QStringLiteral("v10")
                                                           : QString::fromLatin1(c.type)});
    return out;
}

QString primaryKeyOf(const QString &table)
{
    for (const Table &t : tables())
        if (table == QLatin1String(t.name))
            return t.primaryKey ? QString::fromLatin1(t.primaryKey) : QString();
    return {};
}

QStringList createStatements(const QSqlDatabase &db)
{
    const Dialect dialect = dialectOf(db);
    requireKnown(dialect);
    return statementsFor(dialect);
}

bool exists(const QSqlDatabase &db)
{
    const QSet<QString> present = presentRelations(db);
    for (const QString &n : tableNames() + viewNames())
        if (present.contains(n))
            return true;
    return false;
}

void create(const QSqlDatabase &db)
{
    const QStringList statements = createStatements(db);
    {
        Sql::Transaction tx(db);
        for (const QString &s : statements)
            Sql::exec(db, s);
        tx.commit();
    }
    verify(db);
}

QStringList missing(const QSqlDatabase &db)
{
    return missingRelations(db, false);
}

void verify(const QSqlDatabase &db, bool withAdded)
{
    const QStringList missing = missingRelations(db, withAdded);
    if (!missing.isEmpty())
        throw AppError(QStringLiteral("数据库中缺少表或视图：%1").arg(missing.join(u',')));
}

QString sqlName(const QSqlDatabase &db, const QString &name)
{
    return nameIn(dialectOf(db), name);
}

void drop(const QSqlDatabase &db)
{
    const Dialect dialect = dialectOf(db);
    requireKnown(dialect);
    const QSet<QString> present = presentRelations(db);
    {
        Sql::Transaction tx(db);
        // Views first: they depend on the tables.
        for (const QString &n : viewNames())
            if (present.contains(n))
                Sql::exec(db, QStringLiteral("drop view ") + n);
        for (const QString &n : tableNames())
            if (present.contains(n))
                Sql::exec(db, QStringLiteral("drop table ") + nameIn(dialect, n));
        tx.commit();
    }
    const QSet<QString> after = presentRelations(db);
    QStringList left;
    for (const QString &n : viewNames() + tableNames())
        if (after.contains(n))
            left << n;
    if (!left.isEmpty())
        throw AppError(QStringLiteral("删除表结构后数据库中仍有：%1").arg(left.join(u',')));
}

} // namespace Schema
