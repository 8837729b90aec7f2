#include "IntakeFiles.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

namespace {

std::string Big16(unsigned value)
{
    return {static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}

std::string Big32(unsigned value)
{
    return Big16(value >> 16 & 0xFFFF) + Big16(value & 0xFFFF);
}

}  // namespace

void WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

std::string EncodedImage(const QImage& image, const char* format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes.toStdString();
}

QImage DecodedImage(const std::string& bytes, bool autoTransform)
{
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(autoTransform);
    return reader.read();
}

std::string WithExifOrientation(const std::string& jpeg, uint16_t orientation)
{
    // A big-endian TIFF header, then one directory of one SHORT entry.
    std::string tiff("MM\0\x2A\0\0\0\x08", 8);
    tiff += Big16(1);
    tiff += Big16(0x0112) + Big16(3) + Big32(1) + Big16(orientation) + Big16(0);
    tiff += Big32(0);
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const std::string segment = "\xFF\xE1" + Big16(static_cast<unsigned>(payload.size() + 2)) + payload;
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

bool IsRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 70 && qBlue(pixel) < 70;
}
