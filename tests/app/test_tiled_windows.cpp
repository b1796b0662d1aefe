// Child windows tiled in a 1024×768 main window: whatever share of the area a window gets,
// its buttons stay whole and in view, and the lists keep rows to show.
#include "data_module_fixture.h"

#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "app/main_window.h"
#include "catalog/book_browse_widget.h"
#include "data/demo_catalogue.h"
#include "foreign_leaks.h"
#include "widgets/plain_caption.h"
#include "widgets/toggle_strip_widget.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <functional>
#include <vector>

namespace {

std::string text(const QRect &r)
{
    return QStringLiteral("%1×%2 at (%3,%4)").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()).toStdString();
}
std::string text(const QSize &s)
{
    return QStringLiteral("%1×%2").arg(s.width()).arg(s.height()).toStdString();
}

class TiledWindowsTest : public DataModuleFixture {
protected:
    void SetUp() override
    {
        skipLeakCheckAtExit();
        FormCatalog::registerAll();
        tree.copyFromDist(QStringLiteral("bin/jpg"));
        tree.copyFromDist(QStringLiteral("bookimages"));
        makeDataModule(true);
        DemoCatalogue::fill(DM->Con, 400);
        main = std::make_unique<TFrmMain>(DM->prompter(), DM->sUserName);
        main->resize(1024, 768);
        main->show();
    }
    void TearDown() override
    {
        main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.reset();
    }

    // Every button the window shows lies whole inside the window's visible area, is at least
    // as wide as its caption needs and is read out by its caption without the mnemonic; every
    // list shows at least a few rows.
    static void expectReachable(QMdiSubWindow *frame, const QString &what)
    {
        QWidget *window = frame->widget();
        const QRect area = frame->mdiArea()->viewport()->rect();
        const QRect frameRect = frame->geometry();
        EXPECT_TRUE(area.contains(frameRect))
            << what.toStdString() << " frame outside the area: " << text(frameRect) << " in " << text(area)
            << ", the window needs at least " << text(window->minimumSizeHint());
        int buttons = 0;
        for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
            if (!qobject_cast<QPushButton *>(b) || !b->isVisibleTo(window))
                continue;
            ++buttons;
            const std::string name = (what + u'/' + b->objectName() + u' ' + b->text()).toStdString();
            EXPECT_EQ(b->visibleRegion().boundingRect(), b->rect()) << name << " not whole in view";
            EXPECT_GE(b->width(), b->minimumSizeHint().width()) << name << " squeezed";
            const QRect inWindow(b->mapTo(window, QPoint(0, 0)), b->size());
            EXPECT_TRUE(window->rect().contains(inWindow)) << name << " outside the window";
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(b);
            EXPECT_EQ(iface ? iface->text(QAccessible::Name) : QString(), plainCaption(b->text())) << name;
        }
        EXPECT_GT(buttons, 0) << what.toStdString();
        for (QTableView *grid : window->findChildren<QTableView *>()) {
            if (!grid->isVisibleTo(window))
                continue;
            EXPECT_GE(grid->viewport()->height(), 3 * grid->verticalHeader()->defaultSectionSize())
                << (what + u'/' + grid->objectName()).toStdString() << " shows under three rows";
        }
    }

    std::unique_ptr<TFrmMain> main;
};

TEST_F(TiledWindowsTest, BrowseButtonsStayInViewWhateverShareTilingGives)
{
    main->runCommand(TFrmMain::CmdCategoryBrowse);
    main->runCommand(TFrmMain::CmdPublisherBrowse);
    main->openWindow(QStringLiteral("FrmBook115"));
    QCoreApplication::processEvents();
    const QList<QMdiSubWindow *> browse = main->mdiArea()->subWindowList();
    ASSERT_EQ(browse.size(), 3);
    // With the detail pane shown, the tallest they get.
    for (QMdiSubWindow *frame : browse) {
        auto *titles = frame->widget()->findChild<BookBrowseWidget *>();
        ASSERT_NE(titles, nullptr);
        titles->setPaneVisible(true);
    }
    // Further windows that need no room of their own: each tiling gives every window a
    // smaller share, down to a third of the width and of the height.
    for (int count = 3; count <= 9; ++count) {
        if (count > 3) {
            auto *other = new QWidget;
            other->setWindowTitle(QStringLiteral("其他窗口%1").arg(count));
            main->mdiArea()->addSubWindow(other)->show();
        }
        main->runCommand(TFrmMain::CmdTile);
        QCoreApplication::processEvents();
        for (QMdiSubWindow *frame : browse)
            expectReachable(frame, QStringLiteral("%1 tiled: %2").arg(count).arg(frame->widget()->windowTitle()));
    }
    EXPECT_TRUE(prompter->texts().isEmpty()) << prompter->texts().join(u'|').toStdString();
}

// The windows with criteria rows and wizard pages, among the browse windows: each added
// window shrinks every tile, down to a third of the width and a half of the height.
TEST_F(TiledWindowsTest, SearchOrderAndCartWindowsStayInViewAmongOthers)
{
    const std::vector<std::function<void()>> openers = {
        [&] {
            main->runCommand(TFrmMain::CmdSearch);
            // With the detail pane beside the list, the tallest it gets.
            auto *strip = main->mdiArea()->subWindowList().last()->widget()->findChild<TToggleStrip *>(
                QStringLiteral("PaneStrip"));
            ASSERT_NE(strip, nullptr);
            strip->setTargetVisible(true);
        },
        [&] { main->runCommand(TFrmMain::CmdOrderQuery); },
        [&] { main->runCommand(TFrmMain::CmdCart); },
        [&] { main->runCommand(TFrmMain::CmdCategoryBrowse); },
        [&] { main->runCommand(TFrmMain::CmdPublisherBrowse); },
        [&] { main->openWindow(QStringLiteral("FrmBook115")); },
    };
    for (std::size_t count = 1; count <= openers.size(); ++count) {
        openers[count - 1]();
        QCoreApplication::processEvents();
        const QList<QMdiSubWindow *> open = main->mdiArea()->subWindowList();
        ASSERT_EQ(open.size(), qsizetype(count));
        main->runCommand(TFrmMain::CmdTile);
        QCoreApplication::processEvents();
        for (QMdiSubWindow *frame : open)
            expectReachable(frame, QStringLiteral("%1 tiled: %2").arg(count).arg(frame->widget()->windowTitle()));
    }
    EXPECT_TRUE(prompter->texts().isEmpty()) << prompter->texts().join(u'|').toStdString();
}

} // namespace
