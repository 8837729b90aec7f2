// The system-information report: imported from a file, viewed in the browser.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/MainUnit.h"
#include "app/ReportText.h"
#include "app/ReportView.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/Interaction.h"

namespace {

const char* const NotTextReportMessage = "This file is not a text report and was not imported.";
const char* const TooLargeReportMessage = "This file is larger than 256 MB and was not imported.";

// Far above any real report (a 100 MB one is stored whole), far below what
// would exhaust the memory.
constexpr uint64_t MaxReportBytes = uint64_t{256} << 20;

}  // namespace

TMainForm::ReportFile TMainForm::ReadReportFile(std::string& text)
{
    text.clear();
    Interaction::OpenFileRequest request;
    request.initialFolder = Paths.Folder;
    request.defaultExtension = "htm";
    request.filter = "All files (*.*)|*.*|HTML Files (*.htm;*.html)|*.htm;*.html";
    request.filterIndex = 2;
    QString chosenPath;
    if (!Interaction::OpenFile(request, chosenPath))
        return ReportFile::NoneChosen;

    // A file that cannot be opened reads as empty, and so does anything but a
    // regular file: a folder, a device that never ends, a pipe that may never
    // write (opened without waiting for a writer).
    const int fd = ::open(QFile::encodeName(chosenPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ReportFile::Read;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return ReportFile::Read;
    if (static_cast<uint64_t>(info.st_size) > MaxReportBytes)
        return ReportFile::TooLarge;
    // Read once, into the text that is kept; a file that grows meanwhile is cut at the limit.
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > MaxReportBytes)
                return ReportFile::TooLarge;
            bytes.resize(std::min<size_t>(bytes.size() + 65536, MaxReportBytes + 1));
        }
        const ssize_t count = ::read(fd, &bytes[got], bytes.size() - got);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        got += static_cast<size_t>(count);
    }
    bytes.resize(got);
    std::optional<std::string> report = ReportText::FromFileBytes(std::move(bytes));
    if (!report)
        return ReportFile::NotText;
    text = std::move(*report);
    return ReportFile::Read;
}

void TMainForm::ImportSysInfoButtonClick()
{
    std::string text;
    const ReportFile read = ReadReportFile(text);
    if (read == ReportFile::NoneChosen)
        return;
    if (read == ReportFile::NotText) {
        Interaction::ShowMessage(NotTextReportMessage);
        return;
    }
    if (read == ReportFile::TooLarge) {
        Interaction::ShowMessage(TooLargeReportMessage);
        return;
    }
    if (text.empty()) {
        Interaction::ShowMessage("Import file is empty, import aborted.");
        return;
    }
    SystemInfoText = std::move(text);
    Interaction::ShowMessage("Import successful, don't forget to save.");
}

void TMainForm::ViewSysInfoButtonClick()
{
    QString url = "file://";
    if (SystemInfoText.empty()) {
        std::string text;
        const ReportFile read = ReadReportFile(text);
        // A file refused by Import is refused here too, and there is nothing to show.
        if (read == ReportFile::NotText || read == ReportFile::TooLarge) {
            Interaction::ShowMessage(read == ReportFile::NotText ? NotTextReportMessage : TooLargeReportMessage);
            return;
        }
        if (read == ReportFile::Read && !text.empty())
            SystemInfoText = std::move(text);
    }

    const QString path = Paths.TemporaryReportFile;
    // An installed copy's report folder is made on first use, for this user alone.
    const std::string folder = QFileInfo(path).absolutePath().toStdString();
    std::string why = "its folder cannot be made";
    // The browser then shows whatever the file holds; the user sees no message.
    if (!DBFrameWork::MakePrivateFolders(folder) ||
        !ReportView::WriteNewFile(path.toStdString(), ReportView::ShownCopy(SystemInfoText), why))
        DBFrameWork::OutputDebugString("Unable to write the report file " + path.toStdString() + ": " + why);

    url += path;
    if (!Interaction::OpenUrl(url))
        Interaction::ShowMessage("Error launching browser to handle the link!");
}
