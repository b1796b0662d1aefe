// The supplier's Access/Jet catalogue: the reader over libmdb, the conversion of values, the
// import into the program's database and what it keeps, refuses and leaves unchanged.
#include "jet_files.h"
#include "joined_rows.h"
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "data/demo_catalogue.h"
#include "data/jet_conversion.h"
#include "data/jet_import.h"
#include "data/jet_reader.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// ---- the reader ----------------------------------------------------------------------

TEST(JetReader, ReadsTheShippedFileAsMdbToolsDoes)
{
    const Jet::Reader reader(JetFiles::fruit());
    EXPECT_EQ(reader.versionName(), QStringLiteral("Jet 4"));
    EXPECT_EQ(reader.tableNames(), JetFiles::mdbTables(JetFiles::fruit()));
    EXPECT_EQ(reader.tableNames(),
              (QStringList{"Fruit", "Fruit Salad", "Veggie Salad", "Muffin/Bread", "Dried"}));

    const Jet::Table fruit = reader.table(QStringLiteral("Fruit"));
    ASSERT_EQ(fruit.columns.size(), 11);
    EXPECT_EQ(fruit.columns[0].name, QStringLiteral("Fruit"));
    EXPECT_EQ(fruit.columns[0].type, Jet::Text);
    EXPECT_EQ(fruit.columns[0].size, 100);   // 50 characters in UCS-2
    EXPECT_EQ(fruit.columns[5].name, QStringLiteral("Vit A"));
    EXPECT_EQ(Jet::typeName(fruit.columns[5].type), QStringLiteral("Long Integer"));

    // Every table, row by row and field by field, as mdb-export prints it.
    for (const QString &table : reader.tableNames()) {
        const QList<QStringList> expected = JetFiles::mdbExport(JetFiles::fruit(), table);
        ASSERT_FALSE(expected.isEmpty()) << table;
        QList<QStringList> read;
        const qint64 n = reader.readRows(table, [&](const QStringList &values) { read << values; });
        EXPECT_EQ(n, reader.table(table).rows) << table;
        ASSERT_EQ(read.size(), expected.size() - 1) << table;
        for (int r = 0; r < read.size(); ++r)
            EXPECT_EQ(read[r], expected[r + 1]) << table << " row " << r + 1;
    }
}

TEST(JetReader, RefusesWhatIsNoWholeJetFile)
{
    QTemporaryDir dir;
    const QString noJet = dir.filePath(QStringLiteral("text.mdb"));
    QFile f(noJet);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    const QString cut = dir.filePath(QStringLiteral("cut.mdb"));
    ASSERT_TRUE(JetFiles::truncatedCopy(JetFiles::fruit(), cut, 300000));

    const struct {
        QString path;
        QString says;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.mdb")), QStringLiteral("找不到文件")},
        {noJet, QStringLiteral("不是 Access/Jet 数据库文件")},
        {cut, QStringLiteral("已损坏或不完整")},
    };
    for (const auto &c : cases) {
        try {
            Jet::Reader reader(c.path);
            ADD_FAILURE() << c.path << " was opened";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.text().contains(c.says)) << e.text();
            EXPECT_TRUE(e.text().contains(c.path)) << e.text();
        }
    }
}

// ---- values --------------------------------------------------------------------------

TEST(JetImportValues, BecomeTheSchemaColumnsValues)
{
    const struct {
        const char *schemaType;
        int jetType;
        QString text;
        QVariant expected;   // invalid: refused
    } cases[] = {
        {"v20", Jet::Text, QStringLiteral("数据结构"), QStringLiteral("数据结构")},
        {"v4", Jet::Text, QStringLiteral("一二三四五"), {}},   // five characters into four
        {"v4", Jet::Text, QStringLiteral("𠀀𠀁"), QStringLiteral("𠀀𠀁")},   // counted as characters
        {"memo", Jet::Memo, QString(4200, u'书'), QString(4200, u'书')},
        {"v10", Jet::DateTime, QStringLiteral("2024-05-01 00:00:00"), QStringLiteral("2024-05-01")},
        {"v20", Jet::DateTime, QStringLiteral("2024-05-01 13:30:00"), QStringLiteral("2024-05-01 13:30:00")},
        {"v4", Jet::Bool, QStringLiteral("1"), QStringLiteral("是")},
        {"v4", Jet::Bool, QStringLiteral("0"), QStringLiteral("否")},
        {"v20", Jet::Money, QStringLiteral("12.3400"), QStringLiteral("12.34")},
        {"v20", Jet::Money, QStringLiteral("10.0000"), QStringLiteral("10")},
        {"n15,2", Jet::Money, QStringLiteral("12.3450"), 12.35},   // half away from zero
        {"n15,2", Jet::Money, QStringLiteral("-12.3450"), -12.35},
        {"n15,2", Jet::Money, QStringLiteral("99.9950"), 100.0},
        {"n15,2", Jet::Text, QStringLiteral(" 28.5 "), 28.5},
        {"n15,2", Jet::Text, QStringLiteral("二十"), {}},
        {"n6,3", Jet::Double, QStringLiteral("1000.5"), {}},   // four whole digits into three
        {"n6,3", Jet::Double, QStringLiteral("1.5e+2"), 150.0},
        {"n10,0", Jet::Double, QStringLiteral("12000"), qlonglong(12000)},
        {"n15,2", Jet::DateTime, QStringLiteral("2024-05-01 00:00:00"), {}},
        {"int", Jet::LongInt, QStringLiteral("-42"), -42},
        {"int", Jet::Money, QStringLiteral("300.0000"), 300},
        {"int", Jet::Double, QStringLiteral("2.5"), {}},
        {"int", Jet::Text, QStringLiteral("99999999999"), {}},
        {"int", Jet::Bool, QStringLiteral("1"), 1},
    };
    for (const auto &c : cases) {
        QVariant value;
        QString reason;
        const bool ok = JetImport::convertValue(QLatin1String(c.schemaType), c.jetType, c.text, &value, &reason);
        const QString label = QStringLiteral("%1 <- %2 %3").arg(QLatin1String(c.schemaType), Jet::typeName(c.jetType), c.text.left(20));
        if (!c.expected.isValid()) {
            EXPECT_FALSE(ok) << label;
            EXPECT_FALSE(reason.isEmpty()) << label;
            continue;
        }
        ASSERT_TRUE(ok) << label << ": " << reason;
        EXPECT_EQ(value.typeId(), c.expected.typeId()) << label;
        EXPECT_EQ(value, c.expected) << label;
    }
    // Nothing stays nothing, whatever the column.
    for (const char *type : {"v20", "memo", "int", "n15,2"}) {
        QVariant value = 1;
        QString reason;
        EXPECT_TRUE(JetImport::convertValue(QLatin1String(type), Jet::Text, QString(), &value, &reason));
        EXPECT_TRUE(value.isNull()) << type;
    }
}

// ---- the import ----------------------------------------------------------------------

// The program's own rows and an old catalogue, in a database made the program's way.
class JetImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n");
        db = tree.createDatabase();
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,dj) values ('OLD1','旧目录的书',9.5)"));
        Sql::exec(db, QStringLiteral("insert into publishers (puno,puname,xh) values ('900','旧出版社',1)"));
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dfdh,xsfh,xsfm) values ('202600000001','202600000001','001','供货商')"));
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,dj,sl,my) values ('202600000001','OLD1','旧目录的书',9.5,10,95)"));
        Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values ('202600000002','','0')"));
        Sql::exec(db, QStringLiteral("insert into deshopcart_mx (dhdh,tm,sl,sm) values ('202600000002','OLD1',10,'旧目录的书')"));
        Sql::exec(db, QStringLiteral("insert into parameter (userno,pname,pvalue,len) values ('','dhdh',2,8)"));
        Sql::exec(db, QStringLiteral("insert into decltrla (uno,uname,def) values ('C1','收货单位','1')"));
        Sql::exec(db, QStringLiteral("insert into bookstore (bno,bname) values ('B1','本单位书店')"));
    }

    QStringList ownRows() const
    {
        QStringList all;
        for (const char *t : {"deorder", "deorder_mx", "deshopcart", "deshopcart_mx", "parameter",
                              "decltrla", "bookstore"})
            all << joinedRows(db, QStringLiteral("select * from %1 order by 1").arg(Schema::sqlName(db, QLatin1String(t))));
        return all;
    }
    QStringList everything() const
    {
        QStringList all = ownRows();
        for (const QString &t : Schema::catalogueTableNames())
            all << joinedRows(db, QStringLiteral("select * from %1 order by 1").arg(t));
        return all;
    }
    QString jet(int titles, bool faulty = false)
    {
        const QString path = tree.path(QStringLiteral("supplier.mdb"));
        if (!JetFiles::generate(path, titles, faulty))
            ADD_FAILURE() << "the generator failed";
        // mdbtools must read what the generator wrote, or nothing here means anything.
        EXPECT_EQ(JetFiles::mdbTables(path),
                  (QStringList{"publishers", "debook_categories2", "debooks", "detsnrty"}));
        return path;
    }
    // The database's bytes as they are on disk now (the connection closed first).
    QByteArray closedDigest()
    {
        db.close();
        const QByteArray digest = JetFiles::digestOf(tree.path(QStringLiteral("init/data.mdb")));
        EXPECT_TRUE(db.open());
        return digest;
    }

    TempTree tree;
    QSqlDatabase db;
};

// How the schema stores a value that mdb-export printed, as text to compare.
QString expectedStored(const QString &schemaType, int jetType, const QString &exported)
{
    if (exported.isNull() || exported.isEmpty())
        return QStringLiteral("<null>");
    if (schemaType.startsWith(u'n') || schemaType == u"int")
        return QString::number(exported.toDouble(), 'f', 3);
    if (jetType == Jet::Bool)
        return exported == u"1" ? QStringLiteral("是") : QStringLiteral("否");
    if (jetType == Jet::Money)
        return QString::number(exported.toDouble());
    if (exported.endsWith(QStringLiteral(" 00:00:00")))
        return exported.chopped(9);
    return exported;
}

QString stored(const QString &schemaType, const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("<null>");
    if (schemaType.startsWith(u'n') || schemaType == u"int")
        return QString::number(value.toDouble(), 'f', 3);
    return value.toString();
}

TEST_F(JetImportTest, ReplacesTheCatalogueFieldByFieldAndKeepsTheProgramsRows)
{
    const QString file = jet(60);
    const QStringList before = ownRows();
    QList<QPair<QString, qint64>> progress;
    const JetImport::Report report = JetImport::importCatalogue(
        db, file, [&](const QString &table, qint64 done, qint64) { progress.append({table, done}); });

    EXPECT_EQ(ownRows(), before);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from debooks where tm='OLD1'")).toInt(), 0);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from publishers where puno='900'")).toInt(), 0);

    EXPECT_EQ(report.version, QStringLiteral("Jet 4"));
    EXPECT_FALSE(report.schemaCreated);
    EXPECT_EQ(report.taken(QStringLiteral("debooks")), 60);
    EXPECT_EQ(report.taken(QStringLiteral("detsnrty")), 60);
    EXPECT_EQ(report.taken(QStringLiteral("publishers")), 4);
    EXPECT_EQ(report.taken(QStringLiteral("debook_categories2")), 16);
    EXPECT_EQ(report.rowsRefused(), 0);
    EXPECT_EQ(report.absentTables, (QStringList{"debook_categories", "debookotype", "debook2type"}));
    ASSERT_EQ(report.tables.size(), 4);
    EXPECT_EQ(report.tables[1].table, QStringLiteral("debooks"));
    EXPECT_EQ(report.tables[1].ignoredColumns.size(), 1);
    EXPECT_TRUE(report.tables[1].ignoredColumns.value(0).startsWith(QStringLiteral("bz (Text)")));
    EXPECT_TRUE(report.text().contains(QStringLiteral("未导入的列 bz (Text)"))) << report.text();
    EXPECT_TRUE(progress.contains(qMakePair(QStringLiteral("debooks"), qint64(60))));

    // Every table the file holds, every row, every column, against mdb-export.
    for (const QString &table : {QStringLiteral("publishers"), QStringLiteral("debook_categories2"),
                                 QStringLiteral("debooks"), QStringLiteral("detsnrty")}) {
        const QList<QStringList> exported = JetFiles::mdbExport(file, table);
        ASSERT_GT(exported.size(), 1) << table;
        const QStringList header = exported.first();
        QHash<QString, QString> types;
        for (const Schema::ColumnInfo &c : Schema::columnsOf(table))
            types.insert(c.name, c.type);
        const QString key = header.first();
        const Jet::Table definition = Jet::Reader(file).table(table);
        for (int r = 1; r < exported.size(); ++r) {
            const QStringList &row = exported[r];
            ASSERT_EQ(row.size(), header.size()) << table << " row " << r;
            QSqlQuery q = Sql::exec(db, QStringLiteral("select * from %1 where %2=? and %3")
                                            .arg(table, key,
                                                 header.size() > 1 && table == u"debook_categories2"
                                                     ? QStringLiteral("cno2='%1'").arg(row[1])
                                                     : QStringLiteral("1=1")),
                                    {row.first()});
            ASSERT_TRUE(q.next()) << table << " " << row.first();
            for (int c = 0; c < header.size(); ++c) {
                if (!types.contains(header[c]))
                    continue;   // the column the schema does not know
                EXPECT_EQ(stored(types[header[c]], q.value(header[c])), expectedStored(types[header[c]], definition.columns[c].type, row[c]))
                    << table << " " << row.first() << " " << header[c];
            }
        }
    }
    // The long synopsis arrived whole and in Chinese.
    const QString jj = Sql::scalar(db, QStringLiteral("select jj from debooks where tm='9787040000000'")).toString();
    EXPECT_EQ(jj.size(), 4200);
    EXPECT_TRUE(jj.startsWith(QStringLiteral("第1章　本书系统介绍数据结构"))) << jj.left(20);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select sm from qrydebooks where tm='9787040000000'")).toString(),
              QStringLiteral("数据结构（第1版）"));
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from qrypublishers")).toInt(), 4);
}

// The supplier's catalogue replaces a demo one: the demo's marker goes in the same step, the
// counters stay.
TEST_F(JetImportTest, TheSuppliersCatalogueIsNoDemo)
{
    DemoCatalogue::fill(db, 20, {}, true);
    ASSERT_TRUE(DemoCatalogue::isDemo(db));
    const QString counters = QStringLiteral("select count(*) from parameter");
    const int before = Sql::scalar(db, counters).toInt();
    JetImport::importCatalogue(db, jet(10));
    EXPECT_FALSE(DemoCatalogue::isDemo(db));
    EXPECT_EQ(Sql::scalar(db, counters).toInt(), before - 1);
}

// A database made before the dispatch log takes a catalogue all the same.
TEST_F(JetImportTest, ADatabaseMadeBeforeTheDispatchLogTakesTheCatalogue)
{
    Sql::exec(db, QStringLiteral("drop table deorderlog"));
    JetImport::Report report;
    ASSERT_NO_THROW(report = JetImport::importCatalogue(db, jet(60), {}));
    EXPECT_EQ(report.taken(QStringLiteral("debooks")), 60);
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from debooks")).toInt(), 60);
}

TEST_F(JetImportTest, RefusesRowsThatDoNotFitAndSaysWhy)
{
    const QString file = jet(6, true);
    const JetImport::Report report = JetImport::importCatalogue(db, file);
    EXPECT_EQ(report.taken(QStringLiteral("debooks")), 6);
    EXPECT_EQ(report.rowsRefused(), 3);
    ASSERT_EQ(report.tables[1].refused.size(), 3);
    const struct {
        qint64 row;
        QString key;
        QString says;
    } expected[] = {
        {7, QStringLiteral("9787040000000"), QStringLiteral("关键列 tm 的值“9787040000000”与前面的行重复")},
        {8, QString(), QStringLiteral("关键列 tm 为空")},
        {9, QStringLiteral("9787049999999"), QStringLiteral("列 ywbm：值有 5 个字符，超过本列的 4 个字符")},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(report.tables[1].refused[i].row, expected[i].row);
        EXPECT_EQ(report.tables[1].refused[i].key, expected[i].key);
        EXPECT_EQ(report.tables[1].refused[i].reason, expected[i].says);
        EXPECT_TRUE(report.text().contains(expected[i].says)) << report.text();
    }
    // The first of the two rows with one key is the one kept.
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select ywbm from debooks where tm='9787040000000'")).toString(),
              QStringLiteral("01"));
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from debooks")).toInt(), 6);
}

TEST_F(JetImportTest, AFileWithoutTheCatalogueChangesNothing)
{
    const QStringList before = everything();
    const QByteArray digest = closedDigest();
    try {
        JetImport::importCatalogue(db, JetFiles::fruit());
        ADD_FAILURE() << "a file without debooks was imported";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("没有征订目录"))) << e.text();
        EXPECT_TRUE(e.text().contains(QStringLiteral("debooks"))) << e.text();
        EXPECT_TRUE(e.text().contains(QStringLiteral("Fruit Salad"))) << e.text();
    }
    EXPECT_EQ(Sql::transactionDepth(db), 0);
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(closedDigest(), digest);
}

TEST_F(JetImportTest, ATruncatedFileChangesNothing)
{
    const QString file = jet(40);
    const qint64 size = QFileInfo(file).size();
    const QStringList before = everything();
    const QByteArray digest = closedDigest();
    const QString cut = tree.path(QStringLiteral("cut.mdb"));
    // Cut inside a page, and cut on page boundaries (the last pages, then half the file):
    // the reader must notice every one.
    for (const qint64 bytes : {size - 1000, size - 4096, size - 3 * 4096, (size / 2) / 4096 * 4096}) {
        ASSERT_TRUE(JetFiles::truncatedCopy(file, cut, bytes));
        try {
            JetImport::importCatalogue(db, cut);
            ADD_FAILURE() << "a file cut at " << bytes << " of " << size << " bytes was imported";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("已损坏或不完整"))) << bytes << ": " << e.text();
        }
        EXPECT_EQ(Sql::transactionDepth(db), 0);
        EXPECT_EQ(everything(), before) << bytes;
    }
    EXPECT_EQ(closedDigest(), digest);
}

TEST(JetImportSchema, ADatabaseWithoutTheSchemaGetsItFirst)
{
    TempTree tree;
    const QString file = tree.path(QStringLiteral("supplier.mdb"));
    ASSERT_TRUE(JetFiles::generate(file, 5));
    const QString name = QStringLiteral("jet_import_empty");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(tree.path(QStringLiteral("init/empty.sqlite")));
        ASSERT_TRUE(db.open());
        const JetImport::Report report = JetImport::importCatalogue(db, file);
        EXPECT_TRUE(report.schemaCreated);
        EXPECT_TRUE(Schema::missing(db).isEmpty());
        EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from qrydebooks")).toInt(), 5);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// ---- the conversion in place ---------------------------------------------------------

TEST(JetConversion, PutsTheConvertedFileInPlaceAndKeepsTheJetFileAside)
{
    TempTree tree;
    const QString data = tree.path(QStringLiteral("init/data.mdb"));
    ASSERT_TRUE(JetFiles::generate(data, 8));
    const QByteArray jetBytes = JetFiles::bytesOf(data);
    const QDate day(2026, 12, 10);
    // An earlier conversion's file of the same day is never overwritten.
    tree.writeFile(QStringLiteral("init/data-jet-20261210.mdb"), "earlier");
    EXPECT_EQ(JetConversion::asideName(data, day), tree.path(QStringLiteral("init/data-jet-20261210-2.mdb")));

    const JetConversion::Result result = JetConversion::convert(data, {}, day);
    EXPECT_EQ(result.asidePath, tree.path(QStringLiteral("init/data-jet-20261210-2.mdb")));
    EXPECT_EQ(JetFiles::bytesOf(result.asidePath), jetBytes);
    EXPECT_EQ(JetFiles::bytesOf(tree.path(QStringLiteral("init/data-jet-20261210.mdb"))), QByteArray("earlier"));
    EXPECT_TRUE(JetFiles::bytesOf(data).startsWith("SQLite format 3"));
    EXPECT_EQ(result.report.taken(QStringLiteral("debooks")), 8);
    EXPECT_EQ(QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files | QDir::Hidden).join(u' ');
}

TEST(JetConversion, AFailedConversionLeavesTheFolderAsItWas)
{
    TempTree tree;
    const QString data = tree.path(QStringLiteral("init/data.mdb"));
    for (const bool truncated : {false, true}) {
        if (truncated) {
            const QString whole = tree.path(QStringLiteral("whole.mdb"));
            ASSERT_TRUE(JetFiles::generate(whole, 20));
            ASSERT_TRUE(JetFiles::truncatedCopy(whole, data, QFileInfo(whole).size() - 4096));
        } else {
            QFile::remove(data);
            ASSERT_TRUE(QFile::copy(JetFiles::fruit(), data));
        }
        const QByteArray bytes = JetFiles::bytesOf(data);
        EXPECT_THROW(JetConversion::convert(data), AppError);
        EXPECT_EQ(JetFiles::bytesOf(data), bytes);
        EXPECT_EQ(QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("data.mdb")});
    }
}

} // namespace

// ---- zhengding-admin import-catalogue ---------------------------------------------------

namespace {

struct AdminRun {
    int exitCode = -1;
    QString out;
    QString err;
};

AdminRun importWithAdmin(const TempTree &tree, const QString &file)
{
    QProcess p;
    p.start(QStringLiteral(ZD_ADMIN), {QStringLiteral("--config"), tree.path(QStringLiteral("bin/syscfg.dbm")),
                                       QStringLiteral("import-catalogue"), file});
    AdminRun r;
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

int titlesIn(const QString &sqliteFile)
{
    const QString name = QStringLiteral("jet_admin_check");
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(sqliteFile);
        if (db.open())
            n = Sql::scalar(db, QStringLiteral("select count(*) from qrydebooks")).toInt();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return n;
}

TEST(JetImportCommand, ImportsRefusesAndConvertsInPlace)
{
    const struct {
        const char *name;
        bool generated;          // the generator's file, else fruit.mdb
        bool asTheDatabase;      // the file is init/data.mdb itself
        int exitCode;
        QString outSays;
        QString errSays;
    } cases[] = {
        {"new_database", true, false, 0, QStringLiteral("debooks：导入 10 行"), QStringLiteral("debooks：10/10 行")},
        {"no_catalogue", false, false, 1, QString(), QStringLiteral("没有征订目录")},
        {"in_place", true, true, 0, QStringLiteral("原文件已改名保存为"), QStringLiteral("debooks：10/10 行")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n");
        const QString data = tree.path(QStringLiteral("init/data.mdb"));
        const QString source = c.asTheDatabase ? data : tree.path(QStringLiteral("supplier.mdb"));
        if (c.generated)
            ASSERT_TRUE(JetFiles::generate(source, 10));
        else
            ASSERT_TRUE(QFile::copy(JetFiles::fruit(), source));
        const AdminRun r = importWithAdmin(tree, source);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(r.out.contains(c.outSays)) << r.out;
        EXPECT_TRUE(r.err.contains(c.errSays)) << r.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(titlesIn(data), 10);
        } else {
            EXPECT_FALSE(QFileInfo::exists(data)) << "a database the failed import made was left behind";
        }
        if (c.asTheDatabase) {
            EXPECT_EQ(QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files).size(), 2);
        }
    }
}

} // namespace
