// The system-information report: imported from a file, viewed in the browser.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/Interaction.h"

bool TMainForm::ReadReportFile(std::string& text)
{
    text.clear();
    Interaction::OpenFileRequest request;
    request.initialFolder = Paths.Folder;
    request.defaultExtension = "htm";
    request.filter = "All files (*.*)|*.*|HTML Files (*.htm;*.html)|*.htm;*.html";
    request.filterIndex = 2;
    QString chosenPath;
    if (!Interaction::OpenFile(request, chosenPath))
        return false;

    // A file that cannot be opened reads as empty.
    std::ifstream file(chosenPath.toStdString(), std::ios::binary);
    if (!file)
        return true;
    // Reports come from Windows tools as often as not: a line break may be
    // CR LF, and the report keeps one line feed per line either way.
    std::string line;
    while (std::getline(file, line)) {
        const bool endedByLineFeed = !file.eof();
        if (endedByLineFeed && !line.empty() && line.back() == '\r')
            line.pop_back();
        text += line;
        text += '\n';
    }
    return true;
}

void TMainForm::ImportSysInfoButtonClick()
{
    std::string text;
    if (!ReadReportFile(text))
        return;
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
        if (ReadReportFile(text) && !text.empty())
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
