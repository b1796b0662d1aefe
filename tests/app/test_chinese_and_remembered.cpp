// The toolkit's own texts are Chinese, zhengding-admin speaks Chinese, and the main window and
// the save dialogs remember where the user left them.
#include "remembering_settings.h"

#include "app/qt_prompter_gui.h"
#include "app/window_memory_gui.h"
#include "common/toolkit_translation.h"
#include "common/user_settings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

TEST(ToolkitTranslationTest, StandardButtonsAndTheFileDialogSpeakChinese)
{
    ASSERT_TRUE(ToolkitTranslation::install(qApp));
    EXPECT_TRUE(ToolkitTranslation::install(qApp));   // a second call adds nothing
    EXPECT_EQ(qApp->findChildren<QTranslator *>().size(), 1);

    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("保存"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));

    QFileDialog dialog(nullptr, QStringLiteral("保存"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("查找范围："))) << labels.join(u'|').toStdString();
    EXPECT_FALSE(labels.contains(QStringLiteral("Look in:")));

    // The other tests of this program see the toolkit as they always did.
    qDeleteAll(qApp->findChildren<QTranslator *>());
    EXPECT_EQ(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
              QStringLiteral("Cancel"));
}

struct AdminRun {
    int code = -1;
    QString out;
    QString err;
};

AdminRun runAdmin(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ZD_ADMIN), args);
    AdminRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(AdminToolLanguageTest, UsageOptionsAndRefusalsAreChineseWhileOptionsKeepTheirNames)
{
    const AdminRun help = runAdmin({QStringLiteral("--help")});
    ASSERT_EQ(help.code, 0) << help.err.toStdString();
    for (const char *word : {"用法：", "选项：", "参数：", "显示本帮助后退出。", "显示版本后退出。", "--config <FILE>",
                             "--titles <N>", "--force", "-h, --help"})
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(word))) << word << "\n" << help.out.toStdString();
    for (const char *word : {"Usage", "Options", "Arguments", "Displays", "help-all"})
        EXPECT_FALSE(help.out.contains(QString::fromUtf8(word))) << word;

    const struct {
        QStringList args;
        const char *says;
    } refusals[] = {
        {{QStringLiteral("--bogus")}, "未知选项"},
        {{QStringLiteral("demo"), QStringLiteral("--titles")}, "缺少值"},
        {{}, "缺少命令"},
    };
    for (const auto &c : refusals) {
        const AdminRun r = runAdmin(c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("用 zhengding-admin --help 查看用法。"))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("Unknown"))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("Missing"))) << r.err.toStdString();
    }
}

TEST(WindowMemoryTest, TheMainWindowComesBackWhereTheUserLeftIt)
{
    RememberingSettings config;
    auto make = [] {
        auto w = std::make_unique<QMainWindow>();
        w->setObjectName(QStringLiteral("FrmMain"));
        QToolBar *bar = w->addToolBar(QStringLiteral("工具栏"));
        bar->setObjectName(QStringLiteral("CoolBar1"));
        return w;
    };
    auto first = make();
    EXPECT_FALSE(WindowMemory::restore(*first));   // nothing remembered yet
    first->setGeometry(40, 50, 640, 420);
    first->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first.get()));
    first->findChild<QToolBar *>()->hide();
    const QRect where = first->geometry();
    first->close();
    WindowMemory::save(*first);
    first.reset();

    auto second = make();
    ASSERT_TRUE(WindowMemory::restore(*second));
    second->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(second.get()));
    EXPECT_EQ(second->geometry().size(), where.size());
    EXPECT_EQ(second->geometry().topLeft(), where.topLeft());
    EXPECT_FALSE(second->findChild<QToolBar *>()->isVisible());
}

TEST(SaveFolderMemoryTest, EachSaveDialogOpensInTheFolderItSavedToLast)
{
    RememberingSettings config;
    QTemporaryDir files;
    ASSERT_TRUE(QDir(files.path()).mkpath(QStringLiteral("exports")));
    const QString exports = QDir(files.path()).filePath(QStringLiteral("exports"));
    SaveRequest request;
    request.caption = QStringLiteral("导出书目");
    request.filters = QStringLiteral("文本文件(*.txt)|*.txt");
    request.defaultSuffix = QStringLiteral("txt");
    request.suggestedName = QStringLiteral("书目.txt");

    QString seenFolder;
    // Answers the next file dialog with fileName (relative to its folder when not absolute).
    auto answer = [&seenFolder](const QString &fileName) {
        QTimer::singleShot(0, [&seenFolder, fileName] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seenFolder = dialog->directory().absolutePath();
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(fileName);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };

    QtPrompter prompter;
    answer(exports + QStringLiteral("/第一次.txt"));
    EXPECT_EQ(prompter.saveFileName(request), exports + QStringLiteral("/第一次.txt"));

    answer(QStringLiteral("第二次.txt"));
    EXPECT_EQ(prompter.saveFileName(request), exports + QStringLiteral("/第二次.txt"));
    EXPECT_EQ(seenFolder, exports);

    SaveRequest other = request;
    other.caption = QStringLiteral("导出订单");
    answer(files.path() + QStringLiteral("/订单.txt"));
    prompter.saveFileName(other);
    // The first dialog still opens in its own folder, though another one saved elsewhere since.
    answer(QStringLiteral("第三次.txt"));
    EXPECT_EQ(prompter.saveFileName(request), exports + QStringLiteral("/第三次.txt"));
    EXPECT_EQ(seenFolder, exports);
    EXPECT_EQ(UserSettings::rememberedFolder(request.caption), exports);
    EXPECT_EQ(UserSettings::rememberedFolder(other.caption), QDir(files.path()).absolutePath());

    // A folder removed since is not offered.
    ASSERT_TRUE(QDir(exports).removeRecursively());
    EXPECT_EQ(UserSettings::rememberedFolder(request.caption), QString());
}

} // namespace
