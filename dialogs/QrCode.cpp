#include "dialogs/QrCode.h"

#include <cerrno>
#include <memory>
#include <qrencode.h>

#include <QPainter>

QrCode::QrCode(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    // libqrencode reads a C string: an embedded NUL would cut the text short
    // without a word, so it is refused here instead.
    if (bytes.contains('\0')) {
        error_ = EINVAL;
        return;
    }
    errno = 0;
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code) {
        error_ = errno != 0 ? errno : EINVAL;
        return;
    }
    symbolModules_ = code->width;
    dark_.resize(static_cast<size_t>(symbolModules_) * static_cast<size_t>(symbolModules_));
    // Bit 0 of each byte is the module's colour; the other bits describe its role.
    for (size_t i = 0; i < dark_.size(); ++i)
        dark_[i] = (code->data[i] & 1) != 0;
}

int QrCode::Modules() const
{
    return IsNull() ? 0 : symbolModules_ + 2 * QuietZoneModules;
}

QImage QrCode::Image(int pixelsPerModule) const
{
    if (IsNull() || pixelsPerModule < 1)
        return QImage();
    const int side = Modules() * pixelsPerModule;
    QImage image(side, side, QImage::Format_Grayscale8);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < symbolModules_; ++y)
        for (int x = 0; x < symbolModules_; ++x)
            if (dark_[static_cast<size_t>(y) * static_cast<size_t>(symbolModules_) + static_cast<size_t>(x)])
                painter.fillRect((x + QuietZoneModules) * pixelsPerModule, (y + QuietZoneModules) * pixelsPerModule,
                                 pixelsPerModule, pixelsPerModule, Qt::black);
    return image;
}

QImage QrCodeImage(const QString& text, int pixelsPerModule, int* error)
{
    const QrCode code(text);
    if (error)
        *error = code.Error();
    return code.Image(pixelsPerModule);
}
