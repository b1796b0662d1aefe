#include "db_servers.h"

#include "common/string_cipher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char *const firebirdProgram = "/usr/sbin/firebird";

bool writeText(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text.toUtf8()) >= 0;
}

bool accepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

// Lets the system's postgres user reach a folder under the temp folder.
void openForOthers(const QString &path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                    | QFileDevice::ReadOther | QFileDevice::ExeOther);
}

// Runs an isql-fb script. With `engineFolder`, the embedded engine reads that folder's
// configuration (as the server started from it will).
QString runIsql(const QString &script, const QString &engineFolder = QString())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!engineFolder.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FIREBIRD"), engineFolder);
        env.insert(QStringLiteral("FIREBIRD_LOCK"), engineFolder + QStringLiteral("/lock"));
        env.insert(QStringLiteral("FIREBIRD_TMP"), engineFolder + QStringLiteral("/tmp"));
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-bail")});
    if (!p.waitForStarted(10000))
        return QStringLiteral("isql-fb (package firebird3.0-utils) cannot be started");
    p.write(script.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("isql-fb failed: ") + QString::fromLocal8Bit(p.readAll());
    return {};
}

// An ODBC driver library of the system, looked for in the usual folders.
QString odbcDriver(const QString &fileName)
{
    QStringList candidates;
    for (const QFileInfo &dir : QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        candidates << dir.filePath() + QStringLiteral("/odbc/") + fileName;
    candidates << QStringLiteral("/usr/lib/odbc/") + fileName << QStringLiteral("/usr/local/lib/") + fileName;
    for (const QString &c : candidates)
        if (QFileInfo::exists(c))
            return c;
    return {};
}

} // namespace

int freeLoopbackPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = 0;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0
        && ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

// ---------------------------------------------------------------- Firebird

QString createFirebirdDatabase(const QString &database, const QString &user, const QString &password)
{
    return runIsql(QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3' DEFAULT CHARACTER SET UTF8;\n"
                                  "quit;\n")
                       .arg(database, user, password));
}

QByteArray firebirdConfig(const QString &database, const QString &user, const QString &password)
{
    return QStringLiteral("[All]\r\nsDbType=Fb\r\n[Fb]\r\nsUid=%1\r\nsPwd=%2\r\nsServer=%3\r\n")
        .arg(user, StringCipher::encipherPassword(password), database)
        .toUtf8();
}

QString createEmbeddedFirebird(const QString &path, QByteArray *config)
{
    const QString user = QStringLiteral("SYSDBA"), password = QStringLiteral("masterkey");
    const QString error = createFirebirdDatabase(path, user, password);
    if (!error.isEmpty())
        return error;
    if (!QFileInfo::exists(path))
        return QStringLiteral("isql-fb made no database at ") + path;
    *config = firebirdConfig(path, user, password);
    return {};
}


FirebirdServer::FirebirdServer(const QString &folder) : m_folder(folder) {}

FirebirdServer::~FirebirdServer()
{
    stop();
    QDir(m_folder).removeRecursively();
}

QString FirebirdServer::start()
{
    if (!QFileInfo(QString::fromLatin1(firebirdProgram)).isExecutable())
        return QStringLiteral("no Firebird server: %1 is missing (package firebird3.0-server)")
            .arg(QString::fromLatin1(firebirdProgram));
    QDir(m_folder).removeRecursively();
    for (const char *sub : {"", "/lock", "/tmp"})
        if (!QDir().mkpath(m_folder + QLatin1String(sub)))
            return QStringLiteral("cannot make ") + m_folder + QLatin1String(sub);
    // The engine's own lists (plugins, character sets) as the system has them; the rest is
    // this server's: its port, its security database, no other databases.
    for (const char *name : {"plugins.conf", "fbintl.conf"}) {
        const QString from = QStringLiteral("/etc/firebird/3.0/") + QLatin1String(name);
        if (QFileInfo::exists(from) && !QFile::copy(from, m_folder + u'/' + QLatin1String(name)))
            return QStringLiteral("cannot copy ") + from;
    }
    m_port = freeLoopbackPort();
    if (m_port == 0)
        return QStringLiteral("no free port");
    const QString security = m_folder + QStringLiteral("/security3.fdb");
    if (!writeText(m_folder + QStringLiteral("/firebird.conf"),
                   QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\n"
                                  "SecurityDatabase = %2\nServerMode = Super\n"
                                  "UdfAccess = None\nGuardianOption = 0\n")
                       .arg(m_port)
                       .arg(security))
        || !writeText(m_folder + QStringLiteral("/databases.conf"),
                      QStringLiteral("security.db = %1\n").arg(security)))
        return QStringLiteral("cannot write the server's configuration");
    // A security database of its own with a known SYSDBA password (the user tables are made
    // by the user manager on first use).
    QString error = runIsql(QStringLiteral("create database '%1';\ncommit;\n"
                                           "create user %2 password '%3' using plugin Srp;\ncommit;\nquit;\n")
                                .arg(security, user(), password()),
                            m_folder);
    if (!error.isEmpty())
        return error;

    // The server reads its configuration from the folder given in FIREBIRD. Everything the
    // child needs is made before the fork.
    QList<QByteArray> env;
    for (const QString &entry : QProcessEnvironment::systemEnvironment().toStringList())
        if (!entry.startsWith(QStringLiteral("FIREBIRD")))
            env << entry.toLocal8Bit();
    env << "FIREBIRD=" + QFile::encodeName(m_folder)
        << "FIREBIRD_LOCK=" + QFile::encodeName(m_folder + QStringLiteral("/lock"))
        << "FIREBIRD_TMP=" + QFile::encodeName(m_folder + QStringLiteral("/tmp"));
    std::vector<char *> envp;
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray log = QFile::encodeName(m_folder + QStringLiteral("/server.out"));
    const pid_t pid = ::fork();
    if (pid < 0)
        return QStringLiteral("fork failed");
    if (pid == 0) {
        // The server ends with the process that started it, even one that crashed, and holds
        // none of its files or pipes.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int out = ::open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        for (int fd = 3; fd < 1024; ++fd)
            ::close(fd);
        ::execle(firebirdProgram, firebirdProgram, static_cast<char *>(nullptr), envp.data());
        ::_exit(127);
    }
    m_pid = pid;
    for (int i = 0; i < 300; ++i) {
        if (accepts(m_port))
            return {};
        int status = 0;
        if (::waitpid(pid_t(m_pid), &status, WNOHANG) == pid_t(m_pid)) {
            m_pid = 0;
            QFile log(m_folder + QStringLiteral("/server.out"));
            log.open(QIODevice::ReadOnly);
            return QStringLiteral("the Firebird server ended at once: ") + QString::fromLocal8Bit(log.readAll());
        }
        QThread::msleep(50);
    }
    stop();
    return QStringLiteral("the Firebird server does not listen on port %1").arg(m_port);
}

bool FirebirdServer::isRunning() const
{
    return m_pid > 0;
}

void FirebirdServer::stop()
{
    if (m_pid <= 0)
        return;
    const pid_t pid = pid_t(m_pid);
    m_pid = 0;
    // The server ends on SIGTERM once its attachments are gone; it gets a few seconds.
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return;
        QThread::msleep(50);
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

QString FirebirdServer::address(const QString &file) const
{
    return QStringLiteral("localhost/%1:%2/%3").arg(m_port).arg(m_folder, file);
}

QString FirebirdServer::createDatabase(const QString &file) const
{
    return createFirebirdDatabase(address(file), user(), password());
}

QByteArray FirebirdServer::config(const QString &file) const
{
    return firebirdConfig(address(file), user(), password());
}

// ---------------------------------------------------------------- ODBC and PostgreSQL

const OdbcLists &OdbcLists::instance()
{
    static const OdbcLists lists;
    return lists;
}

OdbcLists::OdbcLists() : m_dir(QDir::tempPath() + QStringLiteral("/zd-odbc-XXXXXX"))
{
    sqliteDriver = odbcDriver(QStringLiteral("libsqlite3odbc.so"));
    postgresDriver = odbcDriver(QStringLiteral("psqlodbcw.so"));
    // The server runs as another user and must reach its folder in here.
    openForOthers(m_dir.path());
    writeText(m_dir.filePath(QStringLiteral("odbcinst.ini")),
              QStringLiteral("[ZD SQLite3]\nDriver=%1\nThreading=2\n\n[ZD PostgreSQL]\nDriver=%2\n")
                  .arg(sqliteDriver, postgresDriver));
    writeText(m_dir.filePath(QStringLiteral("odbc.ini")),
              QStringLiteral("[zd_sqlite_source]\nDriver=ZD SQLite3\nDatabase=%1\nTimeout=10000\n\n"
                             "[zd_postgres_source]\nDriver=ZD PostgreSQL\nServername=%2\n"
                             "Database=postgres\n")
                  .arg(sqliteFile(), postgresFolder()));
    qputenv("ODBCSYSINI", QFile::encodeName(m_dir.path()));
    qputenv("ODBCINI", QFile::encodeName(m_dir.filePath(QStringLiteral("odbc.ini"))));
}

PostgresServer::PostgresServer() : m_folder(OdbcLists::instance().postgresFolder()) {}

PostgresServer::~PostgresServer()
{
    if (m_started)
        run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"),
                                       QStringLiteral("immediate"), QStringLiteral("-w"),
                                       QStringLiteral("stop")});
    QDir(m_folder).removeRecursively();
}

QString PostgresServer::run(const QString &tool, const QStringList &args) const
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

QString PostgresServer::start()
{
    if (OdbcLists::instance().postgresDriver.isEmpty())
        return QStringLiteral("no PostgreSQL ODBC driver (package odbc-postgresql)");
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

QByteArray PostgresServer::config()
{
    return "[All]\r\nsDbType=Ora\r\n[Ora]\r\nsUid=zd\r\nsPwd=\r\nsServer=zd_postgres_source\r\n";
}

QString PostgresServer::requirePasswords() const
{
    if (!writeText(dataDir() + QStringLiteral("/pg_hba.conf"),
                   QStringLiteral("local all zd trust\nlocal all all scram-sha-256\n")))
        return QStringLiteral("cannot write pg_hba.conf");
    return run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"),
                                          QStringLiteral("reload")});
}
