#include "grid/chinese_font_gui.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace ChineseFont {

QString resolve(const QString &family)
{
    if (!family.isEmpty()) {
        const QStringList all = QFontDatabase::families();
        for (const QString &name : all)
            if (name.compare(family, Qt::CaseInsensitive) == 0)
                return name;
    }

    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    static const QStringList songNames = {
        QStringLiteral("宋体"), QStringLiteral("新宋体"), QStringLiteral("SimSun"),
        QStringLiteral("NSimSun"), QStringLiteral("Song"), QStringLiteral("STSong"),
        QStringLiteral("华文宋体"), QStringLiteral("仿宋"), QStringLiteral("FangSong")};
    static const QStringList songFaces = {
        QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC")};
    static const QStringList otherFaces = {
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Source Han Sans SC"),
        QStringLiteral("Droid Sans Fallback")};
    QStringList wanted;
    if (family.isEmpty() || songNames.contains(family, Qt::CaseInsensitive))
        wanted << songFaces;
    wanted << otherFaces;
    for (const QString &name : wanted)
        if (chinese.contains(name))
            return name;
    for (const QString &name : chinese)
        if (!QFontDatabase::isPrivateFamily(name))
            return name;
    return family;
}

void applyToApplication()
{
    const QString family = resolve();
    if (family.isEmpty())
        return;
    QFont font(family);
    font.setPointSize(10);
    QApplication::setFont(font);
}

} // namespace ChineseFont
