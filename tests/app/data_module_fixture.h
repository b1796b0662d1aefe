#pragma once
// Owns the program's data module for one test: a runtime tree whose configuration names the
// embedded database, a DM created the program's way over it with a scripted prompter, and the
// DM freed again (its destructor clears the global) before the tree goes.
#include "app/tdm_gui.h"
#include "data/schema.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

class DataModuleFixture : public ::testing::Test {
protected:
    // Makes init/data.mdb with the full schema and creates DM over it. Without the catalogue
    // (withCatalogue false) every table and view is dropped again once DM is open: start-up
    // refuses a database without them, so this is a catalogue that went away while the
    // program runs.
    void makeDataModule(bool withCatalogue)
    {
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n");
        {
            QSqlDatabase seed = tree.createDatabase();
            seed.close();
        }
        auto scripted = std::make_unique<ScriptedPrompter>();
        prompter = scripted.get();
        module = std::make_unique<TDM>(std::move(scripted));
        DM = module.get();
        ASSERT_TRUE(DM->create()) << prompter->texts().join(u'|').toStdString();
        if (!withCatalogue)
            Schema::drop(DM->Con);
    }

    TempTree tree;
    ScriptedPrompter *prompter = nullptr;   // owned by the data module
    std::unique_ptr<TDM> module;
};
