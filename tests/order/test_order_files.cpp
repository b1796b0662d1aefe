// The two files an order is written to, the workbook and the order text, behave the same
// where they cannot be written: the cause is named, nothing is left behind, and a file that
// was there (read-only, or replaced by a write that fails halfway) stays as it was.
#include "order_samples.h"
#include "file_size_limit.h"

#include "common/app_error.h"
#include "order/order_text.h"
#include "order/order_workbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Writer {
    const char *what;
    QString name;
    QString firstLine;   // the writer's own first line before the cause; empty: none
    QString fullDisk;    // what it says when the disk fills up midway: where it was writing
    std::function<void(const QString &)> write;
};

TEST(OrderFiles, AFileThatCannotBeWrittenNamesTheCauseAndTheOldFileStaysWhole)
{
    const Writer writers[] = {
        // The workbook is made in the temporary folder first, so that is where the disk fills.
        {"workbook", QStringLiteral("order.xlsx"), QStringLiteral("该文件可能正在使用，无法导入！"),
         QStringLiteral("无法在临时文件夹"),
         [](const QString &path) {
             OrderWorkbook::ExportOrderWorkbook(sampleOrder(), OrderSource::Wizard, path);
         }},
        {"order text", QStringLiteral("order.xls"), QString(), QStringLiteral("文件超出了系统允许的大小"),
         [](const QString &path) { OrderText::writeFile(path, sampleOrder(), OrderSource::Wizard); }},
    };
    const QByteArray old(3000, 'o');   // what stood there before
    const bool administrator = ::geteuid() == 0;

    enum Setup { FolderWhereTheFileGoes, RemovedFolder, ClosedFolder, ReadOnlyFile, DiskFullMidway };
    const struct {
        const char *what;
        Setup setup;
        QString cause;   // a part of the second line
    } cases[] = {
        {"a folder where the file should go", FolderWhereTheFileGoes, QStringLiteral("是一个文件夹")},
        {"a removed folder", RemovedFolder, QStringLiteral("不存在")},
        {"a folder without write permission", ClosedFolder, QStringLiteral("没有写入文件夹")},
        {"an existing read-only file", ReadOnlyFile, QStringLiteral("是只读的")},
        {"the disk full while replacing", DiskFullMidway, QString()},   // the writer's fullDisk
    };
    for (const Writer &w : writers) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(w.what) + ": " + c.what);
            if (c.setup == ClosedFolder && administrator)
                continue;   // every permission lets the administrator through
            QTemporaryDir dir;
            QString target = dir.filePath(w.name);
            switch (c.setup) {
            case FolderWhereTheFileGoes:
                ASSERT_TRUE(QDir(dir.path()).mkdir(w.name));
                break;
            case RemovedFolder:
                ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("gone")));
                target = dir.filePath(QStringLiteral("gone/") + w.name);
                ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("gone"))).removeRecursively());
                break;
            case ClosedFolder:
                ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("closed")));
                target = dir.filePath(QStringLiteral("closed/") + w.name);
                ASSERT_TRUE(QFile::setPermissions(dir.filePath(QStringLiteral("closed")),
                                                  QFile::ReadOwner | QFile::ExeOwner));
                break;
            case ReadOnlyFile:
            case DiskFullMidway: {
                QFile f(target);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(old);
                f.close();
                if (c.setup == ReadOnlyFile) {
                    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
                }
                break;
            }
            }
            const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

            QString text;
            try {
                if (c.setup == DiskFullMidway) {
                    FileSizeLimit full(200);   // smaller than either new file
                    ASSERT_TRUE(full.ok());
                    w.write(target);
                } else {
                    w.write(target);
                }
                ADD_FAILURE() << "no error";
            } catch (const AppError &e) {
                text = e.text();
            }
            QStringList lines = text.split(u'\n');
            if (!w.firstLine.isEmpty()) {
                EXPECT_EQ(lines.value(0), w.firstLine);
                lines.removeFirst();
            }
            ASSERT_EQ(lines.size(), 1) << text.toStdString();
            EXPECT_TRUE(lines[0].startsWith(QStringLiteral("无法写入文件 %1：").arg(QDir::toNativeSeparators(target))))
                << text.toStdString();
            EXPECT_TRUE(lines[0].contains(c.setup == DiskFullMidway ? w.fullDisk : c.cause)) << text.toStdString();

            if (c.setup == ReadOnlyFile || c.setup == DiskFullMidway) {
                EXPECT_EQ(contents(target), old);
            }
            if (c.setup == FolderWhereTheFileGoes) {
                EXPECT_TRUE(QFileInfo(target).isDir());
            }
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
            QFile::setPermissions(dir.filePath(QStringLiteral("closed")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
}

} // namespace
