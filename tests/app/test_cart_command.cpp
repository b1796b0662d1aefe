// "购物车" from the main window while the order wizard is already open: the one wizard comes
// to the front with the cart as it is now, and a finished run gives way to a new one.
#include "data_module_fixture.h"

#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "app/main_window.h"
#include "cart/cart.h"
#include "data/demo_catalogue.h"
#include "data/sql_helper.h"
#include "foreign_leaks.h"
#include "order/order_wizard_window.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

namespace {

class CartCommandTest : public DataModuleFixture {
protected:
    void SetUp() override
    {
        skipLeakCheckAtExit();
        FormCatalog::registerAll();
        tree.copyFromDist(QStringLiteral("bin/jpg"));
        makeDataModule(true);
        DemoCatalogue::fill(DM->Con, 40);
        QSqlQuery q = Sql::exec(DM->Con, QStringLiteral("select tm from qrydebooks order by tm"));
        while (q.next())
            titles << q.value(0).toString();
        ASSERT_GE(titles.size(), 4);
        main = std::make_unique<TFrmMain>(DM->prompter(), DM->sUserName);
        main->resize(1200, 800);
        main->show();
    }
    void TearDown() override
    {
        // The last run may hold orders not yet sent: the window is dropped without asking.
        if (wizard)
            wizard->parentWidget()->deleteLater();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.reset();
    }

    // "购物车" the way the menu and the tool bar give it.
    TFrmOrderDo *cartCommand()
    {
        main->runCommand(TFrmMain::CmdCart);
        QCoreApplication::processEvents();
        const QList<QMdiSubWindow *> frames = main->mdiArea()->subWindowList();
        EXPECT_EQ(frames.size(), 1);
        wizard = frames.isEmpty() ? nullptr : qobject_cast<TFrmOrderDo *>(frames[0]->widget());
        EXPECT_NE(wizard, nullptr);
        if (wizard) {
            EXPECT_EQ(main->mdiArea()->activeSubWindow(), wizard->parentWidget());
        }
        return wizard;
    }
    void place(const QStringList &keys)
    {
        QString list = keys.join(u',');
        ASSERT_TRUE(AddToCart(list, DM->Con, wizard->operatorCode()).complete());
    }
    QLineEdit *edit(const char *name) const { return wizard->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    void next() { QTest::mouseClick(wizard->findChild<QPushButton *>(QStringLiteral("BtnNext")), Qt::LeftButton); }
    QStringList listed() const
    {
        QStringList keys;
        for (int row = 0; row < wizard->books().recordCount(); ++row)
            keys << wizard->books().text(row, QStringLiteral("tm"));
        keys.sort();
        return keys;
    }

    QStringList titles;
    std::unique_ptr<TFrmMain> main;
    TFrmOrderDo *wizard = nullptr;
};

TEST_F(CartCommandTest, TheOpenWizardShowsTheCartAsItIsNow)
{
    ASSERT_NE(cartCommand(), nullptr);
    EXPECT_EQ(wizard->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(wizard->books().recordCount(), 0);

    // Titles put into the cart meanwhile show on page 1.
    place(titles.mid(0, 2));
    ASSERT_EQ(cartCommand(), wizard);
    EXPECT_EQ(listed(), titles.mid(0, 2));

    // On page 2 the typed parties stay while page 1 is read again.
    next();
    ASSERT_EQ(wizard->currentPage(), TFrmOrderDo::PartiesPage);
    edit("EdtName_Sh")->setText(QStringLiteral("第二中学"));
    cartCommand();
    EXPECT_EQ(wizard->currentPage(), TFrmOrderDo::PartiesPage);   // nothing changed: the page stays
    place({titles[2]});
    cartCommand();
    EXPECT_EQ(wizard->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_EQ(listed(), titles.mid(0, 3));
    next();
    ASSERT_EQ(wizard->currentPage(), TFrmOrderDo::PartiesPage);
    EXPECT_EQ(edit("EdtName_Sh")->text(), QStringLiteral("第二中学"));
}

TEST_F(CartCommandTest, OnTheClosingPageTheCommandStartsANewRun)
{
    ASSERT_NE(cartCommand(), nullptr);
    place(titles.mid(0, 2));
    cartCommand();
    next();
    ASSERT_EQ(wizard->currentPage(), TFrmOrderDo::PartiesPage);
    for (const char *name : {"EdtName_Dh", "EdtLxr_Dh", "EdtTel_Dh", "EdtName_Sh", "EdtLxr_Sh", "EdtTel_Sh",
                             "EdtAdd_Sh", "EdtName_Fk", "EdtLxr_Fk", "EdtTel_Fk"})
        if (edit(name)->text().isEmpty())
            edit(name)->setText(QStringLiteral("甲"));
    edit("EdtCode_Sh")->setText(QStringLiteral("100001"));
    next();
    ASSERT_EQ(wizard->currentPage(), TFrmOrderDo::ConfirmPage);
    next();
    ASSERT_EQ(wizard->currentPage(), TFrmOrderDo::SendPage) << prompter->texts().join(u'|').toStdString();
    ASSERT_FALSE(wizard->madeOrders().isEmpty());

    // On the send page the command keeps the batch, even with a new title in the cart.
    place({titles[3]});
    cartCommand();
    EXPECT_EQ(wizard->currentPage(), TFrmOrderDo::SendPage);

    // The first order exported, the user stops: the closing page.
    prompter->saveAnswers.enqueue(tree.path(QStringLiteral("order.xlsx")));
    prompter->answers.enqueue(MsgResult::No);
    QTest::mouseClick(wizard->findChild<QPushButton *>(QStringLiteral("BtnPre")), Qt::LeftButton);
    prompter->answers.clear();   // a batch of one order asks nothing
    ASSERT_EQ(wizard->currentPage(), TFrmOrderDo::DonePage) << prompter->texts().join(u'|').toStdString();

    cartCommand();
    EXPECT_EQ(wizard->currentPage(), TFrmOrderDo::BooksPage);
    EXPECT_TRUE(wizard->madeOrders().isEmpty());
    EXPECT_TRUE(wizard->batchNumber().isEmpty());
    EXPECT_EQ(listed(), QStringList{titles[3]});
}

} // namespace
