#include "common/toolkit_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ToolkitTranslation {

bool install(QCoreApplication *app)
{
    if (!app)
        return false;
    static const QString name = QStringLiteral("zhengding_qtbase_zh_CN");
    if (app->findChild<QTranslator *>(name, Qt::FindDirectChildrenOnly))
        return true;
    auto *translator = new QTranslator(app);
    translator->setObjectName(name);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace ToolkitTranslation
