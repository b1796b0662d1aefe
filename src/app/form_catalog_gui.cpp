#include "app/form_catalog_gui.h"

#include "app/about_dialog.h"
#include "common/app_settings.h"
#include "app/form_registry_gui.h"
#include "app/info_window.h"
#include "app/tdm_gui.h"
#include "app/welcome.h"
#include "app/welcome_dialog.h"
#include "catalog/detail_window.h"
#include "catalog/category_browse_window.h"
#include "catalog/planned_browse_window.h"
#include "catalog/publisher_browse_window.h"
#include "catalog/search_window.h"
#include "data/connection.h"
#include "order/mail_settings_dialog.h"
#include "order/order_query_window.h"
#include "order/order_wizard_window.h"

namespace FormCatalog {

// The factories are the one place where windows meet the data module: each window is handed
// the connection, the prompter, the shared pop-up menu and its settings when it is made, and
// every window that reads or fills a cart gets the desk's one operator code (DM->sUserName).
// The order query takes none: it lists the orders of every desk.
static void add(const char *className, FormRegistry::Factory factory)
{
    FormRegistry::instance().registerClass(QString::fromLatin1(className), std::move(factory));
}

void registerAll()
{
    add("TFrmJs", [](QWidget *owner) -> QWidget * { return new TFrmJs(owner); });
    add("TFrmSettings", [](QWidget *owner) -> QWidget * { return new TFrmSettings(DM->prompter(), {}, owner); });
    add("TFrmWelcome", [](QWidget *owner) -> QWidget * {
        const MainMenuConfig menu = MainMenuConfig::read();
        const Welcome::Facts facts = Welcome::read(
            DM->Con, menu, DM->dbKind == u"Oledb40" ? Connection::embeddedDatabasePath() : QString());
        return new TFrmWelcome(Welcome::text(facts), facts.guideCaption, owner);
    });
    add("TFrmAbout", [](QWidget *owner) -> QWidget * { return new TFrmAbout(DM->prompter(), owner); });
    add("TFrmDetail", [](QWidget *owner) -> QWidget * { return new TFrmDetail(nullptr, DM->detailContext(), owner); });
    add("TFrmMagN", [](QWidget *owner) -> QWidget * {
        BrowseSetup setup;
        setup.popupMenu = &DM->popupMenu();
        setup.showDetail = AppSettings::showDetail(QStringLiteral("FrmMag"));
        setup.operatorCode = DM->sUserName;
        return new TFrmMagN(DM->prompter(), DM->Con, setup, owner);
    });
    add("TFrmbookTypeB", [](QWidget *owner) -> QWidget * {
        BrowseSetup setup;
        setup.popupMenu = &DM->popupMenu();
        setup.operatorCode = DM->sUserName;
        return new TFrmbookTypeB(DM->prompter(), DM->Con, setup, owner);
    });
    add("TFrmQuery", [](QWidget *owner) -> QWidget * {
        TFrmQuery::Options options;
        options.defaultRelation = DM->defaultRelation;
        options.showDetail = AppSettings::showDetail(QStringLiteral("FrmQuery"));
        options.popupMenu = &DM->popupMenu();
        options.operatorCode = DM->sUserName;
        return new TFrmQuery(DM->prompter(), DM->Con, options, owner);
    });
    add("TFrmSeh", [](QWidget *owner) -> QWidget * {
        TFrmSeh::Options options;
        options.popupMenu = &DM->popupMenu();
        return new TFrmSeh(DM->prompter(), DM->Con, options, owner);
    });
    add("TFrmOrderDo", [](QWidget *owner) -> QWidget * {
        TFrmOrderDo::Options options;
        options.operatorCode = DM->sUserName;
        options.popupMenu = &DM->popupMenu();
        return new TFrmOrderDo(DM->prompter(), DM->Con, options, owner);
    });
    add("TFrmbook115", [](QWidget *owner) -> QWidget * {
        BrowseSetup setup;
        setup.popupMenu = &DM->popupMenu();
        setup.operatorCode = DM->sUserName;
        return new TFrmbook115(DM->prompter(), DM->Con, setup, owner);
    });
}

} // namespace FormCatalog
