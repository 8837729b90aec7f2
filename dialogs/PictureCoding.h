// Pictures held in memory: read once, turned as their EXIF says, and written
// back as JPEG or PNG bytes without the metadata they came with.
#pragma once

#include <QImage>
#include <QSize>
#include <string>

// The picture's size as stored, before any turning, from its header alone;
// invalid when the toolkit cannot read the header.
QSize StoredPictureSize(const std::string& bytes);

// The picture decoded once, upright, at most longSide pixels on its long
// side; null (with a warning) when the toolkit cannot decode it. A JPEG is
// scaled while it is decoded, which is much faster than decoding it whole.
QImage DecodedPicture(const std::string& bytes, int longSide);

// image shrunk smoothly to at most longSide on its long side.
QImage FittedImage(const QImage& image, int longSide);

// JPEG bytes at quality (0-100), transparency laid on white; empty (with a
// warning) when the toolkit cannot write it.
std::string JpegBytes(const QImage& image, int quality);

// PNG bytes; empty (with a warning) when the toolkit cannot write it.
std::string PngBytes(const QImage& image);
