#pragma once
// What the display-field dialog offers and applies. Mode 0 lists the grid's columns in column
// order; mode 1 (a grid that shows its list's own fields) lists the list's fields in field
// order. An entry without a field (the mark column) or whose lower-cased field name is an item
// of the protected list (sNoShowFieldList: "tm,isbn") is shown but cannot be changed.
#include <QList>
#include <QString>
#include <QStringList>

class DataSet;
class GridColumns;

struct FieldChoice {
    int index = 0;        // column (mode 0) or field (mode 1)
    QString caption;
    QString fieldName;
    bool checked = false; // visible
    bool enabled = true;
};

namespace FieldSelection {

enum Mode { Columns = 0, Fields = 1 };

QStringList protectedFields(const QString &noShowList);

QList<FieldChoice> choices(const GridColumns &columns, const DataSet *ds, int mode,
                           const QString &noShowList);

// The "all" box: every enabled entry takes its state.
void setAll(QList<FieldChoice> &choices, bool checked);

// Sets the visibility of each entry's column (mode 0) or field (mode 1). In mode 1 the
// columns then follow their fields.
void apply(const QList<FieldChoice> &choices, GridColumns &columns, DataSet *ds, int mode);

} // namespace FieldSelection
