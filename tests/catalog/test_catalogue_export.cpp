// The catalogue list export: bytes of both layouts, the save dialog, cancel and failure.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "catalog/catalogue_export.h"
#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "data/dataset.h"
#include "data/sql_helper.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

using CatalogueExport::Layout;
using CatalogueExport::Outcome;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CatalogueExportTest : public CatalogFixture {
protected:
    void SetUp() override
    {
        // zbh orders the list.
        insertBook({{"tm", "9787040001"}, {"zbh", "A-002"}, {"sm", "高等数学（第七版）"},
                    {"zz", "同济大学数学系"}, {"cbmc", "高等教育出版社"}, {"isbn", "978-7-04-039663-8"},
                    {"dj", 12.5}, {"ztmc", "数学类"}});
        // Nulls become empty fields; a TAB inside a value is written as it is.
        insertBook({{"tm", "9787040002"}, {"zbh", "A-001"}, {"sm", "线性代数\t习题集"},
                    {"cbmc", "清华大学出版社"}, {"dj", 1234}});
        insertBook({{"tm", "9787040003"}, {"zbh", "A-003"}, {"sm", "大学英语"}, {"zz", "李华"},
                    {"cbmc", "外语教学与研究出版社"}, {"isbn", "7-5600"}, {"ztmc", "英语"}});
    }
    QString target(const QString &name = QStringLiteral("list.txt")) const
    {
        return tree.path(name);
    }
};

TEST_F(CatalogueExportTest, LayoutAIsExactGbkWithCrLfAfterEveryLine)
{
    const auto list = openBooks();
    const QByteArray bytes = CatalogueExport::render(*list, Layout::A);

    // "书名\t作者" in GBK: the file is GBK, not UTF-8.
    EXPECT_TRUE(bytes.startsWith("\xCA\xE9\xC3\xFB\t\xD7\xF7\xD5\xDF\t")) << bytes.left(16).toHex().toStdString();
    const QString expected = QStringLiteral(
        "书名\t作者\t出版社名称\tISBN\t估定价\t本季征订序号\r\n"
        "线性代数\t习题集\t\t清华大学出版社\t\t1234\tA-001\r\n"
        "高等数学（第七版）\t同济大学数学系\t高等教育出版社\t978-7-04-039663-8\t12.5\tA-002\r\n"
        "大学英语\t李华\t外语教学与研究出版社\t7-5600\t\tA-003\r\n");
    EXPECT_EQ(bytes, Gbk::encode(expected));
}

TEST_F(CatalogueExportTest, LayoutBHasSevenCaptionsAndSixValuesWithoutTrailingTab)
{
    const auto list = openBooks(QStringLiteral("where tm='9787040001'"));
    const QByteArray bytes = CatalogueExport::render(*list, Layout::B);
    const QString text = Gbk::decode(bytes);

    EXPECT_EQ(text, QStringLiteral("版别\t书名\t分级适用专业\t估定价\t征订序号\tISBN\t预定数\r\n"
                                   "高等教育出版社\t高等数学（第七版）\t数学类\t12.5\tA-002\t978-7-04-039663-8\r\n"));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);   // header, the one title, nothing after the last CR LF
    EXPECT_EQ(lines[0].split(u'\t').size(), 7);
    EXPECT_EQ(lines[1].split(u'\t').size(), 6);
}

TEST_F(CatalogueExportTest, RowsFollowTheListsCurrentSort)
{
    const auto list = openBooks();
    list->setSortText(QStringLiteral("zbh DESC"));
    const QStringList lines = Gbk::decode(CatalogueExport::render(*list, Layout::B))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("A-003")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("A-001")));
}

TEST_F(CatalogueExportTest, ListWithoutAColumnOfTheLayoutIsRefused)
{
    DataSet list;
    list.setConnection(db);
    list.setStatement(QStringLiteral("select tm,sm from qrydebooks"));
    list.open();
    EXPECT_THROW(CatalogueExport::render(list, Layout::A), AppError);
}

TEST_F(CatalogueExportTest, ExportAsksForTheFileWritesItAndEndsOnTheLastRow)
{
    const auto list = openBooks();
    ScriptedPrompter prompter;
    prompter.saveAnswers.enqueue(target(QStringLiteral("out.xls")));

    EXPECT_EQ(CatalogueExport::exportCatalogueList(*list, Layout::A, prompter), Outcome::Written);

    ASSERT_EQ(prompter.saveRequests.size(), 1);
    // The workbook is offered first; the text stays for systems that read it.
    EXPECT_EQ(prompter.saveRequests[0].filters,
              QStringLiteral("Excel文件(*.xlsx)|*.xlsx|文本文件(*.txt)|*.txt"));
    EXPECT_EQ(prompter.saveRequests[0].defaultSuffix, QStringLiteral("xlsx"));
    EXPECT_TRUE(prompter.shown.isEmpty());
    // Only an ".xlsx" name gets the workbook: an ".xls" name typed by hand gets the text.
    EXPECT_EQ(readAll(target(QStringLiteral("out.xls"))), CatalogueExport::render(*list, Layout::A));
    EXPECT_EQ(list->currentRow(), 2);
}

TEST_F(CatalogueExportTest, ClosedOrEmptyListShowsThePlainNoticeAndAsksNothing)
{
    auto empty = openBooks(QStringLiteral("where 1=0"));
    DataSet closed;
    for (DataSet *list : {empty.get(), &closed}) {
        ScriptedPrompter prompter;
        prompter.saveAnswers.enqueue(target());
        EXPECT_EQ(CatalogueExport::exportCatalogueList(*list, Layout::B, prompter), Outcome::NoData);
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].text, QStringLiteral("没有可以导出的数据"));
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Plain);
        EXPECT_TRUE(prompter.saveRequests.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(target()));
}

TEST_F(CatalogueExportTest, CancelOrAbandonWritesNothing)
{
    const auto list = openBooks();
    list->first();

    ScriptedPrompter cancelling;   // no answer queued: the dialog is cancelled
    EXPECT_EQ(CatalogueExport::exportCatalogueList(*list, Layout::A, cancelling), Outcome::Cancelled);

    // Stopped at the first count, as text and as workbook.
    for (const QString &name : {QStringLiteral("list.txt"), QStringLiteral("list.xlsx")}) {
        ScriptedPrompter answering;
        answering.saveAnswers.enqueue(target(name));
        answering.progressLog.stopAt = 0;
        EXPECT_EQ(CatalogueExport::exportCatalogueList(*list, Layout::A, answering), Outcome::Cancelled);
        EXPECT_TRUE(answering.progressLog.stopped);
        EXPECT_TRUE(answering.progressLog.cancellable);
        EXPECT_FALSE(QFile::exists(target(name))) << name.toStdString();
    }
    EXPECT_EQ(list->currentRow(), 0);
}

TEST_F(CatalogueExportTest, UnwritableTargetThrowsAndLeavesNoFile)
{
    const auto list = openBooks();
    list->first();
    QDir(tree.root()).mkpath(QStringLiteral("out/taken.txt"));   // a folder where the file should go
    const QStringList targets = {tree.path(QStringLiteral("out/taken.txt")),
                                 tree.path(QStringLiteral("missing/list.txt"))};
    for (const QString &path : targets) {
        ScriptedPrompter prompter;
        prompter.saveAnswers.enqueue(path);
        EXPECT_THROW(CatalogueExport::exportCatalogueList(*list, Layout::A, prompter), AppError) << path.toStdString();
    }
    EXPECT_EQ(QDir(tree.path(QStringLiteral("out"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("taken.txt")});
    EXPECT_FALSE(QFile::exists(tree.path(QStringLiteral("missing"))));
    EXPECT_EQ(list->currentRow(), 0);
}

TEST_F(CatalogueExportTest, ExistingFileIsReplacedWhole)
{
    const auto list = openBooks(QStringLiteral("where tm='9787040003'"));
    tree.writeFile(QStringLiteral("list.txt"), QByteArray(10000, 'x'));
    ScriptedPrompter prompter;
    prompter.saveAnswers.enqueue(target());
    CatalogueExport::exportCatalogueList(*list, Layout::A, prompter);
    EXPECT_EQ(readAll(target()), CatalogueExport::render(*list, Layout::A));
}

} // namespace

namespace {

// A list longer than the blocks the export renders in: the bytes are what row-by-row writing
// gives, with characters outside the BMP and empty fields at and around the block edges.
// The file is GB18030: titles outside GBK are written in their four-byte forms and come back
// unchanged when the file is read; GBK text keeps its GBK bytes.
TEST_F(CatalogueExportTest, TextOutsideGbkSurvivesTheFile)
{
    const QString title = QStringLiteral("康熙") + QString::fromUcs4(U"\U00020000") + QStringLiteral("字典");
    const QString author = QString::fromUcs4(U"\U0001F600") + QStringLiteral("李华");
    insertBook({{"tm", "9787040009"}, {"zbh", "A-000"}, {"sm", title}, {"zz", author},
                {"cbmc", "中华书局"}, {"ztmc", "辞书"}});
    const auto list = openBooks(QStringLiteral("where tm='9787040009'"));
    for (Layout layout : {Layout::A, Layout::B}) {
        const QString path = target();
        ASSERT_TRUE(CatalogueExport::writeFile(path, *list, layout));
        const QByteArray bytes = readAll(path);
        EXPECT_TRUE(bytes.contains("\xBF\xB5\xCE\xF5\x95\x32\x82\x36\xD7\xD6\xB5\xE4"))
            << bytes.toHex().toStdString();
        QStringDecoder gb18030("GB18030");
        const QStringList lines = QString(gb18030.decode(bytes)).split(QStringLiteral("\r\n"));
        EXPECT_FALSE(gb18030.hasError());
        ASSERT_EQ(lines.size(), 3);
        const QStringList fields = lines[1].split(u'\t');
        if (layout == Layout::A) {
            EXPECT_EQ(fields.mid(0, 3), (QStringList{title, author, QStringLiteral("中华书局")}));
            EXPECT_TRUE(bytes.contains("\t\x94\x39\xFC\x36\xC0\xEE\xBB\xAA\t"));
        } else {
            EXPECT_EQ(fields.mid(0, 3), (QStringList{QStringLiteral("中华书局"), title, QStringLiteral("辞书")}));
        }
    }
}

TEST(CatalogueExportLong, ManyRowsComeOutAsTheyWouldOneByOne)
{
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    const int rows = 4500;
    QByteArray expected = Gbk::encode(QStringLiteral("书名\t作者\t出版社名称\tISBN\t估定价\t本季征订序号\r\n"));
    {
        Sql::Transaction tx(db);
        for (int i = 0; i < rows; ++i) {
            const QString zbh = QStringLiteral("%1").arg(i, 6, 10, QChar(u'0'));
            const QString sm = QStringLiteral("教材%1").arg(i) + (i % 1000 == 999 ? QString::fromUcs4(U"\U00020000") : QString());
            const QVariant zz = i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("作者%1").arg(i % 17));
            const QVariant dj = i % 7 == 0 ? QVariant() : QVariant((i % 50) + 0.25);
            Sql::exec(db, QStringLiteral("insert into debooks (tm,zbh,sm,zz,cbmc,isbn,dj) values (?,?,?,?,?,?,?)"),
                      {QStringLiteral("T%1").arg(i), zbh, sm, zz, QStringLiteral("出版社%1").arg(i % 5),
                       QStringLiteral("978-%1").arg(i), dj});
            const QString line = sm + u'\t' + zz.toString() + u'\t' + QStringLiteral("出版社%1").arg(i % 5) + u'\t'
                                 + QStringLiteral("978-%1").arg(i) + u'\t'
                                 + (dj.isNull() ? QString() : QString::number(dj.toDouble(), 'g', 15)) + u'\t' + zbh
                                 + QStringLiteral("\r\n");
            expected += Gbk::encode(line);
        }
        tx.commit();
    }
    DataSet list;
    list.setConnection(db);
    list.setStatement(QStringLiteral("select * from qrydebooks order by zbh"));
    list.open();
    ASSERT_EQ(list.recordCount(), rows);

    ProgressLog log;
    RecordingProgress progress(log);
    const QByteArray bytes = CatalogueExport::render(list, Layout::A, {}, progress);
    EXPECT_EQ(bytes.size(), expected.size());
    EXPECT_TRUE(bytes == expected);
    EXPECT_EQ(log.totals, QList<qint64>{rows});
    EXPECT_EQ(log.steps, (QList<qint64>{2000, 4000, rows}));

    // Stopped half way: nothing comes out.
    log = ProgressLog();
    log.stopAt = 2000;
    EXPECT_TRUE(CatalogueExport::render(list, Layout::A, {}, progress).isEmpty());
    EXPECT_EQ(log.steps, QList<qint64>{2000});
}

} // namespace
