#include "tests/support/windows/FakeInteraction.h"

#include <QPrinter>

FakeInteraction::FakeInteraction()
{
    Interaction::SetBackend(this);
}

FakeInteraction::~FakeInteraction()
{
    Interaction::SetBackend(nullptr);
}

bool FakeInteraction::OpenFile(const Interaction::OpenFileRequest& request, QString& chosenPath)
{
    fileRequests.push_back(request);
    return TakeFileAnswer(chosenPath);
}

bool FakeInteraction::OpenFiles(const Interaction::OpenFileRequest& request, QStringList& chosenPaths)
{
    fileRequests.push_back(request);
    QString answer;
    if (!TakeFileAnswer(answer))
        return false;
    chosenPaths = answer.split('\n');
    return true;
}

bool FakeInteraction::AskText(const QString& prompt, QString& text)
{
    textPrompts.append(prompt);
    if (textAnswers.empty())
        return false;
    text = textAnswers.front();
    textAnswers.pop_front();
    return true;
}

bool FakeInteraction::Confirm(const QString& text)
{
    questions.append(text);
    return confirmAnswer;
}

bool FakeInteraction::SaveFile(const Interaction::OpenFileRequest& request, QString& chosenPath)
{
    saveRequests.push_back(request);
    return TakeFileAnswer(chosenPath);
}

bool FakeInteraction::TakeFileAnswer(QString& chosenPath)
{
    if (fileAnswers.empty())
        return false;
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.isEmpty())
        return false;
    chosenPath = answer;
    return true;
}

bool FakeInteraction::OpenUrl(const QString& url)
{
    openedUrls.append(url);
    if (useDesktopLauncher)
        return Interaction::DesktopBackend().OpenUrl(url);
    return urlLaunchSucceeds;
}

bool FakeInteraction::ChoosePrinter(QPrinter& printer, Interaction::PrintRequest& request)
{
    ++printDialogs;
    printRequests.push_back(request);
    // A box not shown cannot be ticked.
    request.includePhotos = request.offerPhotos && printPhotosAnswer;
    if (printAnswer.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printAnswer);
    return true;
}

bool FakeInteraction::SetUpPage(QPrinter&)
{
    ++pageSetups;
    return pageSetupAnswer;
}

bool FakeInteraction::AskServerLogin(Interaction::ServerLoginRequest& request)
{
    loginRequests.push_back(request);
    if (loginAnswers.empty())
        return false;
    const Interaction::ServerLoginRequest answer = loginAnswers.front();
    loginAnswers.pop_front();
    request.user = answer.user;
    request.password = answer.password;
    request.remember = answer.remember;
    return true;
}
