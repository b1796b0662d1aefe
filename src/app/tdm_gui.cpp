#include "app/tdm_gui.h"

#include "app/form_registry_gui.h"
#include "app/jet_progress_dialog.h"
#include "app/wait_notice_gui.h"
#include "cart/order_count_dialog.h"
#include "catalog/detail_window.h"
#include "common/guarded.h"
#include "grid/grid_popup_gui.h"
#include "grid/grid_view.h"

#include <QApplication>

TDM *DM = nullptr;

TDM::TDM(std::unique_ptr<Prompter> prompter, QObject *parent)
    : QObject(parent), m_prompter(std::move(prompter))
{
}

TDM::~TDM()
{
    const QString name = Con.connectionName();
    if (Con.isValid()) {
        Con.close();
        Con = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    if (DM == this)
        DM = nullptr;
    WaitNoticeGui::uninstall();
}

bool TDM::create()
{
    bool ready = false;
    guarded(*m_prompter, [&] {
        JetProgressDialog conversionProgress;   // shown only while a Jet catalogue is converted
        DataModuleState state = DataModule::create(
            *m_prompter, QString::fromLatin1(DataModule::ConnectionName), conversionProgress.callback());
        Con = state.con;
        defaultRelation = state.defaultRelation;
        dbKind = state.dbKind;
        sUserName = state.userName;
        ready = !state.endRequested;
    });
    if (ready)
        WaitNoticeGui::install();   // a change that may wait for another desk says so
    return ready;
}

TFrmDetail::Context TDM::detailContext()
{
    TFrmDetail::Context c;
    c.db = Con;
    c.prompter = m_prompter.get();
    c.operatorCode = sUserName;
    return c;
}

PpMenu &TDM::popupMenu()
{
    if (!m_popupMenu) {
        m_popupMenu = std::make_unique<PpMenu>(*m_prompter);
        // A double click on a book grid and "浏览(&L)" open the title in the detail window.
        m_popupMenu->setDetailOpener([this](DataSet &list) {
            TFrmDetail::openOn(list, detailContext(), QApplication::activeWindow());
        });
        // "订购数量(&D)" on the order wizard's cart grid.
        m_popupMenu->setQuantityOpener([this](DbGrid &grid) {
            TFrmOrderCount dialog(*m_prompter, grid, grid.window());
            dialog.exec();
        });
        // The owner is the class of the main window's active child window.
        m_popupMenu->setOwnerNameSource([] { return FormRegistry::instance().activeChildClassName(); });
    }
    return *m_popupMenu;
}
