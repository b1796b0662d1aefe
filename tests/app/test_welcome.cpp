// The welcome at a user's first start: what it says about the catalogue, the recipients and
// where to begin; shown once per user; the dialog by keyboard and screen reader; opened again
// from the help menu.
#include "data_module_fixture.h"
#include "spoken.h"

#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "app/main_window.h"
#include "app/welcome.h"
#include "app/welcome_dialog.h"
#include "common/user_settings.h"
#include "data/demo_catalogue.h"
#include "data/sql_helper.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

MainMenuConfig menu(const QString &guide = QStringLiteral("订购指南"))
{
    MainMenuConfig c;
    c.captions.insert(QStringLiteral("N2"), QStringLiteral("订购(&D)"));
    c.captions.insert(QStringLiteral("N3"), QStringLiteral("征订说明"));
    c.guideCaption = guide;
    return c;
}

enum class Made { Nothing, Demo, Supplier };

TEST(WelcomeText, TellsTheCatalogueTheRecipientsAndWhereToBegin)
{
    const struct {
        const char *what;
        Made catalogue;
        bool embedded;            // the database is the file init/data.mdb
        QByteArray recipients;    // init/mailadd.txt; empty: no file
        QString guide;
        QStringList has, hasNot;
    } cases[] = {
        {"the demo as shipped", Made::Demo, true, "orders@example.com\r\nbooks@supplier.cn\r\n",
         QStringLiteral("订购指南"),
         {QStringLiteral("演示目录（12 种书目"), QStringLiteral("data.mdb 放到 {db}"),
          QStringLiteral("zhengding-admin import-catalogue"),
          QStringLiteral("\n    orders@example.com（示例地址，邮件不会送达）\n    books@supplier.cn\n"),
          QStringLiteral("请把示例地址换成供货商的地址"), QStringLiteral("“订购”菜单的“设置”"),
          QStringLiteral("工具栏上的“订购指南”"), QStringLiteral("“征订说明”菜单的“欢迎”")},
         {QStringLiteral("books@supplier.cn（示例")}},
        {"the supplier's catalogue on a database server", Made::Supplier, false, "books@supplier.cn\r\n",
         QStringLiteral("使用说明(&U)"),
         {QStringLiteral("目录中有 1 种书目"), QStringLiteral("在终端运行 zhengding-admin import-catalogue"),
          QStringLiteral("\n    books@supplier.cn"), QStringLiteral("工具栏上的“使用说明”")},
         {QStringLiteral("演示"), QStringLiteral("data.mdb"), QStringLiteral("示例")}},
        {"nothing yet", Made::Nothing, true, "", QStringLiteral("订购指南"),
         {QStringLiteral("目录中还没有书目"), QStringLiteral("还没有设置收件人")},
         {QStringLiteral("演示")}},
        {"a recipients line that is no address", Made::Nothing, true, "a@x.cn\r\nnot an address\r\n",
         QStringLiteral("订购指南"),
         {QStringLiteral("收件人第 2 行不是一个邮件地址")},
         {QStringLiteral("\n    a@x.cn")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempTree tree;
        QSqlDatabase db = tree.createDatabase();
        if (c.catalogue == Made::Demo)
            DemoCatalogue::fill(db, 12);
        if (c.catalogue == Made::Supplier)
            Sql::exec(db, QStringLiteral("insert into debooks (tm,sm) values ('9787040000000','数据结构')"));
        if (!c.recipients.isEmpty())
            tree.writeFile(QStringLiteral("init/mailadd.txt"), c.recipients);
        const QString dbFile = tree.path(QStringLiteral("init/data.mdb"));
        const QString text = Welcome::text(Welcome::read(db, menu(c.guide), c.embedded ? dbFile : QString()));
        for (QString part : c.has) {
            part.replace(QStringLiteral("{db}"), dbFile);
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\nnot in:\n" << text.toStdString();
        }
        for (const QString &part : c.hasNot)
            EXPECT_FALSE(text.contains(part)) << part.toStdString() << "\nin:\n" << text.toStdString();
    }
}

TEST(WelcomeDue, OncePerUserAndNeverWhileNothingIsRemembered)
{
    QTemporaryDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    EXPECT_FALSE(Welcome::due());   // remembering is off: tests and tools never see it
    UserSettings::setEnabled(true);
    EXPECT_TRUE(Welcome::due());
    Welcome::markShown();
    EXPECT_FALSE(Welcome::due());
    UserSettings::setEnabled(false);
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
}

// The dialog: read by its captions, closed by Enter and Esc, the guide and the settings a
// click away.
TEST(WelcomeDialog, KeyboardAndScreenReaderFindTheirWay)
{
    const struct {
        const char *what;
        std::function<void(TFrmWelcome &)> act;
        int guides, settings;
    } cases[] = {
        {"Enter", [](TFrmWelcome &w) { QTest::keyClick(&w, Qt::Key_Return); }, 0, 0},
        {"Esc", [](TFrmWelcome &w) { QTest::keyClick(&w, Qt::Key_Escape); }, 0, 0},
        {"Alt+G", [](TFrmWelcome &w) { QTest::keyClick(&w, Qt::Key_G, Qt::AltModifier); }, 1, 0},
        {"the settings button",
         [](TFrmWelcome &w) { QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("BtnSettings")), Qt::LeftButton); },
         0, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TFrmWelcome w(QStringLiteral("欢迎使用。"), QStringLiteral("订购指南"));
        QSignalSpy guide(&w, &TFrmWelcome::guideRequested);
        QSignalSpy settings(&w, &TFrmWelcome::settingsRequested);
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("欢迎"));
        EXPECT_FALSE(w.isModal());
        EXPECT_EQ(spokenText(w.findChild<QLabel *>(QStringLiteral("LbWelcome"))), QStringLiteral("欢迎使用。"));
        for (const auto &[name, spoken] : {std::pair{"BtnGuide", "订购指南"}, {"BtnSettings", "设置…"}, {"BtnClose", "关闭"}})
            EXPECT_EQ(spokenText(w.findChild<QPushButton *>(QLatin1String(name))), QString::fromUtf8(spoken));
        c.act(w);
        // A mnemonic clicks the button a moment later, as a mouse would.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 2000));
        EXPECT_EQ(guide.size(), c.guides);
        EXPECT_EQ(settings.size(), c.settings);
    }
}

// "欢迎(&W)…" in the help menu opens the welcome over this database, beside the main window,
// and once only.
class WelcomeMenuTest : public DataModuleFixture {};

TEST_F(WelcomeMenuTest, TheHelpMenuOpensItAgain)
{
    FormCatalog::registerAll();
    makeDataModule(true);
    DemoCatalogue::fill(DM->Con, 5);
    tree.copyFromDist(QStringLiteral("bin/jpg"));
    TFrmMain main(*prompter, QStringLiteral("张三"));
    main.show();
    auto *n3 = main.findChild<QMenu *>(QStringLiteral("N3"));
    ASSERT_NE(n3, nullptr);
    auto *item = main.findChild<QAction *>(QStringLiteral("N34"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(n3->actions().contains(item));
    EXPECT_EQ(item->text(), QStringLiteral("欢迎(&W)…"));
    for (QAction *other : n3->actions())   // the mnemonic is the menu's own
        if (other != item)
            EXPECT_FALSE(other->text().contains(QStringLiteral("&W"), Qt::CaseInsensitive)) << other->text().toStdString();

    item->trigger();
    item->trigger();
    QList<TFrmWelcome *> open;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *welcome = qobject_cast<TFrmWelcome *>(w); welcome && welcome->isVisible())
            open << welcome;
    ASSERT_EQ(open.size(), 1);
    EXPECT_FALSE(open[0]->isModal());
    EXPECT_TRUE(open[0]->findChild<QLabel *>(QStringLiteral("LbWelcome"))->text().contains(QStringLiteral("演示目录（5 种书目")));
    EXPECT_TRUE(prompter->shown.isEmpty()) << prompter->texts().join(u'|').toStdString();
    open[0]->close();
}

} // namespace
