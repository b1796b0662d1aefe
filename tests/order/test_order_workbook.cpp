// The order workbook as LibreOffice Calc reads it: cells, number formats, the bold totals row,
// the totals it computes itself from the SUM formulas, fitted column widths; replacing a file.
#include "order_samples.h"

#include "common/app_error.h"
#include "order/order_workbook.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct SheetCell {
    QString text;     // as shown
    QString format;   // number format ("@", "0_ ", "0.00_ "), empty for none
    QString value;    // the number behind a numeric cell
    bool bold = false;
};
using Sheet = QList<QList<SheetCell>>;   // rows of cells, both 0-based

QString stripTags(QString html)
{
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html;
}

// Calc's HTML export: one <tr> per row, one <td> per cell with sdval (number) and sdnum
// ("1033;0;format") attributes, bold as <b>, column widths as <colgroup width>.
Sheet parseHtml(const QString &html, QList<int> *widths)
{
    static const QRegularExpression rowRe(QStringLiteral("<tr>(.*?)</tr>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cellRe(QStringLiteral("<td([^>]*)>(.*?)</td>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression numRe(QStringLiteral("sdnum=\"\\d+;\\d+;([^\"]*)\""));
    static const QRegularExpression valRe(QStringLiteral("sdval=\"([^\"]*)\""));
    static const QRegularExpression spanRe(QStringLiteral("colspan=(\\d+)"));
    static const QRegularExpression colRe(QStringLiteral("<colgroup width=\"(\\d+)\""));
    Sheet sheet;
    for (auto row = rowRe.globalMatch(html); row.hasNext();) {
        QList<SheetCell> cells;
        for (auto cell = cellRe.globalMatch(row.next().captured(1)); cell.hasNext();) {
            const auto m = cell.next();
            const QString attributes = m.captured(1);
            SheetCell c;
            c.text = stripTags(m.captured(2));
            c.format = numRe.match(attributes).captured(1);
            c.value = valRe.match(attributes).captured(1);
            c.bold = m.captured(2).contains(QStringLiteral("<b>"));
            const auto span = spanRe.match(attributes);
            for (int i = span.hasMatch() ? span.captured(1).toInt() : 1; i > 0; --i)
                cells << c;
        }
        sheet << cells;
    }
    for (auto col = colRe.globalMatch(html); col.hasNext();)
        *widths << col.next().captured(1).toInt();
    return sheet;
}

// The workbooks are written together and converted by Calc in two runs (HTML for what it
// shows, CSV for the formulas), since starting Calc is slow; each check reads its workbook.
class CalcBooks {
public:
    struct Book {
        Sheet sheet;
        QList<int> widths;
        QList<QStringList> formulas;   // CSV with formulas instead of results
    };
    static inline std::unique_ptr<QTemporaryDir> dir;
    static inline QHash<QString, Book> books;
    static inline QString failure;

    static QString path(const QString &name) { return dir->path() + u'/' + name; }

    static void writeAndConvert()
    {
        dir = std::make_unique<QTemporaryDir>();
        books.clear();
        failure.clear();
        try {
            OrderWorkbook::ExportOrderWorkbook(sampleOrder(2), OrderSource::Wizard, path(QStringLiteral("wizard.xlsx")));
            OrderWorkbook::ExportOrderWorkbook(sampleOrder(3), OrderSource::Query, path(QStringLiteral("query.xlsx")));
            OrderWorkbook::Options names;
            names.fieldNames = true;
            names.totals = {QStringLiteral("MY"), QStringLiteral("zz"), QStringLiteral("nosuch")};
            OrderWorkbook::ExportOrderWorkbook(sampleOrder(1), OrderSource::Query, path(QStringLiteral("names.xlsx")), names);
            OrderWorkbook::ExportOrderWorkbook(sampleOrder(0), OrderSource::Wizard, path(QStringLiteral("norows.xlsx")));
            // A file already there is replaced.
            QFile old(path(QStringLiteral("replaced.xlsx")));
            if (!old.open(QIODevice::WriteOnly) || old.write(QByteArray(50000, 'x')) != 50000)
                failure = QStringLiteral("cannot write the old file");
            old.close();
            OrderDocument other = sampleOrder(1);
            other.header.dhdh = QStringLiteral("202600000099");
            OrderWorkbook::ExportOrderWorkbook(other, OrderSource::Wizard, path(QStringLiteral("replaced.xlsx")));
        } catch (const AppError &e) {
            failure = e.text();
            return;
        }
        const QStringList all = {QStringLiteral("wizard"), QStringLiteral("query"), QStringLiteral("names"),
                                 QStringLiteral("norows"), QStringLiteral("replaced")};
        if (!convert(QStringLiteral("html:HTML (StarCalc)"), all))
            return;
        // Field 10 of the CSV options: cell formulas instead of their results.
        if (!convert(QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,true"),
                     {QStringLiteral("wizard"), QStringLiteral("query"), QStringLiteral("names")}))
            return;
        for (const QString &name : all) {
            Book &book = books[name];
            QFile html(path(QStringLiteral("out/") + name + QStringLiteral(".html")));
            if (!html.open(QIODevice::ReadOnly)) {
                failure = QStringLiteral("Calc wrote no HTML for ") + name;
                return;
            }
            book.sheet = parseHtml(QString::fromUtf8(html.readAll()), &book.widths);
            QFile csv(path(QStringLiteral("out/") + name + QStringLiteral(".csv")));
            if (csv.open(QIODevice::ReadOnly))
                for (const QString &line : QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts))
                    book.formulas << line.split(u',');
        }
    }
    static void cleanUp() { dir.reset(); }

    // soffice is a test dependency (scripts/deps.sh installs it): without it the suite fails.
    static bool convert(const QString &filter, const QStringList &names)
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty()) {
            failure = QStringLiteral("soffice (LibreOffice Calc) is not installed; run scripts/deps.sh");
            return false;
        }
        // A private profile that recalculates every formula on load, so the totals are Calc's
        // own sums and not the results stored with the formulas.
        const QString profile = path(QStringLiteral("profile"));
        QDir().mkpath(profile + QStringLiteral("/user"));
        QFile xcu(profile + QStringLiteral("/user/registrymodifications.xcu"));
        if (!xcu.exists() && xcu.open(QIODevice::WriteOnly)) {
            xcu.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)");
            xcu.close();
        }
        QStringList args = {QStringLiteral("-env:UserInstallation=file://") + profile, QStringLiteral("--headless"),
                            QStringLiteral("--norestore"), QStringLiteral("--convert-to"), filter,
                            QStringLiteral("--outdir"), path(QStringLiteral("out"))};
        for (const QString &name : names)
            args << path(name + QStringLiteral(".xlsx"));
        QProcess calc;
        calc.start(soffice, args);
        if (!calc.waitForFinished(300000) || calc.exitCode() != 0) {
            failure = QStringLiteral("soffice failed: ") + QString::fromLocal8Bit(calc.readAllStandardError());
            return false;
        }
        return true;
    }

    static const Book &book(const QString &name) { return books[name]; }
    static QStringList rowTexts(const Sheet &sheet, int row)
    {
        QStringList texts;
        for (const SheetCell &c : sheet.value(row))
            texts << c.text;
        while (!texts.isEmpty() && texts.last().isEmpty())
            texts.removeLast();
        return texts;
    }

};

void checkWizardOrderOfTwoRows()
{
    const Sheet &s = CalcBooks::book(QStringLiteral("wizard")).sheet;
    ASSERT_EQ(s.size(), 33);   // nothing after the totals row

    EXPECT_EQ(CalcBooks::rowTexts(s, 0), QStringList{QStringLiteral("图书征订单")});
    struct HeaderCase { int row; const char16_t *caption; const char16_t *value; };
    const HeaderCase header[] = {
        {1, u"订货单号", u"202600000001"}, {2, u"订货日期", u"2026-03-15"}, {3, u"订单流水号", u"202600000007"},
        {4, u"供货商编号", u"GH01"},       {5, u"供货商名称", u"华北教材图书公司"},
        {12, u"订货经办人", u"李经办"},    {18, u"收货地址2", u"东门收发室"}, {19, u"收货邮编", u"100083"},
        {26, u"要求发货日期", u"2026-04-01"}, {27, u"备注", u"开学前送到"},
    };
    for (const HeaderCase &h : header) {
        ASSERT_GE(s[h.row].size(), 2) << h.row;
        EXPECT_EQ(s[h.row][0].text, QString::fromUtf16(h.caption)) << h.row;
        EXPECT_EQ(s[h.row][1].text, QString::fromUtf16(h.value)) << h.row;
        EXPECT_EQ(s[h.row][1].format, QStringLiteral("@")) << h.row;
        EXPECT_TRUE(s[h.row][1].value.isEmpty()) << "stored as text, row " << h.row;
    }
    // The program's own bookkeeping (transmission count, state) is not the supplier's business.
    for (int row = 1; row < 29; ++row)
        for (const char16_t *internal : {u"传递次数", u"状态"})
            EXPECT_NE(s[row].value(0).text, QString::fromUtf16(internal)) << row;
    EXPECT_TRUE(CalcBooks::rowTexts(s, 28).isEmpty());

    EXPECT_EQ(CalcBooks::rowTexts(s, 29), (QStringList{QStringLiteral("订货单号"), QStringLiteral("书名"), QStringLiteral("条码"),
                                            QStringLiteral("征订序号"), QStringLiteral("印次"), QStringLiteral("作者"),
                                            QStringLiteral("订购数量"), QStringLiteral("定价"), QStringLiteral("订购码洋"),
                                            QStringLiteral("ISBN"), QStringLiteral("出版社名称"), QStringLiteral("出版社编号")}));
    EXPECT_EQ(CalcBooks::rowTexts(s, 30), (QStringList{QStringLiteral("202600000001"), QStringLiteral("高等数学（第七版）"),
                                            QStringLiteral("9787040001"), QStringLiteral("A-001"), QStringLiteral("1"),
                                            QStringLiteral("同济大学数学系"), QStringLiteral("15 "), QStringLiteral("23.50 "),
                                            QStringLiteral("352.50 "), QStringLiteral("978-7-04-039663-8"),
                                            QStringLiteral("高等教育出版社"), QStringLiteral("G01")}));
    // Quantity whole, price and amount with two decimals; key-like texts stay text.
    struct FormatCase { int col; const char *format; const char *value; };
    const FormatCase formats[] = {{0, "@", ""}, {2, "@", ""}, {6, "0_ ", "120"}, {7, "0.00_ ", "12"},
                                  {8, "0.00_ ", "1440"}, {9, "@", ""}};
    for (const FormatCase &f : formats) {
        EXPECT_EQ(s[31][f.col].format, QLatin1String(f.format)) << f.col;
        EXPECT_EQ(s[31][f.col].value, QLatin1String(f.value)) << f.col;
    }

    const QList<SheetCell> &totals = s[32];
    ASSERT_EQ(totals.size(), 12);
    for (const SheetCell &c : totals)
        EXPECT_TRUE(c.bold);
    EXPECT_EQ(totals[0].text, QStringLiteral("合计:"));
    EXPECT_EQ(totals[6].value, QStringLiteral("135"));
    EXPECT_EQ(totals[6].text, QStringLiteral("135 "));
    EXPECT_EQ(totals[8].value, QStringLiteral("1792.5"));
    EXPECT_EQ(totals[8].text, QStringLiteral("1792.50 "));
    EXPECT_FALSE(s[31][6].bold);

    const QList<QStringList> &f = CalcBooks::book(QStringLiteral("wizard")).formulas;
    ASSERT_EQ(f.size(), 33);
    EXPECT_EQ(f[32].value(6), QStringLiteral("=SUM(G31:G32)"));
    EXPECT_EQ(f[32].value(8), QStringLiteral("=SUM(I31:I32)"));
    EXPECT_EQ(f[32].value(7), QString());
}

void checkQueryOrderTotalsUnderQuantityAndAmount()
{
    const Sheet &s = CalcBooks::book(QStringLiteral("query")).sheet;
    ASSERT_EQ(s.size(), 34);
    EXPECT_EQ(CalcBooks::rowTexts(s, 0), QStringList{QStringLiteral("图书征订单")});
    EXPECT_EQ(CalcBooks::rowTexts(s, 29), (QStringList{QStringLiteral("订货单号"), QStringLiteral("书名"), QStringLiteral("条码"),
                                            QStringLiteral("书代号"), QStringLiteral("ISBN"), QStringLiteral("印次"),
                                            QStringLiteral("作者"), QStringLiteral("出版社编号"), QStringLiteral("出版社名称"),
                                            QStringLiteral("数量"), QStringLiteral("定价"), QStringLiteral("码洋")}));
    EXPECT_EQ(CalcBooks::rowTexts(s, 32), (QStringList{QStringLiteral("202600000001"), QStringLiteral("线性代数"),
                                            QStringLiteral("9787040003"), QStringLiteral("A-003"), QString(),
                                            QStringLiteral("2"), QString(), QStringLiteral("Q03"),
                                            QStringLiteral("清华大学出版社"), QStringLiteral("7 "), QStringLiteral("0.99 "),
                                            QStringLiteral("6.93 ")}));
    EXPECT_EQ(s[33][0].text, QStringLiteral("合计:"));
    EXPECT_EQ(s[33][9].value, QStringLiteral("142"));
    EXPECT_EQ(s[33][11].text, QStringLiteral("1799.43 "));
    EXPECT_TRUE(s[33][11].bold);
    const QList<QStringList> &f = CalcBooks::book(QStringLiteral("query")).formulas;
    ASSERT_EQ(f.size(), 34);
    EXPECT_EQ(f[33].value(9), QStringLiteral("=SUM(J31:J33)"));
    EXPECT_EQ(f[33].value(11), QStringLiteral("=SUM(L31:L33)"));
    EXPECT_EQ(f[33].value(6), QString());
}

void checkFieldNameLabelsAndAChosenTotalsList()
{
    const Sheet &s = CalcBooks::book(QStringLiteral("names")).sheet;
    ASSERT_EQ(s.size(), 32);
    EXPECT_EQ(s[1][0].text, QStringLiteral("DHDH"));
    EXPECT_EQ(s[5][0].text, QStringLiteral("XSFM"));
    EXPECT_EQ(s[27][0].text, QStringLiteral("BZ"));
    EXPECT_EQ(CalcBooks::rowTexts(s, 29).mid(9), (QStringList{QStringLiteral("SL"), QStringLiteral("DJ"), QStringLiteral("MY")}));
    // Only the amount is totalled: "zz" is text and "nosuch" no column.
    EXPECT_EQ(CalcBooks::rowTexts(s, 31), (QStringList{QStringLiteral("合计:"), QString(), QString(), QString(), QString(),
                                            QString(), QString(), QString(), QString(), QString(), QString(),
                                            QStringLiteral("352.50 ")}));
    EXPECT_EQ(CalcBooks::book(QStringLiteral("names")).formulas.value(31).value(11), QStringLiteral("=SUM(L31:L31)"));
}

void checkOrderWithoutRowsGetsZeroTotals()
{
    const Sheet &s = CalcBooks::book(QStringLiteral("norows")).sheet;
    ASSERT_EQ(s.size(), 31);
    EXPECT_EQ(s[29][0].text, QStringLiteral("订货单号"));
    EXPECT_EQ(s[30][0].text, QStringLiteral("合计:"));
    EXPECT_EQ(s[30][6].value, QStringLiteral("0"));
    EXPECT_EQ(s[30][8].text, QStringLiteral("0.00 "));
}

void checkColumnWidthsFollowTheText()
{
    const QList<int> &w = CalcBooks::book(QStringLiteral("wizard")).widths;
    ASSERT_EQ(w.size(), 12);
    // B holds the longest header values (the address), E only "印次" and "1".
    EXPECT_GT(w[1], w[0]);
    EXPECT_GT(w[0], w[4]);
    EXPECT_GT(w[10], w[11]);   // publisher names are wider than their codes
    const QList<int> &q = CalcBooks::book(QStringLiteral("query")).widths;
    ASSERT_EQ(q.size(), 12);
    EXPECT_GT(q[8], q[7]);   // publisher names against codes, in the order query's columns
}

void checkExistingFileIsReplaced()
{
    const Sheet &s = CalcBooks::book(QStringLiteral("replaced")).sheet;
    ASSERT_GE(s.size(), 2);
    EXPECT_EQ(s[1][1].text, QStringLiteral("202600000099"));
    const QStringList left = QDir(CalcBooks::dir->path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : left)
        EXPECT_TRUE(name.endsWith(QStringLiteral(".xlsx")) && !name.startsWith(u'.')) << name.toStdString();
}

// The parts of the package a spreadsheet reads for printing: the sheet's name, its page set-up
// and the rows repeated on every page, read from the .xlsx package with Debian's python3.
QString packagePart(const QString &xlsx, const QString &part)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]).decode())"),
                  xlsx, part});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QStringLiteral("<cannot read %1: %2>").arg(part, QString::fromUtf8(python.readAllStandardError()));
    return QString::fromUtf8(python.readAllStandardOutput());
}

TEST(OrderWorkbookPrint, TheSheetIsNamedByTheOrderAndPrintsLandscapeOnePageWideWithItsHeadRepeated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("order.xlsx"));
    OrderWorkbook::ExportOrderWorkbook(sampleOrder(2), OrderSource::Wizard, path);

    const QString book = packagePart(path, QStringLiteral("xl/workbook.xml"));
    EXPECT_TRUE(book.contains(QStringLiteral("<sheet name=\"202600000001\""))) << book.toStdString();
    // The table head is row 30: repeated at the top of every printed page.
    EXPECT_TRUE(book.contains(QStringLiteral("_xlnm.Print_Titles")) && book.contains(QStringLiteral("$30:$30")))
        << book.toStdString();
    const QString sheet = packagePart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<pageSetUpPr fitToPage=\"1\"/>"))) << sheet.toStdString();
    const QRegularExpression setup(QStringLiteral("<pageSetup ([^>]*)/>"));
    const QString attributes = setup.match(sheet).captured(1);
    EXPECT_TRUE(attributes.contains(QStringLiteral("orientation=\"landscape\""))) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(QStringLiteral("fitToHeight=\"0\""))) << attributes.toStdString();
    EXPECT_FALSE(attributes.contains(QStringLiteral("fitToWidth=\"")) && !attributes.contains(QStringLiteral("fitToWidth=\"1\"")))
        << attributes.toStdString();
}

TEST(OrderWorkbookPrint, SheetNamesKeepWhatASpreadsheetAllows)
{
    const struct {
        const char16_t *number, *name;
    } cases[] = {
        {u"202600000001", u"202600000001"},
        {u"2026/01:[7]*?\\", u"2026_01__7____"},
        {u"'2026'", u"2026"},
        {u"", u"Sheet1"},
        {u"'", u"Sheet1"},
        {u"1234567890123456789012345678901234567890", u"1234567890123456789012345678901"},
        {u"订单2026", u"订单2026"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OrderWorkbook::sheetName(QString::fromUtf16(c.number)), QString::fromUtf16(c.name))
            << QString::fromUtf16(c.number).toStdString();
}

TEST(OrderWorkbookCalc, CalcReadsTheCellsFormatsTotalsAndWidthsOfTheWorkbooks)
{
    CalcBooks::writeAndConvert();
    ASSERT_TRUE(CalcBooks::failure.isEmpty()) << CalcBooks::failure.toStdString();
    {
        SCOPED_TRACE("checkWizardOrderOfTwoRows");
        checkWizardOrderOfTwoRows();
    }
    {
        SCOPED_TRACE("checkQueryOrderTotalsUnderQuantityAndAmount");
        checkQueryOrderTotalsUnderQuantityAndAmount();
    }
    {
        SCOPED_TRACE("checkFieldNameLabelsAndAChosenTotalsList");
        checkFieldNameLabelsAndAChosenTotalsList();
    }
    {
        SCOPED_TRACE("checkOrderWithoutRowsGetsZeroTotals");
        checkOrderWithoutRowsGetsZeroTotals();
    }
    {
        SCOPED_TRACE("checkColumnWidthsFollowTheText");
        checkColumnWidthsFollowTheText();
    }
    {
        SCOPED_TRACE("checkExistingFileIsReplaced");
        checkExistingFileIsReplaced();
    }
    CalcBooks::cleanUp();
}

} // namespace
