// Import and View of the system-information report.
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/windows/TicketWindow.h"

using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace {

class SystemInfoTest : public ::testing::Test {
protected:
    // Imports a file holding content; returns the report the window then holds.
    std::string ImportContent(const std::string& content)
    {
        const std::string path = window.Work().File("report.htm");
        WriteFile(path, content);
        window.fake.QueueFile(QString::fromStdString(path));
        window.Find<QPushButton>("ImportSysInfoButton")->click();
        return window.Form().GetSystemInfoText();
    }

    std::string TemporaryReport() { return window.ViewedReport(); }

    TicketWindow window;
};

TEST_F(SystemInfoTest, importAsksForAnHtmlFileInTheProgramFolder)
{
    EXPECT_EQ(ImportContent("<html>\n"), "<html>\n");
    ASSERT_EQ(window.fake.fileRequests.size(), 1u);
    const Interaction::OpenFileRequest& request = window.fake.fileRequests[0];
    EXPECT_EQ(request.initialFolder, window.Form().GetPaths().Folder);
    EXPECT_EQ(request.defaultExtension, "htm");
    EXPECT_EQ(request.filter, "All files (*.*)|*.*|HTML Files (*.htm;*.html)|*.htm;*.html");
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(window.fake.messages, QStringList({"Import successful, don't forget to save."}));
}

TEST_F(SystemInfoTest, everyLineEndsInOneLineFeedWhateverTheFileUsed)
{
    EXPECT_EQ(ImportContent("<html>\n<body>"), "<html>\n<body>\n");
    EXPECT_EQ(ImportContent("\n\n\n"), "\n\n\n");
    EXPECT_EQ(ImportContent("one\r\ntwo\r\n"), "one\ntwo\n");
    EXPECT_EQ(ImportContent("one\r\ntwo\r\n"), ImportContent("one\ntwo\n"));
    EXPECT_EQ(ImportContent("mixed\r\nends\nhere"), "mixed\nends\nhere\n");
    // Only a carriage return before a line feed belongs to the line break.
    EXPECT_EQ(ImportContent("a\rb\r\r\nc\r"), "a\rb\r\nc\r\n");
    EXPECT_EQ(window.fake.messages.size(), 7);
}

TEST_F(SystemInfoTest, emptyOrUnreadableFileKeepsTheReport)
{
    ImportContent("<html>kept</html>\n");
    window.fake.messages.clear();

    EXPECT_EQ(ImportContent(""), "<html>kept</html>\n");
    window.fake.QueueFile(QString::fromStdString(window.Work().File("missing.htm")));
    window.Form().ImportSysInfoButtonClick();
    window.fake.QueueFile(QString::fromStdString(window.Work().Path()));  // a folder
    window.Form().ImportSysInfoButtonClick();
    EXPECT_EQ(window.fake.messages,
              QStringList({"Import file is empty, import aborted.", "Import file is empty, import aborted.",
                           "Import file is empty, import aborted."}));
    EXPECT_EQ(window.Form().GetSystemInfoText(), "<html>kept</html>\n");

    window.fake.messages.clear();
    window.Form().ImportSysInfoButtonClick();  // the dialog is cancelled
    EXPECT_TRUE(window.fake.messages.isEmpty());
    EXPECT_EQ(window.Form().GetSystemInfoText(), "<html>kept</html>\n");
}

TEST_F(SystemInfoTest, importReplacesTheReportButTheDataFileKeepsTheOldOneUntilSave)
{
    DBFrameWork::TicketRecord ticket = TypedTicket();
    ticket.SystemInfo.Report = "<html>first</html>\n";
    const int32_t id = window.SaveTicket(ticket);
    ImportContent("<html>second</html>\n");
    EXPECT_EQ(window.Form().GetSystemInfoText(), "<html>second</html>\n");
    EXPECT_EQ(window.StoredReport(id), "<html>first</html>\n");
    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.StoredReport(id), "<html>second</html>\n");
}

TEST_F(SystemInfoTest, reportIsSavedAndReopenedByteForByte)
{
    // Every byte but the zero byte (Import refuses a file holding one), past
    // the client library's 64 KB segment, with CR, tabs and invalid UTF-8.
    std::string line;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\n' && byte != '\r')
            line += static_cast<char>(byte);
    std::string report;
    while (report.size() < 200000)
        report += line + "\r inner CR\t\xC3\xA9\xFF\n";

    DBFrameWork::TicketRecord ticket = TypedTicket();
    ticket.Customer.Name = "Byte Exact";
    ticket.SystemInfo.Report = report;
    const int32_t id = window.SaveTicket(ticket);
    ASSERT_EQ(window.Form().GetSystemInfoText(), report);
    EXPECT_EQ(window.StoredReport(id), report);

    window.SaveTicket(TypedTicket());
    window.OpenByName("Byte");
    ASSERT_EQ(window.Form().GetProblemID(), id);
    EXPECT_TRUE(window.Form().GetSystemInfoText() == report) << "reopened report differs";
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_TRUE(TemporaryReport() == report) << "viewed report differs";
}

TEST_F(SystemInfoTest, viewWithAReportWritesItAndOpensItsFileUrl)
{
    ImportContent("<html>shown</html>\n");
    window.fake.fileRequests.clear();
    window.fake.messages.clear();

    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_TRUE(window.fake.fileRequests.empty());
    EXPECT_EQ(TemporaryReport(), "<html>shown</html>\n");
    const QString path = window.Form().GetPaths().TemporaryReportFile;
    EXPECT_TRUE(path.startsWith('/'));
    EXPECT_TRUE(path.endsWith("/tmp.HTML"));
    EXPECT_EQ(window.fake.openedUrls, QStringList({"file://" + path}));
    EXPECT_TRUE(window.fake.messages.isEmpty());

    // A second View rewrites the same file with the report now held.
    ImportContent("<p>short</p>\n");
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_EQ(TemporaryReport(), "<p>short</p>\n");
    EXPECT_EQ(window.fake.openedUrls, QStringList({"file://" + path, "file://" + path}));
}

TEST_F(SystemInfoTest, viewWithoutAReportAsksForOneAndKeepsItSilently)
{
    DBFrameWork::TicketRecord ticket = TypedTicket();
    ticket.Customer.Name = "No Report Yet";
    const int32_t id = window.SaveTicket(ticket);
    ASSERT_EQ(window.Form().GetSystemInfoText(), "");

    const std::string path = window.Work().File("chosen.html");
    WriteFile(path, "<html>chosen</html>");
    window.fake.QueueFile(QString::fromStdString(path));
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_EQ(window.fake.fileRequests.size(), 1u);
    EXPECT_TRUE(window.fake.messages.isEmpty());
    EXPECT_EQ(window.Form().GetSystemInfoText(), "<html>chosen</html>\n");
    EXPECT_EQ(TemporaryReport(), "<html>chosen</html>\n");
    EXPECT_EQ(window.StoredReport(id), "");
    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.StoredReport(id), "<html>chosen</html>\n");
}

TEST_F(SystemInfoTest, viewWithoutAReportAndNoFileOpensAnEmptyPage)
{
    WriteFile(window.Form().GetPaths().TemporaryReportFile.toStdString(), "stale content");
    window.Find<QPushButton>("ViewSysInfoButton")->click();  // the dialog is cancelled
    EXPECT_EQ(window.fake.fileRequests.size(), 1u);
    EXPECT_TRUE(window.fake.messages.isEmpty());
    EXPECT_TRUE(QFile::exists(window.Form().GetPaths().TemporaryReportFile));
    EXPECT_EQ(TemporaryReport(), "");
    EXPECT_EQ(window.fake.openedUrls.size(), 1);
    EXPECT_EQ(window.Form().GetSystemInfoText(), "");
}

TEST_F(SystemInfoTest, failedLaunchIsReportedAndTheFileStays)
{
    ImportContent("<html>report</html>\n");
    window.fake.messages.clear();
    window.fake.urlLaunchSucceeds = false;
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_EQ(window.fake.messages, QStringList({"Error launching browser to handle the link!"}));
    EXPECT_EQ(TemporaryReport(), "<html>report</html>\n");
}

TEST_F(SystemInfoTest, theViewedCopyRunsNothingAndIsNeverWrittenThroughALink)
{
    const std::string report =
        "<html><head><SCRIPT src=\"http://evil.example/x.js\"></SCRIPT><script>steal()</script></head>"
        "<body onload=\"steal()\"><p class=\"a\" OnClick='x()' title=\"keep > this\">Model</p>"
        "<a href=\" Java\tScript:steal()\">link</a><a href=\"https://example.com/\">kept</a>"
        "<img src=x onerror=steal()><script>never closed";
    const std::string path = window.Form().GetPaths().TemporaryReportFile.toStdString();
    // Another user's link in place of the file, at a file of the victim's.
    const std::string victim = window.Work().File("bashrc");
    WriteFile(victim, "the victim's own file\n");
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);

    ImportContent(report);
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_EQ(ReadFile(victim), "the victim's own file\n");
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(TemporaryReport(),
              "<html><head></head><body><p class=\"a\" title=\"keep > this\">Model</p>"
              "<a>link</a><a href=\"https://example.com/\">kept</a><img src=x>");
    // The stored report keeps every byte.
    EXPECT_EQ(window.Form().GetSystemInfoText(), report + "\n");
}

}  // namespace
