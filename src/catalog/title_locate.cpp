#include "catalog/title_locate.h"

#include "common/isbn.h"
#include "data/dataset.h"

namespace TitleLocate {

bool locate(DataSet &list, const QString &field, const QString &typed)
{
    const Isbn isbn = Isbn::read(typed);
    if (field.compare(QLatin1String("isbn"), Qt::CaseInsensitive) != 0 || !isbn.isIsbn())
        return list.locate(field, typed);
    return list.locateWhere(field, [&](const QString &text) {
        return text.startsWith(typed, Qt::CaseInsensitive) || isbn.sameTitleAs(text);
    });
}

} // namespace TitleLocate
