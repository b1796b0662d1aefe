#include "data/added_tables.h"

#include "common/app_error.h"
#include "data/schema.h"
#include "data/sql_helper.h"

namespace AddedTables {

QStringList upgrade(const QSqlDatabase &db)
{
    const QStringList absent = Schema::missingAdded(db);
    if (absent.isEmpty())
        return {};
    {
        Sql::Transaction transaction(db);
        Schema::createAddedTables(db);
        transaction.commit();
    }
    const QStringList still = Schema::missingAdded(db);
    if (!still.isEmpty())
        throw AppError(QStringLiteral("没有建成数据库的表（数据库报告成功，但表不在）：%1").arg(still.join(u',')));
    return absent;
}

} // namespace AddedTables
