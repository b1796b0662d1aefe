#pragma once
// The remembered layout of one grid: which columns show, in which order and how wide, and the
// list's sort. A grid is known by its window's objectName and its own ("FrmBookTypeB/Dbgbook").
// A column is known by its field name, or by its title for a column without a field (the mark
// column), so a layout survives columns being added to or dropped from the program.
#include <QList>
#include <QString>

struct GridColumn;
class GridColumns;

struct GridColumnState {
    QString id;
    int width = 0;
    bool visible = true;
    bool operator==(const GridColumnState &) const = default;
};

struct GridState {
    QList<GridColumnState> columns;   // in the order the grid shows them
    QString sortText;                 // "" for the statement's order
    bool sortMarked = false;          // the sort came from a title click: its title carries ▲/▼
    bool isEmpty() const { return columns.isEmpty() && sortText.isEmpty(); }
    bool operator==(const GridState &) const = default;
};

namespace GridMemory {

QString columnId(const GridColumn &column);

// The settings text of a layout and back; parse() skips entries it cannot read.
QString columnsText(const QList<GridColumnState> &columns);
QList<GridColumnState> parseColumns(const QString &text);

// Reads, writes and forgets the layout stored under key; nothing while remembering is off.
GridState load(const QString &key);
void save(const QString &key, const GridState &state);
void forget(const QString &key);

// Gives columns the remembered visibility and widths (a width of 0 is left alone) and returns
// the order to show them in, as column indexes: the remembered columns in their remembered
// order, each column the layout does not know right after its neighbour on the left.
QList<int> apply(const GridState &state, GridColumns &columns);

} // namespace GridMemory
