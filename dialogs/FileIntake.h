// What the user adds to a ticket (files, folders, a pasted picture) made into
// what is stored: photos upright and scaled down, a thumbnail for every
// picture, the media type from the content. No widgets and no database.
#pragma once

#include <memory>
#include <string>

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

namespace FileIntake {

constexpr int StoredPhotoSide = 2048;
constexpr int PhotoQuality = 85;
constexpr int ThumbnailSide = 256;

struct TakenFile {
    QString Name;  // as it will be stored (no folder)
    std::string MediaType;
    std::shared_ptr<const std::string> Bytes;  // what is stored
    std::string Thumbnail;  // JPEG bytes; empty for non-images
};

// Folders replaced by the regular files under them, sorted; files kept as given.
// Links to folders are not followed; other links count as the file they name.
QStringList FilesToAdd(const QStringList& paths);

// Reads one file and makes what is stored of it; false with the message for
// the user in `refusal`. A picture the toolkit cannot decode is stored as it is.
bool TakeFile(const QString& path, bool keepOriginal, TakenFile& taken, QString& refusal);

// An image pasted from the clipboard, taken at `when`. A null image, or one
// the toolkit cannot write, gives Bytes null (with a warning). A very large
// one may exceed the file limit: check Bytes->size() with TooLargeMessage's limit.
TakenFile TakeImage(const QImage& image, const QDateTime& when);

// The message when a file of `bytes` exceeds the limit for one file.
QString TooLargeMessage(const QString& fileName, qint64 bytes);

// The message when adding a file would take the ticket's files over the limit.
QString TicketLimitMessage(const QString& fileName, qint64 totalBytes);

// A thumbnail for an image already stored (used when none was made), empty on failure.
std::string MakeThumbnail(const std::string& imageBytes);

}  // namespace FileIntake
