// Reports saved by Windows tools in UTF-16, and files that are no text at all,
// imported and viewed through the window.
#include <QPushButton>
#include <QString>
#include <QStringEncoder>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/windows/TicketWindow.h"

using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace {

const QString NotText = "This file is not a text report and was not imported.";

constexpr auto LittleEndian = QStringConverter::Utf16LE;
constexpr auto BigEndian = QStringConverter::Utf16BE;

// The bytes of a UTF-8 text saved as UTF-16, with or without a byte order mark.
std::string Utf16(const std::string& utf8, QStringConverter::Encoding encoding, bool bom)
{
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return QByteArray(encoder(QString::fromStdString(utf8))).toStdString();
}

std::string Repeat(const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

// Latin, euro sign, dash, CJK and a character outside the 16-bit plane.
const std::string Body = "<body>Gr\xC3\xB6\xC3\x9F"
                         "e \xE2\x82\xAC \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC "
                         "\xF0\x9F\x98\x80 charset=utf-16 in the body stays</body></html>";
// Several 64 KB pieces once stored.
const std::string Rows = Repeat("<tr><td>Gr\xC3\xB6\xC3\x9F"
                                "e</td><td>\xF0\x9F\x98\x80</td></tr>\r\n",
                                5000);
const std::string RowsStored = Repeat("<tr><td>Gr\xC3\xB6\xC3\x9F"
                                      "e</td><td>\xF0\x9F\x98\x80</td></tr>\n",
                                      5000);

struct Case {
    const char* name;
    std::string file;
    std::string stored;  // empty: refused, the earlier report stays
};

const Case Cases[] = {
    {"UTF-16LE with BOM",
     Utf16("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-16\">"
           "<title>PC</title></head>\r\n" +
               Body + "\r\n" + Rows,
           LittleEndian, true),
     "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
     "<title>PC</title></head>\n" +
         Body + "\n" + RowsStored},
    {"UTF-16BE with BOM", Utf16("<html><head><meta charset=\"unicode\"></head>\r\n" + Body, BigEndian, true),
     "<html><head><meta charset=\"utf-8\"></head>\n" + Body + "\n"},
    {"UTF-16LE without BOM", Utf16("<HTML><HEAD><META CHARSET=utf-16></HEAD>" + Body, LittleEndian, false),
     "<HTML><HEAD><META CHARSET=utf-8></HEAD>" + Body + "\n"},
    {"UTF-16BE without BOM", Utf16("<html>\n" + Body + "\n", BigEndian, false), "<html>\n" + Body + "\n"},
    // UTF-8 and 8-bit files keep every byte, their BOM and charset included.
    {"UTF-8 with BOM", "\xEF\xBB\xBF<html><head><meta charset=\"utf-16\"></head>\r\n" + Body + "\r\n",
     "\xEF\xBB\xBF<html><head><meta charset=\"utf-16\"></head>\n" + Body + "\n"},
    {"Windows-1252",
     "<html><head><meta charset=\"windows-1252\"></head><p>Gr\xF6\xDF"
     "e \x80 \x97</p>\r\n",
     "<html><head><meta charset=\"windows-1252\"></head><p>Gr\xF6\xDF"
     "e \x80 \x97</p>\n"},
    {"binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10", 20), ""},
    {"UTF-16 holding a zero character", Utf16(std::string("<p>\0</p>", 8), LittleEndian, true), ""},
};

const std::string EarlierReport = "<p>earlier</p>\n";

class ReportEncodingTest : public ::testing::Test {
protected:
    std::string TemporaryReport() { return window.ViewedReport(); }
    void QueueFile(const std::string& content)
    {
        const std::string path = window.Work().File("chosen.htm");
        WriteFile(path, content);
        window.fake.QueueFile(QString::fromStdString(path));
    }

    TicketWindow window;
};

TEST_F(ReportEncodingTest, eachReportIsImportedSavedReopenedAndViewedWhole)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        const bool refused = c.stored.empty();
        const std::string expected = refused ? EarlierReport : c.stored;
        DBFrameWork::TicketRecord ticket = TypedTicket();
        ticket.Customer.Name = std::string("Customer ") + c.name;
        ticket.SystemInfo.Report = EarlierReport;
        const int32_t id = window.SaveTicket(ticket);

        QueueFile(c.file);
        window.Find<QPushButton>("ImportSysInfoButton")->click();
        EXPECT_EQ(window.fake.messages,
                  QStringList({refused ? NotText : QString("Import successful, don't forget to save.")}));
        window.fake.messages.clear();
        EXPECT_TRUE(window.Form().GetSystemInfoText() == expected);
        ASSERT_TRUE(window.Form().SaveProblem());
        EXPECT_TRUE(window.StoredReport(id) == expected) << window.StoredReport(id).size() << " bytes stored";

        window.SaveTicket(TypedTicket());
        window.OpenByName(QString::fromStdString(ticket.Customer.Name));
        ASSERT_EQ(window.Form().GetProblemID(), id);
        EXPECT_TRUE(window.Form().GetSystemInfoText() == expected);
        window.Find<QPushButton>("ViewSysInfoButton")->click();
        EXPECT_TRUE(TemporaryReport() == expected) << TemporaryReport().size() << " bytes viewed";
        window.fake.messages.clear();
    }
}

TEST_F(ReportEncodingTest, viewWithoutAReportChoosesAFileByTheSameRule)
{
    const Case& utf16 = Cases[1];
    const Case& binary = Cases[6];
    QueueFile(binary.file);
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_EQ(window.fake.messages, QStringList({NotText}));
    EXPECT_TRUE(window.fake.openedUrls.isEmpty());
    EXPECT_EQ(window.Form().GetSystemInfoText(), "");

    window.fake.messages.clear();
    QueueFile(utf16.file);
    window.Find<QPushButton>("ViewSysInfoButton")->click();
    EXPECT_TRUE(window.fake.messages.isEmpty());
    EXPECT_EQ(window.fake.openedUrls.size(), 1);
    EXPECT_EQ(window.Form().GetSystemInfoText(), utf16.stored);
    EXPECT_EQ(TemporaryReport(), utf16.stored);
}

}  // namespace

TEST_F(ReportEncodingTest, onlyRegularFilesUpToTheLimitAreImportedAndNothingWaitsForAPipe)
{
    DBFrameWork::TicketRecord ticket = TypedTicket();
    ticket.Customer.Name = "Customer of odd files";
    ticket.SystemInfo.Report = EarlierReport;
    window.SaveTicket(ticket);

    const std::string pipe = window.Work().File("report.fifo");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string huge = window.Work().File("huge.htm");
    {
        const int fd = open(huge.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, (off_t{256} << 20) + 1), 0);  // sparse: no disk taken
        close(fd);
    }
    const struct {
        std::string path;
        QString message;
    } cases[] = {
        {pipe, "Import file is empty, import aborted."},  // opened without waiting for a writer
        {"/dev/zero", "Import file is empty, import aborted."},  // would never end
        {window.Work().Path(), "Import file is empty, import aborted."},
        {huge, "This file is larger than 256 MB and was not imported."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        window.fake.QueueFile(QString::fromStdString(c.path));
        window.Find<QPushButton>("ImportSysInfoButton")->click();
        EXPECT_EQ(window.fake.messages, QStringList{c.message});
        window.fake.messages.clear();
        EXPECT_TRUE(window.Form().GetSystemInfoText() == EarlierReport);
    }
}
