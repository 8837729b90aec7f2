// The "Files" page of the main window: the ticket's photos and files as a
// strip of thumbnails and icons. Files added wait here until the ticket is
// saved; the bytes of stored files are read only to open or save one.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

class QCheckBox;
class QImage;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTemporaryDir;

class TFilesPage : public QWidget {
    Q_OBJECT

public:
    // Reads a stored file's bytes; false when they cannot be read.
    using BytesReader = std::function<bool(const DBFrameWork::TicketFileRecord& file, std::string& bytes)>;

    TFilesPage(QWidget* parent, BytesReader readBytes);
    ~TFilesPage() override;

    // A new ticket: no files.
    void Reset();
    // The stored ticket's files.
    void Show(const std::vector<DBFrameWork::TicketFileRecord>& files);
    // Puts the files shown, the ones waiting included, and those removed into the ticket.
    void Fill(DBFrameWork::TicketRecord& ticket) const;
    // After a save: the files as stored; after a failed one, the keys it drew
    // stay with the waiting files, so that a retry never stores one twice.
    void SaveEnded(const std::vector<DBFrameWork::TicketFileRecord>& files, bool stored);

    // The commands, also run by the buttons, the drop and Ctrl+V.
    void AddFiles();
    void AddPaths(const QStringList& paths);
    void PasteFromClipboard();
    void OpenSelected();
    void SaveSelectedAs();
    void RenameSelected();
    void RemoveSelected();

    QListWidget* FilesListWidget = nullptr;
    QCheckBox* KeepOriginalCheckBox = nullptr;
    QPushButton* AddFilesButton = nullptr;
    QPushButton* OpenFileButton = nullptr;
    QPushButton* SaveFileAsButton = nullptr;
    QPushButton* RenameFileButton = nullptr;
    QPushButton* RemoveFileButton = nullptr;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Entry {
        // Stays the entry's while it is shown; the list's items carry it.
        int Key = 0;
        DBFrameWork::TicketFileRecord File;
    };
    Entry* Selected();
    void Append(DBFrameWork::TicketFileRecord file);
    void ShowEntry(QListWidgetItem& item, const Entry& entry) const;
    void UpdateButtons();
    qint64 TotalBytes() const;
    // Refused when the ticket's files would go over their limit together.
    bool TakeIn(DBFrameWork::TicketFileRecord file, QStringList& refusals);
    // A picture pasted or dropped, stored as PNG.
    void TakeInImage(const QImage& image);
    bool ReadBytes(const Entry& entry, std::string& bytes) const;

    BytesReader ReadStoredBytes;
    std::vector<Entry> Entries;
    std::vector<int32_t> Removed;
    int NextKey = 1;
    // Private copies of the files opened, removed with the window.
    std::unique_ptr<QTemporaryDir> OpenedCopies;
};
