// The product's progress display: a wait cursor while the work runs, the count in the dialog's
// label, a cancel that the work hears, and no cancel button for work that cannot be stopped.
#include "app/progress_dialog_gui.h"
#include "app/qt_prompter_gui.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(ProgressDialogTest, CountsShowsTheWaitCursorAndHearsCancel)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        QtPrompter prompter;
        const std::unique_ptr<Progress> handed = prompter.progress();
        auto *progress = dynamic_cast<DialogProgress *>(handed.get());
        ASSERT_NE(progress, nullptr);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(progress->dialog()->minimumDuration(), 500);

        progress->setCancellable(true);
        progress->start(QStringLiteral("正在放入购物车"), 26349);
        EXPECT_TRUE(progress->advance(500));
        EXPECT_EQ(progress->dialog()->labelText(), QStringLiteral("正在放入购物车（500 / 26349）"));
        EXPECT_EQ(progress->dialog()->value(), 500);
        progress->dialog()->cancel();
        EXPECT_FALSE(progress->advance(1000));
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Work that cannot be stopped offers no cancel button and goes on.
    DialogProgress steady(nullptr);
    steady.setCancellable(false);
    steady.start(QStringLiteral("正在生成"), 0);
    EXPECT_EQ(steady.dialog()->findChild<QPushButton *>(QStringLiteral("BtnCancel")), nullptr);
    steady.dialog()->cancel();
    EXPECT_TRUE(steady.advance(10));
    EXPECT_EQ(steady.dialog()->labelText(), QStringLiteral("正在生成（10）"));
}

} // namespace
