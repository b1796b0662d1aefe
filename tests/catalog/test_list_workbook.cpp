// The list export as a workbook, read back by LibreOffice Calc: serial numbers and ISBNs stay
// text with their leading zeros, prices are numbers, empty values blank cells, rows in the
// list's order, in both layouts; a stopped or failed export leaves no file.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "catalog/catalogue_export.h"
#include "catalog/list_workbook.h"
#include "common/app_error.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

using CatalogueExport::Layout;

class ListWorkbookTest : public CatalogFixture {
protected:
    void SetUp() override
    {
        insertBook({{"tm", "T1"}, {"zbh", "000123"}, {"sm", "高等数学（第七版）"}, {"zz", "同济大学数学系"},
                    {"cbmc", "高等教育出版社"}, {"isbn", "9787040396638"}, {"dj", 12.5}, {"ztmc", "数学类"}});
        // A title that looks like a formula stays text; no author, no price.
        insertBook({{"tm", "T2"}, {"zbh", "000124"}, {"sm", "=1+1 趣味数学"}, {"cbmc", "科学出版社"},
                    {"isbn", "0070001"}});
        insertBook({{"tm", "T3"}, {"zbh", "0100"}, {"sm", "大学英语"}, {"zz", "李华"},
                    {"cbmc", "外语教学与研究出版社"}, {"isbn", "7-5600"}, {"dj", 1234}, {"ztmc", "英语"}});
    }

    // The workbook's cells as Calc reads them, one line per row: text cells quoted, numbers
    // bare, empty cells empty.
    QStringList calcRows(const QString &workbook)
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty()) {
            ADD_FAILURE() << "soffice (LibreOffice Calc) is not installed; run scripts/deps.sh";
            return {};
        }
        const QString out = tree.path(QStringLiteral("calc"));
        QProcess calc;
        calc.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + tree.path(QStringLiteral("profile")),
                             QStringLiteral("--headless"), QStringLiteral("--norestore"),
                             QStringLiteral("--convert-to"),
                             // UTF-8, every text cell quoted, values as stored (not as shown)
                             QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,false"),
                             QStringLiteral("--outdir"), out, workbook});
        if (!calc.waitForFinished(300000) || calc.exitCode() != 0) {
            ADD_FAILURE() << "soffice failed: " << calc.readAllStandardError().toStdString();
            return {};
        }
        QFile csv(out + u'/' + QFileInfo(workbook).completeBaseName() + QStringLiteral(".csv"));
        if (!csv.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "Calc wrote no CSV for " << workbook.toStdString();
            return {};
        }
        return QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
};

TEST_F(ListWorkbookTest, CalcReadsTextAsTextAndPricesAsNumbers)
{
    const auto list = openBooks();   // in zbh order, as text
    const struct {
        Layout layout;
        const char *name;
        QStringList rows;
    } cases[] = {
        {Layout::A, "a.xlsx",
         {QStringLiteral(R"("书名","作者","出版社名称","ISBN","估定价","本季征订序号")"),
          QStringLiteral(R"("高等数学（第七版）","同济大学数学系","高等教育出版社","9787040396638",12.5,"000123")"),
          QStringLiteral(R"("=1+1 趣味数学",,"科学出版社","0070001",,"000124")"),
          QStringLiteral(R"("大学英语","李华","外语教学与研究出版社","7-5600",1234,"0100")")}},
        {Layout::B, "b.xlsx",
         {QStringLiteral(R"("版别","书名","分级适用专业","估定价","征订序号","ISBN","预定数")"),
          QStringLiteral(R"("高等教育出版社","高等数学（第七版）","数学类",12.5,"000123","9787040396638",)"),
          QStringLiteral(R"("科学出版社","=1+1 趣味数学",,,"000124","0070001",)"),
          QStringLiteral(R"("外语教学与研究出版社","大学英语","英语",1234,"0100","7-5600",)")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = tree.path(QString::fromLatin1(c.name));
        ASSERT_TRUE(ListWorkbook::write(path, *list, c.layout));
        EXPECT_EQ(calcRows(path), c.rows);
    }
}

TEST_F(ListWorkbookTest, IsbnsAsNormalisedIsbn13WhenAsked)
{
    insertBook({{"tm", "T4"}, {"zbh", "0200"}, {"sm", "线性代数"}, {"isbn", "7-04-012345-2"}});
    const auto list = openBooks();
    const QString path = tree.path(QStringLiteral("isbn13.xlsx"));
    ASSERT_TRUE(ListWorkbook::write(path, *list, Layout::B, {true}));
    QStringList isbns;
    for (const QString &row : calcRows(path))
        isbns << row.section(u',', 5, 5);
    // Valid ISBNs normalised; what is no ISBN stays as it is.
    EXPECT_EQ(isbns, (QStringList{R"("ISBN")", R"("9787040396638")", R"("0070001")", R"("7-5600")",
                                  R"("9787040123456")"}));
}

TEST_F(ListWorkbookTest, TheExportButtonWritesTheWorkbookForAnXlsxName)
{
    const auto list = openBooks(QStringLiteral("where tm='T1'"));
    ScriptedPrompter prompter;
    prompter.saveAnswers.enqueue(tree.path(QStringLiteral("list.XLSX")));
    EXPECT_EQ(CatalogueExport::exportCatalogueList(*list, Layout::A, prompter),
              CatalogueExport::Outcome::Written);
    EXPECT_EQ(prompter.progressLog.totals, QList<qint64>{1});
    QFile file(tree.path(QStringLiteral("list.XLSX")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(4) == QByteArray("PK\x03\x04", 4));   // a zip package, not text
    file.close();
    EXPECT_EQ(calcRows(file.fileName()).value(1),
              QStringLiteral(R"("高等数学（第七版）","同济大学数学系","高等教育出版社","9787040396638",12.5,"000123")"));
}

TEST_F(ListWorkbookTest, StoppedOrFailedWritesNoFileAndKeepsTheOldOne)
{
    // Enough rows for the progress to be asked half way.
    Sql::Transaction t(db);
    for (int i = 0; i < 4100; ++i)
        insertBook({{"tm", QStringLiteral("M%1").arg(i)}, {"zbh", QStringLiteral("%1").arg(i, 6, 10, QChar(u'0'))},
                    {"sm", QStringLiteral("教材%1").arg(i)}, {"dj", i}});
    t.commit();
    const auto list = openBooks();
    const QString path = tree.path(QStringLiteral("old.xlsx"));
    tree.writeFile(QStringLiteral("old.xlsx"), "the old file");

    ProgressLog log;
    log.stopAt = 2000;
    RecordingProgress progress(log);
    EXPECT_FALSE(ListWorkbook::write(path, *list, Layout::B, {}, progress));
    EXPECT_EQ(log.steps, QList<qint64>{2000});
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("the old file"));

    DataSet narrow;
    narrow.setConnection(db);
    narrow.setStatement(QStringLiteral("select tm,sm from qrydebooks"));
    narrow.open();
    EXPECT_THROW(ListWorkbook::write(path, narrow, Layout::A), AppError);
    EXPECT_THROW(ListWorkbook::write(tree.path(QStringLiteral("missing/list.xlsx")), *list, Layout::A), AppError);
    EXPECT_FALSE(QFile::exists(tree.path(QStringLiteral("missing"))));
    EXPECT_EQ(QDir(tree.root()).entryList({QStringLiteral("*.xlsx*")}, QDir::Files), QStringList{QStringLiteral("old.xlsx")});
}

} // namespace
