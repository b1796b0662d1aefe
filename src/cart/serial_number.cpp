#include "cart/serial_number.h"

#include "data/schema.h"
#include "data/sql_helper.h"

#include <QSqlQuery>

namespace {

const QString &manualNumbering()
{
    static const QString text = QStringLiteral("手工编号");
    return text;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString CounterPeriod(const QString &pformat, const QDate &date)
{
    if (pformat.isEmpty() || pformat == manualNumbering())
        return QString();
    QString out;
    for (qsizetype i = 0; i < pformat.size();) {
        const QChar c = pformat.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = pformat.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pformat.size() : close;
            out += pformat.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const QChar letter = c.toUpper();
        qsizetype run = 1;
        while (i + run < pformat.size() && pformat.at(i + run).toUpper() == letter)
            ++run;
        if (letter == u'Y')
            out += run <= 2 ? twoDigits(date.year() % 100) : QString::number(date.year());
        else if (letter == u'M')
            out += run == 1 ? QString::number(date.month()) : twoDigits(date.month());
        else if (letter == u'D')
            out += run == 1 ? QString::number(date.day()) : twoDigits(date.day());
        else
            out += pformat.mid(i, run);
        i += run;
    }
    return out;
}

QString NextSerialNumber(const QString &name, const QSqlDatabase &db, const QString &userno,
                         const QDate &today)
{
    const QString counter = name.isEmpty() ? QStringLiteral("shopcart") : name;
    const QString owner = userno.isEmpty() ? QStringLiteral("0") : userno;
    const QString table = Schema::sqlName(db, QStringLiteral("parameter"));

    Sql::Transaction transaction(db);
    bool found = false;
    qint64 lastValue = 0;
    QString storedPeriod;
    int width = 8;
    QString pattern;
    // Lock the counter row before reading it, so that another connection counting at the same
    // time waits (or fails) instead of reading the same value. A counter not there yet is
    // guarded by the unique index on (pname, userno).
    Sql::exec(db, QStringLiteral("update %1 set pvalue=pvalue where pname=? and userno=?").arg(table),
              {counter, owner});
    {
        QSqlQuery q = Sql::exec(db,
                                QStringLiteral("select pvalue,idate,len,pformat from %1"
                                               " where pname=? and userno=?").arg(table),
                                {counter, owner});
        if (q.next()) {
            found = true;
            lastValue = q.value(0).toLongLong();
            storedPeriod = q.value(1).toString();
            width = q.value(2).toInt();
            pattern = q.value(3).toString();
        }
    }

    QString period;
    qint64 number = 1;
    if (!found) {
        period = QString::number(today.year());
        Sql::exec(db,
                  QStringLiteral("insert into %1 (userno,pname,notes,pvalue,idate,len,pformat)"
                                 " values (?,?,?,1,?,8,?)").arg(table),
                  {owner, counter, QStringLiteral("流水号"), period, QStringLiteral("YYYY")});
    } else {
        period = CounterPeriod(pattern, today);
        // No prefix is stored as an empty text, not as NULL (a null QString binds as NULL).
        if (period.isNull())
            period = QStringLiteral("");
        // The counter stores exactly the number it issues: an empty pvalue counts as 0, and
        // "pvalue+1" on it would stay empty and issue the same number again.
        if (storedPeriod == period)
            number = lastValue + 1;
        Sql::exec(db,
                  QStringLiteral("update %1 set pvalue=?,idate=? where pname=? and userno=?")
                      .arg(table),
                  {number, period, counter, owner});
    }
    transaction.commit();

    const QString digits = QString::number(number);
    return period + QString(qMax(0, width - int(digits.size())), QLatin1Char('0')) + digits;
}
