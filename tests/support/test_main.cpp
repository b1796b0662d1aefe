// Test programs run with a QApplication on the offscreen platform, so windows can be created
// and driven with QTest without a screen.
#include <QApplication>
#include "sanitizer_defaults.h"
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("LANG"))
        qputenv("LANG", "C.UTF-8");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
