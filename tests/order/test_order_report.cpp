// The printed order: a stored order through bin/Order.layout into a PDF, read back with
// pdftotext (head, parties, rows, totals, page numbers), and the print button's notice.
#include "order_fixture.h"
#include "scripted_prompter.h"

#include "catalog/list_report_dialog.h"
#include "catalog/report_layout.h"
#include "common/app_error.h"
#include "order/order_print_gui.h"
#include "order/order_report.h"

#include <QLocale>
#include <QProcess>
#include <QRegularExpression>

namespace {

class OrderReportTest : public OrderDbTest {
protected:
    void addOrder(const QString &dhdh)
    {
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq,dfdh,xsfh,xsfm,dhrh,dhrm,dhlr,dhlh,"
                                     "shrh,shrm,shdz,shyb,fkrh,fkrm,jsfs,fkfs)"
                                     " values (?,'2026-03-15','202600000004','G07','新华书店总店',"
                                     "'D1','第一中学','王老师','0571-1234','S1','第一中学图书馆',"
                                     "'文一路 8 号','310000','F1','第一中学财务处','月结','转账')"),
                  {dhdh});
    }
    void addRow(const QString &dhdh, int i, double dj, qint64 sl)
    {
        const QString n = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,isbn,dj,sl,my) values (?,?,?,?,?,?,?)"),
                  {dhdh, QStringLiteral("T") + n, QStringLiteral("订购书目") + n,
                   QStringLiteral("978-7-5000-0") + n, dj, sl, dj * sl});
    }
    // The text of each page of the PDF, without blanks and line ends.
    static QStringList pdfPages(const QString &path)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                             QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return {};
        // pdftotext drops or adds blanks between Chinese and other characters: compare without them.
        QString text = QString::fromUtf8(p.readAllStandardOutput());
        text.remove(QRegularExpression(QStringLiteral("[ \\t\\n\\r]")));
        QStringList pages = text.split(u'\f');
        if (!pages.isEmpty() && pages.last().isEmpty())
            pages.removeLast();
        return pages;
    }
    static ReportLayout shipped()
    {
        return ReportLayout::load(QStringLiteral(ZD_SOURCE_DIR "/dist/bin/Order.layout"));
    }
};

struct Rows {
    int count;
    int minPages;
};

class OrderPdf : public OrderReportTest, public ::testing::WithParamInterface<Rows> {};

TEST_P(OrderPdf, HeadRowsTotalsAndPageNumbersReadBack)
{
    const int rows = GetParam().count;
    const QString order = QStringLiteral("202600000011");
    addOrder(order);
    addOrder(QStringLiteral("202600000012"));   // another order: none of its rows may print
    addRow(QStringLiteral("202600000012"), 999, 1, 1);
    double copies = 0;
    double amount = 0;
    for (int i = 1; i <= rows; ++i) {
        const double dj = 10 + i + (i % 4) * 0.25;
        const qint64 sl = 1 + i % 3;
        addRow(order, i, dj, sl);
        copies += sl;
        amount += dj * sl;
    }

    const OrderReport report = OrderReport::load(db, order);
    const QString path = tree.path(QStringLiteral("order.pdf"));
    const int painted = ListReportDialog::savePdf(path, report, shipped());
    const QStringList pages = pdfPages(path);
    ASSERT_FALSE(pages.isEmpty()) << "pdftotext could not read " << path.toStdString();

    const int m = int(pages.size());
    EXPECT_EQ(painted, m);
    EXPECT_GE(m, GetParam().minPages);
    for (int k = 1; k <= m; ++k)
        EXPECT_TRUE(pages[k - 1].contains(QStringLiteral("第%1页共%2页").arg(k).arg(m)))
            << "page " << k << ":\n" << pages[k - 1].toStdString();

    // The head and the parties on the first page.
    for (const char *head : {"图书征订单", "订货单号：202600000011", "订货日期：2026-03-15",
                             "202600000004", "新华书店总店", "第一中学（D1）", "王老师",
                             "第一中学图书馆（S1）", "文一路8号", "第一中学财务处（F1）"})
        EXPECT_TRUE(pages[0].contains(QString::fromUtf8(head))) << head;

    // Every row once, in barcode order; the last on the last page.
    const QString all = pages.join(u'\f');
    for (int i = 1; i <= rows; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        EXPECT_EQ(all.count(QStringLiteral("订购书目") + n), 1) << n.toStdString();
        EXPECT_EQ(all.count(QStringLiteral("978-7-5000-0") + n), 1) << n.toStdString();
    }
    EXPECT_FALSE(all.contains(QStringLiteral("订购书目999")));
    EXPECT_TRUE(pages.last().contains(QStringLiteral("订购书目%1").arg(rows, 3, 10, QLatin1Char('0'))));

    // The totals once, after the last row.
    const QLocale english(QLocale::English);
    const QString totals = QStringLiteral("合计：%1种，%2册，码洋%3")
                               .arg(rows)
                               .arg(english.toString(qint64(copies)))
                               .arg(english.toString(amount, 'f', 2));
    EXPECT_TRUE(pages.last().contains(totals)) << totals.toStdString() << "\n" << pages.last().toStdString();
    EXPECT_EQ(all.count(QStringLiteral("合计：")), 1);
}

INSTANTIATE_TEST_SUITE_P(Orders, OrderPdf, ::testing::Values(Rows{3, 1}, Rows{120, 3}),
                         [](const auto &info) { return "Rows" + std::to_string(info.param.count); });

TEST_F(OrderReportTest, RowsTextsAndTheAmountOfARowWithoutOne)
{
    OrderDocument doc;
    doc.header.dhdh = QStringLiteral("X1");
    OrderRow a;
    a.sm = QStringLiteral("甲");
    a.tm = QStringLiteral("T1");
    a.dj = 12.5;
    a.sl = 4;   // no amount stored: dj × sl
    OrderRow b;
    b.tm = QStringLiteral("T2");
    b.isbn = QStringLiteral("978-1");
    b.my = 7;
    doc.rows = {a, b};
    const OrderReport report(doc);
    EXPECT_EQ(report.count(), 2);
    EXPECT_EQ(report.text(0, QStringLiteral("code")), QStringLiteral("T1"));   // no ISBN: the barcode
    EXPECT_EQ(report.text(1, QStringLiteral("CODE")), QStringLiteral("978-1"));
    EXPECT_EQ(report.text(0, QStringLiteral("my")), QStringLiteral("50"));
    EXPECT_EQ(report.text(1, QStringLiteral("sl")), QString());
    EXPECT_THROW(report.text(0, QStringLiteral("nosuch")), AppError);
    const auto values = report.values();
    EXPECT_EQ(values.value(QStringLiteral("titles")), QStringLiteral("2"));
    EXPECT_EQ(values.value(QStringLiteral("copies")), QStringLiteral("4"));
    EXPECT_EQ(values.value(QStringLiteral("amount")), QStringLiteral("57.00"));
    EXPECT_EQ(report.pdfName(), QStringLiteral("订单X1.pdf"));
}

TEST_F(OrderReportTest, UnknownOrderAndNoOrderAreTold)
{
    EXPECT_THROW(OrderReport::load(db, QStringLiteral("nosuch")), AppError);
    ScriptedPrompter prompter;
    OrderPrint::preview(nullptr, db, QString(), prompter);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("没有可以打印的订单"));
}

} // namespace
