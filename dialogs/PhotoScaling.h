// Which pictures are stored as photos (turned upright, scaled down and
// re-encoded as JPEG) and what such a photo is called.
#pragma once

#include <QSize>
#include <QString>
#include <string>

// The rule for a picture of mediaType whose size (as stored, before any
// turning) is size; an invalid size is a picture not measured.
bool IsStoredAsPhoto(const std::string& mediaType, const QSize& size);

// size shrunk, keeping its proportions, until its long side is at most
// longSide; never enlarged, and no side below one pixel.
QSize FittedSize(const QSize& size, int longSide);

// The name of a picture re-encoded as JPEG: .jpg in place of any other extension.
QString PhotoFileName(const QString& name);
