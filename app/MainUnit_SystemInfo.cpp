// The system-information report: imported from a file, viewed in the browser.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>

#include "app/MainUnit.h"
#include "app/ReportText.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/Interaction.h"

namespace {

const char* const NotTextReportMessage = "This file is not a text report and was not imported.";

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

    // A file that cannot be opened (a folder too) reads as empty.
    QFile file(chosenPath);
    if (!file.open(QIODevice::ReadOnly))
        return ReportFile::Read;
    const QByteArray bytes = file.readAll();
    std::optional<std::string> report = ReportText::FromFileBytes(bytes.toStdString());
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
        if (read == ReportFile::NotText) {
            Interaction::ShowMessage(NotTextReportMessage);
            return;
        }
        if (read == ReportFile::Read && !text.empty())
            SystemInfoText = std::move(text);
    }

    const QString path = Paths.TemporaryReportFile;
    if (QFile::exists(path))
        QFile::remove(path);
    // An installed copy's report folder is made on first use.
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        std::ofstream file(path.toStdString(), std::ios::binary | std::ios::trunc);
        file.write(SystemInfoText.data(), static_cast<std::streamsize>(SystemInfoText.size()));
        file.close();
        // The browser then shows whatever the file holds; the user sees no message.
        if (!file)
            DBFrameWork::OutputDebugString("Unable to write the report file " + path.toStdString());
    }

    url += path;
    if (!Interaction::OpenUrl(url))
        Interaction::ShowMessage("Error launching browser to handle the link!");
}
