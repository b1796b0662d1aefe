#include "admin_commands.h"

#include "common/app_error.h"
#include "common/string_cipher.h"
#include "data/connection.h"
#include "data/demo_catalogue.h"
#include "data/jet_conversion.h"
#include "data/jet_import.h"
#include "data/jet_reader.h"
#include "data/number_keys.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "order/duplicate_renumbering.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>

namespace Admin {
namespace {

const QString ConnectionName = QStringLiteral("zhengding_admin");

// The one connection of a command; closed and removed when the command ends.
class AdminConnection {
public:
    ~AdminConnection()
    {
        if (!m_db.isValid())
            return;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(ConnectionName);
    }
    bool open(const ConnectionConfig &config, bool mayCreate, QString *error)
    {
        m_db = mayCreate ? Connection::openForCreate(config, ConnectionName, error)
                         : Connection::open(config, ConnectionName, error);
        return m_db.isOpen();
    }
    const QSqlDatabase &db() const { return m_db; }

private:
    QSqlDatabase m_db;
};

QString describe(const ConnectionConfig &config)
{
    if (config.kind == u"Oledb40")
        return QStringLiteral("SQLite 数据库文件 %1").arg(Connection::embeddedDatabasePath());
    if (config.kind == u"Fb")
        return QStringLiteral("Firebird 数据库 %1").arg(config.server);
    if (config.kind == u"Ora")
        return QStringLiteral("ODBC 数据源 %1").arg(config.server);
    return config.kind;
}

// Reads the configuration; reports what is wrong with it.
bool readConfig(const Options &options, ConnectionConfig *config, QTextStream &err)
{
    if (!QFileInfo(options.configPath).isFile()) {
        err << QStringLiteral("找不到配置文件：%1").arg(options.configPath) << Qt::endl;
        return false;
    }
    try {
        *config = Connection::readConfig(options.configPath);
    } catch (const AppError &e) {
        err << QStringLiteral("配置文件 %1 有误：%2").arg(options.configPath, e.text()) << Qt::endl;
        return false;
    }
    if (config->kind.isEmpty()) {
        err << QStringLiteral("配置文件 %1 的 [All] 节中没有 sDbType（Oledb40、Fb 或 Ora）")
                   .arg(options.configPath)
            << Qt::endl;
        return false;
    }
    return true;
}

bool openDatabase(const ConnectionConfig &config, bool mayCreate, AdminConnection &connection,
                  QTextStream &err)
{
    if (mayCreate && config.kind == u"Oledb40")
        QDir().mkpath(QFileInfo(Connection::embeddedDatabasePath()).absolutePath());
    QString error;
    if (connection.open(config, mayCreate, &error))
        return true;
    err << QStringLiteral("无法连接%1：%2").arg(describe(config), error) << Qt::endl;
    if (config.kind == u"Fb")
        err << QStringLiteral("Firebird 数据库须先建立，例如：echo \"CREATE DATABASE '%1' USER "
                              "'SYSDBA' PASSWORD '…' DEFAULT CHARACTER SET UTF8;\" | isql-fb -q")
                   .arg(config.server)
            << Qt::endl;
    return false;
}

// Opens the configured database that holds the schema; reports why not.
bool openSchemaDatabase(const Options &options, AdminConnection &connection, QTextStream &err)
{
    ConnectionConfig config;
    if (!readConfig(options, &config, err) || !openDatabase(config, false, connection, err))
        return false;
    const QStringList missing = Schema::missing(connection.db());
    if (!missing.isEmpty()) {
        err << QStringLiteral("%1 中没有完整的表结构，缺少：%2。请先用 init 建立。")
                   .arg(describe(config), missing.join(u','))
            << Qt::endl;
        return false;
    }
    return true;
}

QString tableWord(const QString &table)
{
    return table == u"deorder" ? QStringLiteral("订单号") : QStringLiteral("购物车号");
}

} // namespace

int init(const Options &options, QTextStream &out, QTextStream &err)
{
    ConnectionConfig config;
    if (!readConfig(options, &config, err))
        return Failed;
    AdminConnection connection;
    if (!openDatabase(config, true, connection, err))
        return Failed;
    const QSqlDatabase &db = connection.db();
    try {
        const bool present = Schema::exists(db);
        if (present && !options.force) {
            err << QStringLiteral("%1 中已经有表结构，没有改动。要删除全部数据并重建，请加 --force。")
                       .arg(describe(config))
                << Qt::endl;
            return Failed;
        }
        // Dropping and creating land together: a failure leaves the old schema in place.
        Sql::Transaction tx(db);
        if (present)
            Schema::drop(db);
        Schema::create(db);
        tx.commit();
        Schema::verify(db);
    } catch (const AppError &e) {
        err << QStringLiteral("建立表结构失败：%1").arg(e.text()) << Qt::endl;
        return Failed;
    }
    out << QStringLiteral("已建立表结构（%2 个表，%3 个视图）：%1")
               .arg(describe(config))
               .arg(Schema::tableNames().size())
               .arg(Schema::viewNames().size())
        << Qt::endl;
    return Ok;
}

int demo(const Options &options, QTextStream &out, QTextStream &err)
{
    ConnectionConfig config;
    if (!readConfig(options, &config, err))
        return Failed;
    AdminConnection connection;
    if (!openDatabase(config, false, connection, err))
        return Failed;
    const QSqlDatabase &db = connection.db();
    QElapsedTimer timer;
    timer.start();
    try {
        if (!Schema::exists(db)) {
            err << QStringLiteral("%1 中还没有表结构，请先运行 zhengding-admin init。")
                       .arg(describe(config))
                << Qt::endl;
            return Failed;
        }
        const int present = DemoCatalogue::titleCount(db);
        if (present > 0 && !options.force) {
            err << QStringLiteral("%1 中已经有 %2 种书目，没有改动。要替换为演示目录，请加 --force。")
                       .arg(describe(config))
                       .arg(present)
                << Qt::endl;
            return Failed;
        }
        DemoCatalogue::fill(
            db, options.titles,
            [&err](int done, int total) {
                err << QStringLiteral("已生成 %1/%2 种书目").arg(done).arg(total) << Qt::endl;
            },
            options.force);
    } catch (const AppError &e) {
        err << QStringLiteral("生成演示目录失败：%1").arg(e.text()) << Qt::endl;
        return Failed;
    }
    out << QStringLiteral("已生成演示目录（%2 种书目，用时 %3 秒）：%1")
               .arg(describe(config))
               .arg(options.titles)
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
        << Qt::endl;
    return Ok;
}

int importCatalogue(const Options &options, const QString &jetFile, QTextStream &out, QTextStream &err)
{
    ConnectionConfig config;
    if (!readConfig(options, &config, err))
        return Failed;
    const QString source = QFileInfo(jetFile).absoluteFilePath();
    QElapsedTimer timer;
    timer.start();
    const JetImport::Progress progress = [&err](const QString &table, qint64 done, qint64 total) {
        err << QStringLiteral("%1：%2/%3 行").arg(table).arg(done).arg(total) << Qt::endl;
    };
    const auto finish = [&](const JetImport::Report &report, const QString &where) {
        out << report.text() << Qt::endl
            << QStringLiteral("已写入%1（用时 %2 秒）。").arg(where).arg(timer.elapsed() / 1000.0, 0, 'f', 1)
            << Qt::endl;
        return Ok;
    };

    // The configured file may itself be the supplier's Jet file: it is converted in place,
    // as start-up does it.
    const QString embedded = Connection::embeddedDatabasePath();
    if (config.kind == u"Oledb40" && !Jet::signatureOf(embedded).isEmpty()) {
        if (QFileInfo(embedded).absoluteFilePath() != source) {
            err << QStringLiteral("配置的数据库 %1 本身是 Access/Jet 文件。请先运行 "
                                  "zhengding-admin import-catalogue %1 把它转换为本程序的数据库。")
                       .arg(embedded)
                << Qt::endl;
            return Failed;
        }
        try {
            const JetConversion::Result result = JetConversion::convert(source, progress);
            out << QStringLiteral("原文件已改名保存为 %1。").arg(result.asidePath) << Qt::endl;
            return finish(result.report, describe(config));
        } catch (const AppError &e) {
            err << QStringLiteral("导入失败，没有改动：%1").arg(e.text()) << Qt::endl;
            return Failed;
        }
    }

    // A file that the import creates goes again when the import fails.
    const bool created = config.kind == u"Oledb40" && !QFileInfo::exists(embedded);
    bool ok = false;
    {
        AdminConnection connection;
        if (!openDatabase(config, true, connection, err))
            return Failed;
        try {
            const JetImport::Report report = JetImport::importCatalogue(connection.db(), source, progress);
            finish(report, describe(config));
            ok = true;
        } catch (const AppError &e) {
            err << QStringLiteral("导入失败，数据库没有改动：%1").arg(e.text()) << Qt::endl;
        }
    }
    if (!ok && created)
        QFile::remove(embedded);
    return ok ? Ok : Failed;
}

int encipher(const QString &clear, QTextStream &out, QTextStream &err)
{
    try {
        out << StringCipher::encipherPassword(clear) << Qt::endl;
    } catch (const AppError &e) {
        err << e.text() << Qt::endl;
        return Failed;
    }
    return Ok;
}

int decipher(const QString &hex, QTextStream &out, QTextStream &err)
{
    // The program at start-up ignores an odd last digit; a form typed here is checked whole,
    // so a digit lost or added while copying it is found now.
    if (hex.size() % 2 != 0) {
        err << QStringLiteral("加密形式的长度必须是偶数（每个字节两位十六进制数字），“%1”有 %2 个字符。")
                   .arg(hex)
                   .arg(hex.size())
            << Qt::endl;
        return Failed;
    }
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
    };
    for (qsizetype i = 0; i < hex.size(); ++i) {
        if (!isHexDigit(hex.at(i))) {
            err << QStringLiteral("加密形式只能含有十六进制数字 0-9、A-F：第 %1 个字符“%2”不是。")
                       .arg(i + 1)
                       .arg(hex.at(i))
                << QStringLiteral("（Error: not a Hex String）") << Qt::endl;
            return Failed;
        }
    }
    try {
        out << StringCipher::decipherPassword(hex) << Qt::endl;
    } catch (const AppError &e) {
        err << e.text() << Qt::endl;
        return Failed;
    }
    return Ok;
}

} // namespace Admin

namespace Admin {

int duplicates(const Options &options, QTextStream &out, QTextStream &err)
{
    AdminConnection connection;
    if (!openSchemaDatabase(options, connection, err))
        return Failed;
    try {
        const QList<NumberKeys::Duplicate> found = NumberKeys::duplicates(connection.db());
        for (const NumberKeys::Duplicate &d : found)
            out << QStringLiteral("%1 %2：%3 行").arg(tableWord(d.table), d.number).arg(d.rows) << Qt::endl;
        if (found.isEmpty())
            out << QStringLiteral("没有重复的订单号或购物车号。") << Qt::endl;
        else
            out << QStringLiteral("共 %1 个编号重复；用 renumber-duplicates 为后来的订单重新编号。").arg(found.size())
                << Qt::endl;
    } catch (const AppError &e) {
        err << QStringLiteral("读取编号失败：%1").arg(e.text()) << Qt::endl;
        return Failed;
    }
    return Ok;
}

int renumberDuplicates(const Options &options, QTextStream &out, QTextStream &err)
{
    AdminConnection connection;
    if (!openSchemaDatabase(options, connection, err))
        return Failed;
    QList<RenumberedHeader> done;
    try {
        done = RenumberDuplicates(connection.db());
    } catch (const AppError &e) {
        err << QStringLiteral("重新编号失败，没有改动：%1").arg(e.text()) << Qt::endl;
        return Failed;
    }
    for (const RenumberedHeader &r : done) {
        QString line = QStringLiteral("%1 %2 -> %3").arg(tableWord(r.table), r.oldNumber, r.newNumber);
        if (r.table == u"deorder") {
            line += QStringLiteral("（供货商 %1，").arg(r.supplierCode);
            line += r.linesStayed ? QStringLiteral("明细无法与同号的同一供货商订单区分，留在原订单号下）")
                                  : QStringLiteral("明细 %1 行随之改号）").arg(r.movedLines);
        } else {
            line += QStringLiteral("（购物车明细留在原购物车号下）");
        }
        out << line << Qt::endl;
    }
    if (done.isEmpty())
        out << QStringLiteral("没有重复的订单号或购物车号。") << Qt::endl;
    else
        out << QStringLiteral("已为 %1 个订单或购物车重新编号；请在“订单查询”中重新发送或导出改号的订单。")
                   .arg(done.size())
            << Qt::endl;
    try {
        const NumberKeys::UpgradeResult keys = NumberKeys::upgrade(connection.db());
        if (keys.outcome == NumberKeys::Outcome::Duplicates) {
            // Another desk made a shared number meanwhile (a desk of an older version).
            err << NumberKeys::duplicatesMessage(keys.duplicates) << Qt::endl;
            return Failed;
        }
    } catch (const AppError &e) {
        err << QStringLiteral("建立订单号和购物车号的唯一索引失败：%1").arg(e.text()) << Qt::endl;
        return Failed;
    }
    out << QStringLiteral("订单号和购物车号已是唯一索引。") << Qt::endl;
    return Ok;
}

} // namespace Admin
