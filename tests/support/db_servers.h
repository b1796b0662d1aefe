#pragma once
// Real engines for tests and benchmarks: Firebird databases made with isql-fb (embedded files,
// or on a Firebird 3 server of their own on a private port), the process's ODBC driver and
// data-source lists, and a private PostgreSQL server reached through them. Each server lives
// in a folder of its own and is stopped when its object goes. Whatever makes or starts
// something returns an empty text when it worked, else what went wrong (a missing program or
// driver included).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// ---- Firebird

// Creates an empty UTF-8 Firebird database with isql-fb. `database` is a file (the embedded
// engine) or a server's address (FirebirdServer::address()).
QString createFirebirdDatabase(const QString &database, const QString &user, const QString &password);
// bin/syscfg.dbm text that makes the program use a Firebird database.
QByteArray firebirdConfig(const QString &database, const QString &user, const QString &password);
// A new, empty embedded database file; *config gets the syscfg.dbm text that names it.
QString createEmbeddedFirebird(const QString &path, QByteArray *config);

// Firebird 3 SuperServer (/usr/sbin/firebird of package firebird3.0-server) with its own
// configuration, security database, lock and temp folders.
class FirebirdServer {
public:
    explicit FirebirdServer(const QString &folder);
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer &) = delete;
    FirebirdServer &operator=(const FirebirdServer &) = delete;

    QString start();
    void stop();
    bool isRunning() const;
    qint64 pid() const { return m_pid; }

    int port() const { return m_port; }
    static QString user() { return QStringLiteral("SYSDBA"); }
    static QString password() { return QStringLiteral("zd-desks-1"); }
    // "localhost/port:/folder/file", the form of sServer for a database on this server.
    QString address(const QString &file) const;
    // Creates an empty UTF-8 database of that name over TCP.
    QString createDatabase(const QString &file) const;
    // bin/syscfg.dbm text that makes the program use that database.
    QByteArray config(const QString &file) const;

private:
    QString m_folder;
    int m_port = 0;
    qint64 m_pid = 0;
};

// ---- ODBC and PostgreSQL

// unixODBC learns where its driver and data-source lists are once per process, so the process
// has one folder for them (ODBCSYSINI, ODBCINI, inherited by the processes it starts), written
// before the first connection and removed when the process ends: a data source over an SQLite
// file ("zd_sqlite_source") and one over the socket folder of the PostgreSQL server
// ("zd_postgres_source").
class OdbcLists {
public:
    static const OdbcLists &instance();
    QString sqliteDriver;     // empty when the SQLite ODBC driver is missing
    QString postgresDriver;   // empty when psqlodbc is missing
    QString sqliteFile() const { return m_dir.filePath(QStringLiteral("catalogue.db")); }
    QString postgresFolder() const { return m_dir.filePath(QStringLiteral("pg")); }

private:
    OdbcLists();
    QTemporaryDir m_dir;
};

// A PostgreSQL server of its own in the ODBC lists' folder, listening only on a socket there;
// one at a time in a process. The server refuses to run as root; then it runs as the system's
// postgres user. User "zd", no password.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    QString start();
    // bin/syscfg.dbm text that makes the program use the server through ODBC.
    static QByteArray config();
    // From now on every role but zd must give its password.
    QString requirePasswords() const;

private:
    QString dataDir() const { return m_folder + QStringLiteral("/data"); }
    QString run(const QString &tool, const QStringList &args) const;

    QString m_folder;
    QString m_bin;
    bool m_asPostgres = false;
    bool m_started = false;
};

// A free TCP port on the loopback address, as the system hands one out now.
int freeLoopbackPort();
