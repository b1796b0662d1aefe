#pragma once
// Owns the program's data module for one test: a runtime tree whose configuration names the
// embedded database, a DM created the program's way over it with a scripted prompter, and the
// DM freed again (its destructor clears the global) before the tree goes.
#include "app/tdm_gui.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

class DataModuleFixture : public ::testing::Test {
protected:
    // Makes init/data.mdb: the full schema, or (withCatalogue false) an SQLite file that holds
    // none of the program's tables. Then creates DM over it.
    void makeDataModule(bool withCatalogue)
    {
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n");
        if (withCatalogue) {
            tree.createDatabase();
        } else {
            const QString seed = QStringLiteral("dm_fixture_seed");
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), seed);
                db.setDatabaseName(tree.path(QStringLiteral("init/data.mdb")));
                ASSERT_TRUE(db.open());
                ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("create table unrelated (x integer)")));
                db.close();
            }
            QSqlDatabase::removeDatabase(seed);
        }
        auto scripted = std::make_unique<ScriptedPrompter>();
        prompter = scripted.get();
        module = std::make_unique<TDM>(std::move(scripted));
        DM = module.get();
        ASSERT_TRUE(DM->create()) << prompter->texts().join(u'|').toStdString();
    }

    TempTree tree;
    ScriptedPrompter *prompter = nullptr;   // owned by the data module
    std::unique_ptr<TDM> module;
};
