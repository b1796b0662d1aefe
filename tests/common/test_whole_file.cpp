// Every file the program writes is written completely or not at all.
#include "common/app_error.h"
#include "common/whole_file.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(WholeFileTest, ReplacesTheTargetOnlyWhenEverythingWasWritten)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.txt"));
    const struct {
        const char *what;
        WholeFile::Writer writer;
        bool written;
        const char *reason;
    } cases[] = {
        {"complete", [](QIODevice &d, QString *) { return d.write("new text") == 8; }, true, ""},
        {"writer gives up", [](QIODevice &d, QString *error) {
             d.write("half");
             *error = QStringLiteral("报表为空");
             return false;
         }, false, "报表为空"},
    };
    for (const auto &c : cases) {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("old text");
        old.close();

        QString reason;
        EXPECT_EQ(WholeFile::write(target, c.writer, &reason), c.written) << c.what;
        EXPECT_EQ(reason, QString::fromUtf8(c.reason)) << c.what;
        EXPECT_EQ(contents(target), c.written ? QByteArray("new text") : QByteArray("old text")) << c.what;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("out.txt")})
            << c.what << ": no temporary file is left behind";
    }
}

TEST(WholeFileTest, AFileThatCannotBeWrittenIsToldWithItsPath)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("no/such/folder/out.txt"));
    QString reason;
    EXPECT_FALSE(WholeFile::write(target, QByteArray("x"), &reason));
    EXPECT_FALSE(reason.isEmpty());
    try {
        WholeFile::writeOrThrow(target, QByteArray("x"));
        ADD_FAILURE() << "no error";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("无法写入文件 "))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("out.txt")));
    }
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace
