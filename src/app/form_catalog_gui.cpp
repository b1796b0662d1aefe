#include "app/form_catalog_gui.h"

#include "app/about_dialog.h"
#include "app/form_registry_gui.h"
#include "app/info_window.h"
#include "catalog/detail_window.h"
#include "catalog/category_browse_window.h"
#include "catalog/planned_browse_window.h"
#include "catalog/publisher_browse_window.h"

namespace FormCatalog {

template <typename T>
static void add(const char *className)
{
    FormRegistry::instance().registerClass(QString::fromLatin1(className),
                                           [](QWidget *owner) -> QWidget * { return new T(owner); });
}

void registerAll()
{
    add<TFrmJs>("TFrmJs");
    add<TFrmAbout>("TFrmAbout");
    add<TFrmDetail>("TFrmDetail");
    add<TFrmMagN>("TFrmMagN");
    add<TFrmbookTypeB>("TFrmbookTypeB");
    add<TFrmbook115>("TFrmbook115");
}

} // namespace FormCatalog
