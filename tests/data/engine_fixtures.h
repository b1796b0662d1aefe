#pragma once
// Real engines for the data tests: an empty embedded Firebird database made with isql-fb, the
// process's ODBC driver and data-source lists, and a private PostgreSQL server reached through
// them. Shared by every test of the program that needs one, so the process has one set of
// ODBC lists (see OdbcLists).
#include "common/string_cipher.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace EngineFixtures {

// A new, empty Firebird database file made with isql-fb, and the configuration that names it.
inline QByteArray emptyFirebird(const QString &path)
{
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
    EXPECT_TRUE(isql.waitForStarted(10000)) << "isql-fb (firebird3.0-utils) is needed";
    isql.write(QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' PASSWORD 'masterkey' "
                              "DEFAULT CHARACTER SET UTF8;\nquit;\n")
                   .arg(path)
                   .toUtf8());
    isql.closeWriteChannel();
    EXPECT_TRUE(isql.waitForFinished(60000));
    EXPECT_TRUE(QFileInfo::exists(path)) << isql.readAllStandardError().toStdString();
    return QStringLiteral("[All]\r\nsDbType=Fb\r\n[Fb]\r\nsUid=SYSDBA\r\nsPwd=%1\r\nsServer=%2\r\n")
        .arg(StringCipher::encipherPassword(QStringLiteral("masterkey")), path)
        .toUtf8();
}

// An ODBC driver library of the system, looked for in the usual folders.
inline QString odbcDriver(const QString &fileName)
{
    QStringList candidates;
    for (const QFileInfo &dir : QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        candidates << dir.filePath() + QStringLiteral("/odbc/") + fileName;
    candidates << QStringLiteral("/usr/lib/odbc/") + fileName
               << QStringLiteral("/usr/local/lib/") + fileName;
    for (const QString &c : candidates)
        if (QFileInfo::exists(c))
            return c;
    return {};
}

// unixODBC learns where its driver and data-source lists are once per process, so the process
// has one folder for them, written before the first connection: a source over an SQLite file
// and one over the socket folder of a PostgreSQL server that a test starts.
class OdbcLists {
public:
    static const OdbcLists &instance()
    {
        static const OdbcLists lists;
        return lists;
    }
    QString sqliteDriver;
    QString postgresDriver;
    QString sqliteFile() const { return m_dir.filePath(QStringLiteral("catalogue.db")); }
    QString postgresFolder() const { return m_dir.filePath(QStringLiteral("pg")); }

private:
    OdbcLists()
    {
        sqliteDriver = odbcDriver(QStringLiteral("libsqlite3odbc.so"));
        postgresDriver = odbcDriver(QStringLiteral("psqlodbcw.so"));
        // The server runs as another user and must reach its folder in here.
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                                | QFileDevice::ExeGroup);
        write(QStringLiteral("odbcinst.ini"),
              QStringLiteral("[ZD SQLite3]\nDriver=%1\nThreading=2\n\n[ZD PostgreSQL]\nDriver=%2\n")
                  .arg(sqliteDriver, postgresDriver));
        write(QStringLiteral("odbc.ini"),
              QStringLiteral("[zd_sqlite_source]\nDriver=ZD SQLite3\nDatabase=%1\nTimeout=10000\n\n"
                             "[zd_postgres_source]\nDriver=ZD PostgreSQL\nServername=%2\n"
                             "Database=postgres\n")
                  .arg(sqliteFile(), postgresFolder()));
        qputenv("ODBCSYSINI", QFile::encodeName(m_dir.path()));
        qputenv("ODBCINI", QFile::encodeName(m_dir.filePath(QStringLiteral("odbc.ini"))));
    }
    void write(const QString &name, const QString &text) const
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text.toUtf8());
    }
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/zd-odbc-XXXXXX")};
};

// A PostgreSQL server of its own in a given folder, listening only on a socket there.
// The server refuses to run as root; then it runs as the system's postgres user.
class PostgresServer {
public:
    explicit PostgresServer(const QString &folder) : m_folder(folder) {}
    ~PostgresServer()
    {
        if (m_started)
            run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"),
                                           QStringLiteral("immediate"), QStringLiteral("-w"),
                                           QStringLiteral("stop")});
        QDir(m_folder).removeRecursively();
    }

    // Returns an empty text when the server runs, else what went wrong.
    QString start()
    {
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &version : versions)
            if (QFileInfo::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/initdb").arg(version)))
                m_bin = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(version);
        if (m_bin.isEmpty())
            return QStringLiteral("no PostgreSQL server (package postgresql) under /usr/lib/postgresql");
        QDir(m_folder).removeRecursively();
        if (!QDir().mkpath(m_folder))
            return QStringLiteral("cannot make ") + m_folder;
        if (::geteuid() == 0) {
            const passwd *pw = ::getpwnam("postgres");
            if (!pw)
                return QStringLiteral("running as root, and there is no postgres user");
            if (::chown(QFile::encodeName(m_folder).constData(), pw->pw_uid, pw->pw_gid) != 0)
                return QStringLiteral("cannot hand the folder to postgres");
            m_asPostgres = true;
        }
        QString error = run(QStringLiteral("initdb"),
                            {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), QStringLiteral("zd"),
                             QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                             QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")});
        if (!error.isEmpty())
            return error;
        error = run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"),
                     m_folder + QStringLiteral("/server.log"), QStringLiteral("-o"),
                     QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off").arg(m_folder),
                     QStringLiteral("-w"), QStringLiteral("start")});
        m_started = error.isEmpty();
        return error;
    }

    // From now on every role but zd must give its password.
    QString requirePasswords() const
    {
        QFile hba(dataDir() + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write pg_hba.conf");
        hba.write("local all zd trust\nlocal all all scram-sha-256\n");
        hba.close();
        return run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"),
                                              QStringLiteral("reload")});
    }

private:
    QString dataDir() const { return m_folder + QStringLiteral("/data"); }

    QString run(const QString &tool, const QStringList &args) const
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        if (m_asPostgres)
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                           QStringLiteral("--"), m_bin + tool} + args);
        else
            p.start(m_bin + tool, args);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return tool + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll());
        return {};
    }

    QString m_folder;
    QString m_bin;
    bool m_asPostgres = false;
    bool m_started = false;
};

} // namespace EngineFixtures
