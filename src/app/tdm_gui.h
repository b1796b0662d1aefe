#pragma once
// The data module: created once at start, it owns the one connection, the application
// values and the Prompter through which windows ask the user.
#include "app/data_module.h"
#include "catalog/detail_window.h"
#include "common/prompter.h"

#include <QObject>
#include <memory>

class PpMenu;

class TDM : public QObject {
    Q_OBJECT
public:
    // Takes the prompter the program talks through (the Qt one in the product).
    explicit TDM(std::unique_ptr<Prompter> prompter, QObject *parent = nullptr);
    ~TDM() override;

    // Runs the creation: reads the configuration and opens Con. Returns false when the
    // program must end (the user has been told why).
    bool create();

    QSqlDatabase Con;
    QString defaultRelation;
    QString dbKind;
    QString sUserName;   // the operator code of this desk, for every window

    Prompter &prompter() { return *m_prompter; }
    // The pop-up menu all grids share (made on first use).
    PpMenu &popupMenu();
    // What the detail window works with: the connection and the prompter.
    TFrmDetail::Context detailContext();

private:
    std::unique_ptr<Prompter> m_prompter;
    std::unique_ptr<PpMenu> m_popupMenu;
};

// The program's one data module; windows reach for it, core routines never do.
extern TDM *DM;
