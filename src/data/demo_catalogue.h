#pragma once
// A generated season catalogue for demonstrations and benchmarks: invented university presses,
// business and specialty categories, further classifications, titles with realistic Chinese
// data, long texts, cover names, planned-textbook marks, suppliers and one unit record.
// The same number of titles always gives the same rows; title i is the same whatever the total.
#include <QSqlDatabase>
#include <functional>

namespace DemoCatalogue {

using Progress = std::function<void(int done, int total)>;

// Number of titles in the catalogue (rows of debooks).
int titleCount(const QSqlDatabase &db);

// Fills the catalogue tables and bookstore with `titles` titles in one transaction (nested
// in the caller's when one is open). With replace, the catalogue tables and bookstore are
// emptied first in the same transaction; otherwise they must be empty. The catalogue is
// marked as a demo (see isDemo). progress, when set,
// is called every few thousand titles and once at the end. Throws AppError on failure,
// leaving the database as it was.
void fill(const QSqlDatabase &db, int titles, const Progress &progress = {}, bool replace = false);

// Empties the catalogue tables and bookstore (one transaction).
void clear(const QSqlDatabase &db);

// Whether the catalogue is a generated one. fill() leaves a marker row in table parameter
// (pname "演示目录", userno "*", pvalue the number of titles) in its transaction; clear() and
// the import of a supplier's catalogue (JetImport) remove it with the catalogue they replace.
bool isDemo(const QSqlDatabase &db);
// Removes the marker (inside the caller's transaction when one is open).
void removeMarker(const QSqlDatabase &db);

// The cover file names the runtime tree ships in ../bookimages/: cover01.jpg ... cover12.jpg.
QStringList coverNames();

} // namespace DemoCatalogue
