// One operator code for the whole program, as shipped (no code configured): the desktop
// user's login name. Every window the registry makes puts titles into that desk's cart, the
// order wizard reads that cart, and the status bar shows the code. A change that may wait for
// another desk puts the wait notice up first.
#include "data_module_fixture.h"

#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "app/main_window.h"
#include "catalog/search_window.h"
#include "catalog/book_browse_widget.h"
#include "common/guarded.h"
#include "common/wait_notice.h"
#include "data/demo_catalogue.h"
#include "data/lock_wait.h"
#include "data/sql_helper.h"
#include "order/order_wizard_window.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <functional>

namespace {

class DeskOperatorTest : public DataModuleFixture {
protected:
    void SetUp() override
    {
        for (const char *name : {"LOGNAME", "USER"}) {
            saved[name] = qgetenv(name);
            qputenv(name, "clerk7");
        }
        FormCatalog::registerAll();
        tree.copyFromDist(QStringLiteral("bin/jpg"));
        makeDataModule(true);
        DemoCatalogue::fill(DM->Con, 60);
        main = std::make_unique<TFrmMain>(DM->prompter(), DM->sUserName);
        main->show();
    }
    void TearDown() override
    {
        main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.reset();
        for (auto it = saved.begin(); it != saved.end(); ++it)
            qputenv(it.key().constData(), it.value());
    }
    QWidget *open(const char *name)
    {
        return FormRegistry::instance().open(QString::fromLatin1(name), FormRegistry::MdiChild).window;
    }
    std::unique_ptr<TFrmMain> main;
    QMap<QByteArray, QByteArray> saved;
};

TEST_F(DeskOperatorTest, EveryWindowFillsAndReadsTheCartOfTheDesksLogin)
{
    ASSERT_EQ(DM->sUserName, QStringLiteral("clerk7"));
    EXPECT_EQ(main->statusBar()->findChild<QLabel *>(QStringLiteral("sbMainPanel3"))->text(),
              QStringLiteral("clerk7"));
    EXPECT_EQ(DM->detailContext().operatorCode, QStringLiteral("clerk7"));

    QStringList titles;
    QSqlQuery q = Sql::exec(DM->Con, QStringLiteral("select tm from debooks where ghbm is not null order by tm"));
    while (q.next() && titles.size() < 4)
        titles << q.value(0).toString().trimmed();
    ASSERT_EQ(titles.size(), 4);
    const QString oneTitle = QStringLiteral("select * from qrydebooks where tm=?");

    const struct {
        const char *window;
        std::function<bool(QWidget *, const QString &)> place;
    } windows[] = {
        {"FrmbookTypeB", nullptr},
        {"Frmbook115", nullptr},
        {"FrmMagN", nullptr},
        {"FrmQuery", [&](QWidget *w, const QString &tm) {
             auto *search = qobject_cast<TFrmQuery *>(w);
             search->books().setStatement(oneTitle, {tm});
             search->books().open();
             search->marked().mark(0);
             return search->placeSelection();
         }},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(windows[i].window);
        QWidget *w = open(windows[i].window);
        ASSERT_NE(w, nullptr);
        bool placed = false;
        if (windows[i].place) {
            placed = windows[i].place(w, titles.at(i));
        } else {
            auto *browse = w->findChild<BookBrowseWidget *>();
            ASSERT_NE(browse, nullptr);
            ASSERT_TRUE(browse->openBooks(oneTitle, {titles.at(i)}));
            browse->marked().mark(0);
            placed = browse->placeSelection();
        }
        EXPECT_TRUE(placed) << prompter->texts().join(u'|').toStdString();
        EXPECT_EQ(Sql::scalar(DM->Con, QStringLiteral("select c.op from deshopcart c join deshopcart_mx m"
                                                      " on m.dhdh=c.dhdh where m.tm=?"),
                              {titles.at(i)})
                      .toString()
                      .trimmed(),
                  QStringLiteral("clerk7"));
    }
    EXPECT_EQ(Sql::scalar(DM->Con, QStringLiteral("select count(distinct op) from deshopcart")).toInt(), 1);

    // The wizard lists that cart: all four titles.
    auto *wizard = qobject_cast<TFrmOrderDo *>(open("FrmOrderDo"));
    ASSERT_NE(wizard, nullptr);
    QCoreApplication::processEvents();
    QStringList listed;
    for (int row = 0; row < wizard->books().recordCount(); ++row)
        listed << wizard->books().text(row, QStringLiteral("tm")).trimmed();
    listed.sort();
    EXPECT_EQ(listed, titles);
}

TEST_F(DeskOperatorTest, AChangeThatMayWaitShowsTheWaitNoticeFirst)
{
    QString during;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    retryWhileBusy(DM->prompter(), [&] {
        during = main->statusBar()->currentMessage();
        if (QApplication::overrideCursor())
            cursor = QApplication::overrideCursor()->shape();
    });
    EXPECT_EQ(during, WaitNotice::text(Sql::LockWaitLimitMs / 1000));
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_TRUE(main->statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
