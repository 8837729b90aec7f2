// Answers the program's message boxes, file dialogs and URL launches in tests
// and records what was asked, so tests can check the exact texts.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "dialogs/Interaction.h"

class FakeInteraction : public Interaction::Backend {
public:
    FakeInteraction();  // installs itself
    ~FakeInteraction() override;  // restores the desktop backend

    void ShowMessage(const QString& text) override { messages.append(text); }
    void ShowError(const QString& text) override { errors.append(text); }
    bool OpenFile(const Interaction::OpenFileRequest& request, QString& chosenPath) override;
    // Takes the next queued answer, its paths separated by new lines.
    bool OpenFiles(const Interaction::OpenFileRequest& request, QStringList& chosenPaths) override;
    bool OpenUrl(const QString& url) override;
    bool Confirm(const QString& text) override;
    // Takes the next queued text answer; with none queued it is cancelled.
    bool AskText(const QString& prompt, QString& text) override;
    bool SaveFile(const Interaction::OpenFileRequest& request, QString& chosenPath) override;
    // The print dialog "prints" to the PDF file printAnswer names; an empty
    // answer cancels. An offered photo box is ticked as printPhotosAnswer
    // says. The page setup answers pageSetupAnswer.
    bool ChoosePrinter(QPrinter& printer, Interaction::PrintRequest& request) override;
    bool SetUpPage(QPrinter& printer) override;
    // The login prompt takes the next queued answer (user, password, Remember);
    // with none queued it is cancelled.
    bool AskServerLogin(Interaction::ServerLoginRequest& request) override;

    // The next file dialog answers with this path; an empty path cancels.
    void QueueFile(const QString& path) { fileAnswers.push_back(path); }

    QStringList messages;
    QStringList errors;
    std::vector<Interaction::OpenFileRequest> fileRequests;
    std::deque<QString> fileAnswers;  // a dialog with no queued answer cancels
    QStringList openedUrls;
    QStringList textPrompts;
    std::deque<QString> textAnswers;
    QStringList questions;  // every Confirm text, answered with confirmAnswer
    bool confirmAnswer = false;
    // Save dialogs take their answers from fileAnswers too.
    std::vector<Interaction::OpenFileRequest> saveRequests;
    QString printAnswer;
    int printDialogs = 0;
    bool printPhotosAnswer = false;
    std::vector<Interaction::PrintRequest> printRequests;  // as each print dialog was opened
    bool pageSetupAnswer = false;
    int pageSetups = 0;
    bool urlLaunchSucceeds = true;
    bool useDesktopLauncher = false;  // hand URLs to the real desktop launcher
    std::vector<Interaction::ServerLoginRequest> loginRequests;  // as the prompt was shown
    std::deque<Interaction::ServerLoginRequest> loginAnswers;

private:
    // Open and save dialogs answer alike: the next queued path, or a cancel.
    bool TakeFileAnswer(QString& chosenPath);
};
