// Every message box, error box, file dialog and URL launch of the program goes
// through here, so that tests can answer them without a person.
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace Interaction {

struct OpenFileRequest {
    QString initialFolder;
    QString defaultExtension;
    QString filter;  // "Description|patterns|Description|patterns..."
    int filterIndex = 1;  // counted from 1
};

// The login for a data file on a server, asked for when none is known.
struct ServerLoginRequest {
    QString server;  // the machine the data file path names
    QString dataFile;  // the path as configured
    QString user;  // proposed, then answered
    QString password;  // answered
    bool canRemember = false;  // a keyring answers, so "Remember" may be ticked
    bool remember = false;  // answered
};

// What the print dialog offers beside the printer, and what was answered.
struct PrintRequest {
    bool offerPhotos = false;  // the ticket has photos: the box is shown, unticked
    bool includePhotos = false;  // answered: the box was ticked
};

class Backend {
public:
    virtual ~Backend() = default;
    // The plain message box, titled with the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // The error box for an application error, titled with the application title.
    virtual void ShowError(const QString& text) = 0;
    // The open-file dialog; true with the chosen file's full path, false on cancel.
    virtual bool OpenFile(const OpenFileRequest& request, QString& chosenPath) = 0;
    // The open-file dialog taking several files; true with their full paths,
    // false on cancel. A backend that cannot ask cancels.
    virtual bool OpenFiles(const OpenFileRequest& request, QStringList& chosenPaths);
    // Opens a URL with the desktop's default handler; false when the launch failed.
    virtual bool OpenUrl(const QString& url) = 0;
    // A line of text asked for, text holding the proposal; true with the answer,
    // false on cancel. A backend that cannot ask cancels.
    virtual bool AskText(const QString& prompt, QString& text);
    // A question answered Yes (true) or No; a backend that cannot ask says No.
    virtual bool Confirm(const QString& text);
    // The save-file dialog (request.initialFolder may name the proposed file);
    // true with the chosen file's full path, false on cancel.
    virtual bool SaveFile(const OpenFileRequest& request, QString& chosenPath);
    // The print dialog for printer; true when the user chose to print, with
    // the answers in request.
    virtual bool ChoosePrinter(QPrinter& printer, PrintRequest& request);
    // The printer's page setup dialog; true when it was accepted.
    virtual bool SetUpPage(QPrinter& printer);
    // The server login dialog; true with the answers in request, false on
    // cancel. A backend that cannot ask cancels.
    virtual bool AskServerLogin(ServerLoginRequest& request);
};

// The desktop's own dialogs and launcher.
Backend& DesktopBackend();

// Replaces the backend in use; nullptr returns to the desktop's.
void SetBackend(Backend* backend);
Backend& Current();

inline void ShowMessage(const QString& text)
{
    Current().ShowMessage(text);
}
inline void ShowError(const QString& text)
{
    Current().ShowError(text);
}
inline bool OpenFile(const OpenFileRequest& request, QString& chosenPath)
{
    return Current().OpenFile(request, chosenPath);
}
inline bool OpenFiles(const OpenFileRequest& request, QStringList& chosenPaths)
{
    return Current().OpenFiles(request, chosenPaths);
}
inline bool OpenUrl(const QString& url)
{
    return Current().OpenUrl(url);
}
inline bool AskText(const QString& prompt, QString& text)
{
    return Current().AskText(prompt, text);
}
inline bool Confirm(const QString& text)
{
    return Current().Confirm(text);
}
inline bool SaveFile(const OpenFileRequest& request, QString& chosenPath)
{
    return Current().SaveFile(request, chosenPath);
}

inline bool ChoosePrinter(QPrinter& printer, PrintRequest& request)
{
    return Current().ChoosePrinter(printer, request);
}
// The print dialog with nothing beside the printer.
inline bool ChoosePrinter(QPrinter& printer)
{
    PrintRequest request;
    return ChoosePrinter(printer, request);
}
inline bool SetUpPage(QPrinter& printer)
{
    return Current().SetUpPage(printer);
}
inline bool AskServerLogin(ServerLoginRequest& request)
{
    return Current().AskServerLogin(request);
}

// Names the application "Velmora Solutions Database": the title of every
// message and error box. Only the name is set, not a display name, so that
// window titles stay the windows' own captions.
void NameApplication();

// Turns "All files (*.*)|*.*|HTML Files (*.htm;*.html)|*.htm;*.html" into the
// toolkit's filter list ("All files (*.*)", "HTML Files (*.htm *.html)").
QStringList ToolkitFilters(const QString& filter);

}  // namespace Interaction
