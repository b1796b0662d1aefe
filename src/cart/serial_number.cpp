#include "cart/serial_number.h"

#include "data/conflict_retry.h"
#include "data/engine_error.h"
#include "data/lock_wait.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QSqlQuery>

#include <algorithm>

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

[[noreturn]] void throwFor(const QSqlError &error)
{
    if (Sql::isConflict(error))
        throw Sql::ConflictError(Sql::errorText(error));
    Sql::raise(error);   // another desk's hold past the lock wait bound: BusyError
}

// Runs one statement of the counter. A lost race with another desk becomes a ConflictError,
// which the owner of the outermost transaction answers by running it again.
QSqlQuery run(const QSqlDatabase &db, const QString &text, const QVariantList &values,
              bool duplicateIsConflict = false)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(text))
        throw AppError(Sql::errorText(q));
    for (const QVariant &v : values)
        q.addBindValue(v);
    const Sql::LockWaitBound bound(db, Sql::mayWaitForLock(text));
    if (q.exec())
        return q;
    const QSqlError error = q.lastError();
    if (duplicateIsConflict && EngineError::kindOf(error) == EngineError::Kind::DuplicateKey)
        throw Sql::ConflictError(Sql::errorText(error));
    throwFor(error);
}

// The counter's row as read, locked against the other desks until the transaction ends.
struct CounterRow {
    bool found = false;
    qint64 lastValue = 0;
    QString storedPeriod;
    int width = 8;
    QString pattern;
};

CounterRow lockCounter(const QSqlDatabase &db, const QString &table, const QString &counter,
                       const QString &owner)
{
    QString select = QStringLiteral("select pvalue,idate,len,pformat from %1"
                                    " where pname=? and userno=?").arg(table);
    switch (Schema::dialectOf(db)) {
    case Schema::Dialect::Firebird:
        // A row another desk changed since this transaction began is a conflict here, not a
        // stale value read.
        select += QStringLiteral(" with lock");
        break;
    case Schema::Dialect::Postgres:
        // Waits for another desk's change and then reads the row as it committed it.
        select += QStringLiteral(" for update");
        break;
    case Schema::Dialect::Sqlite:
    case Schema::Dialect::Unknown:
        // No row locks: take the database's write lock before reading, as a no-op update
        // does (a connection's own transaction holds it already; one behind ODBC may not).
        run(db, QStringLiteral("update %1 set pvalue=pvalue where pname=? and userno=?").arg(table),
            {counter, owner});
        break;
    }
    QSqlQuery q = run(db, select, {counter, owner});
    CounterRow row;
    bool fetched = false;
    {
        const Sql::LockWaitBound bound(db);   // Firebird waits for the row's lock as it fetches it
        fetched = q.next();
    }
    if (fetched) {
        row.found = true;
        row.lastValue = q.value(0).toLongLong();
        row.storedPeriod = q.value(1).toString();
        row.width = q.value(2).toInt();
        row.pattern = q.value(3).toString();
    } else if (q.lastError().isValid()) {
        // Firebird takes the lock as it fetches the row: a conflict shows here, not as "no
        // counter yet".
        throwFor(q.lastError());
    }
    return row;
}

QString drawNumber(const QString &counter, const QSqlDatabase &db, const QString &owner,
                   const QDate &today)
{
    const QString table = Schema::sqlName(db, QStringLiteral("parameter"));
    Sql::Transaction transaction(db);
    CounterRow row;
    try {
        row = lockCounter(db, table, counter, owner);
    } catch (const Sql::ConflictError &) {
        // Run again, the owner locks this counter first thing.
        Sql::lockFirstWhenRunAgain(db, table + u'/' + counter + u'/' + owner,
                                   [table, counter, owner](const QSqlDatabase &on) {
                                       lockCounter(on, table, counter, owner);
                                   });
        throw;
    }

    QString period;
    qint64 number = 1;
    int width = row.width;
    if (!row.found) {
        width = 8;
        period = QString::number(today.year());
        // Two desks may both find no counter: the unique index on (pname, userno) lets one
        // insert it, and the other runs its transaction again and counts on from it.
        run(db,
            QStringLiteral("insert into %1 (userno,pname,notes,pvalue,idate,len,pformat)"
                           " values (?,?,?,1,?,8,?)").arg(table),
            {owner, counter, QStringLiteral("流水号"), period, QStringLiteral("YYYY")}, true);
    } else {
        period = CounterPeriod(row.pattern, today);
        // No prefix is stored as an empty text, not as NULL (a null QString binds as NULL).
        if (period.isNull())
            period = QStringLiteral("");
        // The counter stores exactly the number it issues: an empty pvalue counts as 0, and
        // "pvalue+1" on it would stay empty and issue the same number again.
        if (row.storedPeriod == period) {
            number = row.lastValue + 1;
        } else if (!PeriodMovesForward(row.pattern, row.storedPeriod, today)) {
            // A desk whose date lies behind the stored period counts on in that period.
            number = row.lastValue + 1;
            period = row.storedPeriod;
        }
        run(db, QStringLiteral("update %1 set pvalue=?,idate=? where pname=? and userno=?").arg(table),
            {number, period, counter, owner});
    }
    transaction.commit();

    const QString digits = QString::number(number);
    return period + QString(qMax(0, width - int(digits.size())), QLatin1Char('0')) + digits;
}

// One piece of a counter pattern: a quoted or plain text that stands as it is, or a date
// field written with at least minDigits and at most maxDigits digits.
struct PatternPiece {
    QChar field;   // 'Y', 'M', 'D' or null for text
    int minDigits = 0;
    int maxDigits = 0;
    QString text;
};

QList<PatternPiece> patternPieces(const QString &pformat)
{
    QList<PatternPiece> pieces;
    for (qsizetype i = 0; i < pformat.size();) {
        const QChar c = pformat.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = pformat.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pformat.size() : close;
            pieces.append({QChar(), 0, 0, pformat.mid(i + 1, end - i - 1)});
            i = end + 1;
            continue;
        }
        const QChar letter = c.toUpper();
        qsizetype run = 1;
        while (i + run < pformat.size() && pformat.at(i + run).toUpper() == letter)
            ++run;
        if (letter == u'Y')
            pieces.append(run <= 2 ? PatternPiece{letter, 2, 2, {}} : PatternPiece{letter, 4, 4, {}});
        else if (letter == u'M' || letter == u'D')
            pieces.append(run == 1 ? PatternPiece{letter, 1, 2, {}} : PatternPiece{letter, 2, 2, {}});
        else
            pieces.append({QChar(), 0, 0, pformat.mid(i, run)});
        i += run;
    }
    return pieces;
}

// The date fields read from a period text: year, month, day; -1 where the pattern has none.
struct PeriodFields {
    int value[3] = {-1, -1, -1};
};

int fieldSlot(QChar field)
{
    return field == u'Y' ? 0 : field == u'M' ? 1 : 2;
}

// Reads text from position pos with pieces[index...]; a field of one letter may take one or
// two digits, so both are tried.
bool readPeriod(const QList<PatternPiece> &pieces, qsizetype index, const QString &text,
                qsizetype pos, PeriodFields &fields)
{
    if (index == pieces.size())
        return pos == text.size();
    const PatternPiece &piece = pieces.at(index);
    if (piece.field.isNull()) {
        if (!QStringView(text).mid(pos).startsWith(piece.text))
            return false;
        return readPeriod(pieces, index + 1, text, pos + piece.text.size(), fields);
    }
    for (int digits = piece.maxDigits; digits >= piece.minDigits; --digits) {
        if (pos + digits > text.size())
            continue;
        const QString part = text.mid(pos, digits);
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || part.size() != digits || !std::all_of(part.begin(), part.end(), [](QChar d) {
                return d >= u'0' && d <= u'9';
            }))
            continue;
        if (piece.field == u'M' && (value < 1 || value > 12))
            continue;
        if (piece.field == u'D' && (value < 1 || value > 31))
            continue;
        const int slot = fieldSlot(piece.field);
        if (fields.value[slot] >= 0 && fields.value[slot] != value)
            continue;
        PeriodFields tried = fields;
        tried.value[slot] = value;
        if (readPeriod(pieces, index + 1, text, pos + digits, tried)) {
            fields = tried;
            return true;
        }
    }
    return false;
}

} // namespace

bool PeriodMovesForward(const QString &pformat, const QString &storedPeriod, const QDate &today)
{
    const QList<PatternPiece> pieces = patternPieces(pformat);
    PeriodFields stored;
    if (!readPeriod(pieces, 0, storedPeriod, 0, stored))
        return true;
    // Today's fields as the pattern writes them (a two-digit year compares as two digits).
    int now[3] = {-1, -1, -1};
    for (const PatternPiece &piece : pieces) {
        if (piece.field.isNull())
            continue;
        const int slot = fieldSlot(piece.field);
        now[slot] = slot == 0 ? (piece.maxDigits == 2 ? today.year() % 100 : today.year())
                    : slot == 1 ? today.month()
                                : today.day();
    }
    for (int slot = 0; slot < 3; ++slot) {
        if (now[slot] != stored.value[slot])
            return now[slot] > stored.value[slot];
    }
    return false;
}

QString CounterPeriod(const QString &pformat, const QDate &date)
{
    if (pformat.isEmpty() || pformat == manualNumbering())
        return QString();
    QString out;
    for (const PatternPiece &piece : patternPieces(pformat)) {
        if (piece.field.isNull()) {
            out += piece.text;
            continue;
        }
        const int value = piece.field == u'Y'   ? (piece.maxDigits == 2 ? date.year() % 100 : date.year())
                          : piece.field == u'M' ? date.month()
                                                : date.day();
        out += piece.minDigits == 2 ? twoDigits(value) : QString::number(value);
    }
    return out;
}

QString NextSerialNumber(const QString &name, const QSqlDatabase &db, const QString &userno,
                         const QDate &today)
{
    const QString counter = name.isEmpty() ? QStringLiteral("shopcart") : name;
    const QString owner = userno.isEmpty() ? QStringLiteral("0") : userno;
    return Sql::retryOnConflict(db, [&] { return drawNumber(counter, db, owner, today); });
}
