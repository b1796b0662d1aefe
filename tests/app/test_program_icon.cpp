// The application object's identity: every window shows the program's own icon from the
// resources (not the toolkit's logo), in the sizes of the installed icon theme files.
#include "app/about_dialog.h"
#include "app/zd_application_gui.h"
#include "scripted_prompter.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage packagedIcon(int size)
{
    return QImage(QStringLiteral(ZD_SOURCE_DIR "/packaging/icons/zhengding-%1.png").arg(size))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TEST(ProgramIcon, EveryWindowShowsTheProgramsOwnIcon)
{
    const QString oldName = QCoreApplication::applicationName();
    const QIcon oldIcon = QApplication::windowIcon();
    ASSERT_TRUE(oldIcon.isNull() || oldIcon.availableSizes().isEmpty()) << "the test starts without an icon";

    ZdApplication::installIdentity();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage shown = icon.pixmap(QSize(size, size)).toImage().convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
        const QImage expected = packagedIcon(size);
        ASSERT_FALSE(expected.isNull()) << size;
        EXPECT_TRUE(shown == expected) << "the " << size << " px icon is not the packaged one";
    }
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("zhengding"));

    ScriptedPrompter prompter;
    TFrmAbout about(prompter);
    EXPECT_EQ(about.windowIcon().cacheKey(), icon.cacheKey());

    QApplication::setWindowIcon(oldIcon);
    QCoreApplication::setApplicationName(oldName);
}

} // namespace
