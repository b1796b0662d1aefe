// The supplier's Access/Jet catalogue imported into the other engines the configuration can
// name: an embedded Firebird database and PostgreSQL through ODBC. Whatever the engine, the
// catalogue must read back as it does from the program's own SQLite database after the same
// import, the program's own rows must stay, and a file that cannot be read whole must leave
// the database as it was.
#include "engines.h"
#include "jet_files.h"
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/connection.h"
#include "data/jet_import.h"
#include "data/jet_reader.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// A value as text that reads the same from every engine: numbers with three decimals (a
// NUMERIC comes back as a double from one driver and as a decimal text from another).
QString normalised(const QString &schemaType, const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("<null>");
    if (schemaType.startsWith(u'n') || schemaType == u"int")
        return QString::number(value.toDouble(), 'f', 3);
    return value.toString();
}

// Every row of a table in the schema's column order, values joined by "|", sorted (the
// engines' orders of text differ).
QStringList tableRows(const QSqlDatabase &db, const QString &table)
{
    const QList<Schema::ColumnInfo> columns = Schema::columnsOf(table);
    QStringList names;
    for (const Schema::ColumnInfo &c : columns)
        names << c.name;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select %1 from %2").arg(names.join(u','), Schema::sqlName(db, table)));
    QStringList rows;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < columns.size(); ++i)
            values << normalised(columns.at(i).type, q.value(i));
        rows << values.join(u'|');
    }
    rows.sort();
    return rows;
}

QHash<QString, QStringList> catalogueOf(const QSqlDatabase &db)
{
    QHash<QString, QStringList> rows;
    for (const QString &table : Schema::catalogueTableNames())
        rows.insert(table, tableRows(db, table));
    return rows;
}

// What the browse windows read of some titles: Chinese text, the long synopsis, the price
// and the publication date, through the view.
QStringList browsed(const QSqlDatabase &db)
{
    QStringList rows;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm,sm,jj,dj,cbrq,sfxs,nrty from qrydebooks where tm in (?,?,?)"),
                            {QStringLiteral("9787040000000"), QStringLiteral("9787040000001"),
                             QStringLiteral("9787040000010")});
    while (q.next())
        rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                            normalised(QStringLiteral("n15,2"), q.value(3)), q.value(4).toString(),
                            q.value(5).toString(), q.value(6).toString()}
                    .join(u'|');
    rows.sort();
    return rows;
}

// The catalogue the program's own SQLite database gets from the same file.
struct Reference {
    QHash<QString, QStringList> catalogue;
    QStringList browsed;
};

Reference sqliteReference(const TempTree &tree, const QString &jetFile)
{
    Reference r;
    const QString name = QStringLiteral("jet_engine_reference");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(tree.path(QStringLiteral("reference.sqlite")));
        EXPECT_TRUE(db.open());
        try {
            JetImport::importCatalogue(db, jetFile);
            r.catalogue = catalogueOf(db);
            r.browsed = browsed(db);
        } catch (const AppError &e) {
            ADD_FAILURE() << "SQLite import: " << e.text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return r;
}

// The reader found the damage while it read a table's rows ("表 debooks 第 8 行…", "表 debooks
// 应有 30 行，只读出 20 行"), not when it opened the file: the import's transaction was under way.
bool foundWhileReadingRows(const QString &text)
{
    static const QRegularExpression rows(QStringLiteral("表 \\S+ (第 \\d+ 行|应有 \\d+ 行)"));
    return text.contains(rows);
}

class JetImportEngineTest : public ::testing::TestWithParam<Engine> {
protected:
    TempTree tree;
    EngineDatabase database;
    QSqlDatabase db;
    const QString connectionName = QStringLiteral("jet_engine");

    void SetUp() override
    {
        const QString error = database.make(GetParam(), tree);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        openConfigured();
    }

    void TearDown() override
    {
        closeConnection();
        database = EngineDatabase();   // after the connection
    }

    void openConfigured()
    {
        const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
        QString error;
        db = Connection::open(c, connectionName, &error);
        ASSERT_TRUE(db.isOpen()) << error.toStdString();
    }

    void closeConnection()
    {
        if (db.isValid()) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
        }
    }

    QString generated(int titles)
    {
        const QString path = tree.path(QStringLiteral("supplier.mdb"));
        EXPECT_TRUE(JetFiles::generate(path, titles)) << "the generator failed";
        return path;
    }

    // The schema with an old catalogue and the program's own rows: an order, a cart, a
    // counter, a party and the unit record.
    void fillOldDatabase()
    {
        ASSERT_NO_THROW(Schema::create(db));
        const QString parameter = Schema::sqlName(db, QStringLiteral("parameter"));
        const QList<QPair<QString, QVariantList>> rows = {
            {QStringLiteral("insert into debooks (tm,sm,dj) values (?,?,?)"), {"OLD1", "旧目录的书", 9.5}},
            {QStringLiteral("insert into publishers (puno,puname,xh) values (?,?,?)"), {"900", "旧出版社", 1}},
            {QStringLiteral("insert into deorder (dhdh,dfdh,xsfh,xsfm,my) values (?,?,?,?,?)"),
             {"202600000001", "202600000001", "001", "供货商", 95.1}},
            {QStringLiteral("insert into deorder_mx (dhdh,tm,sm,dj,sl,my) values (?,?,?,?,?,?)"),
             {"202600000001", "OLD1", "旧目录的书", 9.51, 10, 95.1}},
            {QStringLiteral("insert into deshopcart (dhdh,op,state) values (?,?,?)"), {"202600000002", "", "0"}},
            {QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl,sm) values (?,?,?,?)"),
             {"202600000002", "OLD1", 10, "旧目录的书"}},
            {QStringLiteral("insert into %1 (userno,pname,pvalue,len) values (?,?,?,?)").arg(parameter),
             {"", "dhdh", 2, 8}},
            {QStringLiteral("insert into decltrla (uno,uname,def) values (?,?,?)"), {"C1", "收货单位", "1"}},
            {QStringLiteral("insert into bookstore (bno,bname) values (?,?)"), {"B1", "本单位书店"}},
        };
        for (const auto &[text, values] : rows)
            ASSERT_NO_THROW(Sql::exec(db, text, values)) << text.toStdString();
    }

    QStringList ownRows() const
    {
        QStringList all;
        for (const QString &t : Schema::tableNames()) {
            if (Schema::catalogueTableNames().contains(t))
                continue;
            all << t + u':' + tableRows(db, t).join(u'\n');
        }
        return all;
    }

    // The catalogue reads back as the SQLite import's, table by table and through the view.
    void expectCatalogueAsOnSqlite(const Reference &reference, qint64 titles)
    {
        const QHash<QString, QStringList> here = catalogueOf(db);
        for (const QString &table : Schema::catalogueTableNames()) {
            const QStringList &expected = reference.catalogue.value(table);
            const QStringList &got = here.value(table);
            EXPECT_EQ(got.size(), expected.size()) << table;
            for (int i = 0; i < std::min(got.size(), expected.size()); ++i)
                EXPECT_EQ(got.at(i), expected.at(i)) << table << " row " << i;
        }
        EXPECT_EQ(here.value(QStringLiteral("debooks")).size(), titles);
        const QStringList view = browsed(db);
        EXPECT_EQ(view, reference.browsed);
        // The rows the comparison must have covered: a synopsis over 4 KB, Chinese, a price
        // that a binary double does not hold exactly, a date.
        ASSERT_EQ(view.size(), 3);
        const QStringList first = view.first().split(u'|');
        EXPECT_EQ(first.value(1), QStringLiteral("数据结构（第1版）"));
        EXPECT_EQ(first.value(2).size(), 4200);
        EXPECT_TRUE(first.value(2).startsWith(QStringLiteral("第1章　本书系统介绍数据结构"))) << first.value(2).left(20);
        EXPECT_EQ(first.value(4), QStringLiteral("2020-01-01"));
        EXPECT_EQ(view.at(1).split(u'|').value(3), QStringLiteral("21.150"));
        EXPECT_EQ(view.at(2).split(u'|').value(3), QStringLiteral("33.300"));
    }
};

TEST_P(JetImportEngineTest, AnEmptyDatabaseGetsTheSchemaAndTheCatalogue)
{
    const QString file = generated(12);
    const Reference reference = sqliteReference(tree, file);
    ASSERT_FALSE(HasFailure());
    ASSERT_FALSE(Schema::exists(db));

    // A file whose damage shows only while its rows are written leaves no schema behind.
    const QString cut = tree.path(QStringLiteral("cut.mdb"));
    ASSERT_TRUE(JetFiles::truncatedCopy(file, cut, QFileInfo(file).size() - 4096));
    try {
        JetImport::importCatalogue(db, cut);
        ADD_FAILURE() << "a truncated file was imported";
    } catch (const AppError &e) {
        EXPECT_TRUE(foundWhileReadingRows(e.text())) << e.text().toStdString();
    }
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_FALSE(Schema::exists(db)) << "left behind: " << db.tables(QSql::AllTables).join(u',').toStdString();

    JetImport::Report report;
    ASSERT_NO_THROW(report = JetImport::importCatalogue(db, file));
    EXPECT_TRUE(report.schemaCreated);
    EXPECT_EQ(report.taken(QStringLiteral("debooks")), 12);
    EXPECT_EQ(report.rowsRefused(), 0);
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_TRUE(Schema::missing(db).isEmpty()) << Schema::missing(db).join(u',');
    expectCatalogueAsOnSqlite(reference, 12);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from qrypublishers")).toInt(), 4);

    // The engine's own words, seen from a second connection: the work was committed.
    closeConnection();
    openConfigured();
    expectCatalogueAsOnSqlite(reference, 12);
}

TEST_P(JetImportEngineTest, ReplacesTheCatalogueAndKeepsTheProgramsRows)
{
    fillOldDatabase();
    ASSERT_FALSE(HasFailure());
    const QStringList before = ownRows();
    const QString file = generated(30);
    const Reference reference = sqliteReference(tree, file);
    ASSERT_FALSE(HasFailure());

    JetImport::Report report;
    ASSERT_NO_THROW(report = JetImport::importCatalogue(db, file));
    EXPECT_FALSE(report.schemaCreated);
    EXPECT_EQ(report.taken(QStringLiteral("debooks")), 30);
    EXPECT_EQ(report.taken(QStringLiteral("detsnrty")), 30);
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_EQ(ownRows(), before);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from debooks where tm=?"), {"OLD1"}).toInt(), 0);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from publishers where puno=?"), {"900"}).toInt(), 0);
    expectCatalogueAsOnSqlite(reference, 30);
}

// The widest values the schema's exact columns hold arrive digit for digit: money rounded to
// cents, three-decimal weights, a ten-digit count.
TEST_P(JetImportEngineTest, ExactColumnsKeepEveryDigit)
{
    ASSERT_NO_THROW(Schema::create(db));
    const struct {
        const char *column;
        const char *type;
        int jetType;
        QString text;
        QString stored;   // as the engine writes the column as text
    } cases[] = {
        {"dj", "n15,2", Jet::Money, QStringLiteral("9999999999999.9900"), QStringLiteral("9999999999999.99")},
        {"dj", "n15,2", Jet::Money, QStringLiteral("33.3000"), QStringLiteral("33.30")},
        {"dj", "n15,2", Jet::Double, QStringLiteral("0.005"), QStringLiteral("0.01")},
        {"dj", "n15,2", Jet::Money, QStringLiteral("-1234567.8950"), QStringLiteral("-1234567.90")},
        {"zyz", "n11,3", Jet::Double, QStringLiteral("99999999.999"), QStringLiteral("99999999.999")},
        {"dwyz", "n6,3", Jet::Double, QStringLiteral("0.1"), QStringLiteral("0.100")},
        {"bcys", "n10,0", Jet::Double, QStringLiteral("9999999999"), QStringLiteral("9999999999")},
        {"ys", "int", Jet::LongInt, QStringLiteral("2147483647"), QStringLiteral("2147483647")},
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString label = QStringLiteral("%1 <- %2").arg(QLatin1String(c.column), c.text);
        QVariant value;
        QString reason;
        ASSERT_TRUE(JetImport::convertValue(QLatin1String(c.type), c.jetType, c.text, &value, &reason)) << label.toStdString();
        const QString tm = QStringLiteral("X%1").arg(++n);
        ASSERT_NO_THROW(Sql::exec(db, QStringLiteral("insert into debooks (tm,%1) values (?,?)").arg(QLatin1String(c.column)),
                                  {tm, value}))
            << label.toStdString();
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select cast(%1 as varchar(40)) from debooks where tm=?")
                                      .arg(QLatin1String(c.column)),
                              {tm})
                      .toString(),
                  c.stored)
            << label.toStdString();
    }
}

// A file cut short is refused; whether the reader finds the damage before the first row is
// written or while a later table is read, the catalogue and the program's rows stay as they were.
TEST_P(JetImportEngineTest, ATruncatedFileChangesNothing)
{
    fillOldDatabase();
    ASSERT_FALSE(HasFailure());
    const QString whole = generated(30);
    ASSERT_NO_THROW(JetImport::importCatalogue(db, whole));
    const QStringList ownBefore = ownRows();
    const QHash<QString, QStringList> catalogueBefore = catalogueOf(db);
    ASSERT_EQ(catalogueBefore.value(QStringLiteral("debooks")).size(), 30);

    const qint64 size = QFileInfo(whole).size();
    const QString cut = tree.path(QStringLiteral("cut.mdb"));
    bool failedWhileWriting = false;
    for (const qint64 bytes : {size - 4096, (size / 2) / 4096 * 4096}) {
        SCOPED_TRACE(bytes);
        ASSERT_TRUE(JetFiles::truncatedCopy(whole, cut, bytes));
        try {
            JetImport::importCatalogue(db, cut);
            ADD_FAILURE() << "a file cut at " << bytes << " of " << size << " bytes was imported";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("已损坏或不完整"))) << e.text().toStdString();
            // Found while rows were read: after the old catalogue was deleted in the transaction.
            failedWhileWriting = failedWhileWriting || foundWhileReadingRows(e.text());
        }
        EXPECT_EQ(Sql::transactionDepth(db), 0);
        EXPECT_EQ(ownRows(), ownBefore);
        EXPECT_EQ(catalogueOf(db), catalogueBefore);
    }
    EXPECT_TRUE(failedWhileWriting) << "no cut reached the engine's transaction";
}

// zhengding-admin import-catalogue with the configuration that names the engine.
TEST_P(JetImportEngineTest, TheAdminCommandImportsIntoTheConfiguredDatabase)
{
    const QString file = generated(12);
    const Reference reference = sqliteReference(tree, file);
    ASSERT_FALSE(HasFailure());
    closeConnection();   // an embedded Firebird file is the command's alone while it works

    QProcess p;
    p.start(QStringLiteral(ZD_ADMIN), {QStringLiteral("--config"), tree.bin() + QStringLiteral("syscfg.dbm"),
                                       QStringLiteral("import-catalogue"), file});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("debooks：导入 12 行"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("数据库中原来没有表结构，已先建立。"))) << out.toStdString();
    EXPECT_TRUE(out.contains(GetParam() == Engine::Firebird ? QStringLiteral("已写入Firebird 数据库")
                                                             : QStringLiteral("已写入ODBC 数据源 zd_postgres_source")))
        << out.toStdString();

    openConfigured();
    EXPECT_TRUE(Schema::missing(db).isEmpty()) << Schema::missing(db).join(u',');
    expectCatalogueAsOnSqlite(reference, 12);
}

INSTANTIATE_TEST_SUITE_P(Engines, JetImportEngineTest,
                         ::testing::Values(Engine::Firebird, Engine::Postgres),
                         engineTestName);

} // namespace
