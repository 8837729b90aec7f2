// Pictures taken in: camera photos turned upright and scaled down, other
// pictures kept unless too large, thumbnails, damaged files, pasted images.
#include <cstdio>
#include <random>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include "IntakeFiles.h"
#include "dialogs/FileIntake.h"

using FileIntake::TakenFile;

namespace {

// A camera-like picture: a gradient with grain, so that it compresses like a
// photo, and a red block in the top-left corner as stored.
QImage CameraPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 grain(7);
    std::uniform_int_distribution<int> noise(-16, 16);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int base = 60 + 120 * x / width;
            line[x] = qRgb(qBound(0, base + noise(grain), 255), qBound(0, 90 + noise(grain), 255),
                           qBound(0, 200 - base / 2 + noise(grain), 255));
        }
    }
    QPainter(&image).fillRect(0, 0, width / 10, width / 10, Qt::red);
    return image;
}

QImage ThumbnailImage(const TakenFile& taken)
{
    return DecodedImage(taken.Thumbnail);
}

std::string ImageFormat(const std::string& bytes)
{
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&buffer).toStdString();
}

// Red where the stored top-left corner lands once turned a quarter clockwise.
void ExpectTurnedClockwise(const QImage& image)
{
    ASSERT_FALSE(image.isNull());
    const int margin = image.width() / 40 + 1;
    EXPECT_TRUE(IsRed(image.pixel(image.width() - margin, margin)));
    EXPECT_FALSE(IsRed(image.pixel(margin, margin)));
    EXPECT_FALSE(IsRed(image.pixel(image.width() - margin, image.height() - margin)));
}

}  // namespace

TEST(PhotoIntake, jpegWithExifOrientation_isStoredUprightScaledAndWithoutExif)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string original = WithExifOrientation(EncodedImage(CameraPicture(4000, 3000), "jpeg", 92), 6);
    {
        // The picture as made is read turned by the toolkit, so the test means something.
        QByteArray data(original.data(), static_cast<qsizetype>(original.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        ASSERT_EQ(reader.transformation(), QImageIOHandler::TransformationRotate90);
    }
    const QString path = folder.filePath("IMG_0001.JPG");
    WriteFile(path, original);

    TakenFile photo;
    QString refusal;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(FileIntake::TakeFile(path, false, photo, refusal)) << refusal.toStdString();
    const qint64 elapsed = timer.elapsed();
    std::printf("[ measured ] a %d x %d JPEG of %.1f MB taken (stored copy and thumbnail) in %lld ms\n", 4000, 3000,
                static_cast<double>(original.size()) / (1024 * 1024), static_cast<long long>(elapsed));

    EXPECT_EQ(photo.Name, "IMG_0001.JPG");
    EXPECT_EQ(photo.MediaType, "image/jpeg");
    ASSERT_TRUE(photo.Bytes);
    EXPECT_EQ(ImageFormat(*photo.Bytes), "jpeg");
    EXPECT_EQ(photo.Bytes->find(std::string("Exif\0\0", 6)), std::string::npos);
    // Read without turning: the pixels themselves are upright.
    const QImage stored = DecodedImage(*photo.Bytes, false);
    EXPECT_EQ(stored.size(), QSize(1536, 2048));
    ExpectTurnedClockwise(stored);
    const QImage thumbnail = ThumbnailImage(photo);
    EXPECT_EQ(thumbnail.size(), QSize(192, 256));
    EXPECT_EQ(ImageFormat(photo.Thumbnail), "jpeg");
    ExpectTurnedClockwise(thumbnail);

    TakenFile kept;
    ASSERT_TRUE(FileIntake::TakeFile(path, true, kept, refusal)) << refusal.toStdString();
    ASSERT_TRUE(kept.Bytes);
    EXPECT_TRUE(*kept.Bytes == original);
    EXPECT_EQ(kept.Name, "IMG_0001.JPG");
    EXPECT_EQ(ThumbnailImage(kept).size(), QSize(192, 256));
    ExpectTurnedClockwise(ThumbnailImage(kept));

    const QImage remade = DecodedImage(FileIntake::MakeThumbnail(original));
    EXPECT_EQ(remade.size(), QSize(192, 256));
    ExpectTurnedClockwise(remade);
    EXPECT_TRUE(FileIntake::MakeThumbnail("not a picture").empty());
}

TEST(PhotoIntake, otherPictures_keepTheirBytesUnlessLargeAndNotPngOrGif)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString refusal;

    // A screenshot larger than a photo is kept: PNG never loses its sharp text.
    const std::string screenshot = EncodedImage(CameraPicture(3000, 2000), "png");
    for (const char* name : {"screen.png", "notes.txt"}) {
        WriteFile(folder.filePath(name), screenshot);
        TakenFile taken;
        ASSERT_TRUE(FileIntake::TakeFile(folder.filePath(name), false, taken, refusal)) << refusal.toStdString();
        EXPECT_EQ(taken.Name, name);
        EXPECT_EQ(taken.MediaType, "image/png") << name;
        ASSERT_TRUE(taken.Bytes);
        EXPECT_TRUE(*taken.Bytes == screenshot) << name;
        EXPECT_EQ(ThumbnailImage(taken).size(), QSize(256, 171));
    }

    // A small bitmap is kept as it is ...
    const std::string small = EncodedImage(CameraPicture(600, 400), "bmp");
    WriteFile(folder.filePath("small.bmp"), small);
    TakenFile kept;
    ASSERT_TRUE(FileIntake::TakeFile(folder.filePath("small.bmp"), false, kept, refusal));
    EXPECT_TRUE(*kept.Bytes == small);
    EXPECT_EQ(kept.Name, "small.bmp");
    EXPECT_NE(kept.MediaType.find("bmp"), std::string::npos) << kept.MediaType;
    EXPECT_EQ(ThumbnailImage(kept).size(), QSize(256, 171));

    // ... a large one becomes a photo, named for what it now is.
    WriteFile(folder.filePath("scan.large.bmp"), EncodedImage(CameraPicture(2100, 300), "bmp"));
    TakenFile scaled;
    ASSERT_TRUE(FileIntake::TakeFile(folder.filePath("scan.large.bmp"), false, scaled, refusal));
    EXPECT_EQ(scaled.Name, "scan.large.jpg");
    EXPECT_EQ(scaled.MediaType, "image/jpeg");
    EXPECT_EQ(ImageFormat(*scaled.Bytes), "jpeg");
    EXPECT_EQ(DecodedImage(*scaled.Bytes).size(), QSize(2048, 293));
    TakenFile scaledKept;
    ASSERT_TRUE(FileIntake::TakeFile(folder.filePath("scan.large.bmp"), true, scaledKept, refusal));
    EXPECT_EQ(scaledKept.Name, "scan.large.bmp");
    EXPECT_EQ(ImageFormat(*scaledKept.Bytes), "bmp");

    // A small JPEG without an extension is re-encoded (no EXIF travels on) and named .jpg.
    WriteFile(folder.filePath("photo"), EncodedImage(CameraPicture(800, 600), "jpeg", 90));
    TakenFile bare;
    ASSERT_TRUE(FileIntake::TakeFile(folder.filePath("photo"), false, bare, refusal));
    EXPECT_EQ(bare.Name, "photo.jpg");
    EXPECT_EQ(DecodedImage(*bare.Bytes).size(), QSize(800, 600));
}

TEST(PhotoIntake, damagedJpegs_areStoredAsTheyAre)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString refusal;

    std::string garbled("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);
    std::mt19937 junk(3);
    for (int i = 0; i < 4000; ++i)
        garbled += static_cast<char>(junk() & 0xFF);
    WriteFile(folder.filePath("broken.jpg"), garbled);
    TakenFile broken;
    ASSERT_TRUE(FileIntake::TakeFile(folder.filePath("broken.jpg"), false, broken, refusal)) << refusal.toStdString();
    EXPECT_EQ(broken.MediaType, "image/jpeg");
    EXPECT_TRUE(*broken.Bytes == garbled);
    EXPECT_TRUE(broken.Thumbnail.empty());

    // Cut short, as by a copy that did not finish: re-encoding would store grey for the rest.
    const std::string whole = EncodedImage(CameraPicture(800, 600), "jpeg", 90);
    const std::string cut = whole.substr(0, whole.size() * 6 / 10);
    WriteFile(folder.filePath("cut.jpg"), cut);
    TakenFile shortened;
    ASSERT_TRUE(FileIntake::TakeFile(folder.filePath("cut.jpg"), false, shortened, refusal)) << refusal.toStdString();
    EXPECT_EQ(shortened.MediaType, "image/jpeg");
    EXPECT_TRUE(*shortened.Bytes == cut);
}

TEST(PhotoIntake, pastedImage_isAPngNamedByItsTime)
{
    QImage pasted(300, 200, QImage::Format_ARGB32);
    pasted.fill(qRgba(10, 200, 30, 128));
    pasted.setPixel(5, 5, qRgba(255, 0, 0, 255));
    const TakenFile taken = FileIntake::TakeImage(pasted, QDateTime(QDate(2026, 12, 11), QTime(9, 5, 7)));
    EXPECT_EQ(taken.Name, "Screenshot 2026-12-11 09.05.07.png");
    EXPECT_EQ(taken.MediaType, "image/png");
    ASSERT_TRUE(taken.Bytes);
    EXPECT_EQ(ImageFormat(*taken.Bytes), "png");
    EXPECT_EQ(DecodedImage(*taken.Bytes).convertToFormat(QImage::Format_ARGB32), pasted);
    EXPECT_EQ(ThumbnailImage(taken).size(), QSize(256, 171));

    EXPECT_FALSE(FileIntake::TakeImage(QImage(), QDateTime::currentDateTime()).Bytes);
}
