#pragma once
// The keys (tm) of the titles a search condition finds, sorted: the search window's own select
// with the condition's text and bound values.
#include "cart/search_condition.h"
#include "data/sql_helper.h"

#include <QSqlQuery>
#include <QStringList>

inline QStringList searchTitles(const QSqlDatabase &db, const BoundCondition &condition)
{
    QStringList out;
    const BoundCondition search = SearchStatement(condition);
    QSqlQuery q = Sql::exec(db, search.text, search.values);
    while (q.next())
        out << q.value(1).toString().trimmed();
    out.sort();
    return out;
}
