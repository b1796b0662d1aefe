#include "data/sqlite_collation.h"

#include "common/pinyin_collator.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace SqliteCollation {
namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QSqlDriver *driver = db.isOpen() ? db.driver() : nullptr;
    if (!driver || driver->dbmsType() != QSqlDriver::SQLite)
        return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

int comparePinyin(void *collator, int lengthA, const void *a, int lengthB, const void *b)
{
    // SQLITE_UTF16 hands the texts over in the machine's own byte order.
    const QStringView left(static_cast<const char16_t *>(a), lengthA / 2);
    const QStringView right(static_cast<const char16_t *>(b), lengthB / 2);
    const int order = static_cast<const PinyinCollator *>(collator)->compare(left, right);
    if (order != 0)
        return order;
    // Texts the collation counts as equal still get one fixed order.
    return left.compare(right);
}

void destroyCollator(void *collator)
{
    delete static_cast<PinyinCollator *>(collator);
}

} // namespace

bool installPinyin(const QSqlDatabase &db)
{
    sqlite3 *handle = handleOf(db);
    if (!handle)
        return false;
    auto *collator = new PinyinCollator;
    // SQLite frees the collator with the connection (or when the name is registered again);
    // when registering fails it is left to the caller.
    if (sqlite3_create_collation_v2(handle, PinyinName, SQLITE_UTF16, collator, comparePinyin, destroyCollator)
        != SQLITE_OK) {
        delete collator;
        return false;
    }
    return true;
}

bool hasPinyin(const QSqlDatabase &db)
{
    sqlite3 *handle = handleOf(db);
    if (!handle)
        return false;
    // Preparing a statement that names the collation fails when it is not registered.
    sqlite3_stmt *probe = nullptr;
    const QByteArray sql = QByteArray("select 1 order by '' collate ") + PinyinName;
    const bool known = sqlite3_prepare_v2(handle, sql.constData(), -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    return known;
}

} // namespace SqliteCollation
