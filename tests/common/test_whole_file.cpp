// Every file the program writes is written completely or not at all.
#include "common/app_error.h"
#include "common/whole_file.h"
#include "file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <cerrno>
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

// A write that fails after it started (the disk is full) or a read-only target: the old file
// stays whole, and a read-only one is not replaced even for the administrator.
TEST(WholeFileTest, TheOldFileStaysWholeWhenTheWriteFailsOrTheFileIsReadOnly)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.txt"));
    const QByteArray old(3000, 'o');
    const QByteArray fresh(6000, 'n');
    const struct {
        const char *what;
        QFile::Permissions mode;
        rlim_t sizeLimit;   // 0: none
        bool written;
        QString reason;     // a part of it
    } cases[] = {
        {"writable, replaced", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup, 0, true, QString()},
        {"disk full after 1000 bytes", QFile::ReadOwner | QFile::WriteOwner, 1000, false,
         QStringLiteral("文件超出了系统允许的大小")},
        {"read-only for all", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther, 0, false,
         QStringLiteral("是只读的")},
        {"read-only for its owner", QFile::ReadOwner, 0, false, QStringLiteral("是只读的")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(target);
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
        file.close();
        ASSERT_TRUE(QFile::setPermissions(target, c.mode));

        QString reason;
        bool written = false;
        if (c.sizeLimit) {
            FileSizeLimit full(c.sizeLimit);
            ASSERT_TRUE(full.ok());
            written = WholeFile::write(target, fresh, &reason);
        } else {
            written = WholeFile::write(target, fresh, &reason);
        }
        EXPECT_EQ(written, c.written);
        EXPECT_TRUE(reason.contains(c.reason)) << reason.toStdString();
        EXPECT_EQ(contents(target), c.written ? fresh : old);
        EXPECT_EQ(QFile::permissions(target) & 0x7077, c.mode);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.txt")})
            << "no temporary file is left behind";
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(WholeFileTest, AFileThatCannotBeWrittenIsToldWhyWithItsPath)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain.txt")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("a file, not a folder");
    plain.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString root = QDir::toNativeSeparators(dir.path());

    const struct {
        const char *what;
        QString target;
        QString reason;   // the whole reason, exactly
    } cases[] = {
        {"a folder that does not exist", QStringLiteral("no/such/folder/out.txt"),
         QStringLiteral("文件夹 %1/no/such/folder 不存在").arg(root)},
        {"a parent that is a file", QStringLiteral("plain.txt/out.txt"),
         QStringLiteral("%1/plain.txt 是一个文件，不是文件夹").arg(root)},
        {"a file deeper below a file", QStringLiteral("plain.txt/sub/out.txt"),
         QStringLiteral("%1/plain.txt 是一个文件，不是文件夹").arg(root)},
        {"a target that is a folder", QStringLiteral("folder"),
         QStringLiteral("%1/folder 是一个文件夹").arg(root)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = dir.filePath(c.target);
        QString reason;
        EXPECT_FALSE(WholeFile::write(target, QByteArray("x"), &reason));
        EXPECT_EQ(reason, c.reason);
        try {
            WholeFile::writeOrThrow(target, QByteArray("x"));
            ADD_FAILURE() << "no error";
        } catch (const AppError &e) {
            EXPECT_EQ(e.text(), QStringLiteral("无法写入文件 %1：%2")
                                    .arg(QDir::toNativeSeparators(target), c.reason));
        }
    }
    EXPECT_EQ(contents(plain.fileName()), QByteArray("a file, not a folder"));
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("no"))));
}

// What the system says when the folder is there: these cannot be made for real here (the
// tests run as root, which every permission lets through, and a full disk cannot be had).
TEST(WholeFileTest, SystemErrorsBecomeSentences)
{
    const QString path = QStringLiteral("/srv/zd/out.txt");
    const struct {
        int number;
        QString fallback;
        QString reason;
    } cases[] = {
        {ENOSPC, QStringLiteral("Unknown error"), QStringLiteral("磁盘空间不足")},
        {EDQUOT, QString(), QStringLiteral("磁盘空间不足")},
        {EACCES, QStringLiteral("Permission denied"), QStringLiteral("没有写入文件夹 /srv/zd 的权限")},
        {EPERM, QString(), QStringLiteral("没有写入文件夹 /srv/zd 的权限")},
        {EROFS, QString(), QStringLiteral("/srv/zd 所在的磁盘是只读的")},
        {ENOENT, QString(), QStringLiteral("文件夹 /srv/zd 不存在")},
        {EIO, QString(), QStringLiteral("磁盘读写出错")},
        // No sentence of its own: the library's words, unless they say nothing.
        {EMFILE, QStringLiteral("Too many open files"), QStringLiteral("Too many open files")},
        {0, QStringLiteral("Unknown error"), QStringLiteral("系统没有说明原因")},
        {0, QString(), QStringLiteral("系统没有说明原因")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(WholeFile::reasonText(path, c.number, c.fallback), c.reason);
    }
    const QString unnamed = WholeFile::reasonText(path, EMFILE, QStringLiteral("Unknown error"));
    EXPECT_TRUE(unnamed.startsWith(QStringLiteral("系统错误 %1（").arg(EMFILE))) << unnamed.toStdString();
}

} // namespace

namespace {

TEST(WholeFileTest, AFileThatCannotBeReadIsToldWhyInChinese)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain.txt")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("x");
    plain.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString root = QDir::toNativeSeparators(dir.path());
    const struct {
        const char *relative;
        const char *fallback;
        QString reason;
    } cases[] = {
        {"missing.txt", "", QStringLiteral("文件不存在")},
        {"gone/missing.txt", "", QStringLiteral("文件夹 %1/gone 不存在").arg(root)},
        {"plain.txt/inner.txt", "", QStringLiteral("%1/plain.txt 是一个文件，不是文件夹").arg(root)},
        {"folder", "", QStringLiteral("%1/folder 是一个文件夹，不是文件").arg(root)},
        {"plain.txt", "图片格式无法识别或文件已损坏", QStringLiteral("图片格式无法识别或文件已损坏")},
        {"plain.txt", "", QStringLiteral("读取文件时出错")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WholeFile::readReason(dir.filePath(QString::fromUtf8(c.relative)), QString::fromUtf8(c.fallback)),
                  c.reason)
            << c.relative;
}

} // namespace
