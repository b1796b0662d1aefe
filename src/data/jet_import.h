#pragma once
// Replaces the catalogue of a database by the one in the supplier's Access/Jet file.
// Every catalogue base table the file holds (matched by name, letter case aside) is read with
// the columns the schema knows; the catalogue tables are emptied and filled in one
// transaction, and the cart, the counters, the orders, the parties and the unit record stay
// (the demo catalogue's marker goes with the catalogue, see DemoCatalogue::isDemo).
// A database without the schema gets it first, in the same transaction (on Firebird, which
// cannot write into a table before the transaction that created it has committed, in a
// transaction of its own that is undone by dropping the schema when the catalogue cannot be
// written). Any failure leaves the database as it was.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace JetImport {

struct RefusedRow {
    qint64 row = 0;   // 1-based position in the file's table
    QString key;      // the row's key (or first value), to find it in the file
    QString reason;
};

struct TableReport {
    QString table;       // the schema's name
    QString fileTable;   // the name in the file
    qint64 taken = 0;
    qint64 refusedCount = 0;
    QList<RefusedRow> refused;   // the first ones, with their reasons
    QStringList ignoredColumns;  // "name (type)" of file columns not taken, with the reason
};

struct Report {
    QString file;
    QString version;               // "Jet 4", …
    bool schemaCreated = false;
    QList<TableReport> tables;     // in the schema's order
    QStringList absentTables;      // catalogue tables the file lacks: left empty
    QStringList otherTables;       // tables of the file that are no catalogue tables
    qint64 rowsTaken() const;
    qint64 rowsRefused() const;
    qint64 taken(const QString &table) const;   // rows taken into one schema table
    // The closing report, several lines of Chinese text.
    QString text() const;
};

// Called while rows are written: the schema's table name, rows done and the table's rows.
using Progress = std::function<void(const QString &table, qint64 done, qint64 total)>;

// Imports the catalogue of jetPath into db. Throws AppError with a clear text when the file
// cannot be read, holds no title table (debooks), or the database refuses the work; the
// database is unchanged then.
Report importCatalogue(const QSqlDatabase &db, const QString &jetPath, const Progress &progress = {});

// How one value of the file becomes a value of a schema column. schemaType is the schema's
// type ("v20", "memo", "n15,2", "int"), jetType the file column's type, text the value as the
// reader gives it (null for a null). Returns false with the reason when the value does not
// fit; a null or empty value gives a null QVariant.
bool convertValue(const QString &schemaType, int jetType, const QString &text, QVariant *value,
                  QString *reason);

} // namespace JetImport
