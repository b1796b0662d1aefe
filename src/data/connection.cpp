#include "data/connection.h"

#include "common/ini_reader.h"
#include "common/program_paths.h"
#include "common/string_cipher.h"
#include "data/jet_reader.h"
#include "data/lock_wait.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "data/sqlite_desks.h"
#include "data/sqlite_collation.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace Connection {
namespace {

// The ODBC driver joins "DSN=" + name + ";UID=" + user + ";PWD=" + password as they are, so
// each value must stay one value. The password goes in braces with "}" doubled, the standard
// form that drivers read for it (a ";" or "}" inside stays part of it). User and data-source
// name go as they are: PostgreSQL's driver, for one, reads braces there as part of the name,
// and a ";" in them could not be carried safely at all, so such names are refused.
QString bracedPassword(const QString &value)
{
    if (value.isEmpty())
        return value;   // nothing is sent
    QString inner = value;
    inner.replace(u'}', QStringLiteral("}}"));
    return u'{' + inner + u'}';
}

bool unsafeOdbcName(const QString &value)
{
    return value.contains(u';') || value.startsWith(u'{');
}

QSqlDatabase fail(const QString &connectionName, const QString &text, QString *errorText)
{
    if (errorText)
        *errorText = text;
    if (QSqlDatabase::contains(connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName);
    }
    return QSqlDatabase();
}

QSqlDatabase openImpl(const ConnectionConfig &config, const QString &connectionName,
                      QString *errorText, bool mayCreate)
{
    QSqlDatabase db;
    bool fresh = false;   // an embedded file not made yet, or still empty
    if (config.kind == u"Oledb40") {
        const QString path = embeddedDatabasePath();
        fresh = QFileInfo(path).size() == 0;
        if (!mayCreate && !QFileInfo::exists(path))
            return fail(connectionName, QStringLiteral("数据库文件不存在：%1").arg(path), errorText);
        const QString jet = Jet::signatureOf(path);
        if (!jet.isEmpty())
            return fail(connectionName,
                        QStringLiteral("%1 是 Microsoft Access/Jet 数据库文件（%2），"
                                       "本程序使用 SQLite 数据库。请重新启动本程序并同意转换，或用“zhengding-admin "
                                       "import-catalogue %1”把其中的征订目录转换为本程序的数据库。")
                            .arg(path, jet),
                        errorText);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Sql::LockWaitLimitMs));
    } else if (config.kind == u"Fb") {
        db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), connectionName);
        db.setDatabaseName(config.server);
        db.setUserName(config.user);
        db.setPassword(config.password);
        db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    } else if (config.kind == u"Ora") {
        if (unsafeOdbcName(config.server) || unsafeOdbcName(config.user))
            return fail(connectionName,
                        QStringLiteral("ODBC 数据源名称和用户名不能含有“;”，也不能以“{”开头"),
                        errorText);
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName);
        db.setDatabaseName(config.server);
        db.setUserName(config.user);
        db.setPassword(bracedPassword(config.password));
    } else {
        return fail(connectionName,
                    config.kind.isEmpty()
                        ? QStringLiteral("未配置数据库类型 (sDbType)")
                        : QStringLiteral("不支持的数据库类型：%1").arg(config.kind),
                    errorText);
    }
    if (!db.isValid())
        return fail(connectionName, QStringLiteral("数据库驱动不可用：%1").arg(db.driverName()), errorText);
    if (!db.open()) {
        const QString text = Sql::errorText(db);
        db = QSqlDatabase();
        return fail(connectionName, text, errorText);
    }
    if (config.kind == u"Oledb40") {
        // SQLite opens any file lazily: make it prove it is a database now.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
            const QString text = Sql::errorText(probe);
            probe = QSqlQuery();
            db = QSqlDatabase();
            return fail(connectionName, text, errorText);
        }
        probe.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        probe.finish();
        // Several desks share the file: write-ahead logging where the file system allows it.
        // Only a file that is this program's (or is being made) is changed: another program's
        // database, refused a moment later, stays as it was.
        if ((mayCreate && fresh) || Schema::missing(db).isEmpty())
            SqliteDesks::applyJournalMode(db);
        SqliteCollation::installPinyin(db);
    }
    // Behind ODBC the engine is found out now, once, rather than inside some later transaction.
    // A PostgreSQL server bounds its lock waits as SQLite and Firebird are bounded here.
    if (Schema::dialectOf(db) == Schema::Dialect::Postgres) {
        QSqlQuery bound(db);
        if (!bound.exec(QStringLiteral("SET lock_timeout = %1").arg(Sql::LockWaitLimitMs))) {
            const QString text = Sql::errorText(bound);
            bound = QSqlQuery();
            db = QSqlDatabase();
            return fail(connectionName, text, errorText);
        }
    }
    return db;
}

} // namespace

ConnectionConfig readConfig(const QString &configPath)
{
    ConnectionConfig c;
    c.kind = Ini::readValue(configPath, QStringLiteral("All"), QStringLiteral("sDbType"));
    if (c.kind == u"Oledb40" || c.kind == u"Fb" || c.kind == u"Ora") {
        const QString hex = Ini::readValue(configPath, c.kind, QStringLiteral("sPwd"));
        c.password = StringCipher::decipherPassword(hex);
        if (c.kind != u"Oledb40") {
            c.user = Ini::readValue(configPath, c.kind, QStringLiteral("sUid"));
            c.server = Ini::readValue(configPath, c.kind, QStringLiteral("sServer"));
        }
    }
    return c;
}

QString embeddedDatabasePath()
{
    return ProgramPaths::resolve(QStringLiteral("../init/data.mdb"));
}

QSqlDatabase open(const ConnectionConfig &config, const QString &connectionName, QString *errorText)
{
    return openImpl(config, connectionName, errorText, false);
}

QSqlDatabase openForCreate(const ConnectionConfig &config, const QString &connectionName,
                           QString *errorText)
{
    return openImpl(config, connectionName, errorText, true);
}

} // namespace Connection
