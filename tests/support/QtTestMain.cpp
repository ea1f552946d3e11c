#include <gtest/gtest.h>

#include <QApplication>

// GUI tests need one application object for the whole run.
int main(int argc, char** argv) {
    // Test discovery runs the binary without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
