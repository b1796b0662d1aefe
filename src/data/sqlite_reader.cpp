#include "data/sqlite_reader.h"

#include "common/app_error.h"
#include "data/column_store.h"
#include "data/sql_helper.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <cstring>
#include <sqlite3.h>

namespace SqliteReader {
namespace {

template <typename T>
T handleOf(const QVariant &handle, const char *typeName)
{
    if (!handle.isValid() || qstrcmp(handle.typeName(), typeName) != 0)
        return nullptr;
    return *static_cast<const T *>(handle.constData());
}

sqlite3_stmt *statementOf(const QSqlQuery &query)
{
    const QSqlResult *result = query.result();
    return result ? handleOf<sqlite3_stmt *>(result->handle(), "sqlite3_stmt*") : nullptr;
}

bool textIsUtf8(sqlite3 *db)
{
    sqlite3_stmt *s = nullptr;
    bool utf8 = false;
    if (sqlite3_prepare_v2(db, "PRAGMA encoding", -1, &s, nullptr) == SQLITE_OK
        && sqlite3_step(s) == SQLITE_ROW) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
        utf8 = name && std::strcmp(name, "UTF-8") == 0;
    }
    sqlite3_finalize(s);
    return utf8;
}

// The text as the driver reads it: SQLite's UTF-16 form.
QString utf16Text(sqlite3_stmt *stmt, int column)
{
    const void *p = sqlite3_column_text16(stmt, column);
    return QString(static_cast<const QChar *>(p), sqlite3_column_bytes16(stmt, column) / 2);
}

// The same, made from a copy of the value: the value's UTF-8 bytes stay where they are.
QString utf16TextOfCopy(sqlite3_stmt *stmt, int column)
{
    sqlite3_value *copy = sqlite3_value_dup(sqlite3_column_value(stmt, column));
    const void *p = sqlite3_value_text16(copy);
    QString text(static_cast<const QChar *>(p), sqlite3_value_bytes16(copy) / 2);
    sqlite3_value_free(copy);
    return text;
}

// Well-formed UTF-8 as UTF-16, as SQLite decodes it; nullptr for bytes that are not
// well-formed (decoders differ on those) and for U+FFFE and U+FFFF (which SQLite turns into
// U+FFFD). `out` has room for one unit per byte.
char16_t *decodeUtf8(const uchar *p, const uchar *end, char16_t *out)
{
    while (p < end) {
        if (end - p >= 8) {
            quint64 eight;
            std::memcpy(&eight, p, 8);
            if ((eight & 0x8080808080808080ull) == 0) {
                for (int i = 0; i < 8; ++i)
                    out[i] = p[i];
                p += 8;
                out += 8;
                continue;
            }
        }
        const uint b = *p;
        if (b < 0x80) {
            *out++ = char16_t(b);
            ++p;
        } else if (b < 0xC2) {
            return nullptr;   // a continuation byte, or an overlong lead
        } else if (b < 0xE0) {
            if (end - p < 2 || (p[1] & 0xC0) != 0x80)
                return nullptr;
            *out++ = char16_t(((b & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (b < 0xF0) {
            if (end - p < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80)
                return nullptr;
            const uint c = ((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            if (c < 0x800 || (c >= 0xD800 && c < 0xE000) || c >= 0xFFFE)
                return nullptr;
            *out++ = char16_t(c);
            p += 3;
        } else if (b < 0xF5) {
            if (end - p < 4 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80
                || (p[3] & 0xC0) != 0x80)
                return nullptr;
            const uint c = ((b & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6)
                | (p[3] & 0x3F);
            if (c < 0x10000 || c > 0x10FFFF)
                return nullptr;
            *out++ = char16_t(0xD800 + ((c - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + (c & 0x3FF));
            p += 4;
        } else {
            return nullptr;
        }
    }
    return out;
}

class RowReader {
public:
    RowReader(sqlite3_stmt *stmt, std::vector<ColumnStore> &columns)
        : m_stmt(stmt), m_columns(columns), m_utf8(textIsUtf8(sqlite3_db_handle(stmt)))
    {
    }

    // The statement's current row, value by value as the driver converts them.
    void read()
    {
        const int n = int(m_columns.size());
        for (int c = 0; c < n; ++c) {
            ColumnStore &column = m_columns[size_t(c)];
            // The value itself, read without the statement's checks on every call (this
            // thread owns the connection).
            sqlite3_value *value = sqlite3_column_value(m_stmt, c);
            const int type = sqlite3_value_type(value);
            if (type != SQLITE_TEXT) {
                if (type == SQLITE_NULL) {
                    column.appendNull();
                } else if (type == SQLITE_INTEGER) {
                    column.appendInteger(sqlite3_value_int64(value));
                } else if (type == SQLITE_FLOAT) {
                    column.appendReal(sqlite3_value_double(value));
                } else {
                    const void *p = sqlite3_value_blob(value);
                    column.append(QByteArray(static_cast<const char *>(p),
                                             sqlite3_value_bytes(value)));
                }
            } else if (!m_utf8) {
                column.appendText(utf16Text(m_stmt, c));
            } else {
                const char *p = reinterpret_cast<const char *>(sqlite3_value_text(value));
                const int size = sqlite3_value_bytes(value);
                column.appendUtf8(QByteArrayView(p, size), [&] { return decode(c, p, size); });
            }
        }
    }

private:
    // The text in m_buffer (or m_other), valid until the next call; p stays valid.
    QStringView decode(int c, const char *p, int size)
    {
        // A unit per byte at most, with 16 spare bytes on either side: hashing a short text
        // reads a whole 16-byte block around it.
        if (m_buffer.size() < size_t(size) + 2 * Spare)
            m_buffer.resize(size_t(size) + 2 * Spare);
        char16_t *text = m_buffer.data() + Spare;
        const auto *bytes = reinterpret_cast<const uchar *>(p);
        if (const char16_t *end = decodeUtf8(bytes, bytes + size, text))
            return QStringView(text, end);
        m_other = utf16TextOfCopy(m_stmt, c);
        return m_other;
    }

    static constexpr size_t Spare = 8;
    sqlite3_stmt *m_stmt;
    std::vector<ColumnStore> &m_columns;
    bool m_utf8;
    std::vector<char16_t> m_buffer;
    QString m_other;
};

// The driver's words for a failed fetch, with SQLite's message.
QString fetchError(sqlite3_stmt *stmt, int code)
{
    sqlite3 *db = sqlite3_db_handle(stmt);
    // A generic error gets its specific message from the reset (a busy database is an error
    // like any other).
    const bool generic = code == SQLITE_ERROR || code == SQLITE_CONSTRAINT;
    if (generic)
        code = sqlite3_reset(stmt);
    const QSqlError error(QCoreApplication::translate("QSQLiteResult", "Unable to fetch row"),
                          QString(static_cast<const QChar *>(sqlite3_errmsg16(db))),
                          QSqlError::ConnectionError, QString::number(code));
    if (!generic)
        sqlite3_reset(stmt);
    return Sql::errorText(error);
}

} // namespace

bool canRead(const QSqlQuery &query)
{
    const QSqlDriver *driver = query.driver();
    if (!driver || driver->dbmsType() != QSqlDriver::SQLite
        || query.numericalPrecisionPolicy() != QSql::LowPrecisionDouble)
        return false;
    sqlite3 *db = handleOf<sqlite3 *>(driver->handle(), "sqlite3*");
    sqlite3_stmt *stmt = statementOf(query);
    return db && stmt && sqlite3_db_handle(stmt) == db;
}

size_t readAll(QSqlQuery &query, std::vector<ColumnStore> &columns)
{
    // exec() has fetched the first row already; it comes through the driver, which then
    // leaves the statement on that row.
    if (!query.next()) {
        if (query.lastError().isValid())
            throw AppError(Sql::errorText(query));
        return 0;
    }
    const int n = int(columns.size());
    for (int c = 0; c < n; ++c)
        columns[size_t(c)].append(query.value(c));
    size_t rows = 1;
    for (ColumnStore &c : columns)
        c.rowsLoaded(rows);

    sqlite3_stmt *stmt = statementOf(query);
    RowReader reader(stmt, columns);
    for (;;) {
        const int code = sqlite3_step(stmt);
        if (code == SQLITE_DONE)
            break;
        if (code != SQLITE_ROW)
            throw AppError(fetchError(stmt, code));
        reader.read();
        ++rows;
        for (ColumnStore &c : columns)
            c.rowsLoaded(rows);
    }
    sqlite3_reset(stmt);
    return rows;
}

} // namespace SqliteReader
