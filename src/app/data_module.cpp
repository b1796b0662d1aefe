#include "app/data_module.h"

#include "common/app_error.h"
#include "common/ini_reader.h"
#include "common/operator_code.h"
#include "common/program_paths.h"
#include "data/added_tables.h"
#include "data/connection.h"
#include "data/jet_conversion.h"
#include "data/jet_reader.h"
#include "data/number_keys.h"
#include "data/schema.h"

namespace DataModule {

QString connectionFailureText(const QString &databaseError)
{
    return QStringLiteral("数据库连接错误，程序终止。请与系统管理员联系！\n错误信息如下：(\n")
           + databaseError + u')';
}

QString catalogueMissingText(const QStringList &missing)
{
    const QString init = QStringLiteral("请用“zhengding-admin init”建立数据库的表。");
    if (missing.size()
        >= Schema::tableNames().size() + Schema::viewNames().size() - Schema::addedTableNames().size())
        return QStringLiteral("数据库中没有征订目录：本程序的表和视图一个也没有。") + init;
    return QStringLiteral("数据库中没有完整的征订目录，缺少表或视图：%1。").arg(missing.join(u',')) + init;
}

namespace {

void upgradeNumberKeys(Prompter &prompter, const QSqlDatabase &db)
{
    // The program runs on without the keys: the clerk is told, the administrator renumbers.
    try {
        const NumberKeys::UpgradeResult result = NumberKeys::upgrade(db);
        if (result.outcome == NumberKeys::Outcome::Duplicates)
            prompter.message(NumberKeys::duplicatesMessage(result.duplicates), QStringLiteral("系统提示"),
                             MsgFlags::Warning);
    } catch (const AppError &e) {
        prompter.message(QStringLiteral("无法为订单号和购物车号建立唯一索引：\n") + e.text(),
                         QStringLiteral("系统提示"), MsgFlags::Warning);
    }
}

// Tables added since the database was made (the dispatch log) are made now, in one transaction.
void upgradeAddedTables(Prompter &prompter, const QSqlDatabase &db)
{
    try {
        AddedTables::upgrade(db);
    } catch (const AppError &e) {
        prompter.message(QStringLiteral("无法在数据库中建立新的表：\n") + e.text(), QStringLiteral("系统提示"),
                         MsgFlags::Warning);
    }
}

} // namespace

DataModuleState create(Prompter &prompter, const QString &connectionName,
                       const JetImport::Progress &conversionProgress)
{
    DataModuleState state;
    state.defaultRelation = Ini::readProfileString(QStringLiteral("ALL"), QStringLiteral("sGetRelation"),
                                                   QStringLiteral("包含"));
    state.dbKind = Ini::readProfileString(QStringLiteral("All"), QStringLiteral("sDbType"));
    state.userName = OperatorCode::current();
    if (state.dbKind.isEmpty()) {
        prompter.message(QStringLiteral("请初始化系统配置！"), QStringLiteral("错误信息"), MsgFlags::Error);
        state.endRequested = true;
    }

    const ConnectionConfig config =
        Connection::readConfig(ProgramPaths::programFolder() + QStringLiteral("syscfg.dbm"));
    QString error;
    if (config.kind == u"Oledb40") {
        const QString path = Connection::embeddedDatabasePath();
        const QString signature = Jet::signatureOf(path);
        if (!signature.isEmpty()
            && JetConversion::offer(prompter, path, signature, conversionProgress, &error)
                   == JetConversion::Outcome::Failed) {
            prompter.message(connectionFailureText(error), QStringLiteral("错误信息"), MsgFlags::Error);
            state.endRequested = true;
            return state;
        }
    }
    state.con = Connection::open(config, connectionName, &error);
    if (!state.con.isOpen()) {
        prompter.message(connectionFailureText(error), QStringLiteral("错误信息"), MsgFlags::Error);
        state.endRequested = true;
        return state;
    }
    // A database without the program's tables (an empty file, some other program's database)
    // would open fine and fail in every window: refuse it now, and change nothing in it.
    const QStringList missing = Schema::missing(state.con);
    if (!missing.isEmpty()) {
        state.con.close();
        state.con = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        prompter.message(connectionFailureText(catalogueMissingText(missing)), QStringLiteral("错误信息"),
                         MsgFlags::Error);
        state.endRequested = true;
        return state;
    }
    upgradeNumberKeys(prompter, state.con);
    upgradeAddedTables(prompter, state.con);
    return state;
}

} // namespace DataModule
