#include "dialogs/PictureCoding.h"

#include <algorithm>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include "dialogs/PhotoScaling.h"

namespace {

// A reader of bytes that stay where they are, with the orientation applied.
class MemoryReader {
public:
    explicit MemoryReader(const std::string& bytes)
        : data_(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))), buffer_(&data_)
    {
        buffer_.open(QIODevice::ReadOnly);
        reader_.setDevice(&buffer_);
        reader_.setAutoTransform(true);
    }
    QImageReader& Reader() { return reader_; }

private:
    QByteArray data_;
    QBuffer buffer_;
    QImageReader reader_;
};

std::string WrittenBytes(const QImage& image, const char* format, int quality)
{
    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) {
        writer.setQuality(quality);
        writer.setOptimizedWrite(true);
    }
    if (!writer.write(image)) {
        qWarning("A picture could not be written as %s: %s", format, qUtf8Printable(writer.errorString()));
        return std::string();
    }
    return std::string(written.constData(), static_cast<size_t>(written.size()));
}

}  // namespace

QSize StoredPictureSize(const std::string& bytes)
{
    MemoryReader memory(bytes);
    return memory.Reader().size();
}

QImage DecodedPicture(const std::string& bytes, int longSide)
{
    MemoryReader memory(bytes);
    QImageReader& reader = memory.Reader();
    // The scaled size is of the picture as stored: the turning comes after.
    const QSize size = reader.size();
    if (size.isValid() && std::max(size.width(), size.height()) > longSide)
        reader.setScaledSize(FittedSize(size, longSide));
    QImage image = reader.read();
    if (image.isNull()) {
        qWarning("A picture could not be decoded: %s", qUtf8Printable(reader.errorString()));
        return image;
    }
    return FittedImage(image, longSide);
}

QImage FittedImage(const QImage& image, int longSide)
{
    const QSize fitted = FittedSize(image.size(), longSide);
    if (fitted == image.size())
        return image;
    return image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::string JpegBytes(const QImage& image, int quality)
{
    if (image.isNull())
        return std::string();
    // Drawn afresh so that the texts the decoder kept from the original do
    // not travel on, and so that transparent parts come out white, not black.
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull()) {
        qWarning("No memory for a picture of %d x %d", image.width(), image.height());
        return std::string();
    }
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    return WrittenBytes(flat, "jpeg", quality);
}

std::string PngBytes(const QImage& image)
{
    if (image.isNull())
        return std::string();
    return WrittenBytes(image, "png", -1);
}
