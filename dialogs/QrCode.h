// A QR code of a text, encoded by libqrencode (8-bit mode, error correction
// level M), drawn as black modules on white with the standard quiet zone.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

class QrCode {
public:
    // Modules of white the standard asks for on every side.
    static constexpr int QuietZoneModules = 4;

    explicit QrCode(const QString& text);

    // True when libqrencode refused the text; Error() then holds its errno
    // (ERANGE: too long for any version, EINVAL: empty, ENOMEM).
    bool IsNull() const { return symbolModules_ == 0; }
    int Error() const { return error_; }

    // Modules across, quiet zone included; 0 when null.
    int Modules() const;
    // A whole number of pixels per module (at least 1); null when IsNull().
    QImage Image(int pixelsPerModule) const;

private:
    int symbolModules_ = 0;
    std::vector<bool> dark_;
    int error_ = 0;
};

// The image of text at pixelsPerModule; null when refused, with the reason
// (errno) in *error when given.
QImage QrCodeImage(const QString& text, int pixelsPerModule, int* error = nullptr);
