#pragma once
// The commands of zhengding-admin. Each returns the process exit code; messages go to the
// given streams (results to out, progress and errors to err).
#include <QString>
#include <QTextStream>

namespace Admin {

struct Options {
    QString configPath;   // syscfg.dbm to read
    bool force = false;
    int titles = 0;
};

enum ExitCode { Ok = 0, Failed = 1, Usage = 2 };

int init(const Options &options, QTextStream &out, QTextStream &err);
int demo(const Options &options, QTextStream &out, QTextStream &err);
// Replaces the catalogue of the configured database by the one in an Access/Jet file.
int importCatalogue(const Options &options, const QString &jetFile, QTextStream &out, QTextStream &err);
// Lists the order and cart numbers held by more than one row.
int duplicates(const Options &options, QTextStream &out, QTextStream &err);
// Gives the later rows of each duplicated number fresh numbers (RenumberDuplicates), prints
// "old -> new" for each, and makes the numbers unique keys.
int renumberDuplicates(const Options &options, QTextStream &out, QTextStream &err);
// Sends a short test mail to address through the SMTP settings of [Mail]; prints the server's
// reply lines.
int mailTest(const Options &options, const QString &address, QTextStream &out, QTextStream &err);
int encipher(const QString &clear, QTextStream &out, QTextStream &err);
int decipher(const QString &hex, QTextStream &out, QTextStream &err);

} // namespace Admin
