#pragma once
// What the welcome at a user's first start says, and whether it is due. It tells the three
// things a new user trips over:
//
//   the catalogue   a demo until the supplier's is imported (DemoCatalogue::isDemo), and how
//                   to import it: the supplier's data.mdb as init/data.mdb, or
//                   zhengding-admin import-catalogue FILE
//   the recipients  orders go to the addresses of "设置" (init/mailadd.txt), listed, the
//                   shipped example addresses marked as such
//   the start       the ordering guide (the tool button "订购指南")
//
// It is shown once per user: the user settings remember that it was (group Welcome). The
// help menu opens it again at any time.
#include "app/main_menu_config.h"
#include "order/mail_request.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace Welcome {

enum class Catalogue { Empty, Demo, Supplier };

struct Facts {
    Catalogue catalogue = Catalogue::Empty;
    int titles = 0;
    QString databaseFile;        // the embedded database file; empty for a database server
    QStringList recipients;
    QStringList examples;        // those of the recipients that are shipped examples
    QString recipientsFault;     // the recipients file has a line that is no address: which
    QString guideCaption;        // the ordering guide's tool button, "订购指南"
    QString helpMenu;            // the menu the welcome is opened from again, "征订说明"
    QString settingsMenu;        // the menu that holds "设置", "订购"
};

// The facts of this database and this working tree.
Facts read(const QSqlDatabase &db, const MainMenuConfig &menu, const QString &databaseFile,
           const QString &recipientsPath = OrderMail::recipientsFile());

// The welcome's text (plain, paragraphs separated by blank lines).
QString text(const Facts &facts);

// Whether the welcome is still due for this user (never while nothing is remembered).
bool due();
// Remembers that the user has seen it.
void markShown();

} // namespace Welcome
