#include "app/FilesPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStyle>
#include <QTemporaryDir>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "dbframework/DBFrameWork_FileStore.h"
#include "dialogs/DocumentOutput.h"
#include "dialogs/FileIntake.h"
#include "dialogs/Interaction.h"

namespace {

const int IconSide = 128;

QString Quoted(const std::string& name)
{
    return "\"" + QString::fromStdString(name) + "\"";
}

bool WriteWhole(const QString& path, const std::string& bytes, QString& reason)
{
    QSaveFile file(path);
    if (!DocumentOutput::OpenForWriting(file) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QIcon IconFor(const DBFrameWork::TicketFileRecord& file, const QStyle& style)
{
    if (!file.Thumbnail.empty()) {
        QPixmap picture;
        if (picture.loadFromData(reinterpret_cast<const uchar*>(file.Thumbnail.data()),
                                 static_cast<uint>(file.Thumbnail.size()), "JPEG"))
            return QIcon(picture);
    }
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromStdString(file.MediaType));
    return QIcon::fromTheme(type.iconName(), style.standardIcon(QStyle::SP_FileIcon));
}

DBFrameWork::TicketFileRecord RecordOf(FileIntake::TakenFile taken)
{
    DBFrameWork::TicketFileRecord file;
    file.Name = DBFrameWork::StoredFileName(taken.Name.toStdString());
    file.MediaType = std::move(taken.MediaType);
    file.Content = std::move(taken.Bytes);
    file.Size = file.Content ? static_cast<int32_t>(file.Content->size()) : 0;
    file.Thumbnail = std::move(taken.Thumbnail);
    return file;
}

QStringList LocalFiles(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

}  // namespace

TFilesPage::TFilesPage(QWidget* parent, BytesReader readBytes) : QWidget(parent), ReadStoredBytes(std::move(readBytes))
{
    setObjectName("Files");
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    FilesListWidget = new QListWidget(this);
    FilesListWidget->setObjectName("FilesListWidget");
    FilesListWidget->setAccessibleName("The ticket's files");
    FilesListWidget->setViewMode(QListView::IconMode);
    FilesListWidget->setFlow(QListView::LeftToRight);
    FilesListWidget->setWrapping(true);
    FilesListWidget->setResizeMode(QListView::Adjust);
    FilesListWidget->setMovement(QListView::Static);
    FilesListWidget->setIconSize(QSize(IconSide, IconSide));
    // Room for the icon and the two lines under it, the name and its size and time.
    const int line = FilesListWidget->fontMetrics().height();
    FilesListWidget->setGridSize(QSize(IconSide + 72, IconSide + 3 * line + 16));
    FilesListWidget->setWordWrap(true);
    FilesListWidget->setUniformItemSizes(true);
    // Drops go to the page, which takes files in; the list would move its items.
    FilesListWidget->setAcceptDrops(false);
    FilesListWidget->setDragEnabled(false);
    layout->addWidget(FilesListWidget);

    auto* buttons = new QHBoxLayout();
    const auto button = [&](const char* name, const QString& text, void (TFilesPage::*command)()) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(name);
        connect(made, &QPushButton::clicked, this, command);
        buttons->addWidget(made);
        return made;
    };
    AddFilesButton = button("AddFilesButton", "Add Files...", &TFilesPage::AddFiles);
    KeepOriginalCheckBox = new QCheckBox("Keep original", this);
    KeepOriginalCheckBox->setObjectName("KeepOriginalCheckBox");
    KeepOriginalCheckBox->setToolTip("Photos are stored as they are, not made smaller");
    buttons->addWidget(KeepOriginalCheckBox);
    buttons->addStretch();
    OpenFileButton = button("OpenFileButton", "Open", &TFilesPage::OpenSelected);
    SaveFileAsButton = button("SaveFileAsButton", "Save As...", &TFilesPage::SaveSelectedAs);
    RenameFileButton = button("RenameFileButton", "Rename...", &TFilesPage::RenameSelected);
    RemoveFileButton = button("RemoveFileButton", "Remove", &TFilesPage::RemoveSelected);
    layout->addLayout(buttons);

    auto* paste = new QShortcut(QKeySequence::Paste, this);
    paste->setContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QShortcut::activated, this, &TFilesPage::PasteFromClipboard);
    auto* remove = new QShortcut(QKeySequence::Delete, FilesListWidget);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &TFilesPage::RemoveSelected);
    connect(FilesListWidget, &QListWidget::itemActivated, this, &TFilesPage::OpenSelected);
    connect(FilesListWidget, &QListWidget::itemSelectionChanged, this, &TFilesPage::UpdateButtons);
    UpdateButtons();
}

TFilesPage::~TFilesPage() = default;

void TFilesPage::Reset()
{
    FilesListWidget->clear();
    Entries.clear();
    Removed.clear();
    KeepOriginalCheckBox->setChecked(false);
    UpdateButtons();
}

void TFilesPage::Show(const std::vector<DBFrameWork::TicketFileRecord>& files)
{
    Reset();
    for (const DBFrameWork::TicketFileRecord& file : files)
        Append(file);
}

void TFilesPage::Fill(DBFrameWork::TicketRecord& ticket) const
{
    ticket.Files.clear();
    for (const Entry& entry : Entries)
        ticket.Files.push_back(entry.File);
    ticket.RemovedFiles = Removed;
}

void TFilesPage::SaveEnded(const std::vector<DBFrameWork::TicketFileRecord>& files, bool stored)
{
    if (stored) {
        // The user's choice for the next photos stays.
        const bool keepOriginal = KeepOriginalCheckBox->isChecked();
        Show(files);
        KeepOriginalCheckBox->setChecked(keepOriginal);
        return;
    }
    // A waiting file is known by its bytes, which the save shared.
    for (const DBFrameWork::TicketFileRecord& saved : files)
        for (Entry& entry : Entries)
            if (saved.Content && entry.File.Content == saved.Content)
                entry.File.FileID = saved.FileID;
}

void TFilesPage::Append(DBFrameWork::TicketFileRecord file)
{
    Entries.push_back({NextKey++, std::move(file)});
    auto* item = new QListWidgetItem(FilesListWidget);
    item->setData(Qt::UserRole, Entries.back().Key);
    ShowEntry(*item, Entries.back());
    UpdateButtons();
}

void TFilesPage::ShowEntry(QListWidgetItem& item, const Entry& entry) const
{
    const DBFrameWork::TicketFileRecord& file = entry.File;
    const QString name = QString::fromStdString(file.Name);
    const QString size = QLocale().formattedDataSize(file.Size, 1, QLocale::DataSizeTraditionalFormat);
    const QString added = file.Content ? QString("not saved yet") : QString::fromStdString(file.Added);
    item.setText(name + "\n" + size + ", " + added);
    item.setIcon(IconFor(file, *style()));
    QString tip = name + "\n" + size + "\n" + QString::fromStdString(file.MediaType);
    if (!file.Content)
        tip += "\nAdded " + added + (file.User.empty() ? QString() : " by " + QString::fromStdString(file.User));
    item.setToolTip(tip);
}

TFilesPage::Entry* TFilesPage::Selected()
{
    const QListWidgetItem* item = FilesListWidget->currentItem();
    if (!item || !item->isSelected())
        return nullptr;
    const int key = item->data(Qt::UserRole).toInt();
    for (Entry& entry : Entries)
        if (entry.Key == key)
            return &entry;
    return nullptr;
}

void TFilesPage::UpdateButtons()
{
    const bool chosen = Selected() != nullptr;
    for (QPushButton* button : {OpenFileButton, SaveFileAsButton, RenameFileButton, RemoveFileButton})
        button->setEnabled(chosen);
}

qint64 TFilesPage::TotalBytes() const
{
    qint64 total = 0;
    for (const Entry& entry : Entries)
        total += entry.File.Size;
    return total;
}

bool TFilesPage::TakeIn(DBFrameWork::TicketFileRecord file, QStringList& refusals)
{
    const qint64 total = TotalBytes() + file.Size;
    if (total > DBFrameWork::MaxTicketFileBytes) {
        refusals << FileIntake::TicketLimitMessage(QString::fromStdString(file.Name), total);
        return false;
    }
    Append(std::move(file));
    return true;
}

void TFilesPage::AddFiles()
{
    Interaction::OpenFileRequest request;
    request.filter = "All files (*)|*";
    QStringList paths;
    if (Interaction::OpenFiles(request, paths))
        AddPaths(paths);
}

void TFilesPage::AddPaths(const QStringList& paths)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList refusals;
    for (const QString& path : FileIntake::FilesToAdd(paths)) {
        FileIntake::TakenFile taken;
        QString refusal;
        if (FileIntake::TakeFile(path, KeepOriginalCheckBox->isChecked(), taken, refusal))
            TakeIn(RecordOf(std::move(taken)), refusals);
        else
            refusals << refusal;
    }
    QApplication::restoreOverrideCursor();
    if (!refusals.isEmpty())
        Interaction::ShowMessage(refusals.join("\n"));
}

void TFilesPage::PasteFromClipboard()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    const QStringList paths = LocalFiles(*data);
    if (!paths.isEmpty()) {
        AddPaths(paths);
        return;
    }
    if (!data->hasImage())
        return;
    TakeInImage(qvariant_cast<QImage>(data->imageData()));
}

void TFilesPage::TakeInImage(const QImage& image)
{
    if (image.isNull())
        return;
    FileIntake::TakenFile taken = FileIntake::TakeImage(image, QDateTime::currentDateTime());
    QStringList refusals;
    if (!taken.Bytes)
        refusals << "The picture could not be taken: it could not be written as PNG.";
    else if (static_cast<qint64>(taken.Bytes->size()) > DBFrameWork::MaxFileBytes)
        refusals << FileIntake::TooLargeMessage(taken.Name, static_cast<qint64>(taken.Bytes->size()));
    else
        TakeIn(RecordOf(std::move(taken)), refusals);
    if (!refusals.isEmpty())
        Interaction::ShowMessage(refusals.join("\n"));
}

void TFilesPage::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(*event->mimeData()).isEmpty() || event->mimeData()->hasImage())
        event->acceptProposedAction();
}

void TFilesPage::dropEvent(QDropEvent* event)
{
    const QMimeData& data = *event->mimeData();
    const QStringList paths = LocalFiles(data);
    event->acceptProposedAction();
    if (!paths.isEmpty()) {
        AddPaths(paths);
        return;
    }
    TakeInImage(qvariant_cast<QImage>(data.imageData()));
}

bool TFilesPage::ReadBytes(const Entry& entry, std::string& bytes) const
{
    if (entry.File.Content) {
        bytes = *entry.File.Content;
        return true;
    }
    if (ReadStoredBytes && ReadStoredBytes(entry.File, bytes))
        return true;
    Interaction::ShowMessage(Quoted(entry.File.Name) + " could not be read from the data file.");
    return false;
}

void TFilesPage::OpenSelected()
{
    const Entry* entry = Selected();
    std::string bytes;
    if (!entry || !ReadBytes(*entry, bytes))
        return;
    if (!OpenedCopies) {
        OpenedCopies = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/velmora-opened-XXXXXX");
        if (!OpenedCopies->isValid()) {
            Interaction::ShowMessage(Quoted(entry->File.Name) + " could not be opened: " + OpenedCopies->errorString() +
                                     ".");
            OpenedCopies.reset();
            return;
        }
    }
    // A folder per entry keeps the file's own name, which the desktop's program shows.
    const QString folder = OpenedCopies->filePath(QString::number(entry->Key));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString path = folder + "/" + QString::fromStdString(entry->File.Name);
    QString reason;
    if (!WriteWhole(path, bytes, reason)) {
        Interaction::ShowMessage(Quoted(entry->File.Name) + " could not be opened: " + reason + ".");
        return;
    }
    if (!Interaction::OpenUrl(QUrl::fromLocalFile(path).toString()))
        Interaction::ShowMessage(Quoted(entry->File.Name) + " could not be opened: the desktop has no program for it.");
}

void TFilesPage::SaveSelectedAs()
{
    const Entry* entry = Selected();
    if (!entry)
        return;
    Interaction::OpenFileRequest request;
    request.initialFolder = QString::fromStdString(entry->File.Name);
    request.filter = "All files (*)|*";
    QString path;
    std::string bytes;
    if (!Interaction::SaveFile(request, path) || !ReadBytes(*entry, bytes))
        return;
    QString reason;
    if (!WriteWhole(path, bytes, reason))
        Interaction::ShowMessage("\"" + path + "\" could not be written: " + reason + ".");
}

void TFilesPage::RenameSelected()
{
    Entry* entry = Selected();
    if (!entry)
        return;
    QString name = QString::fromStdString(entry->File.Name);
    if (!Interaction::AskText("New name for " + Quoted(entry->File.Name) + ":", name))
        return;
    const std::string stored = DBFrameWork::StoredFileName(name.trimmed().toStdString());
    if (name.trimmed().isEmpty() || stored == entry->File.Name)
        return;
    entry->File.Name = stored;
    entry->File.Renamed = entry->File.FileID > 0 && !entry->File.Content;
    ShowEntry(*FilesListWidget->currentItem(), *entry);
}

void TFilesPage::RemoveSelected()
{
    const Entry* entry = Selected();
    if (!entry ||
        !Interaction::Confirm("Remove " + Quoted(entry->File.Name) +
                              " from this ticket? It leaves the data file when the ticket is saved."))
        return;
    // A file of a failed save may be stored after all: its key goes too.
    if (entry->File.FileID > 0)
        Removed.push_back(entry->File.FileID);
    const int key = entry->Key;
    delete FilesListWidget->currentItem();
    for (auto it = Entries.begin(); it != Entries.end(); ++it)
        if (it->Key == key) {
            Entries.erase(it);
            break;
        }
    UpdateButtons();
}
