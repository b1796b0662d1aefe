#pragma once
// The main window's captions and optional tool buttons as the configuration file dresses them.
#include <QHash>
#include <QString>

struct MainMenuConfig {
    QString appTitle;                  // All/apptitle
    QHash<QString, QString> captions;  // menu item name (N1, N11, …) -> caption
    bool show115 = false;              // MENU/115 == "1"
    bool showDbz = false;              // MENU/DBZ == "1"
    bool showCbs = false;              // MENU/CBS == "1"
    QString guideCaption;              // MENU/TbGuide, default "订购指南"

    static MainMenuConfig read();
    // The default caption of a configurable menu item.
    static QString defaultCaption(const QString &item);
    static const QStringList &configurableItems();
};
