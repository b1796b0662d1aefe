#include "common/gbk_codec.h"
#include "common/ini_reader.h"
#include "common/program_paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniReader : public ::testing::Test {
protected:
    QString path(const QString &name = QStringLiteral("syscfg.dbm")) const
    {
        return m_dir.filePath(name);
    }

    void write(const QByteArray &bytes, const QString &name = QStringLiteral("syscfg.dbm")) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    std::string read(const char *section, const char *key, const char *defaultValue = "") const
    {
        return Ini::readValue(path(), QString::fromUtf8(section), QString::fromUtf8(key),
                              QString::fromUtf8(defaultValue))
            .toStdString();
    }

    QTemporaryDir m_dir;
};

// A configuration file as the installer writes it: GBK, CRLF, the sections All and ALL apart.
const char *const TypicalFile =
    "[All]\r\n"
    "sDbType=Oledb40\r\n"
    "apptitle=教材征订系统\r\n"
    "\r\n"
    "[Oledb40]\r\n"
    "sPwd=0A1B2C3D4E5F6071\r\n"
    "\r\n"
    "[ALL]\r\n"
    "sGetRelation=等于\r\n"
    "dgsl = 5\r\n"
    "sNoShowFieldList=\r\n"
    "\r\n"
    "[MENU]\r\n"
    "N1=文件\r\n"
    "115=1\r\n";

TEST_F(IniReader, SectionsAndKeysMatchWithoutCase)
{
    write(Gbk::encode(QString::fromUtf8(TypicalFile)));
    struct Case {
        const char *section;
        const char *key;
        const char *defaultValue;
        const char *expected;
    };
    const Case cases[] = {
        {"All", "sDbType", "", "Oledb40"},
        {"ALL", "sDbType", "", "Oledb40"},
        {"all", "SDBTYPE", "", "Oledb40"},
        {"All", "apptitle", "", "教材征订系统"},
        {"All", "AppTitle", "", "教材征订系统"},
        {"ALL", "sGetRelation", "包含", "等于"},
        {"All", "sgetrelation", "包含", "等于"},
        {"ALL", "dgsl", "", "5"},
        {"oledb40", "sPwd", "", "0A1B2C3D4E5F6071"},
        {"Menu", "n1", "", "文件"},
        {"MENU", "115", "0", "1"},
        // A key present with an empty value is empty, not the default.
        {"ALL", "sNoShowFieldList", "x", ""},
        // Missing key, key of another section, missing section.
        {"MENU", "TbGuide", "订购指南", "订购指南"},
        {"MENU", "sDbType", "none", "none"},
        {"FrmQuery", "ShowDetailYoN", "N", "N"},
        {"Ora", "sPwd", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(read(c.section, c.key, c.defaultValue), c.expected);
    }
}

TEST_F(IniReader, MissingFileGivesTheDefault)
{
    EXPECT_EQ(read("All", "sDbType", "Oledb40"), "Oledb40");
    EXPECT_EQ(read("All", "sDbType"), "");
    EXPECT_FALSE(QFileInfo::exists(path()));
}

// Values are cut to 99 bytes of the file's own encoding, never inside a character.
TEST_F(IniReader, LongValuesAreCutTo99Bytes)
{
    const QString ascii150 = QString(150, u'a');
    const QString chinese60 = QStringLiteral("教材征订系统").repeated(10);
    const QString mixed = u'a' + chinese60;
    const QString two = QStringLiteral("征订");

    enum class Form { Gbk, Utf8, Utf8Bom };
    struct Case {
        const char *name;
        Form form;
        QString value;
        QString expected;
    };
    const Case cases[] = {
        {"ASCII", Form::Gbk, ascii150, ascii150.left(99)},
        {"ASCII, UTF-8 with BOM", Form::Utf8Bom, ascii150, ascii150.left(99)},
        {"99 bytes exactly", Form::Gbk, ascii150.left(99), ascii150.left(99)},
        {"GBK Chinese", Form::Gbk, chinese60, chinese60.left(49)},
        {"GBK, odd start", Form::Gbk, mixed, mixed.left(50)},
        {"UTF-8 Chinese", Form::Utf8, chinese60, chinese60.left(33)},
        {"UTF-8, odd start", Form::Utf8, mixed, mixed.left(33)},
        {"UTF-8 with BOM Chinese", Form::Utf8Bom, chinese60, chinese60.left(33)},
        {"GBK two characters", Form::Gbk, two, two},
        {"UTF-8 two characters", Form::Utf8, two, two},
        {"UTF-8 with BOM two characters", Form::Utf8Bom, two, two},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = QStringLiteral("[All]\napptitle=") + c.value
                             + QStringLiteral("\nsDbType=Fb\n");
        QByteArray bytes;
        switch (c.form) {
        case Form::Gbk: bytes = Gbk::encode(text); break;
        case Form::Utf8: bytes = text.toUtf8(); break;
        case Form::Utf8Bom: bytes = "\xEF\xBB\xBF" + text.toUtf8(); break;
        }
        write(bytes);
        EXPECT_EQ(read("ALL", "apptitle"), c.expected.toStdString());
        EXPECT_EQ(read("All", "sDbType"), "Fb");
    }
}

TEST_F(IniReader, NeverWritesTheFile)
{
    const QByteArray bytes = Gbk::encode(QString::fromUtf8(TypicalFile));
    write(bytes);
    const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const QDateTime before = QFileInfo(path()).lastModified();

    (void)read("All", "sDbType");
    (void)read("All", "newKey", "default");
    (void)read("NewSection", "newKey", "default");
    (void)read("MENU", "N1");

    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toHex().toStdString(), bytes.toHex().toStdString());
    EXPECT_EQ(QFileInfo(path()).lastModified().toString(Qt::ISODateWithMs).toStdString(),
              before.toString(Qt::ISODateWithMs).toStdString());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).join(u'|').toStdString(),
              "syscfg.dbm");
}

TEST_F(IniReader, ProfileStringReadsFromTheProgramFolder)
{
    write(Gbk::encode(QString::fromUtf8(TypicalFile)));
    write("[All]\nsDbType=Ora\n", QStringLiteral("other.dbm"));
    ProgramPaths::setProgramFolder(m_dir.path());
    const std::string fromDefault =
        Ini::readProfileString(QStringLiteral("ALL"), QStringLiteral("sDbType")).toStdString();
    const std::string fromOther = Ini::readProfileString(QStringLiteral("All"),
                                                         QStringLiteral("sDbType"), QString(),
                                                         QStringLiteral("other.dbm"))
                                      .toStdString();
    const std::string fromMissing = Ini::readProfileString(QStringLiteral("All"),
                                                           QStringLiteral("sDbType"),
                                                           QStringLiteral("none"),
                                                           QStringLiteral("absent.dbm"))
                                        .toStdString();
    ProgramPaths::setProgramFolder(QString());
    EXPECT_EQ(fromDefault, "Oledb40");
    EXPECT_EQ(fromOther, "Ora");
    EXPECT_EQ(fromMissing, "none");
}

} // namespace
