#include <QApplication>
#include <gtest/gtest.h>

#include "ibpp/ibpp.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Velmora Solutions Database");
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    IBPP::Shutdown();
    return result;
}
