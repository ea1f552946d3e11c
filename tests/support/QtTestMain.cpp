#include <gtest/gtest.h>

#include <QApplication>

#include "support/ChildProcess.h"

// GUI tests need one application object for the whole run; a child routine needs none.
int main(int argc, char** argv) {
    if (const std::optional<int> child = vesk::test::runChildRoutine(argc, argv)) return *child;
    // Test discovery runs the binary without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
