#include "data/engine_error.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace EngineError {
namespace {

// What marks one kind: the engines' words (lower case, found anywhere in the error's texts),
// SQLSTATEs (QODBC) and Firebird's numbers (QIBASE: SQLCODE or ISC status).
struct Signs {
    Kind kind;
    std::initializer_list<const char *> words;
    std::initializer_list<const char *> states;
    std::initializer_list<qlonglong> firebirdCodes;
};

// In this order: the first kind whose signs the error shows is its kind. A lost race comes
// before a busy database (Firebird's "lock conflict on no wait transaction" is one), both
// before a duplicate key (a key that another desk's running transaction holds).
const Signs signs[] = {
    {Kind::DiskFull,
     {"database or disk is full", "no space left on device", "disk full", "could not extend file"},
     {"53100"},
     {}},
    {Kind::ReadOnly,
     {"readonly database", "read-only database", "read-only transaction", "read only database"},
     {"25006"},
     {}},
    {Kind::Conflict,
     {"update conflicts with concurrent update", "could not serialize", "deadlock",
      "lock conflict on no wait transaction"},
     {"40001", "40P01"},
     // SQLCODE -913 (deadlock or update conflict); isc_deadlock, isc_lock_conflict
     {-913, 335544336, 335544345}},
    {Kind::Busy,
     {"database is locked", "database table is locked", "lock conflict", "lock timeout",
      "lock time-out", "could not obtain lock",
      // Firebird: a statement that still waited at the end of the lock wait bound
      // (LockWaitBound cancels it; nothing else in the program cancels a statement)
      "operation was cancelled"},
     {"55P03"},
     // isc_lock_timeout, isc_cancelled
     {335544510, 335544794}},
    {Kind::DuplicateKey,
     {"unique constraint", "violation of primary or unique key", "duplicate key",
      "attempt to store duplicate value"},
     {"23505"},
     // SQLCODE -803 (violation of a primary or unique key)
     {-803}},
};

} // namespace

Kind kindOf(const QSqlError &error)
{
    if (error.type() == QSqlError::NoError)
        return Kind::None;
    const QString words = (error.databaseText() + u' ' + error.driverText()).toLower();
    const QString code = error.nativeErrorCode().trimmed();
    bool numeric = false;
    const qlonglong number = code.toLongLong(&numeric);
    QStringList states = code.split(u';', Qt::SkipEmptyParts);
    for (QString &s : states)
        s = s.trimmed();
    for (const Signs &s : signs) {
        for (const char *w : s.words)
            if (words.contains(QLatin1String(w)))
                return s.kind;
        for (const char *wanted : s.states)
            for (const QString &state : std::as_const(states))
                if (state.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0)
                    return s.kind;
        if (numeric)
            for (const qlonglong n : s.firebirdCodes)
                if (number == n)
                    return s.kind;
    }
    return Kind::Other;
}

} // namespace EngineError
