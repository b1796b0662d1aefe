#include "app/form_catalog_gui.h"
#include "app/form_registry_gui.h"
#include "app/info_window.h"
#include "app/main_window.h"
#include "common/gbk_codec.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormCatalog::registerAll();
        tree.copyFromDist(QStringLiteral("bin/jpg"));
        for (const char *page : {"intro.html", "order.html", "press.html", "zdsm.html", "dataupd.html"})
            tree.writeFile(QStringLiteral("html/") + page, QByteArray("<html><body>") + page + "</body></html>");
    }
    std::unique_ptr<TFrmMain> make(const QByteArray &config)
    {
        tree.writeConfig(config);
        auto w = std::make_unique<TFrmMain>(prompter, QStringLiteral("张三"));
        w->show();
        return w;
    }
    static QString menuText(TFrmMain &w, const char *name)
    {
        if (auto *a = w.findChild<QAction *>(QString::fromLatin1(name)))
            return a->text();
        if (auto *m = w.findChild<QMenu *>(QString::fromLatin1(name)))
            return m->title();
        return QStringLiteral("<missing>");
    }
    static bool buttonShown(TFrmMain &w, const char *name)
    {
        auto *b = w.findChild<QToolButton *>(QString::fromLatin1(name));
        return b && b->isVisibleTo(&w);
    }
    TempTree tree;
    ScriptedPrompter prompter;
};

TEST_F(MainWindowTest, EmptyConfigurationGivesDefaultCaptionsAndHidesOptionalButtons)
{
    auto w = make(QByteArray());
    const QList<QPair<const char *, QString>> expected = {
        {"N1", "书目(&B)"}, {"N11", "分类浏览(&T)"}, {"N12", "版别浏览(&L)"}, {"N13", "检索书目(&S)"},
        {"N2", "订购(&D)"}, {"N22", "购物车(&S)"}, {"N23", "订单查询(&Q)"}, {"N3", "征订说明"},
        {"N31", "征订说明"}, {"N32", "书目更新说明"}, {"N33", "关于"}, {"mnuWindow", "窗口(&W)"},
        {"mnuCascade", "层  叠(&C)"}, {"mnuTile", "平  铺(&T)"}, {"C1", "退出系统(&C)"},
    };
    for (const auto &[name, caption] : expected)
        EXPECT_EQ(menuText(*w, name), caption) << name;
    for (const char *b : {"tb115", "tbDbz", "tbCbs"})
        EXPECT_FALSE(buttonShown(*w, b)) << b;
    for (const char *b : {"Tb11", "TB12", "TB13", "Tb22", "tb23", "TbGuide", "TBClose"})
        EXPECT_TRUE(buttonShown(*w, b)) << b;
    EXPECT_EQ(w->findChild<QToolButton *>("TbGuide")->text(), QStringLiteral("订购指南"));
    EXPECT_EQ(w->windowTitle(), QString());
    EXPECT_EQ(w->findChild<QLabel *>("sbMainPanel3")->text(), QStringLiteral("张三"));
    for (const char *name : {"Tb11", "TB12", "tb115", "TB13", "Tb22", "tb23", "tbDbz", "tbCbs", "TbGuide", "TBClose"})
        EXPECT_EQ(w->findChild<QToolButton *>(name)->size(), QSize(67, 43)) << name;
}

TEST_F(MainWindowTest, ConfigurationDressesMenusButtonsAndCaption)
{
    auto w = make(Gbk::encode(QStringLiteral("[ALL]\napptitle=春季教材征订\n[menu]\nN11=按类浏览(&T)\n115=1\nDBZ=1\nCBS=0\n"
                                             "TbGuide=怎样订书\n")));
    EXPECT_EQ(menuText(*w, "N11"), QStringLiteral("按类浏览(&T)"));
    EXPECT_EQ(w->findChild<QToolButton *>("Tb11")->text(), QStringLiteral("按类浏览(T)"));
    EXPECT_EQ(w->findChild<QToolButton *>("TbGuide")->text(), QStringLiteral("怎样订书"));
    EXPECT_TRUE(buttonShown(*w, "tb115"));
    EXPECT_TRUE(buttonShown(*w, "tbDbz"));
    EXPECT_FALSE(buttonShown(*w, "tbCbs"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("春季教材征订"));
}

TEST_F(MainWindowTest, InformationPagesReuseOneWindow)
{
    auto w = make("[MENU]\nDBZ=1\nCBS=1\n");
    QTest::mouseClick(w->findChild<QToolButton *>("TbGuide"), Qt::LeftButton);
    auto *info = qobject_cast<TFrmJs *>(FormRegistry::instance().findOpen(QStringLiteral("FrmJs")));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->currentPage(), QStringLiteral("order.html"));
    EXPECT_TRUE(info->parentWidget()->isMaximized());

    QTest::mouseClick(w->findChild<QToolButton *>("tbCbs"), Qt::LeftButton);
    EXPECT_EQ(FormRegistry::instance().findOpen(QStringLiteral("FrmJs")), info);
    EXPECT_EQ(info->currentPage(), QStringLiteral("press.html"));
    QTest::mouseClick(w->findChild<QToolButton *>("tbDbz"), Qt::LeftButton);
    EXPECT_EQ(info->currentPage(), QStringLiteral("intro.html"));
    info->selectPage(5);
    EXPECT_EQ(info->currentPage(), QStringLiteral("intro.html"));
    EXPECT_EQ(w->mdiArea()->subWindowList().size(), 1);

    // Closed by its own button: the window and its frame go, then N32 opens a new one.
    QTest::mouseClick(info->findChild<QPushButton *>("BtnClose"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FormRegistry::instance().findOpen(QStringLiteral("FrmJs")), nullptr);
    EXPECT_TRUE(w->mdiArea()->subWindowList().isEmpty());
    w->findChild<QAction *>("N32")->trigger();
    auto *again = qobject_cast<TFrmJs *>(FormRegistry::instance().findOpen(QStringLiteral("FrmJs")));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->currentPage(), QStringLiteral("dataupd.html"));
    w->findChild<QAction *>("N31")->trigger();
    EXPECT_EQ(again->currentPage(), QStringLiteral("zdsm.html"));
}

TEST_F(MainWindowTest, CascadeAndTileNeedAChildWindow)
{
    auto w = make(QByteArray());
    QAction *cascade = w->findChild<QAction *>("mnuCascade");
    QAction *tile = w->findChild<QAction *>("mnuTile");
    EXPECT_FALSE(cascade->isEnabled());
    EXPECT_FALSE(tile->isEnabled());
    w->showInfoPage(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(cascade->isEnabled());
    EXPECT_TRUE(tile->isEnabled());
    w->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_FALSE(cascade->isEnabled());
}

TEST_F(MainWindowTest, ExitAsksFirstAndCancelKeepsEverythingOpen)
{
    auto w = make(QByteArray());
    w->showInfoPage(0);
    prompter.answers.enqueue(MsgResult::Cancel);
    w->findChild<QAction *>("C1")->trigger();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("确定退出系统吗?"));
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("系统提示"));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::OkCancel);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->mdiArea()->subWindowList().size(), 1);

    prompter.answers.enqueue(MsgResult::Ok);
    QTest::mouseClick(w->findChild<QToolButton *>("TBClose"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, ToolBarToggleAndUnknownCommands)
{
    auto w = make(QByteArray());
    ASSERT_TRUE(w->toolBar()->isVisible());
    w->findChild<QAction *>("mnuHide")->trigger();
    EXPECT_FALSE(w->toolBar()->isVisible());
    w->findChild<QAction *>("mnuHide")->trigger();
    EXPECT_TRUE(w->toolBar()->isVisible());
    // Commands whose windows are not registered end silently.
    FormRegistry::instance().unregisterClass(QStringLiteral("TFrmSeh"));
    w->runCommand(TFrmMain::CmdOrderQuery);
    w->runCommand(12345);
    EXPECT_TRUE(w->mdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

} // namespace
