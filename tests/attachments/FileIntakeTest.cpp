// Files taken in: media types from the content, the limits and the reasons
// for a refusal, and folders expanded to their files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "IntakeFiles.h"
#include "dialogs/FileIntake.h"

using FileIntake::TakenFile;

namespace {

TakenFile Taken(const QString& path)
{
    TakenFile taken;
    QString refusal;
    EXPECT_TRUE(FileIntake::TakeFile(path, false, taken, refusal)) << refusal.toStdString();
    return taken;
}

QString Refusal(const QString& path)
{
    TakenFile taken;
    QString refusal;
    EXPECT_FALSE(FileIntake::TakeFile(path, false, taken, refusal)) << path.toStdString();
    return refusal;
}

void MakeSparse(const QString& path, qint64 size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size));
}

}  // namespace

TEST(FileIntake, otherFiles_keepTheirBytesAndTheTypeOfTheirContent)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string words = "The fan rattles when the lid is closed.\nCustomer wants the data kept.\n";
    const struct {
        const char* name;
        std::string content;
        const char* type;
    } files[] = {
        {"notes.txt", words, "text/plain"},
        {"words.htm", words, "text/html"},
        {"parts.CSV", "fan\nlid hinge\n", "text/csv"},
        {"counts.csv", "part,count\nfan,1\nlid hinge,2\n", "text/csv"},
        {"report.pdf.txt", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< >>\nendobj\n", "application/pdf"},
        {"empty", "", "application/x-empty"},
    };
    for (const auto& file : files) {
        WriteFile(folder.filePath(file.name), file.content);
        const TakenFile taken = Taken(folder.filePath(file.name));
        EXPECT_EQ(taken.Name, file.name);
        EXPECT_EQ(taken.MediaType, file.type) << file.name;
        ASSERT_TRUE(taken.Bytes);
        EXPECT_TRUE(*taken.Bytes == file.content) << file.name;
        EXPECT_TRUE(taken.Thumbnail.empty()) << file.name;
    }
}

TEST(FileIntake, refusals_sayWhichFileAndWhy)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    // The size is checked before reading: the sparse file is never read.
    MakeSparse(folder.filePath("big.bin"), 52428801);
    EXPECT_EQ(Refusal(folder.filePath("big.bin")), "\"big.bin\" is 50.1 MB: a file may be at most 50 MB.");
    MakeSparse(folder.filePath("limit.bin"), 52428800);
    const TakenFile atLimit = Taken(folder.filePath("limit.bin"));
    ASSERT_TRUE(atLimit.Bytes);
    EXPECT_EQ(atLimit.Bytes->size(), 52428800u);
    EXPECT_EQ(atLimit.Bytes->find_first_not_of('\0'), std::string::npos);

    const QString missing = folder.filePath("gone.jpg");
    EXPECT_EQ(Refusal(missing), "\"" + missing + "\" could not be read: No such file or directory.");
    ASSERT_TRUE(QDir(folder.path()).mkdir("photos"));
    const QString subfolder = folder.filePath("photos");
    EXPECT_EQ(Refusal(subfolder), "\"" + subfolder + "\" could not be read: Is a directory.");
    // Opening a pipe would wait for a writer that never comes.
    const QString pipe = folder.filePath("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(Refusal(pipe), "\"" + pipe + "\" could not be read: it is not a regular file.");

    EXPECT_EQ(FileIntake::TooLargeMessage("paste.png", 60 * 1024 * 1024),
              "\"paste.png\" is 60.0 MB: a file may be at most 50 MB.");
    EXPECT_EQ(FileIntake::TicketLimitMessage("manual.pdf", 524288001),
              "\"manual.pdf\" was not added: the ticket's files would come to 500.1 MB, and a ticket's files may be "
              "at most 500 MB together.");
}

TEST(FileIntake, folders_expandToTheirRegularFilesSortedWithoutFollowingLinkedFolders)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QDir root(folder.path());
    ASSERT_TRUE(root.mkpath("drop/b/c"));
    ASSERT_TRUE(root.mkpath("elsewhere"));
    WriteFile(folder.filePath("elsewhere/not-dropped.txt"), "outside");
    ASSERT_TRUE(QFile::link(folder.filePath("elsewhere"), folder.filePath("drop/linked-folder")));
    const QString drop = folder.filePath("drop");
    for (const char* name : {"drop/b/z.txt", "drop/a.txt", "drop/b/c/d.txt", "drop/.hidden", "single.txt"})
        WriteFile(folder.filePath(name), name);
    ASSERT_TRUE(QFile::link(drop, folder.filePath("drop/b/loop")));
    ASSERT_TRUE(QFile::link(folder.filePath("drop/a.txt"), folder.filePath("drop/link.txt")));
    ASSERT_TRUE(QFile::link(folder.filePath("nowhere"), folder.filePath("drop/broken.txt")));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("drop/pipe")).constData(), 0600), 0);

    const QString single = folder.filePath("single.txt");
    const QString missing = folder.filePath("missing.txt");
    const QStringList expected = {
        single, drop + "/.hidden", drop + "/a.txt", drop + "/b/c/d.txt", drop + "/b/z.txt", drop + "/link.txt", missing,
    };
    EXPECT_EQ(FileIntake::FilesToAdd({single, drop, missing}), expected);
}
