// The in-memory result list: bound values, field set-up, plain and formatted text, the
// calculated synopsis marker, sorting in pinyin order, locate, the cursor, edits; rows read
// straight from SQLite the same as through the driver.
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "common/pinyin_collator.h"
#include "data/dataset.h"
#include "data/number_text.h"
#include "data/sql_helper.h"
#include "data/sqlite_reader.h"

#include <QDate>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

namespace {

const QString Marker = QStringLiteral("(内容简介)");

DataSet::Calculator synopsisMarker()
{
    return [](const DataSet &ds, int row) {
        return ds.isNull(row, QStringLiteral("jj")) ? QVariant() : QVariant(Marker);
    };
}

// Six titles in tm order; the comments give what the sort cases rely on.
class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_name = QStringLiteral("dataset_test_%1").arg(++counter);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
        Sql::exec(db, QStringLiteral(
            "create table books (tm varchar(20), sm varchar(500), cbmc varchar(60),"
            " dj numeric(15,2), qzs integer, sl numeric(15,0), my numeric(15,2), jj text,"
            " zz varchar(40))"));
        const QVariant null;
        const QList<QVariantList> rows = {
            {"T1", "张三的书", "高等教育出版社", 12.5, 100, 10, 125, null, "王"},
            {"T2", "阿Q正传", "人民文学出版社", 9, 9, 1, 9, "", "鲁迅"},
            {"T3", "赵氏孤儿", "高等教育出版社", 100, 1000, null, null, "简介", "纪君祥"},
            {"T4", "白鹿原", "人民文学出版社", null, null, 2, null, "x", "陈忠实"},
            {"T5", null, "高等教育出版社", 10, 20, 3, 30, null, "ABC"},
            {"T6", "中国", "人民文学出版社", 1234.5, 5, 4, 4938, null, "O'Reilly"},
        };
        for (const QVariantList &r : rows)
            Sql::exec(db, QStringLiteral("insert into books values (?,?,?,?,?,?,?,?,?)"), r);
        ds = std::make_unique<DataSet>();
        ds->setConnection(db);
        ds->setStatement(QStringLiteral(
            "select tm, sm, cbmc, dj, qzs, sl, my, jj, zz from books order by tm"));
    }

    void TearDown() override
    {
        ds.reset();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }

    QStringList column(const QString &name) const
    {
        QStringList out;
        for (int row = 0; row < ds->recordCount(); ++row)
            out << ds->text(row, name);
        return out;
    }

    QSqlDatabase db;
    std::unique_ptr<DataSet> ds;

private:
    QString m_name;
};

QStringList list(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *s : items)
        out << QString::fromUtf8(s);
    return out;
}

TEST_F(DataSetTest, OpensWithPositionalAndNamedValues)
{
    ds->setStatement(QStringLiteral("select tm from books where zz = ? or tm = ?"),
                     {QStringLiteral("O'Reilly"), QStringLiteral("T2")});
    QSignalSpy opened(ds.get(), &DataSet::opened);
    QSignalSpy moved(ds.get(), &DataSet::currentRowChanged);
    ds->open();
    EXPECT_EQ(column("tm"), list({"T2", "T6"}));
    EXPECT_EQ(opened.count(), 1);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 0);
    EXPECT_EQ(ds->recNo(), 1);

    // Named values, set with or without the colon and in any case; one name used twice.
    ds->setStatement(QStringLiteral("select tm from books where zz = :sZz or tm = :sTm or sm = :sZz"));
    ds->setParam(QStringLiteral(":szz"), QStringLiteral("O'Reilly"));
    ds->setParam(QStringLiteral("sTm"), QStringLiteral("T1"));
    ds->open();
    EXPECT_EQ(column("tm"), list({"T1", "T6"}));

    // A new statement forgets the named values.
    ds->setStatement(QStringLiteral("select tm from books where tm = :sTm"));
    ds->open();
    EXPECT_TRUE(ds->isEmpty());
    EXPECT_EQ(ds->currentRow(), -1);
}

TEST_F(DataSetTest, FieldNamesCaptionsAndSetUpSurviveReopening)
{
    ds->setStatement(QStringLiteral("select tm as TM, sm as Sm, dj from books"));
    ds->defineField(QStringLiteral("sm"), QStringLiteral("书名"), {}, 40);
    ds->defineField(QStringLiteral("DJ"), QStringLiteral("估定价"), QStringLiteral("#,.00;#,.00;0"));
    ds->open();
    ASSERT_EQ(ds->fieldCount(), 3);
    EXPECT_EQ(ds->field(0).name, QStringLiteral("TM"));
    EXPECT_EQ(ds->field(0).caption, QStringLiteral("TM"));
    EXPECT_EQ(ds->field(1).name, QStringLiteral("Sm"));
    EXPECT_EQ(ds->field(1).caption, QStringLiteral("书名"));
    EXPECT_EQ(ds->field(1).displayWidth, 40);
    EXPECT_EQ(ds->field(2).displayFormat, QStringLiteral("#,.00;#,.00;0"));
    EXPECT_EQ(ds->fieldIndex(QStringLiteral("tm")), 0);
    EXPECT_EQ(ds->fieldIndex(QStringLiteral("SM")), 1);
    EXPECT_EQ(ds->fieldIndex(QStringLiteral("nosuch")), -1);
    EXPECT_THROW(ds->value(0, QStringLiteral("nosuch")), AppError);

    ds->setFieldVisible(QStringLiteral("tm"), false);
    ds->field(2).caption = QStringLiteral("定价");
    ds->refresh();
    EXPECT_FALSE(ds->field(0).visible);
    EXPECT_EQ(ds->field(1).caption, QStringLiteral("书名"));
    EXPECT_EQ(ds->field(2).caption, QStringLiteral("定价"));
    EXPECT_EQ(ds->field(2).displayFormat, QStringLiteral("#,.00;#,.00;0"));
}

struct FormatCase {
    QVariant value;
    const char *format;
    const char *expected;
};

TEST(DataSetFormat, DisplayFormats)
{
    const char *whole = "#,";
    const char *money = "#,.00;#,.00;0";
    const FormatCase cases[] = {
        {12.5, whole, "13"},
        {2.5, whole, "3"},
        {1234567, whole, "1,234,567"},
        {qlonglong(1234567890123), whole, "1,234,567,890,123"},
        {999.5, whole, "1,000"},
        {0, whole, "0"},
        {0.4, whole, "0"},
        {-1234.4, whole, "-1,234"},
        {12.5, money, "12.50"},
        {-3, money, "3.00"},
        {-1234.5, money, "1,234.50"},
        {1234.5, money, "1,234.50"},
        {1234567.891, money, "1,234,567.89"},
        {0.5, money, "0.50"},
        {2.675, money, "2.68"},   // the decimal 2.675, though the double is 2.67499…
        {1.005, money, "1.01"},
        {0, money, "0"},
        {0.004, money, "0"},
        {-0.004, money, "0"},
        {QStringLiteral("12.5"), money, "12.50"},
        {QStringLiteral("abc"), money, "abc"},
        {QVariant(), money, ""},
        {QVariant(), whole, ""},
        {12.5, "", "12.5"},
        {10.0, "", "10"},
        {0.1 + 0.2, "", "0.3"},
        {1e15, "", "1000000000000000"},
        {12.5, "0.000", "12.500"},
        {12.5, "￥#,.00", "￥12.50"},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + c.value.toString().toStdString());
        EXPECT_EQ(DataSet::formatNumber(c.value, QString::fromUtf8(c.format)),
                  QString::fromUtf8(c.expected));
    }
}

// Types as the catalogue view declares them; plain text and display text per type.
TEST(DataSetTypes, CatalogueViewColumns)
{
    TempTree tree;
    const QSqlDatabase db = tree.createDatabase();
    const QString longText(300, u'文');
    Sql::exec(db, QStringLiteral("insert into debooks (tm, sm, dj, qzs, bcys, dwyz, jj)"
                                 " values ('1', '书', 12.5, 1234, 3000, 0.125, ?)"),
              {longText});
    Sql::exec(db, QStringLiteral("insert into debooks (tm, sm, dj, qzs, bcys) values ('2', '', 10, 0, 1234567)"));
    Sql::exec(db, QStringLiteral("insert into debooks (tm) values ('3')"));
    DataSet ds;
    ds.setConnection(db);
    ds.setStatement(QStringLiteral("select sm, dj, qzs, bcys, dwyz, jj from qrydebooks order by tm"));
    ds.defineField(QStringLiteral("dj"), QStringLiteral("估定价"), QStringLiteral("#,.00;#,.00;0"));
    ds.defineField(QStringLiteral("qzs"), QStringLiteral("千字数"), QStringLiteral("#,"));
    ds.defineField(QStringLiteral("bcys"), QStringLiteral("本次印数"), QStringLiteral("#,"));
    ds.open();

    struct Expect {
        const char *field;
        FieldType type;
        const char *text[3];
        const char *display[3];
    };
    const Expect expects[] = {
        {"sm", FieldType::Text, {"书", "", ""}, {"书", "", ""}},
        {"dj", FieldType::Decimal, {"12.5", "10", ""}, {"12.50", "10.00", ""}},
        {"qzs", FieldType::Integer, {"1234", "0", ""}, {"1,234", "0", ""}},
        {"bcys", FieldType::Decimal, {"3000", "1234567", ""}, {"3,000", "1,234,567", ""}},
        {"dwyz", FieldType::Decimal, {"0.125", "", ""}, {"0.125", "", ""}},
    };
    for (const Expect &e : expects) {
        SCOPED_TRACE(e.field);
        const int i = ds.fieldIndex(QString::fromLatin1(e.field));
        ASSERT_GE(i, 0);
        EXPECT_EQ(ds.field(i).type, e.type);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(ds.text(row, i), QString::fromUtf8(e.text[row])) << "row " << row;
            EXPECT_EQ(ds.displayText(row, i), QString::fromUtf8(e.display[row])) << "row " << row;
        }
    }
    EXPECT_EQ(ds.field(ds.fieldIndex(QStringLiteral("jj"))).type, FieldType::Memo);
    EXPECT_EQ(ds.text(0, QStringLiteral("jj")), longText);
    EXPECT_FALSE(ds.isNull(1, ds.fieldIndex(QStringLiteral("sm"))));   // empty, not null
    EXPECT_TRUE(ds.isNull(2, ds.fieldIndex(QStringLiteral("sm"))));
    EXPECT_EQ(ds.value(0, QStringLiteral("dj")).toDouble(), 12.5);
    EXPECT_EQ(ds.value(0, QStringLiteral("qzs")).toInt(), 1234);
}

// Columns without a declared type take theirs from the values and widen when a later value
// does not fit.
TEST_F(DataSetTest, ExpressionColumnsTakeTheTypeOfTheirValues)
{
    ds->setStatement(QStringLiteral(
        "select 1 as a, null as b, 0.1 + 0.2 as c union all select 2.5, 3, 1e20"
        " union all select 'x', 4, null"));
    ds->open();
    EXPECT_EQ(column("a"), list({"1", "2.5", "x"}));
    EXPECT_EQ(ds->field(0).type, FieldType::Text);
    EXPECT_EQ(column("b"), list({"", "3", "4"}));
    EXPECT_EQ(ds->field(1).type, FieldType::Integer);
    EXPECT_EQ(column("c"), list({"0.3", "100000000000000000000", ""}));
    EXPECT_EQ(ds->field(2).type, FieldType::Decimal);
}

TEST_F(DataSetTest, CalculatedSynopsisMarker)
{
    ds->addCalculatedField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), synopsisMarker());
    ds->open();
    const int i = ds->fieldIndex(QStringLiteral("nrjj"));
    ASSERT_EQ(i, ds->fieldCount() - 1);
    EXPECT_TRUE(ds->field(i).calculated);
    EXPECT_EQ(ds->field(i).caption, QStringLiteral("内容简介"));
    // jj: null, empty, text, text, null, null.
    EXPECT_EQ(column("NRJJ"), QStringList({"", Marker, Marker, Marker, "", ""}));
    EXPECT_TRUE(ds->isNull(0, i));
    EXPECT_FALSE(ds->isNull(1, i));
    EXPECT_THROW(ds->setValue(0, QStringLiteral("NRJJ"), Marker), AppError);
    ds->setSortText(QStringLiteral("tm DESC"));
    EXPECT_EQ(ds->text(0, QStringLiteral("nrjj")), QStringLiteral(""));   // follows its row: T6 has no synopsis
    EXPECT_EQ(ds->text(4, QStringLiteral("nrjj")), Marker);
}

struct SortCase {
    const char *sortText;
    std::initializer_list<const char *> tms;
};

TEST_F(DataSetTest, SortsByTermsInPinyinAndNumberOrder)
{
    ds->open();
    const SortCase cases[] = {
        // sm: T5 null, T2 阿, T4 白, T1 张, T3 赵, T6 中
        {"sm ASC", {"T5", "T2", "T4", "T1", "T3", "T6"}},
        {"sm", {"T5", "T2", "T4", "T1", "T3", "T6"}},
        {"SM desc", {"T6", "T3", "T1", "T4", "T2", "T5"}},
        // dj as numbers (as texts 10 < 100 < 12.5 < 1234.5 < 9), null first
        {"dj ASC", {"T4", "T2", "T5", "T1", "T3", "T6"}},
        {"qzs DESC", {"T3", "T1", "T5", "T2", "T6", "T4"}},
        // cbmc: 高等 (gao) T1 T3 T5 before 人民 (ren) T2 T4 T6; ties keep statement order
        {"cbmc", {"T1", "T3", "T5", "T2", "T4", "T6"}},
        {"cbmc ASC,dj DESC", {"T3", "T1", "T5", "T6", "T2", "T4"}},
        {" cbmc  asc , tm DESC ", {"T5", "T3", "T1", "T6", "T4", "T2"}},
        {"", {"T1", "T2", "T3", "T4", "T5", "T6"}},
    };
    for (const SortCase &c : cases) {
        SCOPED_TRACE(c.sortText);
        QSignalSpy ordered(ds.get(), &DataSet::orderChanged);
        ds->setSortText(QString::fromUtf8(c.sortText));
        EXPECT_EQ(column("tm"), list(c.tms));
        EXPECT_EQ(ds->sortText(), QString::fromUtf8(c.sortText));
        EXPECT_EQ(ordered.count(), 1);
    }
}

TEST_F(DataSetTest, SortOfManyRowsMatchesTheCollator)
{
    // Enough rows that the loader stops sharing the all-different texts part way.
    ds->setStatement(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 5000)"
        " select i, '出版社' || (i % 7) as pub, char(0x4e00 + (i * 7919) % 20000) || i as t"
        " from n"));
    ds->open();
    ASSERT_EQ(ds->recordCount(), 5000);
    for (int row : {0, 4095, 4096, 4999}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(ds->text(row, QStringLiteral("pub")), QStringLiteral("出版社%1").arg((row + 1) % 7));
        EXPECT_TRUE(ds->text(row, QStringLiteral("t")).endsWith(QString::number(row + 1)));
    }
    ds->setSortText(QStringLiteral("pub,t DESC"));
    const PinyinCollator collator;
    for (int row = 1; row < ds->recordCount(); ++row) {
        const int byPub = collator.compare(ds->text(row - 1, QStringLiteral("pub")),
                                           ds->text(row, QStringLiteral("pub")));
        ASSERT_LE(byPub, 0) << row;
        if (byPub == 0) {
            ASSERT_GE(collator.compare(ds->text(row - 1, QStringLiteral("t")),
                                       ds->text(row, QStringLiteral("t"))), 0) << row;
        }
    }
}

TEST_F(DataSetTest, BadSortTextThrowsAndKeepsTheOrder)
{
    ds->addCalculatedField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), synopsisMarker());
    ds->open();
    ds->setSortText(QStringLiteral("sm DESC"));
    const QStringList before = column("tm");
    const struct {
        const char *sortText;
        const char *named;
    } cases[] = {
        {"nosuch ASC", "nosuch"},
        {"sm ASC,nrjj DESC", "NRJJ"},
        {"sm UP", "sm UP"},
        {"sm ASC DESC", "sm ASC DESC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sortText);
        try {
            ds->setSortText(QString::fromUtf8(c.sortText));
            ADD_FAILURE() << "no error";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.named))) << e.text().toStdString();
        }
        EXPECT_EQ(column("tm"), before);
        EXPECT_EQ(ds->sortText(), QStringLiteral("sm DESC"));
    }
}

TEST_F(DataSetTest, SortKeepsTheCurrentPosition)
{
    ds->open();
    ds->setCurrentRow(1);
    ASSERT_EQ(ds->currentText(QStringLiteral("tm")), QStringLiteral("T2"));
    QSignalSpy moved(ds.get(), &DataSet::currentRowChanged);
    ds->setSortText(QStringLiteral("tm DESC"));
    EXPECT_EQ(ds->currentRow(), 1);
    EXPECT_EQ(ds->currentText(QStringLiteral("tm")), QStringLiteral("T5"));
    EXPECT_EQ(moved.count(), 0);
}

TEST_F(DataSetTest, LocateFindsTheFirstRowByPrefixInTheCurrentOrder)
{
    ds->open();
    ds->setSortText(QStringLiteral("tm DESC"));
    struct {
        const char *field;
        const char *prefix;
        int row;   // -1: not found
    } cases[] = {
        {"cbmc", "高等", 1},     // T5 is the first 高等 in descending tm order
        {"zz", "abc", 1},        // case ignored
        {"zz", "o'r", 0},
        {"dj", "12", 0},         // 1234.5 comes before 12.5 in this order
        {"qzs", "100", 3},
        {"sm", "", 0},
        {"sm", "红", -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.prefix);
        ds->setCurrentRow(2);
        const bool found = ds->locate(QString::fromLatin1(c.field), QString::fromUtf8(c.prefix));
        EXPECT_EQ(found, c.row >= 0);
        EXPECT_EQ(ds->currentRow(), c.row >= 0 ? c.row : 2);
    }
    EXPECT_THROW(ds->locate(QStringLiteral("nosuch"), QStringLiteral("x")), AppError);
}

TEST_F(DataSetTest, NavigationStaysInsideTheRows)
{
    ds->open();
    QSignalSpy moved(ds.get(), &DataSet::currentRowChanged);
    EXPECT_TRUE(ds->atFirst());
    ds->prior();
    EXPECT_EQ(ds->currentRow(), 0);
    ds->next();
    ds->next();
    EXPECT_EQ(ds->recNo(), 3);
    ds->last();
    EXPECT_TRUE(ds->atLast());
    ds->next();
    EXPECT_EQ(ds->currentRow(), 5);
    ds->setCurrentRow(99);
    EXPECT_EQ(ds->currentRow(), 5);
    ds->setCurrentRow(-4);
    EXPECT_EQ(ds->currentRow(), 0);
    QList<int> rows;
    for (const auto &args : moved)
        rows << args.at(0).toInt();
    EXPECT_EQ(rows, QList<int>({1, 2, 5, 0}));
    EXPECT_EQ(ds->value(6, QStringLiteral("tm")), QVariant());
    EXPECT_EQ(ds->text(-1, QStringLiteral("tm")), QStringLiteral(""));

    // Suspended display: nested, silent, and resuming says nothing either.
    moved.clear();
    ds->disableControls();
    ds->disableControls();
    ds->last();
    ds->enableControls();
    EXPECT_TRUE(ds->controlsDisabled());
    ds->first();
    ds->enableControls();
    EXPECT_FALSE(ds->controlsDisabled());
    EXPECT_EQ(moved.count(), 0);
    ds->next();
    EXPECT_EQ(moved.count(), 1);

    ds->close();
    EXPECT_EQ(ds->currentRow(), -1);
    EXPECT_EQ(ds->recordCount(), 0);
    ds->next();
    EXPECT_EQ(ds->currentRow(), -1);
    EXPECT_TRUE(ds->atFirst() && ds->atLast());
}

TEST_F(DataSetTest, EditRunsTheChangeHookOnTheRowItChanged)
{
    ds->setChangeHook(QStringLiteral("SL"), [](DataSet &set, int row) {
        set.setValue(row, QStringLiteral("my"),
                     set.value(row, QStringLiteral("sl")).toDouble()
                         * set.value(row, QStringLiteral("dj")).toDouble());
    });
    ds->open();
    ds->setSortText(QStringLiteral("dj DESC"));   // T6 T3 T1 T5 T2 T4
    QSignalSpy changed(ds.get(), &DataSet::valueChanged);
    ds->setValue(2, QStringLiteral("sl"), 3);
    EXPECT_EQ(ds->text(2, QStringLiteral("tm")), QStringLiteral("T1"));
    EXPECT_EQ(ds->text(2, QStringLiteral("sl")), QStringLiteral("3"));
    EXPECT_EQ(ds->text(2, QStringLiteral("my")), QStringLiteral("37.5"));
    const int sl = ds->fieldIndex(QStringLiteral("sl"));
    const int my = ds->fieldIndex(QStringLiteral("my"));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0), QVariantList({2, my}));
    EXPECT_EQ(changed.at(1), QVariantList({2, sl}));

    ds->setValue(1, QStringLiteral("sl"), QStringLiteral("7"));   // T3 had no quantity
    EXPECT_EQ(ds->text(1, QStringLiteral("my")), QStringLiteral("700"));
    ds->setValue(0, QStringLiteral("sl"), QString());
    EXPECT_TRUE(ds->isNull(0, sl));
    EXPECT_THROW(ds->setValue(0, QStringLiteral("sl"), QStringLiteral("abc")), AppError);
    ds->setValue(0, QStringLiteral("sm"), QStringLiteral("阿"));
    ds->setValue(0, QStringLiteral("qzs"), 2.5);   // a whole-number column takes a fraction
    EXPECT_EQ(ds->text(0, QStringLiteral("qzs")), QStringLiteral("2.5"));

    // The edited text takes its place in a new sort; the other rows are unchanged.
    ds->setSortText(QStringLiteral("sm"));
    EXPECT_EQ(column("tm"), list({"T5", "T6", "T2", "T4", "T1", "T3"}));
    EXPECT_THROW(ds->setValue(9, QStringLiteral("sl"), 1), AppError);
}

TEST_F(DataSetTest, RefreshReadsAgainInStatementOrder)
{
    ds->open();
    ds->setSortText(QStringLiteral("sm DESC"));
    ds->setCurrentRow(3);
    Sql::exec(db, QStringLiteral("insert into books (tm, sm) values ('T7', '新书')"));
    QSignalSpy closed(ds.get(), &DataSet::closed);
    QSignalSpy opened(ds.get(), &DataSet::opened);
    ds->refresh();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(ds->sortText(), QStringLiteral(""));
    EXPECT_EQ(ds->currentRow(), 0);
    EXPECT_EQ(column("tm"), list({"T1", "T2", "T3", "T4", "T5", "T6", "T7"}));
}

TEST_F(DataSetTest, FailedOpenThrowsAndLeavesTheListClosed)
{
    ds->open();
    ds->setStatement(QStringLiteral("select nosuch from books"));
    QSignalSpy opened(ds.get(), &DataSet::opened);
    try {
        ds->open();
        ADD_FAILURE() << "no error";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("nosuch"))) << e.text().toStdString();
    }
    EXPECT_FALSE(ds->isOpen());
    EXPECT_EQ(ds->recordCount(), 0);
    EXPECT_EQ(ds->fieldCount(), 0);
    EXPECT_EQ(ds->currentRow(), -1);
    EXPECT_EQ(opened.count(), 0);
    EXPECT_THROW(ds->setSortText(QStringLiteral("tm")), AppError);

    DataSet unconnected;
    unconnected.setStatement(QStringLiteral("select 1"));
    EXPECT_THROW(unconnected.open(), AppError);
    EXPECT_FALSE(unconnected.isOpen());
}

// ---- rows read straight from SQLite ---------------------------------------------------------

// A list on a SQLite connection reads its rows through SQLite's own interface; a connection
// that asks for another number policy reads them through the driver (which gives doubles for
// both). Every statement must give the same fields, types, rows and values either way, in a
// UTF-8 and in a UTF-16 database.
class SqliteRowsTest : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("rows.db"));
        direct = addConnection(path);
        viaDriver = addConnection(path);
        viaDriver.setNumericalPrecisionPolicy(QSql::HighPrecision);
        Sql::exec(direct, QStringLiteral("PRAGMA encoding = '%1'").arg(QLatin1String(GetParam())));
        Sql::exec(direct, QStringLiteral(
            "create table mixed (k integer primary key, vc varchar(20), i integer, n int,"
            " big bigint, num numeric(15,2), dec decimal(10,2), r real, dbl double, flt float,"
            " tx text, bl blob, flag boolean, day date, untyped, memo varchar(500))"));
        QSqlQuery encoding = Sql::exec(viaDriver, QStringLiteral("PRAGMA encoding"));
        ASSERT_TRUE(encoding.next());
        ASSERT_EQ(encoding.value(0).toString(), QLatin1String(GetParam()));
        const QString memo = QStringLiteral("'%1'").arg(QString(300, u'文'));
        const QStringList rows = {
            "null, null, null, null, null, null, null, null, null, null, null, null, null, null, null",
            "'abc', 1, 2, 9223372036854775807, 12.5, 12.5, 1.5, 0.1 + 0.2, 1e20, '中文', x'00ff', 1,"
            " '2024-05-01', 7, " + memo,
            "'', -1, 0, -9223372036854775808, 10, 3, 2, -0.0, 1e-7, '', x'', 0,"
            " '2024-05-01 12:30:00', 'text', ''",
            // Values that do not fit their column's declared type widen it.
            "'abc', 3.0, 'x', 5, 'n/a', 1234567.891, 'r', 'd', 2, 5, 'blob as text', 'yes',"
            " 20240501, x'41', " + memo,
            "5, 1.5, 4, 2.5, 7, null, 1, 2, 3, 2.5, 7, 2, null, 1.25, 'short'",
            "x'4142', 2, 12, 3, 0.125, 0.01, null, null, null, x'e4b8ad', null, null, null, null, null",
        };
        for (const QString &r : rows)
            Sql::exec(direct, QStringLiteral("insert into mixed (vc, i, n, big, num, dec, r, dbl,"
                                             " flt, tx, bl, flag, day, untyped, memo) values (%1)").arg(r));

        // Texts that repeat, long ones, and bytes that are not well-formed UTF-8.
        Sql::exec(direct, QStringLiteral("create table texts (v varchar(200), w text)"));
        const QStringList texts = {
            "'a'", "'a'", "'b'", "'a'", "''", "''", "null", "'a'", "'中文'", "'中文'",
            "'😀 𠀀'", "char(65533)", "char(65534)", "char(65535)", "'x' || char(65534) || 'y'",
            "cast(x'80' as text)", "cast(x'41c0af42' as text)", "cast(x'eda080' as text)",
            "cast(x'e4b8' as text)", "cast(x'f4908080' as text)", "cast(x'ff' as text)",
            "'a' || char(0) || 'b'", "'" + QString(64, u'书') + "'", "'" + QString(65, u'书') + "'",
            "'" + QString(70, u'x') + "'", "'" + QString(70, u'x') + "'", "'a'",
        };
        for (const QString &t : texts)
            Sql::exec(direct, QStringLiteral("insert into texts values (%1, %1)").arg(t));
    }

    void TearDown() override
    {
        direct = QSqlDatabase();
        viaDriver = QSqlDatabase();
        for (const QString &name : std::as_const(m_names))
            QSqlDatabase::removeDatabase(name);
    }

    QSqlDatabase addConnection(const QString &path)
    {
        static int counter = 0;
        m_names << QStringLiteral("sqlite_rows_%1").arg(++counter);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_names.last());
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        return db;
    }

    QSqlDatabase direct;
    QSqlDatabase viaDriver;

private:
    QTemporaryDir m_dir;
    QStringList m_names;
};

void expectSameLists(const DataSet &a, const DataSet &b)
{
    ASSERT_EQ(a.fieldCount(), b.fieldCount());
    for (int f = 0; f < a.fieldCount(); ++f) {
        EXPECT_EQ(a.field(f).name, b.field(f).name);
        EXPECT_EQ(a.field(f).type, b.field(f).type) << a.field(f).name.toStdString();
    }
    ASSERT_EQ(a.recordCount(), b.recordCount());
    for (int row = 0; row < a.recordCount(); ++row) {
        for (int f = 0; f < a.fieldCount(); ++f) {
            SCOPED_TRACE(QStringLiteral("row %1, %2").arg(row).arg(a.field(f).name).toStdString());
            EXPECT_EQ(a.isNull(row, f), b.isNull(row, f));
            const QVariant va = a.value(row, f);
            const QVariant vb = b.value(row, f);
            EXPECT_EQ(va.typeId(), vb.typeId());
            EXPECT_EQ(va, vb);
            const QString ta = a.text(row, f);
            const QString tb = b.text(row, f);
            EXPECT_EQ(ta, tb);
            EXPECT_EQ(ta.isNull(), tb.isNull());
        }
    }
}

TEST_P(SqliteRowsTest, OnlyTheDefaultNumberPolicyReadsStraightFromSqlite)
{
    const std::pair<QSqlDatabase, bool> cases[] = {{direct, true}, {viaDriver, false}};
    for (const auto &[db, straight] : cases) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        ASSERT_TRUE(q.exec(QStringLiteral("select * from mixed")));
        EXPECT_EQ(SqliteReader::canRead(q), straight);
    }
}

TEST_P(SqliteRowsTest, StatementsGiveTheSameListEitherWay)
{
    struct Case {
        const char *statement;
        QVariantList values;
        QList<QPair<QString, QVariant>> params;
        int rows;
    };
    const Case cases[] = {
        {"select * from mixed order by k", {}, {}, 6},
        {"select * from texts order by rowid", {}, {}, 27},
        {"select v, length(v) as n, v || '!' as e, hex(v) as h, typeof(v) as t from texts"
         " order by rowid", {}, {}, 27},
        {"select * from mixed where vc = ? or i = ? or num = ? or r = ? or tx = ? order by k",
         {QStringLiteral("abc"), 1, 12.5, QVariant(), QStringLiteral("O'Reilly")}, {}, 2},
        {"select k, ? as a, ? as b, ? as c, ? as d, ? as e, ? as f, ? as g from mixed order by k",
         {QStringLiteral("中文"), qlonglong(1) << 40, 2.5, true, QDate(2024, 5, 1),
          QByteArray("\x01\x02"), QString()}, {}, 6},
        {"select k, :a as a, :b as b, :a as again, :unset as u from mixed where k < :b"
         " order by k",
         {}, {{QStringLiteral("a"), QStringLiteral("O'Reilly")}, {QStringLiteral("b"), 4}}, 3},
        {"select * from mixed where 0", {}, {}, 0},
        {"select * from texts limit 1", {}, {}, 1},
        {"select 1 as a union all select 'x' union all select null union all select 2.5", {}, {}, 4},
        {"select null as a, 1.5 as b union all select 'x', 2 union all select 'x', 'y'", {}, {}, 3},
        // More rows than the sharing of texts is first judged on.
        {"with recursive s(n) as (select 1 union all select n + 1 from s where n < 9000)"
         " select n, 'cat' || (n % 7) as c, 'v' || n as v, n / 100.0 as d,"
         " case when n % 3 = 0 then null else substr('文书' || n, 1, 3 + n % 5) end as u,"
         " case when n > 8000 then 'late' end as late from s",
         {}, {}, 9000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.statement);
        DataSet a;
        DataSet b;
        a.setConnection(direct);
        b.setConnection(viaDriver);
        for (DataSet *ds : {&a, &b}) {
            ds->setStatement(QString::fromUtf8(c.statement), c.values);
            for (const auto &[name, value] : c.params)
                ds->setParam(name, value);
            ds->open();
        }
        EXPECT_EQ(a.recordCount(), c.rows);
        expectSameLists(a, b);
    }
}

TEST_P(SqliteRowsTest, RowThatCannotBeFetchedFailsTheSameEitherWay)
{
    QString texts[2];
    int i = 0;
    for (const QSqlDatabase &db : {direct, viaDriver}) {
        DataSet ds;
        ds.setConnection(db);
        // The third row overflows.
        ds.setStatement(QStringLiteral(
            "select case when k > 2 then abs(-9223372036854775808) else k end as v from mixed"
            " order by k"));
        try {
            ds.open();
            ADD_FAILURE() << "no error";
        } catch (const AppError &e) {
            texts[i] = e.text();
        }
        EXPECT_FALSE(ds.isOpen());
        EXPECT_EQ(ds.fieldCount(), 0);
        ++i;
    }
    EXPECT_TRUE(texts[0].contains(QStringLiteral("integer overflow"))) << texts[0].toStdString();
    EXPECT_EQ(texts[0], texts[1]);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SqliteRowsTest, ::testing::Values("UTF-8", "UTF-16le"));

// The plain text of a number in a list is NumberText::plain() of it.
TEST(DataSetTypes, NumberTextIsThePlainNumber)
{
    const QString name = QStringLiteral("number_text_test");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
        Sql::exec(db, QStringLiteral("create table n (v numeric(15,2))"));
        const double edges[] = {
            0, -0.0, 0.01, 0.05, 0.1, 0.5, 1.005, 2.675, 12.5, -12.5, 99.99, 1234.56,
            0.1 + 0.2, 1.1 * 1.1, 1.0 / 3, -2.0 / 3, 0.001, 0.015, 0.125, 1e-7, -1e-300,
            123456789012.34, 999999999999.99, 9999999999999.99, 1e13, 10000000000000.01,
            12345678901234.5, 1e15, 1e20, -1e20, 4503599627370496.5, 1e300,
        };
        Sql::exec(db, QStringLiteral("begin"));
        for (double v : edges)
            Sql::exec(db, QStringLiteral("insert into n values (?)"), {v});
        Sql::exec(db, QStringLiteral(
            "insert into n with recursive s(c) as (select -20000 union all select c + 3 from s"
            " where c < 20000) select c / 100.0 from s"));
        QRandomGenerator random(7);
        for (int i = 0; i < 3000; ++i) {
            const double scale = std::pow(10.0, random.bounded(16));
            const double cents = std::round(random.generateDouble() * scale) / 100;
            Sql::exec(db, QStringLiteral("insert into n values (?), (?)"),
                      {cents, (random.generateDouble() - 0.5) * scale});
        }
        Sql::exec(db, QStringLiteral("commit"));

        DataSet ds;
        ds.setConnection(db);
        ds.setStatement(QStringLiteral("select v from n order by rowid"));
        ds.open();
        ASSERT_EQ(ds.field(0).type, FieldType::Decimal);
        ASSERT_GT(ds.recordCount(), 19000);
        for (int row = 0; row < ds.recordCount(); ++row) {
            const double v = ds.value(row, 0).toDouble();
            ASSERT_EQ(ds.text(row, 0), NumberText::plain(v)) << QString::number(v, 'g', 17).toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace
