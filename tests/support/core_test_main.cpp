// Test programs of the core folders run with a QCoreApplication: they link the core library
// alone, so a core file that needed widgets would not build.
#include <QCoreApplication>
#include "sanitizer_defaults.h"
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("LANG"))
        qputenv("LANG", "C.UTF-8");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
