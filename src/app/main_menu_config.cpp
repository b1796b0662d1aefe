#include "app/main_menu_config.h"

#include "common/ini_reader.h"

namespace {
const QHash<QString, QString> &defaults()
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("N1"), QStringLiteral("书目(&B)")},
        {QStringLiteral("N11"), QStringLiteral("分类浏览(&T)")},
        {QStringLiteral("N12"), QStringLiteral("版别浏览(&L)")},
        {QStringLiteral("N13"), QStringLiteral("检索书目(&S)")},
        {QStringLiteral("N2"), QStringLiteral("订购(&D)")},
        {QStringLiteral("N22"), QStringLiteral("购物车(&S)")},
        {QStringLiteral("N23"), QStringLiteral("订单查询(&Q)")},
        {QStringLiteral("N3"), QStringLiteral("征订说明")},
        {QStringLiteral("N31"), QStringLiteral("征订说明")},
        {QStringLiteral("N32"), QStringLiteral("书目更新说明")},
        {QStringLiteral("N33"), QStringLiteral("关于")},
    };
    return map;
}
} // namespace

const QStringList &MainMenuConfig::configurableItems()
{
    static const QStringList items = {"N1", "N11", "N12", "N13", "N2", "N22", "N23", "N3", "N31", "N32", "N33"};
    return items;
}

QString MainMenuConfig::defaultCaption(const QString &item)
{
    return defaults().value(item);
}

MainMenuConfig MainMenuConfig::read()
{
    const QString menu = QStringLiteral("MENU");
    MainMenuConfig c;
    c.appTitle = Ini::readProfileString(QStringLiteral("All"), QStringLiteral("apptitle"));
    for (const QString &item : configurableItems())
        c.captions.insert(item, Ini::readProfileString(menu, item, defaultCaption(item)));
    c.show115 = Ini::readProfileString(menu, QStringLiteral("115"), QStringLiteral("0")) == u"1";
    c.showDbz = Ini::readProfileString(menu, QStringLiteral("DBZ"), QStringLiteral("0")) == u"1";
    c.showCbs = Ini::readProfileString(menu, QStringLiteral("CBS"), QStringLiteral("0")) == u"1";
    c.guideCaption = Ini::readProfileString(menu, QStringLiteral("TbGuide"), QStringLiteral("订购指南"));
    return c;
}
