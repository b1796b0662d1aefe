// The cart: marked rows of a title list into the operator's cart, default quantities, keys
// already there, refused lines, and errors that must leave no half-written cart.
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "cart/cart.h"
#include "common/app_error.h"
#include "data/dataset.h"
#include "data/sql_helper.h"
#include "grid/marked_rows.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

struct Line {
    QString tm;
    double sl = 0;
    double my = 0;
    QString sm;
    QString ghbm;
};

class CartTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    DataSet books;
    MarkedRowList marked;
    ScriptedPrompter prompter;

    // Catalogue rows, listed by tm: A1, AB'1, B2, C3.
    void SetUp() override
    {
        const struct {
            const char *tm;
            const char *sm;
            double dj;
            const char *ghbm;
        } rows[] = {
            {"A1", "高等数学", 12.5, "G01"},
            {"B2", "大学物理", 30, "G02"},
            {"C3", "线性代数", 8.25, "G01"},
            {"AB'1", "概率论", 20.75, "G03"},
        };
        for (const auto &r : rows)
            Sql::exec(db,
                      QStringLiteral("insert into debooks (tm,sm,yc,zbh,zz,isbn,dj,ghbm,ghmc,cbbm,cbmc)"
                                     " values (?,?,'1','Z1','作者','978',?,?,'供货商','P1','出版社')"),
                      {QString::fromUtf8(r.tm), QString::fromUtf8(r.sm), r.dj,
                       QString::fromLatin1(r.ghbm)});
        books.setConnection(db);
        books.setStatement(QStringLiteral("select tm,sm,dj from qrydebooks order by tm"));
        books.open();
        marked.setDataSet(&books);
        ASSERT_EQ(books.recordCount(), 4);
    }

    static QString year() { return QString::number(QDate::currentDate().year()); }
    double price(const QString &tm)
    {
        return Sql::scalar(db, QStringLiteral("select dj from debooks where tm=?"), {tm}).toDouble();
    }
    int intOf(const QString &statement)
    {
        return Sql::scalar(db, statement).toInt();
    }
    QStringList carts()
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select dhdh,op,state from deshopcart"));
        QStringList out;
        while (q.next())
            out << QStringLiteral("%1|%2|%3").arg(q.value(0).toString(),
                                                  q.value(1).isNull() ? QStringLiteral("NULL")
                                                                      : q.value(1).toString(),
                                                  q.value(2).toString());
        return out;
    }
    // Lines in insertion order.
    QList<Line> lines()
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select tm,sl,my,sm,ghbm from deshopcart_mx order by rowid"));
        QList<Line> out;
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toDouble(), q.value(2).toDouble(),
                        q.value(3).toString(), q.value(4).toString()});
        return out;
    }
    QStringList lineKeys()
    {
        QStringList out;
        for (const Line &l : lines())
            out << l.tm;
        return out;
    }
    bool place()
    {
        return PlaceSelection(marked, books, db, QStringLiteral("shopcart"), QString(), prompter);
    }
    CartAddResult add(const QString &list, const QString &op = QString())
    {
        QString keys = list;
        const CartAddResult result = AddToCart(keys, db, op);
        EXPECT_TRUE(keys.isEmpty());
        return result;
    }
    void emptyCart()
    {
        Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
        Sql::exec(db, QStringLiteral("delete from deshopcart"));
    }
    void expectShown(const QStringList &texts, int flags = MsgFlags::Information)
    {
        EXPECT_EQ(prompter.texts(), texts);
        for (const ShownMessage &m : prompter.shown) {
            EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
            EXPECT_EQ(m.flags, flags);
        }
    }
};

const QString placed = QStringLiteral("已经将所选书目放入购物车");
const QString nothingMarked = QStringLiteral("请选择放入购物车中的书目");

TEST_F(CartTest, MarkedRowsGoIntoANewCartInListOrder)
{
    // Record numbers 4 (C3), 1 (A1), 3 (B2), marked out of order.
    for (int recNo : {4, 1, 3})
        marked.mark(recNo - 1);
    books.setCurrentRow(1);

    EXPECT_TRUE(place());
    expectShown({placed});
    EXPECT_TRUE(marked.isEmpty());
    EXPECT_EQ(books.currentRow(), 1);

    EXPECT_EQ(carts(), QStringList{year() + QStringLiteral("00000001||N")});
    const QList<Line> got = lines();
    ASSERT_EQ(lineKeys(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3")}));
    for (const Line &l : got) {
        SCOPED_TRACE(l.tm.toStdString());
        EXPECT_EQ(l.sl, 10);
        EXPECT_DOUBLE_EQ(l.my, 10 * price(l.tm));
    }
    EXPECT_EQ(got[0].sm, QStringLiteral("高等数学"));
    EXPECT_EQ(got[1].ghbm, QStringLiteral("G02"));
    EXPECT_EQ(intOf(QStringLiteral("select count(*) from qrydeshopcart where op=''")), 3);
}

TEST_F(CartTest, TitlesAlreadyInTheCartAreSkipped)
{
    for (int recNo : {1, 3, 4})
        marked.mark(recNo - 1);
    ASSERT_TRUE(place());
    for (int recNo : {1, 3, 4})
        marked.mark(recNo - 1);
    EXPECT_TRUE(place());
    // Not an error: the message says how many were there already.
    expectShown({placed, placed + QStringLiteral("（其中 3 种书目原已在购物车中）")});
    EXPECT_TRUE(marked.isEmpty());
    EXPECT_EQ(lines().size(), 3);

    // Only the new title joins the same cart; no second cart number is used.
    const CartAddResult result = add(QStringLiteral("B2,A1,AB'1"));
    EXPECT_EQ(result.added, QStringList{QStringLiteral("AB'1")});
    EXPECT_EQ(result.alreadyThere, (QStringList{QStringLiteral("B2"), QStringLiteral("A1")}));
    EXPECT_TRUE(result.refused.isEmpty());
    EXPECT_EQ(lineKeys(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2"),
                                       QStringLiteral("C3"), QStringLiteral("AB'1")}));
    EXPECT_EQ(carts().size(), 1);
    EXPECT_EQ(intOf(QStringLiteral("select count(distinct dhdh) from deshopcart_mx")), 1);
    EXPECT_EQ(intOf(QStringLiteral("select pvalue from parameter where pname='shopcart'")), 1);
}

TEST_F(CartTest, DefaultQuantityIsReadAtEachCall)
{
    const struct {
        const char *config;
        int quantity;
    } cases[] = {
        {"[ALL]\ndgsl=3\n", 3},  {"[ALL]\ndgsl=abc\n", 10}, {"[ALL]\ndgsl=-1\n", 10},
        {"[ALL]\ndgsl=0\n", 0},  {"[ALL]\n", 10},           {"[ALL]\ndgsl=25\n", 25},
        {"[ALL]\ndgsl=-5\n", 10},   // negative: not set, never a negative quantity or amount
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.config);
        emptyCart();
        tree.writeConfig(c.config);
        add(QStringLiteral("A1,C3"));
        const QList<Line> got = lines();
        ASSERT_EQ(got.size(), 2);
        for (const Line &l : got) {
            EXPECT_EQ(l.sl, c.quantity);
            EXPECT_DOUBLE_EQ(l.my, c.quantity * price(l.tm));
        }
    }
}

TEST_F(CartTest, NothingToPutWritesNothing)
{
    // Nothing marked; ticks of titles the list does not hold.
    const QStringList cases[] = {{}, {QStringLiteral("Z5"), QStringLiteral("Z9")}};
    for (const QStringList &keys : cases) {
        prompter.shown.clear();
        marked.clear();
        for (const QString &key : keys)
            marked.markKey(key);
        EXPECT_FALSE(place());
        expectShown({nothingMarked});
        EXPECT_EQ(marked.size(), keys.size());
    }
    marked.mark(0);
    books.close();
    EXPECT_FALSE(place());
    EXPECT_EQ(intOf(QStringLiteral("select count(*) from deshopcart")), 0);
    EXPECT_EQ(intOf(QStringLiteral("select count(*) from parameter")), 0);
}

TEST_F(CartTest, CollectedKeysFollowTheListAndAppend)
{
    // Ticked out of order: B2, then A1.
    marked.mark(2);
    marked.mark(0);
    QString keys = QStringLiteral("Z9");
    EXPECT_TRUE(CollectSelectedKeys(marked, books, keys, QStringLiteral("tm")));
    EXPECT_EQ(keys, QStringLiteral("Z9,A1,B2"));

    // The ticks stay on their titles in a re-sorted list, which gives the new order.
    books.setSortText(QStringLiteral("tm DESC"));
    keys.clear();
    EXPECT_TRUE(CollectSelectedKeys(marked, books, keys, QStringLiteral("tm")));
    EXPECT_EQ(keys, QStringLiteral("B2,A1"));
    EXPECT_EQ(books.currentRow(), 0);

    // Another field of the ticked rows.
    keys.clear();
    EXPECT_TRUE(CollectSelectedKeys(marked, books, keys, QStringLiteral("sm")));
    EXPECT_EQ(keys, QStringLiteral("大学物理,高等数学"));

    // A title that left the list at a refresh is not collected, nor ticked any more.
    Sql::exec(db, QStringLiteral("delete from debooks where tm='B2'"));
    books.refresh();
    keys.clear();
    EXPECT_TRUE(CollectSelectedKeys(marked, books, keys, QStringLiteral("tm")));
    EXPECT_EQ(keys, QStringLiteral("A1"));
    EXPECT_EQ(marked.keys(), QStringList{QStringLiteral("A1")});

    books.close();
    keys = QStringLiteral("Z9");
    EXPECT_FALSE(CollectSelectedKeys(marked, books, keys, QStringLiteral("tm")));
    EXPECT_EQ(keys, QStringLiteral("Z9"));
}

TEST_F(CartTest, QuotesInKeysAndOperatorCodes)
{
    const QString op = QStringLiteral("o'p");
    add(QStringLiteral("AB'1"), op);
    add(QStringLiteral("AB'1,A1"), op);
    EXPECT_EQ(lineKeys(), (QStringList{QStringLiteral("AB'1"), QStringLiteral("A1")}));
    EXPECT_EQ(carts(), QStringList{year() + QStringLiteral("00000001|o'p|N")});
}

TEST_F(CartTest, UnknownKeysAddNothingAndAreReported)
{
    const CartAddResult result = add(QStringLiteral("NOPE,A1,,B2'"));
    EXPECT_EQ(lineKeys(), QStringList{QStringLiteral("A1")});
    EXPECT_EQ(result.added, QStringList{QStringLiteral("A1")});
    ASSERT_EQ(result.refused.size(), 2);
    EXPECT_EQ(result.refused[0].key, QStringLiteral("NOPE"));
    EXPECT_EQ(result.refused[1].key, QStringLiteral("B2'"));
    EXPECT_TRUE(result.refused[1].title.isEmpty());
    EXPECT_FALSE(result.complete());
}

TEST_F(CartTest, ATitleWithoutAPriceOrWithANegativeOneIsRefusedAndNamed)
{
    const struct {
        QVariant dj;
        bool lands;
        QString reason;
    } cases[] = {
        {QVariant(QMetaType::fromType<double>()), false, QStringLiteral("没有估定价")},
        {-1.0, false, QStringLiteral("估定价为负数（-1）")},
        {0.0, true, QString()},   // free material goes in at amount 0
        {12.5, true, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dj.toString().toStdString());
        emptyCart();
        Sql::exec(db, QStringLiteral("update debooks set dj=? where tm='B2'"), {c.dj});
        const CartAddResult result = add(QStringLiteral("A1,B2,C3"));
        if (c.lands) {
            EXPECT_TRUE(result.complete());
            EXPECT_EQ(lineKeys(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3")}));
            const QList<Line> all = lines();
            ASSERT_EQ(all.size(), 3);
            EXPECT_EQ(all[1].my, c.dj.toDouble() * all[1].sl);
            continue;
        }
        EXPECT_EQ(result.added, (QStringList{QStringLiteral("A1"), QStringLiteral("C3")}));
        ASSERT_EQ(result.refused.size(), 1);
        EXPECT_EQ(result.refused[0].key, QStringLiteral("B2"));
        EXPECT_EQ(result.refused[0].title, QStringLiteral("大学物理"));
        EXPECT_EQ(result.refused[0].reason, c.reason);
        EXPECT_EQ(lineKeys(), (QStringList{QStringLiteral("A1"), QStringLiteral("C3")}));
        EXPECT_TRUE(CartAddMessage(result).contains(QStringLiteral("《大学物理》（条码 B2）：") + c.reason))
            << CartAddMessage(result).toStdString();
    }
}

TEST_F(CartTest, RepeatedKeyGivesOneLineInNewAndExistingCarts)
{
    add(QStringLiteral("A1,A1"));
    EXPECT_EQ(lineKeys(), QStringList{QStringLiteral("A1")});
    const CartAddResult result = add(QStringLiteral("B2,A1,B2"));
    EXPECT_EQ(lineKeys(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2")}));
    EXPECT_EQ(result.added, QStringList{QStringLiteral("B2")});
    EXPECT_EQ(result.alreadyThere, QStringList{QStringLiteral("A1")});
}

TEST_F(CartTest, RefusedTitleIsNamedAndTheOthersLand)
{
    // Refused before the row is written, after it, and a title gone from the catalogue since
    // the list was read: the title is named, the others land, the marks stay for another try.
    const struct {
        const char *what;
        const char *setup;
        const char *cleanup;
        QString named;
        QString reason;
    } cases[] = {
        {"before insert",
         "create trigger refuse before insert on deshopcart_mx"
         " when new.tm='B2' begin select raise(abort,'refused'); end",
         "drop trigger refuse", QStringLiteral("《大学物理》（条码 B2）"), QStringLiteral("refused")},
        {"after insert",
         "create trigger refuse after insert on deshopcart_mx"
         " when new.tm='B2' begin select raise(fail,'refused'); end",
         "drop trigger refuse", QStringLiteral("《大学物理》（条码 B2）"), QStringLiteral("refused")},
        {"gone from the catalogue", "delete from debooks where tm='B2'", nullptr,
         QStringLiteral("条码 B2"), QStringLiteral("书目库中没有这种书目")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        emptyCart();
        prompter.shown.clear();
        marked.clear();
        Sql::exec(db, QString::fromLatin1(c.setup));
        for (int recNo : {1, 3, 4})
            marked.mark(recNo - 1);
        EXPECT_FALSE(place());
        ASSERT_EQ(prompter.shown.size(), 1);
        const QStringList told = prompter.shown[0].text.split(u'\n');
        ASSERT_EQ(told.size(), 3) << prompter.shown[0].text.toStdString();
        EXPECT_EQ(told[0], QStringLiteral("有 1 种书目未能放入购物车："));
        EXPECT_TRUE(told[1].startsWith(c.named + QStringLiteral("："))) << told[1].toStdString();
        EXPECT_TRUE(told[1].contains(c.reason)) << told[1].toStdString();
        EXPECT_EQ(told[2], QStringLiteral("已放入 2 种。"));
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Warning);
        EXPECT_EQ(marked.size(), 3);
        EXPECT_EQ(lineKeys(), (QStringList{QStringLiteral("A1"), QStringLiteral("C3")}));
        EXPECT_EQ(carts().size(), 1);
        EXPECT_EQ(Sql::transactionDepth(db), 0);

        // Again: the two already there are counted, the refused one named again.
        prompter.shown.clear();
        EXPECT_FALSE(place());
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_TRUE(prompter.shown[0].text.endsWith(QStringLiteral("已放入 0 种，2 种原已在购物车中。")))
            << prompter.shown[0].text.toStdString();
        if (c.cleanup)
            Sql::exec(db, QString::fromLatin1(c.cleanup));
    }
}

TEST_F(CartTest, OtherErrorsLeaveNoTrace)
{
    const struct {
        const char *what;
        const char *setup;
        const char *cleanup;
    } cases[] = {
        {"header refused",
         "create trigger refuse before insert on deshopcart begin select raise(abort,'no header'); end",
         "drop trigger refuse"},
        // The counter's period would not fit its column.
        {"counter refused",
         "insert into parameter (userno,pname,pvalue,idate,len,pformat)"
         " values ('0','shopcart',1,'2000',8,'YYYYMMDDYYYYMMDDYYYYMMDD')",
         "delete from parameter"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QString::fromLatin1(c.setup));
        const int counterRows = intOf(QStringLiteral("select count(*) from parameter"));
        prompter.shown.clear();
        marked.clear();
        marked.mark(0);

        EXPECT_THROW(place(), AppError);
        EXPECT_TRUE(prompter.shown.isEmpty());
        EXPECT_EQ(marked.keys(), QStringList{QStringLiteral("A1")});
        QString keys = QStringLiteral("A1,B2");
        EXPECT_THROW(AddToCart(keys, db, QString()), AppError);
        EXPECT_EQ(keys, QStringLiteral("A1,B2"));

        EXPECT_EQ(intOf(QStringLiteral("select count(*) from deshopcart")), 0);
        EXPECT_EQ(intOf(QStringLiteral("select count(*) from deshopcart_mx")), 0);
        EXPECT_EQ(intOf(QStringLiteral("select count(*) from parameter")), counterRows);
        EXPECT_EQ(intOf(QStringLiteral("select count(*) from parameter where pvalue<>1")), 0);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
        Sql::exec(db, QString::fromLatin1(c.cleanup));
    }
}

} // namespace

// A catalogue of a few thousand titles, put in as several sets of keys.
// Titles ordered this season are named once for the selection: 是 puts every marked title in,
// 否 the others, 取消 nothing (the marks stay). Last year's order asks nothing.
TEST_F(CartTest, TitlesOrderedThisSeasonAreNamedOnce)
{
    const QString thisYear = year() + QStringLiteral("-01-01");
    const QString lastYear = QString::number(QDate::currentDate().year() - 1) + QStringLiteral("-12-31");
    Sql::exec(db, QStringLiteral("insert into deorder (dhdh,dhrq) values ('D1',?),('D0',?)"), {thisYear, lastYear});
    Sql::exec(db, QStringLiteral("insert into deorder_mx (dhdh,tm,sm,sl) values"
                                 " ('D1','A1','高等数学',3),('D1','C3','线性代数',4),('D0','B2','大学物理',6)"));
    const QString question = QStringLiteral("以下书目本季已经订购：\n《高等数学》（条码 A1）（D1，%1，3）\n"
                                            "《线性代数》（条码 C3）（D1，%1，4）\n仍然放入购物车吗？")
                                 .arg(thisYear);
    const struct {
        const char *name;
        int answer;
        bool placedAll;
        QStringList cart;
        QStringList shown;
    } cases[] = {
        {"是", MsgResult::Yes, true, {"A1", "B2", "C3"}, {question, placed}},
        {"否", MsgResult::No, true, {"B2"}, {question, placed}},
        {"取消", MsgResult::Cancel, false, {}, {question}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        emptyCart();
        prompter.shown.clear();
        prompter.answers.clear();
        prompter.answers.enqueue(c.answer);
        for (int row : {0, 2, 3})   // A1, B2, C3
            marked.mark(row);
        EXPECT_EQ(place(), c.placedAll);
        EXPECT_EQ(prompter.texts(), c.shown);
        EXPECT_EQ(prompter.shown.at(0).flags, MsgFlags::YesNoCancel);
        EXPECT_EQ(lineKeys(), c.cart);
        EXPECT_EQ(marked.isEmpty(), c.placedAll);
        marked.clear();
    }
    // 否 with only ordered titles marked puts nothing in and keeps the marks.
    emptyCart();
    prompter.shown.clear();
    prompter.answers.clear();
    prompter.answers.enqueue(MsgResult::No);
    marked.mark(0);
    EXPECT_FALSE(place());
    EXPECT_EQ(prompter.texts().last(), QStringLiteral("所选书目本季都已经订购，没有放入购物车"));
    EXPECT_TRUE(lineKeys().isEmpty());
    EXPECT_FALSE(marked.isEmpty());
}

class ManyTitlesTest : public CartTest {
protected:
    static constexpr int Titles = 1234;
    QStringList keysK;   // K0001 … in catalogue order

    void SetUp() override
    {
        CartTest::SetUp();
        Sql::Transaction t(db);
        for (int i = 1; i <= Titles; ++i) {
            const QString key = QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0'));
            Sql::exec(db,
                      QStringLiteral("insert into debooks (tm,sm,dj,ghbm,cbbm) values (?,?,?,'G01','P1')"),
                      {key, QStringLiteral("书目%1").arg(i), 1.5 + i});
            keysK << key;
        }
        t.commit();
        books.close();
        books.setStatement(QStringLiteral("select tm,sm,dj from qrydebooks where tm like 'K%' order by tm desc"));
        books.open();
        ASSERT_EQ(books.recordCount(), Titles);
    }
};

TEST_F(ManyTitlesTest, EveryTitleOnceInListOrderAcrossSets)
{
    // Every seventh title is in the cart already; the list runs backwards, repeats titles,
    // holds unknown keys and one title that the database refuses, in the second set of keys.
    QStringList before;
    for (int i = 6; i < Titles; i += 7)
        before << keysK[i];
    add(before.join(u','));
    Sql::exec(db, QStringLiteral("create trigger refuse before insert on deshopcart_mx"
                                 " when new.tm='K0500' begin select raise(abort,'refused'); end"));

    QStringList list;
    for (int i = Titles - 1; i >= 0; --i) {
        list << keysK[i];
        if (i % 300 == 0)
            list << QStringLiteral("X%1").arg(i) << keysK[Titles - 1];
    }
    QStringList added, there, refused;
    for (const QString &key : list) {
        if (added.contains(key) || there.contains(key) || refused.contains(key))
            continue;
        if (before.contains(key))
            there << key;
        else if (key.startsWith(u'X') || key == u"K0500")
            refused << key;
        else
            added << key;
    }

    ProgressLog log;
    RecordingProgress progress(log);
    QString keys = list.join(u',');
    const CartAddResult result = AddToCart(keys, db, QString(), progress);
    EXPECT_TRUE(keys.isEmpty());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.added, added);
    EXPECT_EQ(result.alreadyThere, there);
    QStringList gotRefused;
    for (const CartAddResult::Refused &r : result.refused)
        gotRefused << r.key;
    EXPECT_EQ(gotRefused, refused);
    ASSERT_EQ(result.refused.size(), 6);
    const auto k500 = std::find_if(result.refused.begin(), result.refused.end(),
                                   [](const auto &r) { return r.key == u"K0500"; });
    ASSERT_NE(k500, result.refused.end());
    EXPECT_EQ(k500->title, QStringLiteral("书目500"));
    EXPECT_TRUE(k500->reason.contains(QStringLiteral("refused")));

    EXPECT_EQ(intOf(QStringLiteral("select count(*) from deshopcart_mx")), Titles - 1);
    EXPECT_EQ(intOf(QStringLiteral("select count(distinct tm) from deshopcart_mx")), Titles - 1);
    EXPECT_EQ(carts().size(), 1);
    QSqlQuery q = Sql::exec(db, QStringLiteral("select sl,my,sm from deshopcart_mx where tm='K1000'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 10);
    EXPECT_DOUBLE_EQ(q.value(1).toDouble(), 10 * 1001.5);
    EXPECT_EQ(q.value(2).toString(), QStringLiteral("书目1000"));

    // The count went up by the titles of each set, to every distinct title of the list
    // (the catalogue's and five unknown ones).
    EXPECT_EQ(log.labels, QStringList{QStringLiteral("正在放入购物车")});
    EXPECT_EQ(log.totals, QList<qint64>{Titles + 5});
    EXPECT_EQ(log.steps, (QList<qint64>{500, 1000, Titles + 5}));
    EXPECT_TRUE(log.cancellable);
    EXPECT_EQ(Sql::transactionDepth(db), 0);
}

TEST_F(ManyTitlesTest, StoppingHalfWayLeavesTheCartAsItWas)
{
    const struct {
        const char *what;
        const char *before;   // titles in the cart before, or none: no cart yet
    } cases[] = {{"new cart", nullptr}, {"existing cart", "K0001,K0002"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        emptyCart();
        Sql::exec(db, QStringLiteral("delete from parameter"));
        if (c.before)
            add(QString::fromLatin1(c.before));
        const QStringList cartsBefore = carts();
        const QStringList linesBefore = lineKeys();
        const int counter = intOf(QStringLiteral("select count(*) from parameter where pvalue=1"));

        // Directly: the second set of keys is in when the user stops it.
        ProgressLog log;
        log.stopAt = 600;
        RecordingProgress progress(log);
        const QString list = keysK.join(u',');
        QString keys = list;
        const CartAddResult result = AddToCart(keys, db, QString(), progress);
        EXPECT_TRUE(log.stopped);
        EXPECT_TRUE(result.cancelled);
        EXPECT_FALSE(result.complete());
        EXPECT_TRUE(result.added.isEmpty());
        EXPECT_EQ(keys, list);

        // Through the button: the marks stay and the user is told nothing changed.
        prompter.shown.clear();
        prompter.progressLog = ProgressLog();
        prompter.progressLog.stopAt = 1;
        for (int row = 0; row < books.recordCount(); ++row)
            marked.mark(row);
        EXPECT_FALSE(place());
        EXPECT_TRUE(prompter.progressLog.stopped);
        expectShown({QStringLiteral("已取消，购物车没有改变")});
        EXPECT_EQ(marked.size(), Titles);
        marked.clear();

        EXPECT_EQ(carts(), cartsBefore);
        EXPECT_EQ(lineKeys(), linesBefore);
        EXPECT_EQ(intOf(QStringLiteral("select count(*) from parameter where pvalue=1")), counter);
        EXPECT_EQ(intOf(QStringLiteral("select count(*) from parameter where pvalue<>1")), 0);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
    }
}
