#include "grid/grid_memory.h"

#include "common/user_settings.h"
#include "grid/grid_columns.h"

#include <QHash>
#include <QSettings>

namespace GridMemory {
namespace {

QString group(const QString &key)
{
    QString k = key;
    k.replace(u'\\', u'_');
    return QStringLiteral("Grids/") + k.replace(u'/', u'.');
}

} // namespace

QString columnId(const GridColumn &column)
{
    return column.fieldName.isEmpty() ? u'#' + GridColumns::plainTitle(column.title) : column.fieldName.toUpper();
}

QString columnsText(const QList<GridColumnState> &columns)
{
    QStringList parts;
    for (const GridColumnState &c : columns)
        parts << QStringLiteral("%1 %2 %3").arg(c.id).arg(c.width).arg(c.visible ? 1 : 0);
    return parts.join(u';');
}

QList<GridColumnState> parseColumns(const QString &text)
{
    QList<GridColumnState> out;
    for (const QString &part : text.split(u';', Qt::SkipEmptyParts)) {
        // The id may hold blanks (a mark column's title): width and flag are the last two words.
        const QStringList words = part.trimmed().split(u' ');
        if (words.size() < 3)
            continue;
        bool widthOk = false;
        const int width = words.at(words.size() - 2).toInt(&widthOk);
        const QString flag = words.last();
        if (!widthOk || width < 0 || (flag != u"0" && flag != u"1"))
            continue;
        GridColumnState c;
        c.id = words.mid(0, words.size() - 2).join(u' ');
        c.width = width;
        c.visible = flag == u"1";
        out << c;
    }
    return out;
}

GridState load(const QString &key)
{
    GridState state;
    const auto settings = UserSettings::open();
    if (!settings || key.isEmpty())
        return state;
    settings->beginGroup(group(key));
    state.columns = parseColumns(settings->value(QStringLiteral("columns")).toString());
    state.sortText = settings->value(QStringLiteral("sort")).toString();
    state.sortMarked = settings->value(QStringLiteral("sortMarked"), false).toBool();
    return state;
}

void save(const QString &key, const GridState &state)
{
    const auto settings = UserSettings::open();
    if (!settings || key.isEmpty())
        return;
    settings->beginGroup(group(key));
    settings->setValue(QStringLiteral("columns"), columnsText(state.columns));
    settings->setValue(QStringLiteral("sort"), state.sortText);
    settings->setValue(QStringLiteral("sortMarked"), state.sortMarked);
}

void forget(const QString &key)
{
    const auto settings = UserSettings::open();
    if (settings && !key.isEmpty())
        settings->remove(group(key));
}

QList<int> apply(const GridState &state, GridColumns &columns)
{
    QHash<QString, int> indexOf;
    for (int i = 0; i < columns.count(); ++i)
        indexOf.insert(columnId(columns.at(i)), i);

    QList<int> order;
    QList<bool> placed(columns.count(), false);
    for (const GridColumnState &c : state.columns) {
        const auto it = indexOf.constFind(c.id);
        if (it == indexOf.cend() || placed[*it])
            continue;
        GridColumn &column = columns[*it];
        column.visible = c.visible;
        if (c.width > 0)
            column.width = c.width;
        placed[*it] = true;
        order << *it;
    }
    for (int i = 0; i < columns.count(); ++i) {
        if (placed[i])
            continue;
        const qsizetype left = i == 0 ? -1 : order.indexOf(i - 1);
        order.insert(left + 1, i);
        placed[i] = true;
    }
    return order;
}

} // namespace GridMemory
