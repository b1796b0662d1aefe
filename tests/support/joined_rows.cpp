#include "joined_rows.h"

#include "data/sql_helper.h"

#include <QSqlQuery>
#include <QSqlRecord>

QStringList joinedRows(const QSqlDatabase &db, const QString &statement, const QVariantList &values, Cells cells)
{
    QSqlQuery q = Sql::exec(db, statement, values);
    QStringList rows;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i) {
            const QString value = q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString();
            row << (cells == Cells::Trimmed ? value.trimmed() : value);
        }
        rows << row.join(u'|');
    }
    return rows;
}
