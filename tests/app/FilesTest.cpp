// The Files page through the real window: files added by the dialog, a drop
// and the clipboard wait until the save, travel in the data file (and its
// backups) byte for byte, and are opened, saved, renamed and removed.
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

#include "app/FilesPage.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "tests/support/datafiles/LocalLogin.h"
#include "tests/support/windows/TicketWindow.h"

namespace {

std::string Bytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray read = file.readAll();
    return std::string(read.constData(), static_cast<size_t>(read.size()));
}

void Write(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A camera-sized photo: large, so that the stored copy must be made smaller.
QString WritePhoto(const QString& path, int width, int height)
{
    QImage photo(width, height, QImage::Format_RGB32);
    photo.fill(QColor(200, 40, 40));
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 5)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    EXPECT_TRUE(photo.save(path, "JPEG", 95));
    return path;
}

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

mode_t Mode(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(stat(path.toLocal8Bit().constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

class FilesOfATicket : public ::testing::Test {
protected:
    TFilesPage* Page() { return desk.Find<TFilesPage>("Files"); }
    QListWidget* List() { return desk.Find<QListWidget>("FilesListWidget"); }
    QString Folder() const { return QString::fromStdString(desk.Work().Path()); }

    // The stored files of the ticket shown, read as the window reads them.
    std::vector<DBFrameWork::TicketFileRecord> StoredFiles()
    {
        std::vector<DBFrameWork::TicketFileRecord> files;
        EXPECT_TRUE(DBFrameWork::LoadFiles(*desk.Connection(), desk.Form().GetProblemID(), files));
        return files;
    }
    std::string StoredBytes(const DBFrameWork::TicketFileRecord& file)
    {
        std::string bytes;
        EXPECT_TRUE(DBFrameWork::ReadFileContent(*desk.Connection(), desk.Form().GetProblemID(), file.FileID, bytes));
        return bytes;
    }
    void Select(const QString& namePart)
    {
        for (int row = 0; row < List()->count(); ++row)
            if (List()->item(row)->text().startsWith(namePart)) {
                List()->setCurrentRow(row);
                return;
            }
        FAIL() << "no file " << namePart.toStdString() << " on the page";
    }
    // A stored ticket with a log file, shown in the window.
    std::string SaveTicketWithLog()
    {
        desk.Fill(TypedTicket());
        const std::string log = "setup started\nerror 0x80070005: access is denied\n";
        Write(Folder() + "/setup.log", log);
        desk.fake.QueueFile(Folder() + "/setup.log");
        desk.Find<QPushButton>("AddFilesButton")->click();
        EXPECT_TRUE(desk.Form().SaveProblem());
        return log;
    }

    std::unique_ptr<TicketWindow> owned = std::make_unique<TicketWindow>();
    TicketWindow& desk = *owned;
};

}  // namespace

TEST_F(FilesOfATicket, FilesAddedByDialogDropAndClipboardWaitForTheSaveAndComeBackWhole)
{
    desk.Fill(TypedTicket());
    const QString photo = WritePhoto(Folder() + "/cracked screen.jpg", 3000, 2000);
    const std::string log = "disk check\nbad sector at 0x1F00\n";
    Write(Folder() + "/chkdsk.log", log);
    desk.fake.QueueFile(photo + "\n" + Folder() + "/chkdsk.log");
    desk.Find<QPushButton>("AddFilesButton")->click();
    EXPECT_EQ(List()->count(), 2);

    // A folder dropped from the file manager adds the files in it.
    QDir(Folder()).mkpath("dropped/inner");
    const std::string firmware = RandomBytes(300000, 1);
    Write(Folder() + "/dropped/firmware.bin", firmware);
    Write(Folder() + "/dropped/inner/notes.txt", "customer says it beeps twice");
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(Folder() + "/dropped")});
    // Dropped on the strip itself, the drop reaches the page.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &drop);
    EXPECT_EQ(List()->count(), 4);

    // Ctrl+V on the page takes a screenshot from the clipboard.
    QImage screenshot(640, 400, QImage::Format_RGB32);
    screenshot.fill(QColor(10, 120, 200));
    QApplication::clipboard()->setImage(screenshot);
    desk.Find<QTabWidget>("ResolutionPageControl")->setCurrentWidget(Page());
    desk.Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&desk.Form()));
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(List()->count(), 5);
    EXPECT_TRUE(List()->item(4)->text().startsWith("Screenshot ")) << List()->item(4)->text().toStdString();

    // Nothing reaches the data file before the save, and everything with it.
    EXPECT_EQ(desk.CountRows("TicketFile"), 0);
    ASSERT_TRUE(desk.Form().SaveProblem());
    EXPECT_EQ(desk.CountRows("TicketFile"), 5);

    ASSERT_TRUE(desk.Form().OpenStoredProblem(desk.Form().GetProblemID()));
    EXPECT_EQ(List()->count(), 5);
    const std::vector<DBFrameWork::TicketFileRecord> stored = StoredFiles();
    ASSERT_EQ(stored.size(), 5u);
    for (const DBFrameWork::TicketFileRecord& file : stored) {
        EXPECT_FALSE(file.Added.empty()) << file.Name;
        EXPECT_FALSE(file.User.empty()) << file.Name;
        EXPECT_EQ(file.Size, static_cast<int32_t>(StoredBytes(file).size())) << file.Name;
        if (file.Name == "cracked screen.jpg") {
            // The photo is stored smaller, with a thumbnail; the others as they were.
            EXPECT_EQ(file.MediaType, "image/jpeg");
            QImage copy;
            const std::string bytes = StoredBytes(file);
            ASSERT_TRUE(
                copy.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())));
            EXPECT_EQ(copy.size(), QSize(2048, 1365));
            QImage thumbnail;
            ASSERT_TRUE(thumbnail.loadFromData(reinterpret_cast<const uchar*>(file.Thumbnail.data()),
                                               static_cast<int>(file.Thumbnail.size())));
            EXPECT_EQ(std::max(thumbnail.width(), thumbnail.height()), 256);
        } else if (file.Name == "chkdsk.log") {
            EXPECT_EQ(StoredBytes(file), log);
            EXPECT_TRUE(file.Thumbnail.empty());
        } else if (file.Name == "firmware.bin") {
            EXPECT_EQ(StoredBytes(file), firmware);
        } else if (file.Name == "notes.txt") {
            EXPECT_EQ(file.MediaType.rfind("text/", 0), 0u) << file.MediaType;
        } else {
            EXPECT_EQ(file.MediaType, "image/png") << file.Name;
            QImage pasted;
            const std::string bytes = StoredBytes(file);
            ASSERT_TRUE(
                pasted.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())));
            EXPECT_EQ(pasted.pixel(320, 200), screenshot.pixel(320, 200));
        }
    }

    // "Keep original" stores the photo's own bytes.
    desk.Find<QCheckBox>("KeepOriginalCheckBox")->setChecked(true);
    desk.fake.QueueFile(photo);
    desk.Find<QPushButton>("AddFilesButton")->click();
    ASSERT_TRUE(desk.Form().SaveProblem());
    const std::vector<DBFrameWork::TicketFileRecord> kept = StoredFiles();
    ASSERT_EQ(kept.size(), 6u);
    EXPECT_EQ(StoredBytes(kept.back()), Bytes(photo));
}

TEST_F(FilesOfATicket, OpenSaveAsRenameAndRemove)
{
    const std::string log = SaveTicketWithLog();
    ASSERT_TRUE(desk.Form().OpenStoredProblem(desk.Form().GetProblemID()));
    Select("setup.log");

    // The desktop's program gets a private copy with the stored bytes.
    desk.Find<QPushButton>("OpenFileButton")->click();
    ASSERT_EQ(desk.fake.openedUrls.size(), 1);
    const QString opened = QUrl(desk.fake.openedUrls.front()).toLocalFile();
    EXPECT_TRUE(opened.endsWith("/setup.log")) << opened.toStdString();
    EXPECT_EQ(Bytes(opened), log);
    EXPECT_EQ(Mode(opened), 0600u);
    EXPECT_EQ(Mode(QFileInfo(opened).path()), 0700u);

    const QString saved = Folder() + "/copy of setup.log";
    desk.fake.QueueFile(saved);
    desk.Find<QPushButton>("SaveFileAsButton")->click();
    EXPECT_EQ(Bytes(saved), log);
    EXPECT_EQ(Mode(saved), 0600u);
    EXPECT_TRUE(desk.fake.messages.isEmpty()) << desk.fake.messages.join("|").toStdString();

    desk.fake.textAnswers.push_back("install/../setup-first-try.log");
    desk.Find<QPushButton>("RenameFileButton")->click();
    ASSERT_TRUE(desk.Form().SaveProblem());
    std::vector<DBFrameWork::TicketFileRecord> stored = StoredFiles();
    ASSERT_EQ(stored.size(), 1u);
    // A name never names a folder.
    EXPECT_EQ(stored.front().Name, "setup-first-try.log");
    EXPECT_EQ(StoredBytes(stored.front()), log);

    // Remove asks first, and the file leaves the data file with the save.
    Select("setup-first-try.log");
    desk.fake.confirmAnswer = false;
    desk.Find<QPushButton>("RemoveFileButton")->click();
    EXPECT_EQ(List()->count(), 1);
    desk.fake.confirmAnswer = true;
    desk.Find<QPushButton>("RemoveFileButton")->click();
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(desk.fake.questions.back(),
              "Remove \"setup-first-try.log\" from this ticket? It leaves the data file when the ticket is saved.");
    EXPECT_EQ(desk.CountRows("TicketFile"), 1);
    ASSERT_TRUE(desk.Form().SaveProblem());
    EXPECT_EQ(desk.CountRows("TicketFile"), 0);

    // The opened copies go with the window.
    owned.reset();
    EXPECT_FALSE(QFile::exists(opened));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(opened).path()));
}

TEST_F(FilesOfATicket, FilesTooLargeOrUnreadableAreRefusedSayingWhich)
{
    desk.Fill(TypedTicket());
    QFile large(Folder() + "/disk image.iso");
    ASSERT_TRUE(large.open(QIODevice::WriteOnly));
    ASSERT_TRUE(large.resize(DBFrameWork::MaxFileBytes + 1));
    large.close();
    Write(Folder() + "/fine.txt", "fine");
    desk.fake.QueueFile(large.fileName() + "\n" + Folder() + "/missing.txt\n" + Folder() + "/fine.txt");
    desk.Find<QPushButton>("AddFilesButton")->click();
    EXPECT_EQ(List()->count(), 1);
    ASSERT_EQ(desk.fake.messages.size(), 1);
    const QStringList lines = desk.fake.messages.front().split('\n');
    ASSERT_EQ(lines.size(), 2) << desk.fake.messages.front().toStdString();
    EXPECT_EQ(lines[0], "\"disk image.iso\" is 50.1 MB: a file may be at most 50 MB.");
    EXPECT_TRUE(lines[1].startsWith("\"" + Folder() + "/missing.txt\" could not be read: ")) << lines[1].toStdString();

    // The store refuses files over the ticket's limit, whoever hands them in,
    // and the whole save with them.
    ASSERT_TRUE(desk.Form().SaveProblem());
    const int32_t id = desk.Form().GetProblemID();
    DBFrameWork::TicketRecord ticket = TypedTicket();
    for (int n = 1; n <= 10; ++n) {
        DBFrameWork::TicketFileRecord stored;
        stored.FileID = 1000 + n;
        stored.Name = "stored " + std::to_string(n) + ".bin";
        stored.Size = static_cast<int32_t>(DBFrameWork::MaxFileBytes);
        ticket.Files.push_back(stored);
    }
    DBFrameWork::TicketFileRecord added;
    added.Name = "one more.txt";
    added.Content = std::make_shared<const std::string>("x");
    ticket.Files.push_back(added);
    DBFrameWork::TicketStore store;
    ticket.Customer.Name = "Nobody stored";
    EXPECT_FALSE(store.Save(*desk.Connection(), ticket, true));
    EXPECT_EQ(desk.CountRows("Customer WHERE Name = 'Nobody stored'"), 0);
    ticket.Problem.ProblemID = id;
    EXPECT_FALSE(DBFrameWork::SaveFiles(*desk.Connection(), ticket, "ann", false));
    EXPECT_EQ(desk.CountRows("TicketFile"), 1);
}

TEST_F(FilesOfATicket, AVerifiedBackupRestoredByTheEngineHoldsEveryByte)
{
    desk.Fill(TypedTicket());
    const std::string big = RandomBytes(3 * 1024 * 1024 + 17, 7);
    Write(Folder() + "/memory dump.bin", big);
    Write(Folder() + "/empty.txt", "");
    desk.fake.QueueFile(Folder() + "/memory dump.bin\n" + Folder() + "/empty.txt");
    desk.Find<QPushButton>("AddFilesButton")->click();
    ASSERT_TRUE(desk.Form().SaveProblem());

    const std::string backup = desk.Work().File("files.fbk");
    desk.fake.QueueFile(QString::fromStdString(backup));
    desk.Find<QAction>("BackupFileMenu")->trigger();
    ASSERT_EQ(desk.fake.messages.back(), "Backup complete and verified.");

    const std::string restored = desk.Work().File("restored.fdb");
    std::string output;
    ASSERT_EQ(TestSupport::RunCommand(std::string("gbak -c -user '") + TestSupport::LocalUser() + "' -password '" +
                                          TestSupport::LocalPassword() + "' '" + backup + "' '" + restored + "' 2>&1",
                                      &output),
              0)
        << output;
    DBFrameWork::DBConnection connection(restored);
    ASSERT_TRUE(connection.Connect());
    std::vector<DBFrameWork::TicketFileRecord> files;
    ASSERT_TRUE(DBFrameWork::LoadFiles(connection, desk.Form().GetProblemID(), files));
    ASSERT_EQ(files.size(), 2u);
    std::string bytes;
    ASSERT_TRUE(DBFrameWork::ReadFileContent(connection, desk.Form().GetProblemID(), files[0].FileID, bytes));
    EXPECT_TRUE(bytes == big) << "the restored file has " << bytes.size() << " bytes";
    ASSERT_TRUE(DBFrameWork::ReadFileContent(connection, desk.Form().GetProblemID(), files[1].FileID, bytes));
    EXPECT_TRUE(bytes.empty());
    connection.Disconnect();
}

TEST_F(FilesOfATicket, ExportAllWritesEverythingIntoAFolderOrAZip)
{
    const std::string log = SaveTicketWithLog();
    const int32_t id = desk.Form().GetProblemID();
    const std::vector<DBFrameWork::TicketFileRecord> stored = StoredFiles();
    ASSERT_EQ(stored.size(), 1u);

    const QString folder = Folder() + "/export";
    desk.fake.QueueFile(folder);
    desk.Find<QAction>("ExportAllFileMenu")->trigger();
    ASSERT_EQ(desk.fake.messages.size(), 1) << desk.fake.messages.join("|").toStdString();
    EXPECT_TRUE(desk.fake.messages.back().startsWith("Exported 1 customers, 1 tickets, 0 reports and 1 files to "))
        << desk.fake.messages.back().toStdString();
    EXPECT_EQ(Mode(folder), 0700u);
    const QString copy = folder + "/files/" + QString::number(id) + "/" + QString::number(stored.front().FileID) +
        "-setup.log";
    EXPECT_EQ(Bytes(copy), log);
    EXPECT_EQ(Mode(copy), 0600u);
    EXPECT_NE(Bytes(folder + "/customers.csv").find(TypedTicket().Customer.Name), std::string::npos);
    EXPECT_TRUE(QFile::exists(folder + "/README.txt"));

    const QString zip = Folder() + "/export.zip";
    desk.fake.QueueFile(zip);
    desk.Find<QAction>("ExportAllFileMenu")->trigger();
    EXPECT_EQ(Bytes(zip).substr(0, 4), std::string("PK\x03\x04"));
    EXPECT_EQ(Mode(zip), 0600u);
    // An export never writes over what is there.
    desk.fake.QueueFile(zip);
    desk.Find<QAction>("ExportAllFileMenu")->trigger();
    EXPECT_TRUE(desk.fake.messages.back().startsWith("The export failed: ")) << desk.fake.messages.back().toStdString();
}
