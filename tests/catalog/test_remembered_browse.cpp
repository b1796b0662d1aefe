// The category browse window gives the user's grid layout back when it is opened again, as
// after a restart of the program (a new window over the same configuration folder).
#include "remembering_settings.h"
#include "scripted_prompter.h"
#include "temp_tree.h"
#include "catalog/book_browse_widget.h"
#include "catalog/category_browse_window.h"
#include "data/demo_catalogue.h"
#include "grid/grid_view.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

class RememberedBrowseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DemoCatalogue::fill(db, 200, nullptr);
    }

    void TearDown() override
    {
        w.reset();   // before the settings go: the window writes its layout
    }

    // Opens the window as the registry does (named "FrmBookTypeB") and lists a category.
    DbGrid *open()
    {
        w = std::make_unique<TFrmbookTypeB>(prompter, db);
        w->setObjectName(QStringLiteral("FrmBookTypeB"));
        w->resize(1400, 700);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        auto *tree = w->findChild<QTreeWidget *>(QStringLiteral("Tvpress"));
        QTreeWidgetItem *category = tree->topLevelItem(1);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(category).center());
        QCoreApplication::processEvents();
        DbGrid *grid = w->browse()->grid();
        EXPECT_GT(grid->dataSet()->recordCount(), 1);
        return grid;
    }

    static int col(const DbGrid *grid, const char *field)
    {
        return grid->columns().indexOfField(QString::fromLatin1(field));
    }

    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    ScriptedPrompter prompter;
    RememberingSettings remembering;
    std::unique_ptr<TFrmbookTypeB> w;
};

TEST_F(RememberedBrowseTest, TheUsersColumnsAndSortSurviveClosingAndReopening)
{
    DbGrid *grid = open();
    EXPECT_EQ(grid->memoryKey(), QStringLiteral("FrmBookTypeB/Dbgbook"));
    const int builtInSm = grid->columnWidth(col(grid, "SM"));
    grid->setColumnVisible(col(grid, "ZTMC"), false);
    grid->setColumnVisible(col(grid, "ZZ"), true);   // a column the window keeps hidden
    grid->horizontalHeader()->resizeSection(col(grid, "SM"), 180);
    QHeaderView *h = grid->horizontalHeader();
    h->moveSection(h->visualIndex(col(grid, "ISBN")), 2);
    ASSERT_TRUE(grid->titleClick(col(grid, "DJ")));
    w->close();
    w.reset();

    grid = open();
    h = grid->horizontalHeader();
    EXPECT_TRUE(grid->isColumnHidden(col(grid, "ZTMC")));
    EXPECT_FALSE(grid->isColumnHidden(col(grid, "ZZ")));
    EXPECT_EQ(grid->columnWidth(col(grid, "ZZ")), grid->fittedWidth(col(grid, "ZZ")));
    EXPECT_EQ(grid->columnWidth(col(grid, "SM")), 180);
    EXPECT_EQ(h->visualIndex(col(grid, "ISBN")), 2);
    EXPECT_EQ(grid->dataSet()->sortText(), QStringLiteral("DJ ASC"));
    EXPECT_TRUE(grid->columns().at(col(grid, "DJ")).title.endsWith(GridColumns::AscMarker));

    grid->restoreDefaultLayout();
    w->close();
    w.reset();
    grid = open();
    EXPECT_FALSE(grid->isColumnHidden(col(grid, "ZTMC")));
    EXPECT_TRUE(grid->isColumnHidden(col(grid, "ZZ")));
    EXPECT_EQ(grid->columnWidth(col(grid, "SM")), builtInSm);
    EXPECT_EQ(grid->horizontalHeader()->visualIndex(col(grid, "ISBN")), col(grid, "ISBN"));
    EXPECT_EQ(grid->dataSet()->sortText(), QString());
}

} // namespace
