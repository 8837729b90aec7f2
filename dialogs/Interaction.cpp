#include "dialogs/Interaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "dialogs/ServerLoginDialogUnit.h"

namespace Interaction {

void NameApplication()
{
    QCoreApplication::setApplicationName("Velmora Solutions Database");
}

namespace {

QString title()
{
    return QApplication::applicationDisplayName();
}

// The open and the save dialog differ only in what they accept.
bool RunFileDialog(const OpenFileRequest& request, QFileDialog::FileMode mode, QFileDialog::AcceptMode accept,
                   QStringList& chosenPaths)
{
    QFileDialog dialog(nullptr, QString(), request.initialFolder);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    dialog.setDefaultSuffix(request.defaultExtension);
    const QStringList filters = ToolkitFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosenPaths = dialog.selectedFiles();
    return true;
}

bool RunFileDialog(const OpenFileRequest& request, QFileDialog::FileMode mode, QFileDialog::AcceptMode accept,
                   QString& chosenPath)
{
    QStringList chosen;
    if (!RunFileDialog(request, mode, accept, chosen))
        return false;
    chosenPath = chosen.first();
    return true;
}

class Desktop final : public Backend {
public:
    void ShowMessage(const QString& text) override
    {
        QMessageBox::information(QApplication::activeWindow(), title(), text);
    }

    void ShowError(const QString& text) override { QMessageBox::critical(QApplication::activeWindow(), title(), text); }

    bool OpenFile(const OpenFileRequest& request, QString& chosenPath) override
    {
        return RunFileDialog(request, QFileDialog::ExistingFile, QFileDialog::AcceptOpen, chosenPath);
    }

    bool OpenFiles(const OpenFileRequest& request, QStringList& chosenPaths) override
    {
        return RunFileDialog(request, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen, chosenPaths);
    }

    bool AskText(const QString& prompt, QString& text) override
    {
        bool accepted = false;
        const QString answer = QInputDialog::getText(QApplication::activeWindow(), title(), prompt, QLineEdit::Normal,
                                                     text, &accepted);
        if (accepted)
            text = answer;
        return accepted;
    }

    bool Confirm(const QString& text) override
    {
        return QMessageBox::question(QApplication::activeWindow(), title(), text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

    bool SaveFile(const OpenFileRequest& request, QString& chosenPath) override
    {
        return RunFileDialog(request, QFileDialog::AnyFile, QFileDialog::AcceptSave, chosenPath);
    }

    bool ChoosePrinter(QPrinter& printer, PrintRequest& request) override
    {
        request.includePhotos = false;
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        // Declared after the dialog, so that it goes first, whoever its parent is then.
        std::unique_ptr<QWidget> photosTab;
        QCheckBox* photos = nullptr;
        if (request.offerPhotos) {
            photosTab = std::make_unique<QWidget>();
            photosTab->setWindowTitle("Photos");
            photos = new QCheckBox("Include the ticket's photos", photosTab.get());
            photos->setObjectName("IncludePhotosCheckBox");
            auto* layout = new QVBoxLayout(photosTab.get());
            layout->addWidget(photos);
            layout->addStretch();
            dialog.setOptionTabs({photosTab.get()});
        }
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.includePhotos = photos && photos->isChecked();
        return true;
    }

    bool SetUpPage(QPrinter& printer) override
    {
        QPageSetupDialog dialog(&printer, QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted;
    }

    bool AskServerLogin(ServerLoginRequest& request) override
    {
        TServerLoginDialog dialog(QApplication::activeWindow(), request);
        return dialog.Execute(request);
    }

    bool OpenUrl(const QString& url) override
    {
        // The URL is the local path as it stands, without escaping.
        if (QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode)))
            return true;
        // Some platform plugins (offscreen, Wayland without a portal) have no
        // launcher of their own; the desktop's xdg-open still knows the handler.
        return QProcess::startDetached("xdg-open", {url});
    }
};

Backend* current = nullptr;

}  // namespace

bool Backend::Confirm(const QString&)
{
    return false;
}

bool Backend::AskText(const QString&, QString&)
{
    return false;
}

bool Backend::OpenFiles(const OpenFileRequest&, QStringList&)
{
    return false;
}

bool Backend::SaveFile(const OpenFileRequest&, QString&)
{
    return false;
}

bool Backend::ChoosePrinter(QPrinter&, PrintRequest&)
{
    return false;
}

bool Backend::SetUpPage(QPrinter&)
{
    return false;
}

bool Backend::AskServerLogin(ServerLoginRequest&)
{
    return false;
}

Backend& DesktopBackend()
{
    static Desktop desktop;
    return desktop;
}

void SetBackend(Backend* backend)
{
    current = backend;
}

Backend& Current()
{
    return current ? *current : DesktopBackend();
}

QStringList ToolkitFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(';', ' ');
        const QString name = parts.at(i).section('(', 0, 0).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return filters;
}

}  // namespace Interaction
