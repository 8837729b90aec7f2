#include <QApplication>
#include <gtest/gtest.h>

#include "dialogs/Interaction.h"
#include "ibpp/ibpp.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // A bus that is not there: the tests never reach a desktop's real keyring.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/velmora-tests-have-no-session-bus");
    QApplication app(argc, argv);
    Interaction::NameApplication();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    IBPP::Shutdown();
    return result;
}
