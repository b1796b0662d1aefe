#include "grid/field_selection.h"

#include "data/dataset.h"
#include "grid/grid_columns.h"

namespace FieldSelection {

QStringList protectedFields(const QString &noShowList)
{
    return noShowList.split(u',', Qt::SkipEmptyParts);
}

QList<FieldChoice> choices(const GridColumns &columns, const DataSet *ds, int mode,
                           const QString &noShowList)
{
    const QStringList protectedList = protectedFields(noShowList);
    auto changeable = [&](const QString &fieldName) {
        return !fieldName.isEmpty() && !protectedList.contains(fieldName.toLower());
    };
    QList<FieldChoice> out;
    if (mode == Fields) {
        if (!ds)
            return out;
        for (int i = 0; i < ds->fieldCount(); ++i) {
            const FieldDef &f = ds->field(i);
            out.append({i, f.caption.isEmpty() ? f.name : f.caption, f.name, f.visible,
                        changeable(f.name)});
        }
        return out;
    }
    for (int i = 0; i < columns.count(); ++i) {
        const GridColumn &c = columns.at(i);
        out.append({i, c.title, c.fieldName, c.visible, changeable(c.fieldName)});
    }
    return out;
}

void setAll(QList<FieldChoice> &choices, bool checked)
{
    for (FieldChoice &c : choices) {
        if (c.enabled)
            c.checked = checked;
    }
}

void apply(const QList<FieldChoice> &choices, GridColumns &columns, DataSet *ds, int mode)
{
    if (mode != Fields) {
        for (const FieldChoice &c : choices) {
            if (c.index >= 0 && c.index < columns.count())
                columns[c.index].visible = c.checked;
        }
        return;
    }
    if (!ds)
        return;
    for (const FieldChoice &c : choices) {
        if (c.index < 0 || c.index >= ds->fieldCount())
            continue;
        ds->setFieldVisible(ds->field(c.index).name, c.checked);
        if (!columns.isAutomatic()) {
            const int column = columns.indexOfField(ds->field(c.index).name);
            if (column >= 0)
                columns[column].visible = c.checked;
        }
    }
    if (columns.isAutomatic())
        columns.syncWithFields(*ds);
}

} // namespace FieldSelection
