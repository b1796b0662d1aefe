#include "cart/season_orders.h"

#include "common/prompter.h"
#include "data/bound_text.h"
#include "data/sql_helper.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

namespace SeasonOrders {
namespace {

// Titles bound to one statement, as the cart binds them: well inside every engine's limits.
constexpr qsizetype KeyBatch = 500;

QString placeholders(qsizetype count)
{
    QString out;
    out.reserve(count * 2);
    for (qsizetype i = 0; i < count; ++i)
        out += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
    return out;
}

// A quantity as the clerk reads it: a whole number without decimals, whatever type the
// engine hands back for numeric(15,0).
QString quantityText(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("0");
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok ? QString::number(number, 'f', 0) : value.toString().trimmed();
}

// The season's first day and the next season's: dates are "YYYY-MM-DD" texts.
QString yearStart(int year)
{
    return QStringLiteral("%1-01-01").arg(year, 4, 10, QLatin1Char('0'));
}

} // namespace

QString quantityColumn()
{
    return QStringLiteral("(select sum(m.sl) from deorder_mx m join deorder o on o.dhdh=m.dhdh"
                          " where m.tm=qrydebooks.tm and o.dhrq>=? and o.dhrq<?) as ydsl");
}

QVariantList seasonBounds(const QDate &today)
{
    return {yearStart(today.year()), yearStart(today.year() + 1)};
}

QList<OrderedLine> find(const QSqlDatabase &db, const QStringList &keys, const QDate &today)
{
    QStringList titles;
    {
        QSet<QString> seen;
        for (const QString &part : keys) {
            const QString key = Sql::boundText(part);
            if (key.isEmpty() || seen.contains(key))
                continue;
            seen.insert(key);
            titles << key;
        }
    }
    QHash<QString, QList<OrderedLine>> byKey;
    for (qsizetype first = 0; first < titles.size(); first += KeyBatch) {
        const QStringList batch = titles.mid(first, KeyBatch);
        QVariantList values = seasonBounds(today);
        for (const QString &key : batch)
            values << key;
        QSqlQuery q = Sql::exec(
            db,
            QStringLiteral("select m.tm,m.sm,o.dhdh,o.dhrq,m.sl from deorder_mx m join deorder o on o.dhdh=m.dhdh"
                           " where o.dhrq>=? and o.dhrq<? and m.tm in (")
                + placeholders(batch.size()) + QStringLiteral(") order by o.dhrq,o.dhdh"),
            values);
        while (q.next()) {
            OrderedLine line{q.value(0).toString().trimmed(), q.value(1).toString().trimmed(),
                             q.value(2).toString().trimmed(), q.value(3).toString().trimmed(),
                             quantityText(q.value(4))};
            byKey[line.key].append(line);
        }
    }
    QList<OrderedLine> out;
    for (const QString &key : titles)
        out += byKey.value(key);
    return out;
}

QStringList keysOf(const QList<OrderedLine> &lines)
{
    QStringList out;
    for (const OrderedLine &line : lines)
        if (out.isEmpty() || out.last() != line.key)
            out << line.key;
    return out;
}

QString question(const QList<OrderedLine> &lines, const QString &closing)
{
    QStringList rows;
    int titles = 0;
    for (qsizetype i = 0; i < lines.size();) {
        const OrderedLine &head = lines.at(i);
        QStringList orders;
        for (; i < lines.size() && lines.at(i).key == head.key; ++i) {
            const OrderedLine &l = lines.at(i);
            orders << QStringLiteral("（%1，%2，%3）").arg(l.order, l.date, l.quantity);
        }
        ++titles;
        if (titles <= NamedTitles)
            rows << QStringLiteral("《%1》（条码 %2）").arg(head.title, head.key) + orders.join(QString());
    }
    QString text = QStringLiteral("以下书目本季已经订购：\n") + rows.join(u'\n');
    if (titles > NamedTitles)
        text += QStringLiteral("\n等 %1 种").arg(titles);
    return text + u'\n' + closing;
}

bool confirmCartKeys(QString &keys, const QSqlDatabase &db, Prompter &prompter, const QDate &today)
{
    const QStringList list = keys.split(u',');
    const QList<OrderedLine> lines = find(db, list, today);
    if (lines.isEmpty())
        return true;
    const int answer = prompter.message(question(lines, QStringLiteral("仍然放入购物车吗？")),
                                        QStringLiteral("系统提示"), MsgFlags::YesNoCancel);
    if (answer == MsgResult::Yes)
        return true;
    if (answer != MsgResult::No)
        return false;
    const QStringList ordered = keysOf(lines);
    const QSet<QString> out(ordered.begin(), ordered.end());
    QStringList kept;
    for (const QString &key : list)
        if (!out.contains(Sql::boundText(key)))
            kept << key;
    keys = kept.join(u',');
    return true;
}

} // namespace SeasonOrders
