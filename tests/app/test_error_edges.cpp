// Errors stop at the edge of the command that met them: a window whose lists cannot be read
// opens with the error told through the data module's prompter, a window that cannot be made
// is told and freed, and the main window goes on working.
#include "data_module_fixture.h"

#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "app/info_window.h"
#include "app/main_window.h"
#include "common/guarded.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <functional>

namespace {

class ErrorEdgeTest : public DataModuleFixture {
protected:
    void SetUp() override
    {
        FormCatalog::registerAll();
        tree.copyFromDist(QStringLiteral("bin/jpg"));
        tree.writeFile(QStringLiteral("html/intro.html"), "<html><body>intro</body></html>");
        tree.writeFile(QStringLiteral("html/order.html"), "<html><body>order</body></html>");
    }
    void TearDown() override
    {
        if (main)
            main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.reset();
        FormRegistry::instance().unregisterClass(QStringLiteral("TFrmBroken"));
    }
    void makeMain()
    {
        main = std::make_unique<TFrmMain>(DM->prompter(), DM->sUserName);
        main->show();
    }
    // The main window still answers: the ordering guide opens in the information window.
    void expectMainWindowWorks(const char *after)
    {
        main->showInfoPage(1);
        auto *info = qobject_cast<TFrmJs *>(FormRegistry::instance().findOpen(QStringLiteral("FrmJs")));
        ASSERT_NE(info, nullptr) << after;
        EXPECT_EQ(info->currentPage(), QStringLiteral("order.html")) << after;
        EXPECT_TRUE(main->isVisible()) << after;
    }
    std::unique_ptr<TFrmMain> main;
};

TEST_F(ErrorEdgeTest, BrowseWindowsOverADatabaseWithoutTheCatalogueTellTheErrorAndTheProgramGoesOn)
{
    makeDataModule(false);
    makeMain();
    const struct {
        const char *what;
        std::function<void()> open;
        const char *table;
    } cases[] = {
        {"category browse", [this] { main->runCommand(TFrmMain::CmdCategoryBrowse); }, "debook_categories2"},
        {"publisher browse", [this] { main->runCommand(TFrmMain::CmdPublisherBrowse); }, "qrypublishers"},
        {"planned browse", [this] { main->openWindow(QStringLiteral("FrmBook115")); }, "qrydebooks"},
    };
    for (const auto &c : cases) {
        prompter->shown.clear();
        c.open();
        ASSERT_FALSE(prompter->shown.isEmpty()) << c.what;
        for (const ShownMessage &m : std::as_const(prompter->shown)) {
            EXPECT_EQ(m.flags, MsgFlags::Error) << c.what;
            EXPECT_EQ(m.caption, errorCaption()) << c.what;
        }
        EXPECT_TRUE(prompter->shown.first().text.contains(QString::fromLatin1(c.table)))
            << c.what << ": " << prompter->shown.first().text.toStdString();
        expectMainWindowWorks(c.what);
    }
}

TEST_F(ErrorEdgeTest, AWindowThatCannotBeMadeIsToldAndLeavesNothingBehind)
{
    makeDataModule(true);
    makeMain();
    FormRegistry::instance().registerClass(QStringLiteral("TFrmBroken"), [](QWidget *) -> QWidget * {
        throw AppError(QStringLiteral("窗口无法打开"));
    });
    const int before = int(main->mdiArea()->subWindowList().size());
    const FormRegistry::Result r = FormRegistry::instance().open(QStringLiteral("FrmBroken"), FormRegistry::MdiChild);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.window, nullptr);
    ASSERT_EQ(prompter->shown.size(), 1);
    EXPECT_EQ(prompter->shown[0].text, QStringLiteral("窗口无法打开"));
    EXPECT_EQ(prompter->shown[0].flags, MsgFlags::Error);
    EXPECT_EQ(int(main->mdiArea()->subWindowList().size()), before);
    EXPECT_EQ(FormRegistry::instance().findOpen(QStringLiteral("FrmBroken")), nullptr);
    expectMainWindowWorks("broken window");
}

// Over a real catalogue the same commands open their windows without a word.
TEST_F(ErrorEdgeTest, BrowseWindowsOverAnEmptyCatalogueOpenQuietly)
{
    makeDataModule(true);
    makeMain();
    main->runCommand(TFrmMain::CmdCategoryBrowse);
    main->runCommand(TFrmMain::CmdPublisherBrowse);
    main->openWindow(QStringLiteral("FrmBook115"));
    EXPECT_TRUE(prompter->shown.isEmpty()) << prompter->texts().join(u'|').toStdString();
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 3);
    EXPECT_NE(FormRegistry::instance().findOpen(QStringLiteral("FrmMagN")), nullptr);
}

} // namespace
