#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Pictures are decoded and painted through the toolkit, here without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
