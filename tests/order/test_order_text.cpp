// The order text of both windows, byte for byte; the order read from the two lists; the
// attachment's name; writing the file.
#include "order_samples.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "data/dataset.h"
#include "data/sql_helper.h"
#include "order/order_document.h"
#include "order/order_text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

const QString HeaderLines = QStringLiteral(
    "订货单号：\t202600000001\r\n"
    "订货日期：\t2026-03-15\r\n"
    "订货人编号：\t0101\r\n"
    "订货人名称：\t第一中学\r\n"
    "订货联系人：\t王老师\r\n"
    "订货人电话：\t010-12345678\r\n"
    "收货人编号：\t1\r\n"
    "收货人名称：\t第一中学教务处\r\n"
    "收货联系人：\t张三\r\n"
    "收货人电话：\t13800000000\r\n"
    "收货人地址：\t北京市海淀区学院路1号 东门收发室\r\n"
    "收货人邮编：\t100083\r\n"
    "付款人编号：\t1\r\n"
    "付款人名称：\t第一中学财务处\r\n"
    "付款联系人：\t赵会计\r\n"
    "付款人电话：\t010-87654321\r\n"
    "结算方式：\t月结\r\n"
    "付款方式：\t银行转账\r\n"
    "发货方式：\t快递\r\n"
    "发货到站：\t北京\r\n"
    "要求发货日期：\t2026-04-01\r\n"
    "备注：开学前送到\r\n"
    " \r\n");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(OrderText, WizardTextIsExactGbkWith28LinesForThreeRows)
{
    const QByteArray bytes = OrderText::render(sampleOrder(), OrderSource::Wizard);

    // "图书征订单" in GBK, then CR LF: the file is GBK, not UTF-8.
    EXPECT_TRUE(bytes.startsWith("\xCD\xBC\xCA\xE9\xD5\xF7\xB6\xA9\xB5\xA5\r\n"))
        << bytes.left(12).toHex().toStdString();
    const QString expected = QStringLiteral("图书征订单\r\n") + HeaderLines
                             + QStringLiteral("征订号\t书名\tISBN\t版别\t订购数量\r\n"
                                              "A-001\t高等数学（第七版）\t978-7-04-039663-8\t高等教育出版社\t15\r\n"
                                              "A-002\t大学英语\t7-5600\t外语教学与研究出版社\t120\r\n"
                                              "A-003\t线性代数\t\t清华大学出版社\t7\r\n");
    EXPECT_EQ(bytes, Gbk::encode(expected));
    EXPECT_EQ(bytes.count("\r\n"), 28);
    EXPECT_EQ(bytes.count('\n'), 28);   // no bare LF anywhere
}

// The second address line reaches the supplier on the address line (line 12); without one
// the line is the first address alone, and the text keeps its 28 lines either way.
TEST(OrderText, TheSecondAddressLineFollowsTheFirstOnLineTwelve)
{
    const struct {
        const char *what;
        QString shdz;
        QString shdz2;
        QString line;
    } cases[] = {
        {"both", QStringLiteral("学院路1号"), QStringLiteral("东门收发室"), QStringLiteral("学院路1号 东门收发室")},
        {"no second line", QStringLiteral("学院路1号"), QString(), QStringLiteral("学院路1号")},
        {"a blank second line", QStringLiteral("学院路1号"), QStringLiteral("  "), QStringLiteral("学院路1号")},
        {"only the second line", QString(), QStringLiteral("东门收发室"), QStringLiteral("东门收发室")},
        {"a tab in the second line", QStringLiteral("学院路1号"), QStringLiteral("东门\t收发室"),
         QStringLiteral("学院路1号 东门 收发室")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        OrderDocument order = sampleOrder();
        order.header.shdz = c.shdz;
        order.header.shdz2 = c.shdz2;
        for (const OrderSource source : {OrderSource::Wizard, OrderSource::Query}) {
            const QStringList lines = OrderText::text(order, source).split(QStringLiteral("\r\n"));
            ASSERT_EQ(lines.size(), 29);   // 28 lines and the empty rest after the last CR LF
            EXPECT_EQ(lines[11], QStringLiteral("收货人地址：\t") + c.line);
        }
    }
}

TEST(OrderText, QueryTextHasItsTitleHeadAndSevenFieldsWithPlainNumbers)
{
    const QString text = Gbk::decode(OrderText::render(sampleOrder(), OrderSource::Query));
    const QString expected = QStringLiteral("图书征定单\r\n") + HeaderLines
                             + QStringLiteral("征定号\t书名\tISBN\t版别\t订购数量\t定价\t码洋\r\n"
                                              "A-001\t高等数学（第七版）\t978-7-04-039663-8\t高等教育出版社\t15\t23.5\t352.5\r\n"
                                              "A-002\t大学英语\t7-5600\t外语教学与研究出版社\t120\t12\t1440\r\n"
                                              "A-003\t线性代数\t\t清华大学出版社\t7\t0.99\t6.93\r\n");
    EXPECT_EQ(text, expected);
}

TEST(OrderText, EmptyValuesGiveEmptyFieldsAndNumbersHaveNoSeparatorsOrTrailingZeros)
{
    OrderDocument order = sampleOrder(1);
    order.header = OrderHeader{};
    order.rows[0].sl = 12345.0;
    order.rows[0].dj = 1234.50;
    order.rows[0].my = std::nullopt;
    const QStringList lines =
        Gbk::decode(OrderText::render(order, OrderSource::Query)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 27);   // 26 lines and nothing after the last CR LF
    EXPECT_EQ(lines[1], QStringLiteral("订货单号：\t"));
    EXPECT_EQ(lines[22], QStringLiteral("备注："));
    EXPECT_EQ(lines[25], QStringLiteral("A-001\t高等数学（第七版）\t978-7-04-039663-8\t高等教育出版社\t12345\t1234.5\t"));
    EXPECT_TRUE(lines[26].isEmpty());
}

// A TAB or line break inside a value would shift columns or add lines that a supplier's
// system reads as rows: each becomes a space.
TEST(OrderText, TabsAndLineBreaksInValuesBecomeSpacesAndTheShapeHolds)
{
    struct Case {
        const char *what;
        QString OrderHeader::*headerField;
        QString OrderRow::*rowField;
        QString value;
        int line;          // 0-based line that carries it
        QString expected;  // that line
    };
    const Case cases[] = {
        {"tab in the remarks", &OrderHeader::bz, nullptr, QStringLiteral("上午\t送到"), 22,
         QStringLiteral("备注：上午 送到")},
        {"CR LF in an address", &OrderHeader::shdz, nullptr, QStringLiteral("学院路\r\n1号"), 11,
         QStringLiteral("收货人地址：\t学院路  1号 东门收发室")},
        {"LF in a name", &OrderHeader::dhrm, nullptr, QStringLiteral("第一\n中学"), 4,
         QStringLiteral("订货人名称：\t第一 中学")},
        {"tab in a title", nullptr, &OrderRow::sm, QStringLiteral("线性代数\t习题集"), 25,
         QStringLiteral("A-001\t线性代数 习题集\t978-7-04-039663-8\t高等教育出版社\t15")},
        {"CR in a publisher", nullptr, &OrderRow::cbmc, QStringLiteral("高等\r教育"), 25,
         QStringLiteral("A-001\t高等数学（第七版）\t978-7-04-039663-8\t高等 教育\t15")},
    };
    for (const Case &c : cases) {
        OrderDocument order = sampleOrder();
        if (c.headerField)
            order.header.*c.headerField = c.value;
        else
            order.rows[0].*c.rowField = c.value;
        const QByteArray bytes = OrderText::render(order, OrderSource::Wizard);
        const QStringList lines = Gbk::decode(bytes).split(QStringLiteral("\r\n"));
        EXPECT_EQ(bytes.count('\n'), 28) << c.what;
        EXPECT_EQ(bytes.count('\r'), 28) << c.what;
        ASSERT_EQ(lines.size(), 29) << c.what;
        EXPECT_EQ(lines[c.line], c.expected) << c.what;
        for (int i = 25; i < 28; ++i)
            EXPECT_EQ(lines[i].count(u'\t'), 4) << c.what << " line " << i;
    }
}

TEST(OrderNames, TitleAndAttachmentNameFollowTheWindow)
{
    const QDateTime when(QDate(2026, 3, 5), QTime(14, 30, 5));
    EXPECT_EQ(OrderNames::title(OrderSource::Wizard), QStringLiteral("图书征订单"));
    EXPECT_EQ(OrderNames::title(OrderSource::Query), QStringLiteral("图书征定单"));
    EXPECT_EQ(OrderNames::attachmentName(OrderSource::Wizard, when),
              QStringLiteral("图书征订单20260305143005.xls"));
    EXPECT_EQ(OrderNames::attachmentName(OrderSource::Query, QDateTime(QDate(2026, 12, 31), QTime(9, 0, 0))),
              QStringLiteral("图书征定单20261231090000.xls"));
}

// The text is GB18030: a title or remark outside GBK is written in its four-byte form and read
// back unchanged, in both windows' layouts; the GBK text around it keeps its GBK bytes.
TEST(OrderTextFile, TextOutsideGbkSurvivesTheFile)
{
    const QString title = QStringLiteral("康熙") + QString::fromUcs4(U"\U00020000") + QStringLiteral("字典");
    const QString remark = QStringLiteral("开学前送到 ") + QString::fromUcs4(U"\U0001F600");
    OrderDocument order = sampleOrder(1);
    order.rows[0].sm = title;
    order.header.bz = remark;
    TempTree tree;
    for (OrderSource source : {OrderSource::Wizard, OrderSource::Query}) {
        const QString path = tree.path(QStringLiteral("order.xls"));
        OrderText::writeFile(path, order, source);
        const QByteArray bytes = readAll(path);
        EXPECT_TRUE(bytes.contains("\xBF\xB5\xCE\xF5\x95\x32\x82\x36\xD7\xD6\xB5\xE4"))
            << bytes.toHex().toStdString();
        EXPECT_TRUE(bytes.contains("\x94\x39\xFC\x36\r\n"));
        QStringDecoder gb18030("GB18030");
        const QString text = gb18030.decode(bytes);
        EXPECT_FALSE(gb18030.hasError());
        EXPECT_EQ(text, OrderText::text(order, source));
        EXPECT_TRUE(text.contains(u'\t' + title + u'\t')) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("备注：") + remark + QStringLiteral("\r\n")));
    }
}

TEST(OrderTextFile, ReplacesAnExistingFileWholeAndRefusesAnUnwritablePath)
{
    TempTree tree;
    const QString path = tree.path(QStringLiteral("order.xls"));
    tree.writeFile(QStringLiteral("order.xls"), QByteArray(20000, 'x'));
    OrderText::writeFile(path, sampleOrder(), OrderSource::Wizard);
    EXPECT_EQ(readAll(path), OrderText::render(sampleOrder(), OrderSource::Wizard));

    QDir(tree.root()).mkpath(QStringLiteral("taken.xls"));   // a folder where the file should go
    EXPECT_THROW(OrderText::writeFile(tree.path(QStringLiteral("taken.xls")), sampleOrder(), OrderSource::Wizard),
                 AppError);
    EXPECT_THROW(OrderText::writeFile(tree.path(QStringLiteral("missing/order.xls")), sampleOrder(),
                                      OrderSource::Wizard),
                 AppError);
    EXPECT_EQ(QDir(tree.root()).entryList({QStringLiteral("*.xls")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("order.xls")});
}

class OrderFromLists : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    void SetUp() override
    {
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dfdh,xsfh,dhrm,shdz,bz,fhrq) "
                                     "values (?,?,?,?,?,?,?)"),
                  {QStringLiteral("202600000001"), QStringLiteral("202600000001"), QStringLiteral("G1"),
                   QStringLiteral("第一中学"), QStringLiteral("学院路1号"), QString(), QStringLiteral("2026-04-01")});
        Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dfdh,xsfh,dhrm) values (?,?,?,?)"),
                  {QStringLiteral("202600000002"), QStringLiteral("202600000001"), QStringLiteral("G2"),
                   QStringLiteral("第二中学")});
        const QVariantList rows[] = {
            {QStringLiteral("202600000002"), QStringLiteral("T1"), QStringLiteral("B-002"), QStringLiteral("物理"), 23.5, 10, 235.0},
            {QStringLiteral("202600000002"), QStringLiteral("T2"), QStringLiteral("B-001"), QStringLiteral("化学"), 9.9, 3, 29.7},
            {QStringLiteral("202600000001"), QStringLiteral("T3"), QStringLiteral("A-001"), QStringLiteral("语文"), 5, 1, 5},
        };
        for (const QVariantList &row : rows)
            Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,zbh,sm,dj,sl,my) values (?,?,?,?,?,?,?)"), row);
    }
    std::unique_ptr<DataSet> open(const QString &statement, const QVariantList &values = {})
    {
        auto list = std::make_unique<DataSet>();
        list->setConnection(db);
        list->setStatement(statement, values);
        list->open();
        return list;
    }
};

TEST_F(OrderFromLists, TakesTheCurrentHeaderAndTheRowsInTheListsOrder)
{
    auto headers = open(QStringLiteral("select * from deorder order by dhdh"));
    headers->last();
    auto rows = open(QStringLiteral("select * from deorder_mx where dhdh=?"), {QStringLiteral("202600000002")});
    rows->setSortText(QStringLiteral("ZBH ASC"));

    const OrderDocument order = OrderDocument::fromLists(*headers, *rows);
    EXPECT_EQ(order.header.dhdh, QStringLiteral("202600000002"));
    EXPECT_EQ(order.header.dhrm, QStringLiteral("第二中学"));
    EXPECT_EQ(order.header.dhrq, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    EXPECT_EQ(order.header.cdcs, 0);
    ASSERT_EQ(order.rows.size(), 2);
    EXPECT_EQ(order.rows[0].zbh, QStringLiteral("B-001"));
    EXPECT_EQ(order.rows[0].sm, QStringLiteral("化学"));
    EXPECT_EQ(order.rows[0].sl, 3.0);
    EXPECT_EQ(order.rows[0].dj, 9.9);
    EXPECT_EQ(order.rows[1].my, 235.0);
    EXPECT_EQ(order.rows[1].isbn, QString());
    EXPECT_EQ(order.rows[1].yc, QString());

    // The text of the order read from the lists is the text of the same order given by value.
    const QStringList lines = Gbk::decode(OrderText::render(order, OrderSource::Query)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[25], QStringLiteral("B-001\t化学\t\t\t3\t9.9\t29.7"));
    EXPECT_EQ(lines[26], QStringLiteral("B-002\t物理\t\t\t10\t23.5\t235"));
}

TEST_F(OrderFromLists, ClosedOrEmptyHeaderListHasNothingToSave)
{
    auto rows = open(QStringLiteral("select * from deorder_mx"));
    auto empty = open(QStringLiteral("select * from deorder where 1=0"));
    DataSet closed;
    for (const DataSet *headers : {static_cast<const DataSet *>(empty.get()), static_cast<const DataSet *>(&closed)}) {
        try {
            OrderDocument::fromLists(*headers, *rows);
            ADD_FAILURE() << "no error";
        } catch (const AppError &e) {
            EXPECT_EQ(e.text(), QStringLiteral("没有可以保存的数据"));
        }
    }
}

} // namespace
