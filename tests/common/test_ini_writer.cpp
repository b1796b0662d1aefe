#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/ini_reader.h"
#include "common/ini_writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct WriteCase {
    const char *name;
    const char *before;   // UTF-8 text of the file
    const char *after;
};

// Keys set: sServer=smtp.x.cn, sFromName=教材科 in section Mail.
const WriteCase Cases[] = {
    {"no file section", "[All]\r\nsDbType=Oledb40\r\n",
     "[All]\r\nsDbType=Oledb40\r\n\r\n[Mail]\r\nsServer=smtp.x.cn\r\nsFromName=教材科\r\n"},
    {"key replaced in its line, other keys and comments kept",
     "; 注释\n[mail]\nSSERVER=old\n; keep\niPort=25\n[All]\nx=1\n",
     "; 注释\n[mail]\nSSERVER=smtp.x.cn\n; keep\niPort=25\nsFromName=教材科\n[All]\nx=1\n"},
    {"a section written twice: the new key goes to its last block",
     "[Mail]\nsServer=a\n[All]\nx=1\n[MAIL]\niPort=25\n\n[Other]\n",
     "[Mail]\nsServer=smtp.x.cn\n[All]\nx=1\n[MAIL]\niPort=25\nsFromName=教材科\n\n[Other]\n"},
    {"empty file", "", "[Mail]\nsServer=smtp.x.cn\nsFromName=教材科\n"},
};

TEST(IniWriter, SetsKeysAndKeepsTheRestOfTheFile)
{
    const Ini::Values values{{QStringLiteral("sServer"), QStringLiteral("smtp.x.cn")},
                             {QStringLiteral("sFromName"), QStringLiteral("教材科")}};
    for (const WriteCase &c : Cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Ini::withValues(QString::fromUtf8(c.before), QStringLiteral("Mail"), values)
                      .toStdString(),
                  c.after);
    }
}

TEST(IniWriter, KeepsTheFilesEncodingAndWhatTheReaderReadsBack)
{
    QTemporaryDir dir;
    const QString gbkPath = dir.filePath(QStringLiteral("gbk.dbm"));
    const QString utf8Path = dir.filePath(QStringLiteral("utf8.dbm"));
    const QString text = QStringLiteral("[All]\r\napptitle=征订 教材征订系统\r\n");
    for (const auto &[path, bytes] : {std::pair{gbkPath, Gbk::encode(text)},
                                      std::pair{utf8Path, text.toUtf8()}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    for (const QString &path : {gbkPath, utf8Path}) {
        Ini::writeValues(path, QStringLiteral("Mail"),
                         {{QStringLiteral("sFromName"), QStringLiteral("教材科")}});
        EXPECT_EQ(Ini::readValue(path, QStringLiteral("mail"), QStringLiteral("sfromname")),
                  QStringLiteral("教材科"));
        EXPECT_EQ(Ini::readValue(path, QStringLiteral("All"), QStringLiteral("apptitle")),
                  QStringLiteral("征订 教材征订系统"));
    }
    QFile gbk(gbkPath);
    ASSERT_TRUE(gbk.open(QIODevice::ReadOnly));
    EXPECT_EQ(gbk.readAll(), Gbk::encode(text + QStringLiteral("\r\n[Mail]\r\nsFromName=教材科\r\n")));
}

TEST(IniWriter, RefusesWhatTheReaderCouldNotReadBackAndLeavesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("syscfg.dbm"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Mail]\nsServer=a\n");
    }
    for (const QString &bad : {QString(100, u'x'), QString(50, u'汉'), QStringLiteral("a\nb")}) {
        EXPECT_THROW(Ini::writeValues(path, QStringLiteral("Mail"),
                                      {{QStringLiteral("sServer"), bad}}),
                     AppError);
    }
    EXPECT_EQ(Ini::readValue(path, QStringLiteral("Mail"), QStringLiteral("sServer")),
              QStringLiteral("a"));
}

} // namespace
