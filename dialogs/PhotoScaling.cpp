#include "dialogs/PhotoScaling.h"

#include <algorithm>
#include <cmath>

#include "dialogs/FileIntake.h"

namespace {

bool IsPhotoType(const std::string& mediaType)
{
    return mediaType == "image/jpeg";
}

// Formats that are re-encoded only when too large; libmagic has named BMP both ways.
bool IsScalableType(const std::string& mediaType)
{
    return mediaType == "image/bmp" || mediaType == "image/x-ms-bmp" || mediaType == "image/webp" ||
        mediaType == "image/tiff";
}

}  // namespace

// A JPEG is a camera's photo: re-encoding turns it upright for every viewer
// (the EXIF orientation is applied, not trusted to the viewer), brings it to
// a size a ticket needs, and drops the EXIF with its GPS position. Other
// pictures keep their bytes unless they are too large, and PNG and GIF keep
// them always: they are screenshots and drawings whose sharp text JPEG would
// blur.
bool IsStoredAsPhoto(const std::string& mediaType, const QSize& size)
{
    if (IsPhotoType(mediaType))
        return true;
    return IsScalableType(mediaType) && size.isValid() &&
        std::max(size.width(), size.height()) > FileIntake::StoredPhotoSide;
}

QSize FittedSize(const QSize& size, int longSide)
{
    const int longest = std::max(size.width(), size.height());
    if (!size.isValid() || size.isEmpty() || longSide < 1 || longest <= longSide)
        return size;
    const double scale = static_cast<double>(longSide) / longest;
    const auto shrunk = [scale](int side) { return std::max(1, static_cast<int>(std::lround(side * scale))); };
    return size.width() >= size.height() ? QSize(longSide, shrunk(size.height()))
                                         : QSize(shrunk(size.width()), longSide);
}

QString PhotoFileName(const QString& name)
{
    if (name.endsWith(".jpg", Qt::CaseInsensitive) || name.endsWith(".jpeg", Qt::CaseInsensitive))
        return name;
    const qsizetype dot = name.lastIndexOf('.');
    // A name that only starts with a dot (".hidden") has no extension to replace.
    return (dot > 0 ? name.left(dot) : name) + ".jpg";
}
