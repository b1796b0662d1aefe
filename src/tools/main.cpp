// zhengding-admin: sets up the database that zhengding reads, from the same syscfg.dbm.
#include "admin_commands.h"

#include "common/program_paths.h"
#include "common/toolkit_translation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace {

const char *const Description =
    "征订 (Zhengding) 的数据库管理工具。\n"
    "\n"
    "命令：\n"
    "  init [--force]             在配置的数据库中建立全部表、视图和索引；SQLite 数据库文件\n"
    "                             不存在时新建。数据库中已有表结构时拒绝；--force 删除\n"
    "                             全部表（连同其中的订单）后重建。\n"
    "  demo --titles N [--force]  在已建立表结构的数据库中生成 N 种书目的演示目录（出版社、\n"
    "                             分类、书目、长文本、封面、规划教材标记和本单位信息）。\n"
    "                             已有书目时拒绝；--force 替换原有目录。进度写到标准错误。\n"
    "  import-catalogue FILE      用供货商的 Access/Jet 文件 FILE 中的目录替换数据库中的目录（一个事务）。\n"
    "  duplicates                 列出被多个订单（或购物车）共用的订单号和购物车号。\n"
    "  renumber-duplicates        为共用编号的后来的订单（按订货日期、再按表中行序，第一个保留\n"
    "                             原号）取新的订单号，明细按供货商随之改号（一个事务）；列出\n"
    "                             “原号 -> 新号”，然后把订单号和购物车号建成唯一索引。\n"
    "  mail-test ADDRESS          用 syscfg.dbm 的 [Mail] 设置（SMTP 服务器、加密方式、登录、\n"
    "                             发件人）向 ADDRESS 发送一封“征订 测试邮件”，显示服务器的答复。\n"
    "  passwd TEXT                显示 TEXT 加密后的形式，可填入 syscfg.dbm 的 sPwd。\n"
    "  passwd --decipher HEX      显示 sPwd 形式 HEX 的明文。\n"
    "\n"
    "配置：默认读取本程序所在目录（程序目录）中的 syscfg.dbm，与 zhengding 相同：\n"
    "[All] sDbType=Oledb40 表示 ../init/data.mdb（SQLite），Fb 表示 [Fb] sServer 指定的\n"
    "Firebird 数据库，Ora 表示 [Ora] sServer 指定的 ODBC 数据源。--config FILE 改为读取\n"
    "FILE，这时以 FILE 所在目录作为程序目录解析 ../init/data.mdb 等相对路径。\n"
    "\n"
    "成功时退出码为 0，失败为 1，命令行有误为 2。";

int usageError(const QString &text)
{
    QTextStream err(stderr);
    err << text << Qt::endl
        << QStringLiteral("用 zhengding-admin --help 查看用法。") << Qt::endl;
    return Admin::Usage;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zhengding-admin"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));
    // The parser's own words ("用法：", "选项：", "未知选项") come from the toolkit's translation.
    ToolkitTranslation::install(&app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("显示本帮助后退出。"));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本后退出。"));
    parser.addOptions({help, version});
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("读取配置文件 FILE，而不是程序目录中的 syscfg.dbm。"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("init：删除已有表结构后重建；demo：替换已有目录。"));
    const QCommandLineOption titles(QStringLiteral("titles"),
                                    QStringLiteral("demo：生成的书目数。"), QStringLiteral("N"));
    const QCommandLineOption decipher(QStringLiteral("decipher"),
                                      QStringLiteral("passwd：把参数当作加密形式，显示明文。"));
    parser.addOptions({config, force, titles, decipher});
    parser.addPositionalArgument(QStringLiteral("命令"),
                                 QStringLiteral("init、demo、import-catalogue、duplicates、renumber-duplicates、mail-test 或 passwd。"),
                                 QStringLiteral("命令 [参数]"));

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return Admin::Ok;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << QCoreApplication::applicationName() << u' '
                            << QCoreApplication::applicationVersion() << Qt::endl;
        return Admin::Ok;
    }

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("缺少命令（init、demo、import-catalogue、duplicates、renumber-duplicates、mail-test 或 passwd）。"));
    const QString command = args.first();

    Admin::Options options;
    if (parser.isSet(config)) {
        const QFileInfo file(parser.value(config));
        options.configPath = file.absoluteFilePath();
        ProgramPaths::setProgramFolder(file.absolutePath());
    } else {
        options.configPath = ProgramPaths::programFolder() + QStringLiteral("syscfg.dbm");
    }
    options.force = parser.isSet(force);

    if (parser.isSet(titles) && command != u"demo")
        return usageError(QStringLiteral("--titles 只能用于 demo 命令。"));
    if (parser.isSet(decipher) && command != u"passwd")
        return usageError(QStringLiteral("--decipher 只能用于 passwd 命令。"));
    if (options.force && (command == u"passwd" || command == u"duplicates" || command == u"renumber-duplicates"
                          || command == u"mail-test"))
        return usageError(QStringLiteral("--force 不能用于 %1 命令。").arg(command));

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (command == u"init") {
        if (args.size() != 1)
            return usageError(QStringLiteral("init 命令不带参数。"));
        return Admin::init(options, out, err);
    }
    if (command == u"demo") {
        if (args.size() != 1)
            return usageError(QStringLiteral("demo 命令不带参数，书目数用 --titles N 给出。"));
        bool ok = false;
        options.titles = parser.value(titles).toInt(&ok);
        if (!parser.isSet(titles) || !ok || options.titles < 1)
            return usageError(QStringLiteral("demo 命令需要 --titles N，N 为正整数。"));
        return Admin::demo(options, out, err);
    }
    if (command == u"import-catalogue") {
        if (args.size() != 2)
            return usageError(QStringLiteral("import-catalogue 命令需要一个参数：Access/Jet 文件。"));
        return Admin::importCatalogue(options, args.at(1), out, err);
    }
    if (command == u"duplicates" || command == u"renumber-duplicates") {
        if (args.size() != 1)
            return usageError(QStringLiteral("%1 命令不带参数。").arg(command));
        return command == u"duplicates" ? Admin::duplicates(options, out, err)
                                        : Admin::renumberDuplicates(options, out, err);
    }
    if (command == u"mail-test") {
        if (args.size() != 2)
            return usageError(QStringLiteral("mail-test 命令需要一个参数：收件人的邮件地址。"));
        return Admin::mailTest(options, args.at(1), out, err);
    }
    if (command == u"passwd") {
        if (args.size() != 2)
            return usageError(QStringLiteral("passwd 命令需要一个参数：明文，或与 --decipher 一起的加密形式。"));
        return parser.isSet(decipher) ? Admin::decipher(args.at(1), out, err)
                                      : Admin::encipher(args.at(1), out, err);
    }
    return usageError(QStringLiteral("未知命令：%1").arg(command));
}
