#pragma once
// The pinyin order of Chinese text inside SQLite statements: a collation registered on each
// SQLite connection when it is opened, used as "order by puname collate zd_pinyin". Other
// engines have no such collation; statements for them order by the plain text.
#include <QSqlDatabase>

namespace SqliteCollation {

inline constexpr char PinyinName[] = "zd_pinyin";

// Registers the collation on an open SQLite connection (again is harmless). Returns false for
// a connection that is not an open SQLite one.
bool installPinyin(const QSqlDatabase &db);

// Whether statements on db may use the collation: an open SQLite connection.
bool hasPinyin(const QSqlDatabase &db);

} // namespace SqliteCollation
