#pragma once
// Start-up's answer to an init/data.mdb that is the supplier's Access/Jet file: the program
// says what the file is and offers to convert it. On "yes" the catalogue is imported into a
// new SQLite file written beside it; only when that is complete is the Jet file moved aside
// under a dated name (data-jet-YYYYMMDD.mdb, never overwritten, never deleted) and the new
// file renamed into its place.
#include "common/prompter.h"
#include "data/jet_import.h"

#include <QDate>
#include <QString>

namespace JetConversion {

// The free name in the file's folder that the Jet file is moved to:
// data-jet-20261210.mdb, then data-jet-20261210-2.mdb, … (stem taken from the file).
QString asideName(const QString &path, const QDate &day);

struct Result {
    JetImport::Report report;
    QString asidePath;   // where the Jet file went
};

// Converts the Jet file at path in place as described above. Throws AppError when anything
// fails; the Jet file is then where it was and no other file is left behind.
Result convert(const QString &path, const JetImport::Progress &progress = {},
               const QDate &day = QDate::currentDate());

enum class Outcome { Declined, Converted, Failed };

// Asks the user (question through the prompter) and converts on "yes"; tells the result.
// On Failed, *error holds the reason (the caller shows it in its own message).
Outcome offer(Prompter &prompter, const QString &path, const QString &signature,
              const JetImport::Progress &progress, QString *error);

// The question start-up asks.
QString questionText(const QString &path, const QString &signature, const QString &aside);

} // namespace JetConversion
