#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Listing the cases must work without a display, as running them does.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
