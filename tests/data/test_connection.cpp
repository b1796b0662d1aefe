// Opening the configured database: what is refused, and with what words.
#include "qt_print.h"
#include "temp_tree.h"

#include "common/app_error.h"
#include "common/string_cipher.h"
#include "data/connection.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

ConnectionConfig embedded(const QString &kind = QStringLiteral("Oledb40"))
{
    ConnectionConfig c;
    c.kind = kind;
    return c;
}

TEST(ConnectionOpen, RefusesWhatIsNotAnSqliteDatabase)
{
    struct Case {
        const char *name;
        QString kind;
        QByteArray file;        // contents of init/data.mdb; null: no file
        QStringList wantedWords;
    };
    QByteArray jet("\0\x01\0\0Standard Jet DB\0", 20);
    jet.append(QByteArray(2000, '\x5a'));
    QByteArray ace("\0\x01\0\0Standard ACE DB\0", 20);
    ace.append(QByteArray(2000, '\x11'));
    const Case cases[] = {
        {"missing file", QStringLiteral("Oledb40"), QByteArray(), {QStringLiteral("data.mdb")}},
        {"Jet file", QStringLiteral("Oledb40"), jet, {QStringLiteral("Access"), QStringLiteral("Jet")}},
        {"ACE file", QStringLiteral("Oledb40"), ace, {QStringLiteral("Access")}},
        {"text file", QStringLiteral("Oledb40"), QByteArray(4096, 'x'), {}},
        {"kind in lower case", QStringLiteral("oledb40"), QByteArray(), {QStringLiteral("oledb40")}},
        {"no kind", QString(), QByteArray(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        const QString path = tree.path(QStringLiteral("init/data.mdb"));
        if (!c.file.isNull())
            tree.writeFile(QStringLiteral("init/data.mdb"), c.file);
        QString error;
        const QSqlDatabase db = Connection::open(embedded(c.kind), QStringLiteral("refused"), &error);
        EXPECT_FALSE(db.isOpen());
        EXPECT_FALSE(QSqlDatabase::contains(QStringLiteral("refused")));
        EXPECT_FALSE(error.trimmed().isEmpty());
        for (const QString &w : c.wantedWords)
            EXPECT_TRUE(error.contains(w)) << error.toStdString();
        // Opening never creates or changes the file.
        if (c.file.isNull())
            EXPECT_FALSE(QFileInfo::exists(path));
        else
            EXPECT_EQ(QFileInfo(path).size(), c.file.size());
    }
}

TEST(ConnectionOpen, OpensTheEmbeddedDatabaseBesideTheProgramFolder)
{
    TempTree tree;
    tree.createDatabase();
    QString error;
    {
        const QSqlDatabase db = Connection::open(embedded(), QStringLiteral("beside"), &error);
        EXPECT_TRUE(db.isOpen()) << error.toStdString();
        EXPECT_EQ(QFileInfo(Connection::embeddedDatabasePath()).canonicalFilePath(),
                  QFileInfo(tree.path(QStringLiteral("init/data.mdb"))).canonicalFilePath());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("beside"));
}

TEST(ConnectionConfigFile, ReadsTheKindsOwnSectionAndDeciphersThePassword)
{
    TempTree tree;
    const QString hex = StringCipher::encipherPassword(QStringLiteral("masterkey"));
    tree.writeConfig(QStringLiteral("[ALL]\r\nsDbType=Fb\r\n[Fb]\r\nsUid=SYSDBA\r\nsPwd=%1\r\n"
                                    "sServer=/srv/db/zd.fdb\r\n[Ora]\r\nsUid=other\r\n")
                         .arg(hex)
                         .toLatin1());
    const ConnectionConfig c = Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm"));
    EXPECT_EQ(c.kind, QStringLiteral("Fb"));
    EXPECT_EQ(c.user, QStringLiteral("SYSDBA"));
    EXPECT_EQ(c.password, QStringLiteral("masterkey"));
    EXPECT_EQ(c.server, QStringLiteral("/srv/db/zd.fdb"));

    tree.writeConfig("[All]\r\nsDbType=Ora\r\n[Ora]\r\nsPwd=NOTHEX\r\n");
    EXPECT_THROW(Connection::readConfig(tree.bin() + QStringLiteral("syscfg.dbm")), AppError);
}

} // namespace
