#include "common/app_settings.h"
#include "app/data_module.h"
#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/string_cipher.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kInit = QStringLiteral("请初始化系统配置！");
const QString kConnPrefix = QStringLiteral("数据库连接错误，程序终止。请与系统管理员联系！\n错误信息如下：(\n");

struct StartCase {
    const char *name;
    QString config;
    bool createDatabase;
    QByteArray dataFile;          // written as init/data.mdb when not empty
    QStringList expectedStarts;   // each shown message starts with this text
    QString expectedDetail;       // text the connection message must contain
    bool endRequested;
};

class StartupFailures : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartupFailures, ShowTheirMessagesAndEnd)
{
    const StartCase &c = GetParam();
    TempTree tree;
    tree.writeConfig(Gbk::encode(c.config));
    if (!c.dataFile.isEmpty())
        tree.writeFile(QStringLiteral("init/data.mdb"), c.dataFile);
    if (c.createDatabase)
        tree.createDatabase();
    ScriptedPrompter prompter;
    const QString connName = QStringLiteral("startup_%1").arg(QString::fromLatin1(c.name));
    DataModuleState state = DataModule::create(prompter, connName);

    ASSERT_EQ(prompter.shown.size(), c.expectedStarts.size()) << prompter.texts().join(u'|').toStdString();
    for (int i = 0; i < c.expectedStarts.size(); ++i) {
        EXPECT_TRUE(prompter.shown[i].text.startsWith(c.expectedStarts[i])) << prompter.shown[i].text.toStdString();
        if (prompter.shown[i].flags == MsgFlags::YesNo) {   // the offer to convert a Jet file
            EXPECT_EQ(prompter.shown[i].caption, QStringLiteral("系统提示"));
            continue;
        }
        EXPECT_EQ(prompter.shown[i].caption, QStringLiteral("错误信息"));
        EXPECT_EQ(prompter.shown[i].flags, MsgFlags::Error);
    }
    if (!c.expectedDetail.isEmpty()) {
        EXPECT_TRUE(prompter.shown.constLast().text.contains(c.expectedDetail)) << prompter.shown.constLast().text.toStdString();
        EXPECT_TRUE(prompter.shown.constLast().text.endsWith(u')'));
    }
    EXPECT_EQ(state.endRequested, c.endRequested);
    EXPECT_EQ(state.con.isOpen(), !c.endRequested);
    if (c.dataFile.isEmpty() && !c.createDatabase) {
        EXPECT_FALSE(QFileInfo::exists(tree.path(QStringLiteral("init/data.mdb")))) << "opening must not create the file";
    }
    state.con.close();
    state.con = QSqlDatabase();
    QSqlDatabase::removeDatabase(connName);
}

INSTANTIATE_TEST_SUITE_P(
    DataModule, StartupFailures,
    ::testing::Values(
        StartCase{"no_kind", QString(), false, {}, {kInit, kConnPrefix}, {}, true},
        StartCase{"lower_case_kind", "[All]\nsDbType=oledb40\n", true, {}, {kConnPrefix}, "oledb40", true},
        StartCase{"unknown_kind", "[ALL]\nsDbType=Access\n", true, {}, {kConnPrefix}, "Access", true},
        StartCase{"missing_file", "[All]\nsDbType=Oledb40\n", false, {}, {kConnPrefix}, "data.mdb", true},
        // Only the header of a Jet file: offered for conversion (the script says yes), which
        // finds it damaged.
        StartCase{"jet_file", "[All]\nsDbType=Oledb40\n", false,
                  QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(200, '\0'),
                  {QStringLiteral("数据库文件是供货商提供的 Access/Jet 数据库"), kConnPrefix}, "已损坏或不完整", true},
        StartCase{"not_a_database", "[All]\nsDbType=Oledb40\n", false, QByteArray(4096, 'x'), {kConnPrefix}, {}, true},
        StartCase{"embedded_ok", "[ALL]\nsDbType=Oledb40\n[Oledb40]\nsPwd=\n", true, {}, {}, {}, false}),
    [](const auto &info) { return std::string(info.param.name); });

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs statements on the file under a connection of its own, closed again afterwards.
void runOn(const QString &path, const QStringList &statements)
{
    const QString name = QStringLiteral("catalogue_seed");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        for (const QString &s : statements)
            ASSERT_TRUE(QSqlQuery(db).exec(s)) << s.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Such a database opens, but every window would fail on it: start-up refuses it with the
// connection message, says how the tables are made, and leaves the file exactly as it was.
TEST(DataModule, ADatabaseWithoutTheCatalogueIsRefusedUntouched)
{
    const struct {
        const char *what;
        std::function<void(TempTree &)> make;
        QStringList named;   // what the message must name besides the init command
    } cases[] = {
        {"a zero-byte file", [](TempTree &t) { t.writeFile(QStringLiteral("init/data.mdb"), QByteArray()); },
         {QStringLiteral("没有征订目录")}},
        {"another program's database",
         [](TempTree &t) {
             runOn(t.path(QStringLiteral("init/data.mdb")),
                   {QStringLiteral("create table unrelated (x integer)"),
                    QStringLiteral("insert into unrelated values (7)")});
         },
         {QStringLiteral("没有征订目录")}},
        {"a catalogue short of a table and a view",
         [](TempTree &t) {
             t.createDatabase().close();
             runOn(t.path(QStringLiteral("init/data.mdb")),
                   {QStringLiteral("drop view qrydebooks"), QStringLiteral("drop table parameter")});
         },
         {QStringLiteral("parameter"), QStringLiteral("qrydebooks")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempTree tree;
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n");
        c.make(tree);
        const QString file = tree.path(QStringLiteral("init/data.mdb"));
        const QByteArray before = bytesOf(file);
        const QStringList filesBefore = QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files);

        ScriptedPrompter prompter;
        const QString connName = QStringLiteral("no_catalogue");
        DataModuleState state = DataModule::create(prompter, connName);

        ASSERT_EQ(prompter.shown.size(), 1) << prompter.texts().join(u'|').toStdString();
        const QString text = prompter.shown.first().text;
        EXPECT_TRUE(text.startsWith(kConnPrefix)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(u')')) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("zhengding-admin init"))) << text.toStdString();
        for (const QString &n : c.named)
            EXPECT_TRUE(text.contains(n)) << n.toStdString() << " in " << text.toStdString();
        EXPECT_EQ(prompter.shown.first().caption, QStringLiteral("错误信息"));
        EXPECT_EQ(prompter.shown.first().flags, MsgFlags::Error);
        EXPECT_TRUE(state.endRequested);
        EXPECT_FALSE(state.con.isOpen());
        EXPECT_FALSE(QSqlDatabase::contains(connName)) << "the refused connection is removed";
        EXPECT_EQ(bytesOf(file), before) << "the file is not changed";
        EXPECT_EQ(QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files), filesBefore);
    }
}

TEST(DataModule, DamagedStoredPasswordIsRaised)
{
    TempTree tree;
    tree.writeConfig("[All]\nsDbType=Oledb40\n[Oledb40]\nsPwd=12XZ\n");
    ScriptedPrompter prompter;
    try {
        DataModule::create(prompter, QStringLiteral("damaged_pwd"));
        FAIL() << "a damaged sPwd must raise";
    } catch (const AppError &e) {
        EXPECT_EQ(e.text(), QStringLiteral("Error: not a Hex String"));
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(DataModule, ReadsTheDefaultRelation)
{
    TempTree tree;
    tree.createDatabase();
    for (const auto &[config, expected] : QList<QPair<QString, QString>>{
             {"[All]\nsDbType=Oledb40\n", "包含"},
             {"[All]\nsDbType=Oledb40\n[all]\nsGetRelation=等于\n", "等于"}}) {
        tree.writeConfig(Gbk::encode(config));
        ScriptedPrompter prompter;
        DataModuleState state = DataModule::create(prompter, QStringLiteral("relation"));
        EXPECT_EQ(state.defaultRelation, expected);
        state.con.close();
        state.con = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("relation"));
    }
}

TEST(AppSettings, DefaultOrderQuantity)
{
    TempTree tree;
    const QList<QPair<QByteArray, int>> cases = {
        {"", 10}, {"[ALL]\ndgsl=\n", 10}, {"[ALL]\ndgsl=abc\n", 10}, {"[ALL]\ndgsl=-1\n", 10},
        {"[ALL]\ndgsl=0\n", 0}, {"[ALL]\ndgsl=3\n", 3}, {"[all]\nDGSL=25\n", 25}, {"[ALL]\ndgsl=-5\n", 10},
    };
    for (const auto &[config, expected] : cases) {
        tree.writeConfig(config);
        EXPECT_EQ(AppSettings::defaultOrderQuantity(), expected) << config.toStdString();
    }
}

TEST(AppSettings, ShowDetailFallsBackToSectionAll)
{
    TempTree tree;
    struct Case { QByteArray config; bool query; bool mag; };
    const QList<Case> cases = {
        {"", false, false},
        {"[ALL]\nShowDetailYoN=Y\n", true, true},
        {"[ALL]\nShowDetailYoN=N\n[FrmQuery]\nShowDetailYoN=Y\n", true, false},
        {"[ALL]\nShowDetailYoN=Y\n[FrmQuery]\nShowDetailYoN=y\n", false, true},
        {"[ALL]\nShowDetailYoN=Y\n[FrmMag]\nShowDetailYoN=\n", true, true},
    };
    for (const Case &c : cases) {
        tree.writeConfig(c.config);
        EXPECT_EQ(AppSettings::showDetail(QStringLiteral("FrmQuery")), c.query) << c.config.toStdString();
        EXPECT_EQ(AppSettings::showDetail(QStringLiteral("FrmMag")), c.mag) << c.config.toStdString();
    }
}

} // namespace
