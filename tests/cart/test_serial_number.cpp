// Counters: numbering per period, restarts, widths, and nesting in the caller's transaction.
#include "temp_tree.h"

#include "cart/serial_number.h"
#include "common/app_error.h"
#include "data/sql_helper.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

const QDate day2026(2026, 3, 5);

struct Counter {
    qint64 pvalue = 0;
    QString idate, pformat, notes;
    int len = 0;
};

class SerialNumberTest : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    QString next(const QString &name, const QDate &today = day2026)
    {
        return NextSerialNumber(name, db, QStringLiteral("0"), today);
    }
    void setCounter(const QString &name, qint64 pvalue, const QString &idate, int len,
                    const QString &pformat)
    {
        Sql::exec(db, QStringLiteral("delete from parameter where pname=?"), {name});
        Sql::exec(db,
                  QStringLiteral("insert into parameter (userno,pname,notes,pvalue,idate,len,pformat)"
                                 " values ('0',?,'流水号',?,?,?,?)"),
                  {name, pvalue, idate, len, pformat});
    }
    Counter counter(const QString &name, const QString &userno = QStringLiteral("0"))
    {
        QSqlQuery q = Sql::exec(db,
                                QStringLiteral("select pvalue,idate,len,pformat,notes from parameter"
                                               " where pname=? and userno=?"),
                                {name, userno});
        Counter c;
        if (q.next())
            c = {q.value(0).toLongLong(), q.value(1).toString(), q.value(3).toString(),
                 q.value(4).toString(), q.value(2).toInt()};
        return c;
    }
    int counterRows() { return Sql::scalar(db, QStringLiteral("select count(*) from parameter")).toInt(); }
};

TEST_F(SerialNumberTest, NewCounterStartsTheYearAndCountsOn)
{
    // An empty name and owner mean the cart counter of owner "0".
    EXPECT_EQ(NextSerialNumber(QString(), db, QString(), day2026), QStringLiteral("202600000001"));
    const Counter c = counter(QStringLiteral("shopcart"));
    EXPECT_EQ(c.pvalue, 1);
    EXPECT_EQ(c.idate, QStringLiteral("2026"));
    EXPECT_EQ(c.len, 8);
    EXPECT_EQ(c.pformat, QStringLiteral("YYYY"));
    EXPECT_EQ(c.notes, QStringLiteral("流水号"));

    EXPECT_EQ(next(QStringLiteral("shopcart")), QStringLiteral("202600000002"));
    EXPECT_EQ(counter(QStringLiteral("shopcart")).pvalue, 2);
    EXPECT_EQ(counterRows(), 1);
}

TEST_F(SerialNumberTest, CountersAreKeptApartByNameAndOwner)
{
    next(QStringLiteral("order"));
    next(QStringLiteral("order"));
    EXPECT_EQ(next(QStringLiteral("OrderBill")), QStringLiteral("202600000001"));
    EXPECT_EQ(NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("7"), day2026),
              QStringLiteral("202600000001"));
    EXPECT_EQ(next(QStringLiteral("order")), QStringLiteral("202600000003"));
    // A name with a quote is an ordinary name.
    EXPECT_EQ(next(QStringLiteral("o'rder")), QStringLiteral("202600000001"));
    EXPECT_EQ(counter(QStringLiteral("o'rder")).pvalue, 1);
    EXPECT_EQ(counterRows(), 4);
}

TEST_F(SerialNumberTest, NewYearRestartsTheSequence)
{
    next(QStringLiteral("order"));
    next(QStringLiteral("order"));
    const QDate nextYear(2027, 1, 1);
    EXPECT_EQ(next(QStringLiteral("order"), nextYear), QStringLiteral("202700000001"));
    EXPECT_EQ(counter(QStringLiteral("order")).idate, QStringLiteral("2027"));
    EXPECT_EQ(next(QStringLiteral("order"), nextYear), QStringLiteral("202700000002"));
}

TEST_F(SerialNumberTest, MonthlyPatternRestartsEachMonth)
{
    setCounter(QStringLiteral("order"), 7, QStringLiteral("202603"), 4, QStringLiteral("YYYYMM"));
    EXPECT_EQ(next(QStringLiteral("order"), QDate(2026, 3, 31)), QStringLiteral("2026030008"));
    EXPECT_EQ(next(QStringLiteral("order"), QDate(2026, 4, 1)), QStringLiteral("2026040001"));
    EXPECT_EQ(counter(QStringLiteral("order")).idate, QStringLiteral("202604"));
    EXPECT_EQ(next(QStringLiteral("order"), QDate(2026, 4, 2)), QStringLiteral("2026040002"));
}

TEST_F(SerialNumberTest, WithoutPatternResetsOnceThenCountsWithoutPrefix)
{
    for (const QString &pattern : {QStringLiteral("手工编号"), QString()}) {
        SCOPED_TRACE(pattern.toStdString());
        setCounter(QStringLiteral("order"), 5, QStringLiteral("2026"), 8, pattern);
        EXPECT_EQ(next(QStringLiteral("order")), QStringLiteral("00000001"));
        EXPECT_EQ(counter(QStringLiteral("order")).idate, QString());
        EXPECT_EQ(next(QStringLiteral("order")), QStringLiteral("00000002"));
        EXPECT_EQ(next(QStringLiteral("order"), QDate(2030, 1, 1)), QStringLiteral("00000003"));
    }
}

TEST_F(SerialNumberTest, WidthPadsButNeverCuts)
{
    const struct {
        int len;
        qint64 last;
        const char *expected;
    } cases[] = {
        {2, 122, "2026123"},
        {2, 8, "202609"},
        {3, 8, "2026009"},
        {0, 41, "202642"},
        {12, 99999999, "2026000100000000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        setCounter(QStringLiteral("order"), c.last, QStringLiteral("2026"), c.len, QStringLiteral("YYYY"));
        EXPECT_EQ(next(QStringLiteral("order")), QString::fromLatin1(c.expected));
        EXPECT_EQ(counter(QStringLiteral("order")).pvalue, c.last + 1);
    }
}

TEST_F(SerialNumberTest, EmptyValueCountsAsZeroAndNumbersNeverRepeat)
{
    const struct {
        const char *what;
        const char *pvalue;   // SQL text of the stored value
        const char *idate;
    } cases[] = {
        {"null value, this year", "null", "2026"},
        {"empty text, this year", "''", "2026"},
        {"null value, last year", "null", "2025"},
        {"null value, no period stored", "null", "null"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sql::exec(db, QStringLiteral("delete from parameter"));
        Sql::exec(db, QStringLiteral("insert into parameter (userno,pname,notes,pvalue,idate,len,pformat)"
                                     " values ('0','order','流水号',%1,%2,8,'YYYY')")
                          .arg(QLatin1String(c.pvalue),
                               qstrcmp(c.idate, "null") == 0 ? QStringLiteral("null")
                                                             : QStringLiteral("'%1'").arg(QLatin1String(c.idate))));
        for (int n = 1; n <= 3; ++n) {
            EXPECT_EQ(next(QStringLiteral("order")), QStringLiteral("20260000000%1").arg(n));
            const Counter stored = counter(QStringLiteral("order"));
            EXPECT_EQ(stored.pvalue, n);
            EXPECT_EQ(stored.idate, QStringLiteral("2026"));
        }
    }
}

// Only a period that moves forward restarts the count; a desk dated behind the stored period
// counts on in it, so two desks with different dates never issue one number twice.
TEST_F(SerialNumberTest, RestartsOnlyWhenThePeriodMovesForward)
{
    const struct {
        const char *what;
        const char *pattern;
        const char *stored;
        QDate today;
        const char *expected;   // the number issued after 41
        const char *storedAfter;
    } cases[] = {
        {"same year", "YYYY", "2026", QDate(2026, 12, 31), "202600000042", "2026"},
        {"next year", "YYYY", "2026", QDate(2027, 1, 1), "202700000001", "2027"},
        {"year behind", "YYYY", "2027", QDate(2026, 12, 31), "202700000042", "2027"},
        {"years behind (wrong clock)", "YYYY", "2027", QDate(2001, 6, 1), "202700000042", "2027"},
        {"month forward", "YYYYMM", "202611", QDate(2026, 12, 1), "20261200000001", "202612"},
        {"month behind", "YYYYMM", "202612", QDate(2026, 11, 30), "20261200000042", "202612"},
        {"month behind, year forward", "YYYYMM", "202612", QDate(2027, 1, 1), "20270100000001", "202701"},
        {"day behind", "YYYY-MM-DD", "2026-03-05", QDate(2026, 3, 4), "2026-03-0500000042", "2026-03-05"},
        {"two-digit year behind", "'NO'YY", "NO27", QDate(2026, 5, 5), "NO2700000042", "NO27"},
        {"one-letter month, two digits stored", "YYYY.M", "2026.11", QDate(2026, 9, 1), "2026.1100000042", "2026.11"},
        {"one-letter month forward", "YYYY.M", "2026.9", QDate(2026, 10, 1), "2026.1000000001", "2026.10"},
        {"pattern changed: unreadable", "YYYYMM", "2027", QDate(2026, 3, 5), "20260300000001", "202603"},
        {"pattern changed: a later text", "YYYY", "2026-XX", QDate(2025, 1, 1), "202500000001", "2025"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        setCounter(QStringLiteral("order"), 41, QString::fromUtf8(c.stored), 8, QString::fromUtf8(c.pattern));
        EXPECT_EQ(next(QStringLiteral("order"), c.today), QString::fromUtf8(c.expected));
        EXPECT_EQ(counter(QStringLiteral("order")).idate, QString::fromUtf8(c.storedAfter));
    }
}

// Two desks on either side of New Year's Eve take turns: every counter hands out each number
// once, and once the later desk has counted, every number is in the later year.
TEST_F(SerialNumberTest, DesksEitherSideOfNewYearTakingTurnsNeverRepeat)
{
    for (const char *const counterName : {"shopcart", "OrderBill", "order"}) {
        const QString name = QString::fromLatin1(counterName);
        SCOPED_TRACE(name.toStdString());
        QSet<QString> issued;
        QString last;
        for (int turn = 0; turn < 6; ++turn) {
            const QDate today = turn % 2 == 0 ? QDate(2026, 12, 31) : QDate(2027, 1, 1);
            const QString number = next(name, today);
            EXPECT_FALSE(issued.contains(number)) << number.toStdString();
            issued.insert(number);
            if (turn >= 1) {
                EXPECT_TRUE(number.startsWith(u"2027")) << number.toStdString();
            }
            last = number;
        }
        EXPECT_EQ(last, QStringLiteral("202700000005"));
    }
}

TEST_F(SerialNumberTest, RollsBackAndCommitsWithTheCaller)
{
    next(QStringLiteral("order"));
    {
        Sql::Transaction outer(db);
        EXPECT_EQ(next(QStringLiteral("order")), QStringLiteral("202600000002"));
        EXPECT_EQ(next(QStringLiteral("OrderBill")), QStringLiteral("202600000001"));
        EXPECT_EQ(Sql::transactionDepth(db), 1);
        outer.rollback();
    }
    EXPECT_EQ(counter(QStringLiteral("order")).pvalue, 1);
    EXPECT_EQ(counterRows(), 1);
    {
        Sql::Transaction outer(db);
        EXPECT_EQ(next(QStringLiteral("order")), QStringLiteral("202600000002"));
        outer.commit();
    }
    EXPECT_EQ(counter(QStringLiteral("order")).pvalue, 2);
}

TEST_F(SerialNumberTest, FailingStatementUndoesItsOwnScopeAndThrows)
{
    // The period text is longer than the column holds, so the update is refused.
    const QString tooLong = QStringLiteral("YYYYMMDDYYYYMMDDYYYYMMDD");
    setCounter(QStringLiteral("order"), 4, QStringLiteral("2026"), 8, tooLong);
    Sql::Transaction outer(db);
    next(QStringLiteral("OrderBill"));
    EXPECT_THROW(next(QStringLiteral("order")), AppError);
    EXPECT_EQ(Sql::transactionDepth(db), 1);
    outer.commit();
    EXPECT_EQ(counter(QStringLiteral("order")).pvalue, 4);
    EXPECT_EQ(counter(QStringLiteral("order")).idate, QStringLiteral("2026"));
    EXPECT_EQ(counter(QStringLiteral("OrderBill")).pvalue, 1);
}

TEST(CounterPeriodTest, FormatsTheDateWithThePattern)
{
    const QDate date(2026, 3, 5);
    const struct {
        const char *pattern;
        const char *expected;
    } cases[] = {
        {"YYYY", "2026"},          {"yyyymmdd", "20260305"},  {"YYYY-MM-DD", "2026-03-05"},
        {"YY", "26"},              {"YYYY.M.D", "2026.3.5"},  {"'NO'YYYYMM", "NO202603"},
        {"手工编号", ""},           {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CounterPeriod(QString::fromUtf8(c.pattern), date), QString::fromUtf8(c.expected))
            << c.pattern;
}

} // namespace
