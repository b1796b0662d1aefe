// zhengding-admin as the administrator runs it.
#include "common/string_cipher.h"
#include "qt_print.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

class AdminToolTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("bin"));
        writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
    }
    void writeConfig(const QByteArray &bytes)
    {
        QFile f(config());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QString config() const { return dir.path() + QStringLiteral("/bin/syscfg.dbm"); }
    QString database() const { return dir.path() + QStringLiteral("/init/data.mdb"); }

    static Result run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(ZD_ADMIN), args);
        Result r;
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    Result admin(QStringList args) const
    {
        return run(QStringList{QStringLiteral("--config"), config()} + args);
    }

    // Runs one statement on the database the tool made, through a connection of its own.
    QVariant query(const QString &text) const
    {
        const QString name = QStringLiteral("admin_tool_check");
        QVariant value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(database());
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(text) && q.next())
                    value = q.value(0);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return value;
    }
};

TEST_F(AdminToolTest, InitCreatesOnceAndRecreatesOnlyWhenForced)
{
    const Result first = admin({QStringLiteral("init")});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_TRUE(QFile::exists(database()));
    EXPECT_EQ(query(QStringLiteral("select count(*) from sqlite_master where type='view'")).toInt(), 4);

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("w"));
        db.setDatabaseName(database());
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("insert into deorder (dhdh) values ('kept')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("w"));

    const Result second = admin({QStringLiteral("init")});
    EXPECT_NE(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains(QStringLiteral("--force"))) << second.err.toStdString();
    EXPECT_EQ(query(QStringLiteral("select count(*) from deorder")).toInt(), 1);

    const Result forced = admin({QStringLiteral("init"), QStringLiteral("--force")});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_EQ(query(QStringLiteral("select count(*) from deorder")).toInt(), 0);
}

TEST_F(AdminToolTest, DemoNeedsTheSchemaAndRefusesAFilledCatalogue)
{
    EXPECT_NE(admin({QStringLiteral("demo"), QStringLiteral("--titles"), QStringLiteral("20")}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(database()));   // demo never creates the database

    ASSERT_EQ(admin({QStringLiteral("init")}).exitCode, 0);
    const Result filled = admin({QStringLiteral("demo"), QStringLiteral("--titles"), QStringLiteral("120")});
    EXPECT_EQ(filled.exitCode, 0) << filled.err.toStdString();
    EXPECT_TRUE(filled.err.contains(QStringLiteral("120/120"))) << filled.err.toStdString();
    EXPECT_EQ(query(QStringLiteral("select count(*) from debooks")).toInt(), 120);

    EXPECT_NE(admin({QStringLiteral("demo"), QStringLiteral("--titles"), QStringLiteral("30")}).exitCode, 0);
    EXPECT_EQ(query(QStringLiteral("select count(*) from debooks")).toInt(), 120);
    EXPECT_EQ(admin({QStringLiteral("demo"), QStringLiteral("--titles"), QStringLiteral("30"),
                     QStringLiteral("--force")})
                  .exitCode,
              0);
    EXPECT_EQ(query(QStringLiteral("select count(*) from debooks")).toInt(), 30);
}

TEST_F(AdminToolTest, PasswordRoundTrip)
{
    for (const QString &clear : {QStringLiteral("masterkey"), QStringLiteral("口令-2026"),
                                 QStringLiteral("a b'c")}) {
        const Result hex = run({QStringLiteral("passwd"), clear});
        ASSERT_EQ(hex.exitCode, 0) << hex.err.toStdString();
        const QString form = hex.out.trimmed();
        EXPECT_EQ(form, StringCipher::encipherPassword(clear));
        const Result back = run({QStringLiteral("passwd"), QStringLiteral("--decipher"), form});
        ASSERT_EQ(back.exitCode, 0) << back.err.toStdString();
        EXPECT_EQ(back.out.trimmed(), clear.trimmed());
    }
}

// A form copied with a digit too many or too few, or with a stray character, is refused whole
// (the program at start-up would decipher its even part to a wrong password without a word).
TEST_F(AdminToolTest, DecipherRefusesAFormThatIsNotWholeHex)
{
    const QString good = StringCipher::encipherPassword(QStringLiteral("masterkey"));
    const struct {
        const char *what;
        QString form;
        const char *says;   // part of the message on stderr
    } cases[] = {
        {"one digit lost", good.left(good.size() - 1), "偶数"},
        {"one digit added", good + u'0', "偶数"},
        {"a single digit", QStringLiteral("A"), "偶数"},
        {"a letter beyond F", QStringLiteral("12G4") + good.mid(4), "第 3 个字符“G”"},
        {"a space inside", good.left(6) + QStringLiteral(" ") + good.mid(7), "第 7 个字符“ ”"},
        {"full-width digits", QStringLiteral("１２") + good.mid(2), "第 1 个字符“１”"},
        {"a stray character as the odd last one", good + u'Z', "偶数"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run({QStringLiteral("passwd"), QStringLiteral("--decipher"), c.form});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
    // Lower-case digits are hexadecimal too.
    const Result lower = run({QStringLiteral("passwd"), QStringLiteral("--decipher"), good.toLower()});
    EXPECT_EQ(lower.exitCode, 0) << lower.err.toStdString();
    EXPECT_EQ(lower.out.trimmed(), QStringLiteral("masterkey"));
}

// A database from before the order number was a unique key, with two orders of two suppliers
// on one number: listed, the later one renumbered with its supplier's lines, then the key made.
TEST_F(AdminToolTest, SharedOrderNumbersAreListedAndTheLaterOnesRenumbered)
{
    ASSERT_EQ(admin({QStringLiteral("init")}).exitCode, 0);
    for (const char *statement : {
             "drop index ux_deorder_dhdh",
             "create index ix_deorder_dhdh on deorder (dhdh)",
             "insert into deorder (dhdh,dhrq,xsfh) values ('202700000001','2026-12-31','S1')",
             "insert into deorder (dhdh,dhrq,xsfh) values ('202700000001','2027-01-01','S2')",
             "insert into deorder_mx (dhdh,tm,ghbm) values ('202700000001','T1','S1')",
             "insert into deorder_mx (dhdh,tm,ghbm) values ('202700000001','T2','S2')",
             "insert into deorder_mx (dhdh,tm,ghbm) values ('202700000001','T3','S2')",
             "insert into parameter (userno,pname,pvalue,idate,len,pformat) values ('0','order',1,'2027',8,'YYYY')",
         })
        query(QString::fromLatin1(statement));
    ASSERT_EQ(query(QStringLiteral("select count(*) from deorder")).toInt(), 2);

    const Result listed = admin({QStringLiteral("duplicates")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.contains(QStringLiteral("订单号 202700000001：2 行"))) << listed.out.toStdString();

    const Result renumbered = admin({QStringLiteral("renumber-duplicates")});
    EXPECT_EQ(renumbered.exitCode, 0) << renumbered.err.toStdString();
    EXPECT_TRUE(renumbered.out.contains(QStringLiteral("订单号 202700000001 -> 202700000002（供货商 S2，明细 2 行随之改号）")))
        << renumbered.out.toStdString();
    EXPECT_EQ(query(QStringLiteral("select xsfh from deorder where dhdh='202700000002'")).toString(), QStringLiteral("S2"));
    EXPECT_EQ(query(QStringLiteral("select count(*) from deorder_mx where dhdh='202700000002' and ghbm='S2'")).toInt(), 2);
    EXPECT_EQ(query(QStringLiteral("select count(*) from deorder_mx where dhdh='202700000001'")).toInt(), 1);
    EXPECT_EQ(query(QStringLiteral("select \"unique\" from pragma_index_list('deorder') where name='ux_deorder_dhdh'")).toInt(), 1);
    EXPECT_TRUE(admin({QStringLiteral("duplicates")}).out.contains(QStringLiteral("没有重复")));
}

TEST_F(AdminToolTest, HelpNamesEveryCommand)
{
    const Result help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char *word : {"init", "demo", "--titles", "passwd", "--decipher", "--config", "--force",
                             "duplicates", "renumber-duplicates", "mail-test"})
        EXPECT_TRUE(help.out.contains(QLatin1String(word))) << word;
}

TEST_F(AdminToolTest, MistakesEndWithAMessageAndANonZeroExit)
{
    struct Case {
        const char *name;
        QStringList args;
        QByteArray config;   // empty: the default embedded configuration
    };
    const QString missing = dir.path() + QStringLiteral("/nowhere/syscfg.dbm");
    const Case cases[] = {
        {"no command", {}, {}},
        {"unknown command", {QStringLiteral("frobnicate")}, {}},
        {"demo without titles", {QStringLiteral("demo")}, {}},
        {"demo with zero titles", {QStringLiteral("demo"), QStringLiteral("--titles"), QStringLiteral("0")}, {}},
        {"titles on init", {QStringLiteral("init"), QStringLiteral("--titles"), QStringLiteral("5")}, {}},
        {"passwd without text", {QStringLiteral("passwd")}, {}},
        {"duplicates with an argument", {QStringLiteral("duplicates"), QStringLiteral("x")}, {}},
        {"renumbering without a database", {QStringLiteral("renumber-duplicates")}, {}},
        {"decipher of a non-hex text", {QStringLiteral("passwd"), QStringLiteral("--decipher"), QStringLiteral("XYZ")}, {}},
        {"missing config file", {QStringLiteral("--config"), missing, QStringLiteral("init")}, {}},
        {"config without a kind", {QStringLiteral("init")}, "[All]\r\nsGetRelation=x\r\n"},
        {"unsupported kind", {QStringLiteral("init")}, "[All]\r\nsDbType=Access\r\n"},
        {"damaged password", {QStringLiteral("init")}, "[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=ZZ\r\n"},
        {"mail-test without an address", {QStringLiteral("mail-test")}, {}},
        {"mail-test without a server", {QStringLiteral("mail-test"), QStringLiteral("a@x.cn")}, {}},
        {"mail-test to no address", {QStringLiteral("mail-test"), QStringLiteral("a b")},
         "[All]\r\nsDbType=Oledb40\r\n[Mail]\r\nsServer=127.0.0.1\r\nsFrom=o@s.cn\r\n"},
        {"mail-test with unusable settings", {QStringLiteral("mail-test"), QStringLiteral("a@x.cn")},
         "[All]\r\nsDbType=Oledb40\r\n[Mail]\r\nsServer=127.0.0.1\r\n"},
        {"unreachable Firebird", {QStringLiteral("init")},
         "[All]\r\nsDbType=Fb\r\n[Fb]\r\nsUid=SYSDBA\r\nsServer=/nonexistent/zd.fdb\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.config.isEmpty())
            writeConfig(c.config);
        const bool ownConfig = c.args.contains(QStringLiteral("--config"));
        const Result r = ownConfig || c.args.isEmpty() || c.args.first() == u"passwd"
                             ? run(c.args)
                             : admin(c.args);
        EXPECT_GT(r.exitCode, 0);
        EXPECT_FALSE(r.err.trimmed().isEmpty());
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        if (!c.config.isEmpty())
            writeConfig("[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
    }
    EXPECT_FALSE(QFile::exists(database()));
}

} // namespace
