#include "support/testsupport.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// Every test program runs inside an offscreen QGuiApplication, so that images,
// fonts and painting behave as they do in the programs.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::freshRegistryForEachTest();
    return RUN_ALL_TESTS();
}
