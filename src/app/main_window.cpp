#include "app/main_window.h"

#include "app/form_registry_gui.h"
#include "app/info_window.h"
#include "app/picture_loader_gui.h"
#include "app/welcome_dialog.h"
#include "common/guarded.h"
#include "order/order_wizard_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

// The child-window area with the main picture stretched over it.
class PictureMdiArea : public QMdiArea {
public:
    PictureMdiArea(Prompter &prompter, QWidget *parent) : QMdiArea(parent)
    {
        setObjectName(QStringLiteral("MdiArea"));
        setBackground(QColor(0xBB, 0xC8, 0xD3));
        QPixmap picture;
        if (PictureLoader::loadOrReport(QStringLiteral("jpg/appMain.jpg"), &picture, prompter))
            m_picture = picture;
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QMdiArea::paintEvent(event);
        if (m_picture.isNull())
            return;
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(viewport()->rect(), m_picture);
    }

private:
    QPixmap m_picture;
};

} // namespace

TFrmMain::TFrmMain(Prompter &prompter, const QString &userName, QWidget *parent)
    : QMainWindow(parent), m_prompter(prompter)
{
    setObjectName(QStringLiteral("FrmMain"));
    m_mdi = new PictureMdiArea(prompter, this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    FormRegistry::instance().setMdiArea(m_mdi);
    FormRegistry::instance().setPrompter(&m_prompter);

    const MainMenuConfig config = MainMenuConfig::read();
    qApp->setProperty("appTitle", config.appTitle);
    buildMenus(config);
    buildToolBar(config);
    buildStatusBar(userName);

    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] {
        // A closing child is still listed while it is being deactivated: look again later.
        QMetaObject::invokeMethod(this, &TFrmMain::updateWindowCommands, Qt::QueuedConnection);
    });
    updateWindowCommands();
    setWindowTitle(config.appTitle);
}

TFrmMain::~TFrmMain()
{
    FormRegistry::instance().setPrompter(nullptr);
}

QAction *TFrmMain::addMenuItem(QMenu *menu, const QString &name, const QString &caption, int tag)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setData(tag);
    m_actions.insert(name, action);
    return action;
}

void TFrmMain::buildMenus(const MainMenuConfig &config)
{
    auto caption = [&](const char *item) { return config.captions.value(QString::fromLatin1(item)); };
    auto dispatch = [this] {
        if (auto *action = qobject_cast<QAction *>(sender()))
            runCommand(action->data().toInt());
    };

    QMenu *n1 = menuBar()->addMenu(caption("N1"));
    n1->setObjectName(QStringLiteral("N1"));
    QMenu *n2 = menuBar()->addMenu(caption("N2"));
    n2->setObjectName(QStringLiteral("N2"));
    QMenu *n3 = menuBar()->addMenu(caption("N3"));
    n3->setObjectName(QStringLiteral("N3"));
    m_windowMenu = menuBar()->addMenu(QStringLiteral("窗口(&W)"));
    m_windowMenu->setObjectName(QStringLiteral("mnuWindow"));
    QMenu *q3 = menuBar()->addMenu(QStringLiteral("退出(&Q) "));
    q3->setObjectName(QStringLiteral("Q3"));

    const QList<QAction *> tagged = {
        addMenuItem(n1, QStringLiteral("N11"), caption("N11"), CmdCategoryBrowse),
        addMenuItem(n1, QStringLiteral("N12"), caption("N12"), CmdPublisherBrowse),
        addMenuItem(n1, QStringLiteral("N13"), caption("N13"), CmdSearch),
        addMenuItem(n2, QStringLiteral("N22"), caption("N22"), CmdCart),
        addMenuItem(n2, QStringLiteral("N23"), caption("N23"), CmdOrderQuery),
        addMenuItem(n2, QStringLiteral("N24"), QStringLiteral("设置(&T)…"), CmdSettings),
        addMenuItem(n3, QStringLiteral("N31"), caption("N31"), CmdInfoPage3),
        addMenuItem(m_windowMenu, QStringLiteral("mnuCascade"), QStringLiteral("层  叠(&C)"), CmdCascade),
        addMenuItem(m_windowMenu, QStringLiteral("mnuTile"), QStringLiteral("平  铺(&T)"), CmdTile),
        addMenuItem(m_windowMenu, QStringLiteral("mnuHide"), QStringLiteral("显示/隐藏工具栏"), CmdToggleToolBar),
        addMenuItem(q3, QStringLiteral("C1"), QStringLiteral("退出系统(&C)"), CmdExit),
    };
    // N32 has a handler of its own; N33 is the about box.
    QAction *n32 = addMenuItem(n3, QStringLiteral("N32"), caption("N32"), 0);
    QAction *n33 = addMenuItem(n3, QStringLiteral("N33"), caption("N33"), CmdAbout);
    QAction *n34 = addMenuItem(n3, QStringLiteral("N34"), QStringLiteral("欢迎(&W)…"), CmdWelcome);
    for (QAction *a : tagged)
        connect(a, &QAction::triggered, this, dispatch);
    connect(n33, &QAction::triggered, this, dispatch);
    connect(n34, &QAction::triggered, this, dispatch);
    connect(n32, &QAction::triggered, this, [this] { showInfoPage(4); });

    m_windowListStart = m_windowMenu->addSeparator();
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TFrmMain::fillWindowMenu);
}

QToolButton *TFrmMain::addToolButton(const QString &name, const QString &caption, const QString &icon)
{
    auto *button = new QToolButton(m_toolBar);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(QIcon(QStringLiteral(":/icons/") + icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(67, 43);
    button->setIconSize(QSize(22, 22));
    button->setAutoRaise(true);
    QAction *holder = m_toolBar->addWidget(button);
    holder->setObjectName(name + QStringLiteral("Holder"));
    return button;
}

void TFrmMain::buildToolBar(const MainMenuConfig &config)
{
    m_toolBar = addToolBar(QStringLiteral("工具栏"));
    m_toolBar->setObjectName(QStringLiteral("CoolBar1"));
    m_toolBar->setMovable(false);
    QFont small = m_toolBar->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_toolBar->setFont(small);

    // A menu caption's "&" marks its accelerator; on a tool button it would clash with the
    // menus' own, so the button shows the caption without it ("分类浏览(T)").
    auto shown = [](QString text) { return text.remove(u'&'); };
    auto caption = [&](const char *item) { return shown(config.captions.value(QString::fromLatin1(item))); };

    auto *tb11 = addToolButton(QStringLiteral("Tb11"), caption("N11"), QStringLiteral("browse_category.png"));
    auto *tb12 = addToolButton(QStringLiteral("TB12"), caption("N12"), QStringLiteral("browse_publisher.png"));
    auto *tb115 = addToolButton(QStringLiteral("tb115"), QStringLiteral("十一五教材"), QStringLiteral("plan115.png"));
    QAction *sep115 = m_toolBar->addSeparator();
    auto *tb13 = addToolButton(QStringLiteral("TB13"), caption("N13"), QStringLiteral("search.png"));
    m_toolBar->addSeparator();
    auto *tb22 = addToolButton(QStringLiteral("Tb22"), caption("N22"), QStringLiteral("cart.png"));
    auto *tb23 = addToolButton(QStringLiteral("tb23"), caption("N23"), QStringLiteral("order_query.png"));
    tb23->setToolTip(QStringLiteral("采购单查询"));
    m_toolBar->addSeparator();
    auto *dbz = addToolButton(QStringLiteral("tbDbz"), QStringLiteral("代办站"), QStringLiteral("agency.png"));
    QAction *sepDbz = m_toolBar->addSeparator();
    auto *cbs = addToolButton(QStringLiteral("tbCbs"), QStringLiteral("出版社"), QStringLiteral("press.png"));
    QAction *sepCbs = m_toolBar->addSeparator();
    auto *guide = addToolButton(QStringLiteral("TbGuide"), shown(config.guideCaption), QStringLiteral("guide.png"));
    m_toolBar->addSeparator();
    auto *close = addToolButton(QStringLiteral("TBClose"), QStringLiteral("退出系统"), QStringLiteral("exit.png"));

    auto showPair = [this](QToolButton *button, QAction *separator, bool visible) {
        for (QAction *a : m_toolBar->actions()) {
            if (m_toolBar->widgetForAction(a) == button)
                a->setVisible(visible);
        }
        separator->setVisible(visible);
    };
    showPair(tb115, sep115, config.show115);
    showPair(dbz, sepDbz, config.showDbz);
    showPair(cbs, sepCbs, config.showCbs);

    connect(tb11, &QToolButton::clicked, this, [this] { runCommand(CmdCategoryBrowse); });
    connect(tb12, &QToolButton::clicked, this, [this] { runCommand(CmdPublisherBrowse); });
    connect(tb115, &QToolButton::clicked, this,
            [this] { guarded(m_prompter, [this] { openWindow(QStringLiteral("FrmBook115")); }); });
    connect(tb13, &QToolButton::clicked, this, [this] { runCommand(CmdSearch); });
    connect(tb22, &QToolButton::clicked, this, [this] { runCommand(CmdCart); });
    connect(tb23, &QToolButton::clicked, this, [this] { runCommand(CmdOrderQuery); });
    connect(dbz, &QToolButton::clicked, this, [this] { showInfoPage(0); });
    connect(cbs, &QToolButton::clicked, this, [this] { showInfoPage(2); });
    connect(guide, &QToolButton::clicked, this, [this] { showInfoPage(1); });
    connect(close, &QToolButton::clicked, this, [this] { runCommand(CmdExit); });
}

void TFrmMain::buildStatusBar(const QString &userName)
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbMain"));
    const int widths[] = {60, 200, 80, 70, 60, 50};
    for (int i = 0; i < 6; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("sbMainPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        if (i < 5)
            panel->setFixedWidth(widths[i]);
        bar->addWidget(panel, i == 5 ? 1 : 0);
    }
    bar->findChild<QLabel *>(QStringLiteral("sbMainPanel3"))->setText(userName);
    bar->findChild<QLabel *>(QStringLiteral("sbMainPanel5"))->setText(QStringLiteral("征订教材服务中心 提供技术支持"));
}

void TFrmMain::updateWindowCommands()
{
    const bool any = !m_mdi->subWindowList().isEmpty();
    m_actions.value(QStringLiteral("mnuCascade"))->setEnabled(any);
    m_actions.value(QStringLiteral("mnuTile"))->setEnabled(any);
}

void TFrmMain::fillWindowMenu()
{
    updateWindowCommands();
    const QList<QAction *> all = m_windowMenu->actions();
    for (qsizetype i = all.indexOf(m_windowListStart) + 1; i < all.size(); ++i) {
        m_windowMenu->removeAction(all[i]);
        all[i]->deleteLater();
    }
    int n = 0;
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        QAction *a = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(++n).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == m_mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, sub] { m_mdi->setActiveSubWindow(sub); });
    }
}

void TFrmMain::openWindow(const QString &name)
{
    FormRegistry::instance().open(name, FormRegistry::MdiChild, QStringLiteral("0"));
}

void TFrmMain::openCart()
{
    FormRegistry &registry = FormRegistry::instance();
    if (QWidget *open = registry.findOpen(QStringLiteral("FrmOrderDo"))) {
        // A finished run gives way to a new one; a cart changed meanwhile is read again.
        if (auto *wizard = qobject_cast<TFrmOrderDo *>(open))
            wizard->cartRequested();
        FormRegistry::bringToFront(open);
    } else
        registry.open(QStringLiteral("FrmOrderDo"), FormRegistry::MdiChild, QStringLiteral("0"));
}

void TFrmMain::showInfoPage(int page)
{
    guarded(m_prompter, [&] {
        const FormRegistry::Result r =
            FormRegistry::instance().open(QStringLiteral("FrmJs"), FormRegistry::MdiChild, QStringLiteral("0"));
        if (auto *info = qobject_cast<TFrmJs *>(r.window))
            info->selectPage(page);
    });
}

void TFrmMain::showWelcome()
{
    guarded(m_prompter, [&] {
        const FormRegistry::Result r = FormRegistry::instance().open(QStringLiteral("FrmWelcome"), FormRegistry::Normal);
        if (auto *welcome = qobject_cast<TFrmWelcome *>(r.window)) {
            connect(welcome, &TFrmWelcome::guideRequested, this, &TFrmMain::showGuide, Qt::UniqueConnection);
            connect(welcome, &TFrmWelcome::settingsRequested, this, &TFrmMain::openSettings, Qt::UniqueConnection);
        }
    });
}

void TFrmMain::runCommand(int tag)
{
    guarded(m_prompter, [&] { runCommandUnguarded(tag); });
}

void TFrmMain::runCommandUnguarded(int tag)
{
    switch (tag) {
    case CmdCategoryBrowse:
        openWindow(QStringLiteral("FrmBookTypeB"));
        break;
    case CmdPublisherBrowse:
        openWindow(QStringLiteral("FrmMagN"));
        break;
    case CmdSearch:
        openWindow(QStringLiteral("FrmQuery"));
        break;
    case CmdCart:
        openCart();
        break;
    case CmdOrderQuery:
        openWindow(QStringLiteral("FrmSeh"));
        break;
    case CmdSettings:
        FormRegistry::instance().open(QStringLiteral("FrmSettings"), FormRegistry::Modal);
        break;
    case CmdInfoPage3:
        showInfoPage(3);
        break;
    case CmdAbout:
        FormRegistry::instance().open(QStringLiteral("FrmAbout"), FormRegistry::Modal, QStringLiteral("0"));
        break;
    case CmdWelcome:
        showWelcome();
        break;
    case CmdExit:
        close();
        break;
    case CmdCascade:
        m_mdi->cascadeSubWindows();
        break;
    case CmdTile:
        m_mdi->tileSubWindows();
        break;
    case CmdToggleToolBar:
        m_toolBar->setVisible(!m_toolBar->isVisible());
        break;
    default:
        break;
    }
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    if (m_prompter.message(QStringLiteral("确定退出系统吗?"), QStringLiteral("系统提示"), MsgFlags::OkCancel)
        != MsgResult::Ok) {
        event->ignore();
        return;
    }
    m_mdi->closeAllSubWindows();
    // A window that asked to stay (the order wizard with orders not yet sent) keeps the program.
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (sub->isVisible()) {
            event->ignore();
            return;
        }
    event->accept();
}
