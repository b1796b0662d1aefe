// The printed list: the layout file, the texts it prints, and the pages it paints.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "catalog/list_report_dialog.h"
#include "catalog/list_report_painter.h"
#include "catalog/report_layout.h"
#include "common/app_error.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString Minimal = QStringLiteral("[column]\nfield = sm\ncaption = 书名\n");

ReportLayout parse(const QString &text)
{
    return ReportLayout::parse(text, QStringLiteral("test.layout"));
}

TEST(ReportLayoutFile, ShippedLayoutReadsAsThePublisherList)
{
    const ReportLayout layout = ReportLayout::load(QStringLiteral(ZD_SOURCE_DIR "/dist/bin/Book.layout"));
    EXPECT_EQ(layout.orientation, ReportLayout::Orientation::Landscape);
    QStringList fields;
    for (const ReportColumn &c : layout.columns)
        fields << c.field;
    EXPECT_EQ(fields, (QStringList{"#", "cbmc", "sm", "ztmc", "dj", "zbh", "isbn", "yc", "cbrq", ""}));
    EXPECT_EQ(layout.columns[4].format, QStringLiteral("#,.00;#,.00;0"));
    EXPECT_EQ(layout.columns[4].align, Qt::AlignRight);
    EXPECT_TRUE(layout.columns[2].wrap);
    EXPECT_EQ(layout.footer.center, QStringLiteral("第 {page} 页 / 共 {pages} 页"));
    EXPECT_TRUE(layout.hasTotals);
    // A4 landscape less its margins: the columns fill the line without being narrowed.
    EXPECT_LE(layout.totalWidthMm(), 297 - layout.marginsMm.left() - layout.marginsMm.right());
}

TEST(ReportLayoutFile, ValuesCommentsAndDefaults)
{
    const ReportLayout layout = parse(QStringLiteral(
        "\xFEFF# comment\r\n"
        "[PAGE]\r\n"
        "Size = a3   ; comment after a value\r\n"
        "margins = 10, 20, 30, 40\r\n"
        "font = Noto Serif CJK SC, 10.5\r\n"
        "stripe = #efefef\r\n"
        "header fill = none\r\n"
        "[column]\r\n"
        "field = #\r\n"
        "[column]\r\n"
        "field = dj\r\n"
        "format = #,.00;#,.00;0\r\n"
        "total = sum\r\n"));
    EXPECT_EQ(layout.pageSize, QStringLiteral("A3"));
    EXPECT_EQ(layout.marginsMm, QMarginsF(10, 20, 30, 40));
    EXPECT_EQ(layout.fontFamily, QStringLiteral("Noto Serif CJK SC"));
    EXPECT_DOUBLE_EQ(layout.fontSize, 10.5);
    EXPECT_EQ(layout.stripeColor, QStringLiteral("#EFEFEF"));
    EXPECT_TRUE(layout.headerFill.isEmpty());
    ASSERT_EQ(layout.columns.size(), 2);
    EXPECT_EQ(layout.columns[0].field, QStringLiteral("#"));
    EXPECT_EQ(layout.columns[1].format, QStringLiteral("#,.00;#,.00;0"));
    EXPECT_EQ(layout.columns[1].total, ReportColumn::Total::Sum);
    EXPECT_FALSE(layout.hasTotals);
    EXPECT_EQ(layout.orientation, ReportLayout::Orientation::Portrait);
}

struct FaultCase {
    const char *text;
    int line;
};

class ReportLayoutFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ReportLayoutFault, NamesTheLine)
{
    try {
        parse(QString::fromUtf8(GetParam().text));
        ADD_FAILURE() << "accepted: " << GetParam().text;
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("test.layout 第 %1 行").arg(GetParam().line)))
            << e.text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReportLayoutFault,
    ::testing::Values(FaultCase{"size = A4\n", 1},                                // outside a section
                      FaultCase{"[page]\n\n[paper]\n", 3},                        // unknown section
                      FaultCase{"[page]\nsize A4\n", 2},                          // no '='
                      FaultCase{"[page]\nsize = A9\n", 2},
                      FaultCase{"[page]\nmargins = 1, 2, 3\n", 2},
                      FaultCase{"[page]\nstripe = grey\n", 2},
                      FaultCase{"[page]\ncolour = #FFFFFF\n", 2},                 // unknown key
                      FaultCase{"[page]\n[title]\n[page]\n", 3},                  // twice
                      FaultCase{"[column]\nfield = sm\nwidth = 0\n", 3},
                      FaultCase{"[column]\nfield = sm\nfield = zz\n", 3},
                      FaultCase{"[column]\nfield = dj\nformat = money\n", 3},
                      FaultCase{"[column]\nfield = sm\n[column]\nwidth = 5\n", 3},  // neither field nor caption
                      FaultCase{"[page]\nsize = A4\n# no columns\n", 4}));

TEST(ReportLayoutFile, MissingFileNamesIt)
{
    try {
        ReportLayout::load(QStringLiteral("/nonexistent/Book.layout"));
        ADD_FAILURE();
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("/nonexistent/Book.layout")));
    }
}

TEST(ReportText, ExpandsPlaceholders)
{
    const ReportText::Context ctx{2, 5, 120, QDateTime(QDate(2024, 3, 9), QTime(8, 5)),
                                  {{QStringLiteral("dhdh"), QStringLiteral("2026001")}}};
    EXPECT_EQ(ReportText::expand(QStringLiteral("第 {page} 页 / 共 {pages} 页"), ctx),
              QStringLiteral("第 2 页 / 共 5 页"));
    EXPECT_EQ(ReportText::expand(QStringLiteral("{count} 种 {date} {time} {dhdh} {other}"), ctx),
              QStringLiteral("120 种 2024-03-09 08:05 2026001 {other}"));
}

TEST(ReportLayoutFile, LinesUnderTheTitleKeepTheirOrder)
{
    const ReportLayout layout = parse(QStringLiteral("[line]\nleft = 一\nright = 二\n[line]\ncenter = 三\n")
                                      + Minimal);
    ASSERT_EQ(layout.lines.size(), 2);
    EXPECT_EQ(layout.lines[0].left, QStringLiteral("一"));
    EXPECT_EQ(layout.lines[0].right, QStringLiteral("二"));
    EXPECT_EQ(layout.lines[1].center, QStringLiteral("三"));
    EXPECT_THROW(parse(QStringLiteral("[line]\nleft = 一\nleft = 二\n") + Minimal), AppError);
}

class ListReportTest : public CatalogFixture {
protected:
    void addTitles(int count)
    {
        Sql::Transaction t(db);
        for (int i = 1; i <= count; ++i) {
            QString title = QStringLiteral("大学物理学（第%1版）").arg(i % 7 + 1);
            if (i % 5 == 0)   // some long titles, to wrap over several lines
                title += QStringLiteral("——普通高等教育“十一五”国家级规划教材配套学习指导与习题解答");
            insertBook({{"tm", QStringLiteral("97870400%1").arg(i, 4, 10, QChar(u'0'))},
                        {"zbh", QStringLiteral("Z%1").arg(i, 4, 10, QChar(u'0'))},
                        {"sm", title},
                        {"cbmc", i % 3 ? QStringLiteral("高等教育出版社") : QStringLiteral("清华大学出版社")},
                        {"ztmc", QStringLiteral("物理学类")},
                        {"dj", i % 4 ? QVariant(20 + i * 0.5) : QVariant()},
                        {"isbn", QStringLiteral("978-7-04-%1-X").arg(i, 6, 10, QChar(u'0'))},
                        {"yc", QStringLiteral("1")},
                        {"cbrq", QStringLiteral("2023-08")}});
        }
        t.commit();
    }
    ReportLayout shipped() const
    {
        return ReportLayout::load(QStringLiteral(ZD_SOURCE_DIR "/dist/bin/Book.layout"));
    }
    static int pdfPages(const QString &path)
    {
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (pdfinfo.isEmpty())
            return -1;
        QProcess p;
        p.start(pdfinfo, {path});
        p.waitForFinished(30000);
        const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(QString::fromUtf8(p.readAllStandardOutput()));
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    }
};

TEST_F(ListReportTest, CellsShowNumbersBlanksAndFormats)
{
    insertBook({{"tm", "1"}, {"zbh", "Z1"}, {"sm", "上\r\n下"}, {"dj", 1234.5}});
    insertBook({{"tm", "2"}, {"zbh", "Z2"}, {"sm", "书"}, {"dj", 0.5}});
    insertBook({{"tm", "3"}, {"zbh", "Z3"}});
    const auto list = openBooks();
    const auto column = [](const QString &field) {
        ReportColumn c;
        c.field = field;
        return c;
    };
    const ReportColumn number = column(QStringLiteral("#"));
    const ReportColumn blank = column(QString());
    ReportColumn price = column(QStringLiteral("dj"));
    price.format = QStringLiteral("#,.00;#,.00;0");
    ReportColumn title = column(QStringLiteral("sm"));
    EXPECT_EQ(ReportText::cell(*list, 2, number), QStringLiteral("3"));
    EXPECT_EQ(ReportText::cell(*list, 0, blank), QString());
    EXPECT_EQ(ReportText::cell(*list, 0, price), QStringLiteral("1,234.50"));
    EXPECT_EQ(ReportText::cell(*list, 2, price), QString());
    EXPECT_EQ(ReportText::cell(*list, 0, title), QStringLiteral("上 下"));
    title.wrap = true;
    EXPECT_EQ(ReportText::cell(*list, 0, title), QStringLiteral("上\r\n下"));

    price.total = ReportColumn::Total::Sum;
    EXPECT_EQ(ReportText::total(*list, price), QStringLiteral("1,235.00"));
    price.total = ReportColumn::Total::Count;
    EXPECT_EQ(ReportText::total(*list, price), QStringLiteral("2"));
}

TEST_F(ListReportTest, PdfOfTheShippedLayoutHasEveryPage)
{
    addTitles(150);
    const auto list = openBooks();
    const QString path = tree.path(QStringLiteral("list.pdf"));

    const int pages = ListReportDialog::savePdf(path, *list, shipped());

    EXPECT_GT(pages, 2);   // 150 rows do not fit on two landscape pages
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    const int counted = pdfPages(path);
    if (counted >= 0) {
        EXPECT_EQ(counted, pages);
    }
}

TEST_F(ListReportTest, MoreRowsNeedMorePagesAndAnEmptyListOne)
{
    const ReportLayout layout = shipped();
    const auto pagesOf = [&](int titles) {
        Sql::exec(db, QStringLiteral("delete from debooks"));
        addTitles(titles);
        const auto list = openBooks();
        return ListReportDialog::savePdf(tree.path(QStringLiteral("n.pdf")), *list, layout);
    };
    EXPECT_EQ(pagesOf(0), 1);
    const int few = pagesOf(20);
    const int many = pagesOf(200);
    EXPECT_EQ(few, 1);
    EXPECT_GT(many, few);
}

TEST_F(ListReportTest, UnwritablePdfTargetThrowsAndLeavesNoFile)
{
    addTitles(3);
    const auto list = openBooks();
    QDir(tree.root()).mkpath(QStringLiteral("out/taken.pdf"));
    EXPECT_THROW(ListReportDialog::savePdf(tree.path(QStringLiteral("out/taken.pdf")), *list, shipped()),
                 AppError);
    EXPECT_EQ(QDir(tree.path(QStringLiteral("out"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("taken.pdf")});
}

TEST_F(ListReportTest, PrintWithoutRowsShowsThePlainNotice)
{
    const auto empty = openBooks(QStringLiteral("where 1=0"));
    DataSet closed;
    for (const DataSet *list : {static_cast<const DataSet *>(empty.get()), static_cast<const DataSet *>(&closed)}) {
        ScriptedPrompter prompter;
        ListReportDialog::run(nullptr, *list, prompter);
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].text, QStringLiteral("没有可以打印的数据"));
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Plain);
    }
}

TEST_F(ListReportTest, PrintReadsTheLayoutBesideTheProgram)
{
    addTitles(3);
    const auto list = openBooks();
    ScriptedPrompter prompter;
    EXPECT_THROW(ListReportDialog::run(nullptr, *list, prompter), AppError);   // no Book.layout yet

    tree.copyFromDist(QStringLiteral("bin/Book.layout"));
    int previewPages = -1;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<ListReportDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            previewPages = preview->pageCount();
        dialog->reject();
    });
    ListReportDialog::run(nullptr, *list, prompter);
    EXPECT_EQ(previewPages, 1);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ListReportTest, PreviewSavesAPdfThroughThePrompter)
{
    addTitles(3);
    const auto list = openBooks();
    ScriptedPrompter prompter;
    prompter.saveAnswers.enqueue(tree.path(QStringLiteral("saved.pdf")));
    ListReportDialog dialog(*list, shipped(), &prompter);
    ASSERT_NE(dialog.pdfAction(), nullptr);
    dialog.pdfAction()->trigger();
    ASSERT_EQ(prompter.saveRequests.size(), 1);
    EXPECT_EQ(prompter.saveRequests[0].defaultSuffix, QStringLiteral("pdf"));
    QFile pdf(tree.path(QStringLiteral("saved.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

} // namespace
