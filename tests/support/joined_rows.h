#pragma once
// The rows a statement gives as texts a test can compare: each row its columns' values joined
// by "|", NULL shown as "<null>".
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

enum class Cells {
    AsRead,    // every value exactly as the driver gives it
    Trimmed,   // without the blanks a fixed-width column (Firebird's CHAR) pads it with
};

QStringList joinedRows(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {},
                       Cells cells = Cells::AsRead);
