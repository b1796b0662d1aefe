// The product's progress display: a wait cursor while the work runs, the count in the dialog's
// label, a cancel that the work hears, and no cancel button for work that cannot be stopped.
#include "app/progress_dialog_gui.h"
#include "app/qt_prompter_gui.h"
#include "cart/cart.h"
#include "data/dataset.h"
#include "data/sql_helper.h"
#include "grid/marked_rows.h"
#include "temp_tree.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
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

// "放入购物车" with the program's own prompter: when the result box opens, the progress dialog
// of the finished work is gone (left behind, its timer brings it up over the box, modal, and the
// box's 确定 does nothing), and 确定 closes the box.
TEST(ProgressDialogTest, NoProgressDialogOutlivesThePlacementIntoTheCart)
{
    TempTree tree;
    QSqlDatabase db = tree.createDatabase();
    for (const char *tm : {"A1", "B2", "C3"})
        Sql::exec(db, QStringLiteral("insert into debooks (tm,sm,yc,zbh,zz,isbn,dj,ghbm,ghmc,cbbm,cbmc)"
                                     " values (?,'书','1','Z1','作者','978',10,'G01','供货商','P1','出版社')"),
                  {QString::fromLatin1(tm)});
    DataSet books;
    books.setConnection(db);
    books.setStatement(QStringLiteral("select tm,sm from qrydebooks order by tm"));
    books.open();
    MarkedRowList marked;
    marked.setDataSet(&books);
    for (int row = 0; row < books.recordCount(); ++row)
        marked.mark(row);

    QStringList windowsAtTheBox;
    int progressDialogsAtTheBox = -1;
    bool boxClosed = false;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || progressDialogsAtTheBox >= 0)
            return;
        progressDialogsAtTheBox = 0;
        for (QWidget *widget : QApplication::allWidgets())
            if (qobject_cast<QProgressDialog *>(widget))
                ++progressDialogsAtTheBox;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible())
                windowsAtTheBox << QString::fromLatin1(window->metaObject()->className()) + u' ' + box->text();
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("确定"));
        ok->click();
        boxClosed = !box->isVisible();
    });
    watch.start();

    QtPrompter prompter;
    EXPECT_TRUE(PlaceSelection(marked, books, db, QStringLiteral("shopcart"), QString(), prompter));
    watch.stop();
    EXPECT_EQ(progressDialogsAtTheBox, 0);
    EXPECT_EQ(windowsAtTheBox, QStringList{QStringLiteral("QMessageBox 已经将所选书目放入购物车")});
    EXPECT_TRUE(boxClosed);
    for (QWidget *window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->metaObject()->className();
    EXPECT_EQ(Sql::scalar(db, QStringLiteral("select count(*) from deshopcart_mx")).toInt(), 3);
}

} // namespace
