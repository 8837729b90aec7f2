#include "dialogs/FileIntake.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "dbframework/DBFrameWork_FileStore.h"
#include "dialogs/CompleteJpeg.h"
#include "dialogs/MediaType.h"
#include "dialogs/PhotoScaling.h"
#include "dialogs/PictureCoding.h"

namespace FileIntake {

namespace {

// Megabytes with one decimal, rounded up: a file one byte over the limit
// must not read as exactly at it.
QString Megabytes(qint64 bytes)
{
    const double tenths = std::ceil(static_cast<double>(bytes) * 10.0 / (1024.0 * 1024.0));
    return QString::number(tenths / 10.0, 'f', 1);
}

QString CannotReadMessage(const QString& path, QString reason)
{
    while (reason.endsWith('.'))
        reason.chop(1);
    return QString("\"%1\" could not be read: %2.").arg(path, reason);
}

std::shared_ptr<const std::string> Shared(std::string bytes)
{
    return std::make_shared<const std::string>(std::move(bytes));
}

// Reads to the end rather than trusting the size, which a growing file
// outruns and some system files report as 0; never more than one byte past
// the limit, so that a file that grew is refused, not cut.
bool ReadWholeFile(const QString& path, std::string& bytes, QString& refusal)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        refusal = CannotReadMessage(path, QString::fromLocal8Bit(std::strerror(EISDIR)));
        return false;
    }
    // Opening a pipe would wait for a writer; a device may never end.
    if (info.exists() && !info.isFile()) {
        refusal = CannotReadMessage(path, "it is not a regular file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        refusal = CannotReadMessage(path, file.errorString());
        return false;
    }
    const qint64 size = file.size();
    if (size > DBFrameWork::MaxFileBytes) {
        refusal = TooLargeMessage(info.fileName(), size);
        return false;
    }
    constexpr qint64 Chunk = 1024 * 1024;
    bytes.clear();
    bytes.reserve(static_cast<size_t>(size + Chunk));
    for (;;) {
        const size_t had = bytes.size();
        bytes.resize(had + Chunk);
        const qint64 read = file.read(bytes.data() + had, Chunk);
        if (read < 0) {
            refusal = CannotReadMessage(path, file.errorString());
            bytes.clear();
            return false;
        }
        bytes.resize(had + static_cast<size_t>(read));
        if (static_cast<qint64>(bytes.size()) > DBFrameWork::MaxFileBytes) {
            refusal = TooLargeMessage(info.fileName(), static_cast<qint64>(bytes.size()));
            bytes.clear();
            return false;
        }
        if (read == 0)
            return true;
    }
}

std::string ThumbnailOf(const QImage& image)
{
    return JpegBytes(FittedImage(image, ThumbnailSide), PhotoQuality);
}

// The photo re-encoded in place of its bytes; false when it cannot be, and
// the file is then kept as it is.
bool TakeAsPhoto(const std::string& bytes, TakenFile& taken)
{
    const QImage photo = DecodedPicture(bytes, StoredPhotoSide);
    if (photo.isNull())
        return false;
    std::string stored = JpegBytes(photo, PhotoQuality);
    if (stored.empty())
        return false;
    taken.Name = PhotoFileName(taken.Name);
    taken.MediaType = "image/jpeg";
    taken.Bytes = Shared(std::move(stored));
    taken.Thumbnail = ThumbnailOf(photo);
    return true;
}

}  // namespace

QStringList FilesToAdd(const QStringList& paths)
{
    QStringList files;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            files.append(path);
            continue;
        }
        // Without FollowSymlinks the walk does not enter linked folders, so
        // a link back up the tree cannot loop; QDir::Files without
        // QDir::System leaves out pipes, sockets, devices and broken links.
        QStringList under;
        QDirIterator walk(path, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (walk.hasNext())
            under.append(walk.next());
        under.sort();
        files.append(under);
    }
    return files;
}

bool TakeFile(const QString& path, bool keepOriginal, TakenFile& taken, QString& refusal)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes, refusal))
        return false;
    TakenFile file;
    file.Name = QFileInfo(path).fileName();
    file.MediaType = MediaTypeOf(bytes, file.Name.toStdString());
    if (IsImageType(file.MediaType)) {
        // A JPEG cut short keeps its bytes: re-encoding would store grey for what is missing.
        const bool whole = file.MediaType != "image/jpeg" || IsCompleteJpeg(bytes);
        const bool asPhoto = !keepOriginal && whole && IsStoredAsPhoto(file.MediaType, StoredPictureSize(bytes));
        if (!(asPhoto && TakeAsPhoto(bytes, file)))
            file.Thumbnail = ThumbnailOf(DecodedPicture(bytes, ThumbnailSide));
    }
    if (!file.Bytes)
        file.Bytes = Shared(std::move(bytes));
    taken = std::move(file);
    return true;
}

TakenFile TakeImage(const QImage& image, const QDateTime& when)
{
    TakenFile taken;
    // No colons: the name must stay valid when the file is saved on any system.
    taken.Name = QString("Screenshot %1.png").arg(when.toString("yyyy-MM-dd HH.mm.ss"));
    taken.MediaType = "image/png";
    if (image.isNull()) {
        qWarning("A pasted picture was empty");
        return taken;
    }
    std::string png = PngBytes(image);
    if (png.empty())
        return taken;
    taken.Bytes = Shared(std::move(png));
    taken.Thumbnail = ThumbnailOf(image);
    return taken;
}

QString TooLargeMessage(const QString& fileName, qint64 bytes)
{
    return QString("\"%1\" is %2 MB: a file may be at most %3 MB.")
        .arg(fileName, Megabytes(bytes), QString::number(DBFrameWork::MaxFileBytes / (1024 * 1024)));
}

QString TicketLimitMessage(const QString& fileName, qint64 totalBytes)
{
    return QString("\"%1\" was not added: the ticket's files would come to %2 MB, and a ticket's files may be at "
                   "most %3 MB together.")
        .arg(fileName, Megabytes(totalBytes), QString::number(DBFrameWork::MaxTicketFileBytes / (1024 * 1024)));
}

std::string MakeThumbnail(const std::string& imageBytes)
{
    return ThumbnailOf(DecodedPicture(imageBytes, ThumbnailSide));
}

}  // namespace FileIntake
