#include "app/data_module.h"

#include "common/ini_reader.h"
#include "common/program_paths.h"
#include "data/connection.h"

namespace DataModule {

QString connectionFailureText(const QString &databaseError)
{
    return QStringLiteral("数据库连接错误，程序终止。请与系统管理员联系！\n错误信息如下：(\n")
           + databaseError + u')';
}

DataModuleState create(Prompter &prompter, const QString &connectionName)
{
    DataModuleState state;
    state.defaultRelation = Ini::readProfileString(QStringLiteral("ALL"), QStringLiteral("sGetRelation"),
                                                   QStringLiteral("包含"));
    state.dbKind = Ini::readProfileString(QStringLiteral("All"), QStringLiteral("sDbType"));
    if (state.dbKind.isEmpty()) {
        prompter.message(QStringLiteral("请初始化系统配置！"), QStringLiteral("错误信息"), MsgFlags::Error);
        state.endRequested = true;
    }

    const ConnectionConfig config =
        Connection::readConfig(ProgramPaths::programFolder() + QStringLiteral("syscfg.dbm"));
    QString error;
    state.con = Connection::open(config, connectionName, &error);
    if (!state.con.isOpen()) {
        prompter.message(connectionFailureText(error), QStringLiteral("错误信息"), MsgFlags::Error);
        state.endRequested = true;
    }
    return state;
}

} // namespace DataModule
