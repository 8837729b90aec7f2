// Files and pictures for the intake tests, made in the test's own folder.
#pragma once

#include <cstdint>
#include <string>

#include <QImage>
#include <QString>

void WriteFile(const QString& path, const std::string& bytes);
std::string EncodedImage(const QImage& image, const char* format, int quality = -1);
QImage DecodedImage(const std::string& bytes, bool autoTransform = true);
// The JPEG with an EXIF segment that carries only the Orientation tag.
std::string WithExifOrientation(const std::string& jpeg, uint16_t orientation);
bool IsRed(QRgb pixel);
