#include "app/tdm_gui.h"

#include "app/zd_application_gui.h"
#include "catalog/detail_window.h"
#include "common/app_error.h"
#include "grid/grid_popup_gui.h"

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
}

bool TDM::create()
{
    try {
        DataModuleState state = DataModule::create(*m_prompter);
        Con = state.con;
        defaultRelation = state.defaultRelation;
        dbKind = state.dbKind;
        sUserName = state.userName;
        return !state.endRequested;
    } catch (const AppError &e) {
        ZdApplication::showError(e.text());
        return false;
    }
}

PpMenu &TDM::popupMenu()
{
    if (!m_popupMenu) {
        m_popupMenu = std::make_unique<PpMenu>(*m_prompter);
        // A double click on a book grid and "浏览(&L)" open the title in the detail window.
        m_popupMenu->setDetailOpener([](DataSet &list) { TFrmDetail::openOn(list, QApplication::activeWindow()); });
    }
    return *m_popupMenu;
}
