#pragma once
// A runtime tree with the full schema, titles inserted column by column, and the browse list
// over them as a DataSet.
#include "qt_print.h"
#include "temp_tree.h"

#include "data/dataset.h"
#include "data/sql_helper.h"

#include <QStringList>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

class CatalogFixture : public ::testing::Test {
protected:
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();

    // Inserts one row of debooks; columns not given stay null.
    void insertBook(const QVariantMap &values)
    {
        QStringList names, marks;
        QVariantList bound;
        for (auto it = values.begin(); it != values.end(); ++it) {
            names << it.key();
            marks << QStringLiteral("?");
            bound << it.value();
        }
        Sql::exec(db,
                  QStringLiteral("insert into debooks (%1) values (%2)")
                      .arg(names.join(u','), marks.join(u',')),
                  bound);
    }

    // The catalogue view, opened in zbh order.
    std::unique_ptr<DataSet> openBooks(const QString &where = QString())
    {
        auto list = std::make_unique<DataSet>();
        list->setConnection(db);
        list->setStatement(QStringLiteral("select * from qrydebooks ") + where
                           + QStringLiteral(" order by zbh"));
        list->open();
        return list;
    }
};
