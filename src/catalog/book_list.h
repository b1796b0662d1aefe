#pragma once
// What every catalogue title list shares: the browse column list, captions and display
// formats of the catalogue columns, the synopsis marker NRJJ, and the grid column sets of
// the browse windows.
#include "grid/grid_columns.h"

#include <QString>
#include <QStringList>

class DataSet;

namespace BookList {

// "sm,tm,zbh,…,jj" — the 48 columns every browse list selects, in order.
QString browseColumns();
QStringList browseColumnList();
// The caption a grid title, pane label or export uses for a catalogue column ("" if none).
QString caption(const QString &column);
// Captions, display formats and the NRJJ marker ("(内容简介)" when jj is not null).
void prepare(DataSet &books);

// Grid columns of the category and planned-textbook browse (title column width varies).
GridColumns categoryColumns(int titleWidth = 269);
// Grid columns of the publisher browse.
GridColumns publisherColumns();

} // namespace BookList
