#pragma once
// Database servers of their own for tests and benchmarks of several desks: a Firebird 3
// server on a private port with its own configuration, security database, lock and temp
// folders, and a PostgreSQL server on a private socket folder reached through psqlodbc. Each
// lives in a folder of its own and is stopped when the object goes. start() returns an empty
// text when the server runs, else what went wrong (a missing server program included).
#include <QByteArray>
#include <QString>
#include <QStringList>

// Firebird 3 SuperServer (/usr/sbin/firebird of package firebird3.0-server).
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
    // Creates an empty UTF-8 database of that name over TCP; empty text when it worked.
    QString createDatabase(const QString &file) const;
    // bin/syscfg.dbm text that makes the program use that database.
    QByteArray config(const QString &file) const;

private:
    QString m_folder;
    int m_port = 0;
    qint64 m_pid = 0;
    QString isql(const QString &script, bool privateEngine) const;
};

// PostgreSQL behind ODBC: unixODBC reads its driver and data-source lists once per process,
// so they, and the socket folder they name, are the process's own folder (ODBCSYSINI,
// ODBCINI, inherited by the processes it starts), removed when it ends; each server gets a
// new data folder there. The data source is "zd_desks_postgres", user "zd", no password.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    QString start();
    static QByteArray config();

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
