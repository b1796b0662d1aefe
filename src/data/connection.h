#pragma once
// The database kinds of the configuration file and how each is reached:
//   "Oledb40" -> SQLite file ../init/data.mdb (QSQLITE); write-ahead logging on a local file
//                system, the rollback journal on a network share (SqliteDesks); a busy file is
//                waited for up to 10 s (the connection's busy timeout)
//   "Fb"      -> Firebird database sServer (QIBASE, embedded path or host:/path)
//   "Ora"     -> ODBC data source sServer (QODBC)
#include <QSqlDatabase>
#include <QString>

struct ConnectionConfig {
    QString kind;       // exactly "Oledb40", "Fb" or "Ora"; anything else builds nothing
    QString user;       // sUid
    QString password;   // deciphered sPwd
    QString server;     // sServer
};

namespace Connection {

// Reads section All/sDbType and the kind's own section from syscfg.dbm in the program
// folder (or the file given). Deciphers sPwd; a damaged one throws AppError.
ConnectionConfig readConfig(const QString &configPath);

// Path of the embedded database: program folder + "../init/data.mdb", made absolute.
QString embeddedDatabasePath();

// Opens a connection under connectionName. On failure returns an invalid (closed) database,
// removes the connection again and puts the database layer's error text into errorText.
// A missing embedded file is an error; it is never created by opening it.
QSqlDatabase open(const ConnectionConfig &config, const QString &connectionName,
                  QString *errorText);

// Like open(), for zhengding-admin init: the embedded file may be created.
QSqlDatabase openForCreate(const ConnectionConfig &config, const QString &connectionName,
                           QString *errorText);

} // namespace Connection
