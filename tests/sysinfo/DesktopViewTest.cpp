// View through the desktop's real launcher, and a report of 10 MB end to end.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sys/stat.h>

#include "tests/support/windows/TicketWindow.h"

using TestSupport::FileExists;
using TestSupport::ReadFile;
using TestSupport::TempDir;
using TestSupport::WriteFile;

namespace {

// Sets environment variables for one test and puts the old values back.
class EnvironmentOverride {
public:
    void Set(const char* name, const QByteArray& value)
    {
        if (!saved.count(name))
            saved[name] = qEnvironmentVariableIsSet(name) ? std::make_pair(true, qgetenv(name))
                                                          : std::make_pair(false, QByteArray());
        qputenv(name, value);
    }
    void Unset(const char* name)
    {
        Set(name, QByteArray());
        qunsetenv(name);
    }
    ~EnvironmentOverride()
    {
        for (const auto& [name, value] : saved) {
            if (value.first)
                qputenv(name.c_str(), value.second);
            else
                qunsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::pair<bool, QByteArray>> saved;
};

TEST(DesktopViewTest, viewStartsTheDesktopsDefaultHandlerForHtml)
{
    TempDir xdg;
    const std::string configHome = xdg.File("config");
    const std::string dataHome = xdg.File("data");
    const std::string home = xdg.File("home");
    ASSERT_EQ(TestSupport::RunCommand("mkdir -p '" + configHome + "' '" + dataHome + "/applications' '" + home + "'"),
              0);
    const std::string recorded = xdg.File("recorded.txt");
    const std::string copied = xdg.File("copied.html");
    const std::string script = xdg.File("record-url.sh");
    // The handler records its arguments and a copy of the file it was given,
    // then renames the record into place so that the test never reads half of it.
    WriteFile(script,
              "#!/bin/sh\n"
              "target=\"$1\"\n"
              "case \"$target\" in file://*) target=\"${target#file://}\" ;; esac\n"
              "cp \"$target\" '" +
                  copied +
                  "'\n"
                  "printf '%s\\n' \"$@\" > '" +
                  recorded +
                  ".part'\n"
                  "mv '" +
                  recorded + ".part' '" + recorded + "'\n");
    chmod(script.c_str(), 0755);
    WriteFile(dataHome + "/applications/velmora-record-url.desktop",
              "[Desktop Entry]\nType=Application\nName=Record URL\nExec=" + script +
                  " %u\nMimeType=text/html;\nNoDisplay=true\n");
    WriteFile(configHome + "/mimeapps.list",
              "[Default Applications]\ntext/html=velmora-record-url.desktop\n"
              "application/xhtml+xml=velmora-record-url.desktop\n");

    EnvironmentOverride environment;
    environment.Set("HOME", home.c_str());
    environment.Set("XDG_CONFIG_HOME", configHome.c_str());
    environment.Set("XDG_DATA_HOME", dataHome.c_str());
    environment.Set("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    environment.Unset("XDG_CURRENT_DESKTOP");
    environment.Unset("DESKTOP_SESSION");
    environment.Unset("KDE_FULL_SESSION");
    environment.Unset("GNOME_DESKTOP_SESSION_ID");
    environment.Unset("BROWSER");
    // xdg-open looks up the default handler only when a display is named.
    if (qgetenv("DISPLAY").isEmpty() && qgetenv("WAYLAND_DISPLAY").isEmpty())
        environment.Set("DISPLAY", ":99");

    TicketWindow window;
    window.fake.useDesktopLauncher = true;
    window.ImportReport("<!DOCTYPE html>\n<html><head><title>Report</title></head><body>Disk C</body></html>\n");
    window.fake.messages.clear();
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_TRUE(window.fake.messages.isEmpty()) << window.fake.messages.join("; ").toStdString();

    QElapsedTimer waited;
    waited.start();
    while (!FileExists(recorded) && waited.elapsed() < 20000) {
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    ASSERT_TRUE(FileExists(recorded)) << "the default handler did not run within 20 s";
    const std::string path = window.Form().GetPaths().TemporaryReportFile.toStdString();
    const std::string argument = ReadFile(recorded);
    std::cout << "the default handler was given: " << argument;
    EXPECT_TRUE(argument == path + "\n" || argument == "file://" + path + "\n") << argument;
    // The handler saw the file View wrote.
    EXPECT_EQ(ReadFile(copied), ReadFile(path));
    EXPECT_EQ(window.ViewedReport(), window.Form().GetSystemInfoText());
}

double Milliseconds(QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

TEST(LargeReportTest, tenMegabyteReportImportsSavesReopensAndViews)
{
    // Written with CR LF line breaks, as the tools that make such reports do.
    std::string report = "<html><body><table>\r\n";
    std::string expected = "<html><body><table>\n";
    for (int row = 0; report.size() < 10 * 1024 * 1024; ++row) {
        const std::string line = "<tr><td>Device " + std::to_string(row) +
            "</td><td>PCI\\VEN_8086&amp;DEV_7190 Intel 82443BX Pentium(R) II to PCI Bridge</td></tr>";
        report += line + "\r\n";
        expected += line + "\n";
    }
    report += "</table></body></html>";
    expected += "</table></body></html>\n";

    TicketWindow window;
    const std::string file = window.Work().File("large.htm");
    WriteFile(file, report);
    DBFrameWork::TicketRecord ticket = TypedTicket();
    ticket.Customer.Name = "Large Report";
    window.Form().NewFileMenuClick();
    window.Fill(ticket);

    QElapsedTimer timer;
    timer.start();
    window.fake.QueueFile(QString::fromStdString(file));
    window.Find<QPushButton>("ImportSysInfoButton")->click();
    const double importTime = Milliseconds(timer);
    ASSERT_TRUE(window.Form().GetSystemInfoText() == expected);

    timer.restart();
    ASSERT_TRUE(window.Form().SaveProblem());
    const double saveTime = Milliseconds(timer);
    const int32_t id = window.Form().GetProblemID();

    window.SaveTicket(TypedTicket());
    timer.restart();
    window.OpenByName("Large");
    const double openTime = Milliseconds(timer);
    ASSERT_EQ(window.Form().GetProblemID(), id);
    ASSERT_TRUE(window.Form().GetSystemInfoText() == expected);

    timer.restart();
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    const double viewTime = Milliseconds(timer);
    EXPECT_TRUE(window.ViewedReport() == expected);

    std::cout << "10 MB report (" << expected.size() << " bytes): import " << importTime << " ms, save " << saveTime
              << " ms, reopen (search, choose, open) " << openTime << " ms, view " << viewTime << " ms" << std::endl;
}

}  // namespace
