#include "dialogs/DeviceLabel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QtDebug>

#include "dialogs/QrCode.h"

namespace {

constexpr double ShortSideMinMm = 15.0;
constexpr double ShortSideMaxMm = 100.0;
constexpr double LongSideMinMm = 25.0;
constexpr double LongSideMaxMm = 150.0;
constexpr double MillimetresPerInch = 25.4;
constexpr int MaxDotsPerInch = 1200;

// Point size of a font whose height is `pixels` of the painter's units.
double PointsForPixels(double pixels, const QPaintDevice* device)
{
    return pixels * 72.0 / device->logicalDpiY();
}

// The font at `share` of the row's height, shrunk until the text fits the
// row and, down to `narrowest` times that size, its width; what still does
// not fit is elided.
QString FitText(QFont& font, const QString& text, const QRectF& row, double share, double narrowest,
                const QPaintDevice* device)
{
    double points = PointsForPixels(row.height() * share, device);
    font.setPointSizeF(points);
    while (points > 0.5 && QFontMetricsF(font, device).height() > row.height()) {
        points *= 0.95;
        font.setPointSizeF(points);
    }
    const double floor = points * narrowest;
    while (points * 0.95 >= floor && QFontMetricsF(font, device).horizontalAdvance(text) > row.width()) {
        points *= 0.95;
        font.setPointSizeF(points);
    }
    return QFontMetricsF(font, device).elidedText(text, Qt::ElideRight, row.width());
}

void PaintText(QPainter& painter, QFont font, const QString& text, const QRectF& row, double share, double narrowest)
{
    if (text.isEmpty())
        return;
    const QString shown = FitText(font, text, row, share, narrowest, painter.device());
    painter.setFont(font);
    // Not clipped: the fitting above is what keeps the text on the label.
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, shown);
}

// A whole number of device pixels per module, on device pixel boundaries, so
// that no module comes out wider than its neighbour.
void PaintQrCode(QPainter& painter, const QRectF& square, const QrCode& code)
{
    const QImage modules = code.Image(1);
    const QTransform toDevice = painter.deviceTransform();
    const double scale = std::hypot(toDevice.m11(), toDevice.m12());
    const int pixelsPerModule = static_cast<int>(square.width() * scale / code.Modules());
    QRectF target = square;
    if (pixelsPerModule >= 1 && toDevice.type() <= QTransform::TxScale) {
        const double side = pixelsPerModule * code.Modules() / scale;
        const QPointF corner = toDevice.map(square.center() - QPointF(side / 2, side / 2));
        const QPointF snapped(std::round(corner.x()), std::round(corner.y()));
        target = QRectF(toDevice.inverted().map(snapped), QSizeF(side, side));
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, modules);
    painter.restore();
}

}  // namespace

LabelSize ClampedLabelSize(const LabelSize& size)
{
    const bool wide = size.widthMm >= size.heightMm;
    const double longSide = std::clamp(std::max(size.widthMm, size.heightMm), LongSideMinMm, LongSideMaxMm);
    const double shortSide = std::clamp(std::min(size.widthMm, size.heightMm), ShortSideMinMm, ShortSideMaxMm);
    LabelSize clamped;
    clamped.widthMm = wide ? longSide : shortSide;
    clamped.heightMm = wide ? shortSide : longSide;
    return clamped;
}

void PaintDeviceLabel(QPainter& painter, const QRectF& area, const DeviceLabelFields& fields)
{
    painter.save();
    painter.fillRect(area, Qt::white);
    const double margin = std::min(area.width(), area.height()) * 0.06;
    QRectF square;
    QRectF text;
    if (area.width() >= area.height()) {
        // Full height where the label is wide; on a squarish one the text keeps half.
        const double side = std::min(area.height() - 2 * margin, (area.width() - 3 * margin) / 2);
        square = QRectF(area.left() + margin, area.top() + (area.height() - side) / 2, side, side);
        text = QRectF(square.right() + margin, area.top() + margin, area.right() - margin - square.right() - margin,
                      area.height() - 2 * margin);
    } else {
        // An upright label has no room at the side: the text goes below.
        const double side = std::min(area.width() - 2 * margin, (area.height() - 3 * margin) / 2);
        square = QRectF(area.left() + (area.width() - side) / 2, area.top() + margin, side, side);
        text = QRectF(area.left() + margin, square.bottom() + margin, area.width() - 2 * margin,
                      area.bottom() - margin - square.bottom() - margin);
    }

    const QrCode code(fields.ticketNumber);
    if (code.IsNull())
        qWarning("No QR code for ticket \"%s\": %s", qUtf8Printable(fields.ticketNumber), std::strerror(code.Error()));
    else
        PaintQrCode(painter, square, code);

    // Type no taller than the column's width allows, centred in the room left.
    const double blockHeight = std::min(text.height(), text.width() * 0.8);
    text = QRectF(text.left(), text.top() + (text.height() - blockHeight) / 2, text.width(), blockHeight);
    const double ticketHeight = text.height() * 0.4;
    const double lineHeight = (text.height() - ticketHeight) / 2;
    const QRectF ticketRow(text.left(), text.top(), text.width(), ticketHeight);
    const QRectF nameRow(text.left(), ticketRow.bottom(), text.width(), lineHeight);
    const QRectF promisedRow(text.left(), nameRow.bottom(), text.width(), lineHeight);

    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setBold(true);
    // The number is what the bench reads: rather small than cut short.
    PaintText(painter, font, fields.ticketNumber, ticketRow, 0.85, 0.15);
    font.setBold(false);
    PaintText(painter, font, fields.customerName, nameRow, 0.6, 0.75);
    if (!fields.promisedBy.isEmpty())
        PaintText(painter, font, "Promised by " + fields.promisedBy, promisedRow, 0.5, 0.6);
    painter.restore();
}

QImage RenderDeviceLabel(const DeviceLabelFields& fields, const LabelSize& size, int dotsPerInch)
{
    if (dotsPerInch < 1 || dotsPerInch > MaxDotsPerInch)
        return QImage();
    const LabelSize label = ClampedLabelSize(size);
    const int width = static_cast<int>(std::lround(label.widthMm / MillimetresPerInch * dotsPerInch));
    const int height = static_cast<int>(std::lround(label.heightMm / MillimetresPerInch * dotsPerInch));
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const int dotsPerMetre = static_cast<int>(std::lround(dotsPerInch * 1000.0 / MillimetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintDeviceLabel(painter, QRectF(0, 0, width, height), fields);
    return image;
}

void SetUpLabelPage(QPrinter& printer, const LabelSize& size)
{
    const LabelSize label = ClampedLabelSize(size);
    const bool wide = label.widthMm > label.heightMm;
    // Described upright and turned, as label printers' drivers list their media.
    const QSizeF upright(std::min(label.widthMm, label.heightMm), std::max(label.widthMm, label.heightMm));
    const QPageSize pageSize(upright, QPageSize::Millimeter, QStringLiteral("Label"), QPageSize::ExactMatch);
    const QPageLayout layout(pageSize, wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                             QPageLayout::Millimeter);
    printer.setFullPage(true);
    if (!printer.setPageLayout(layout))
        qWarning("The printer refused a page of %.1f x %.1f mm without margins", label.widthMm, label.heightMm);
}

bool PrintDeviceLabel(QPrinter& printer, const DeviceLabelFields& fields, const LabelSize& size)
{
    const QrCode code(fields.ticketNumber);
    if (code.IsNull()) {
        qWarning("No label for ticket \"%s\": %s", qUtf8Printable(fields.ticketNumber), std::strerror(code.Error()));
        return false;
    }
    SetUpLabelPage(printer, size);
    QPainter painter;
    if (!painter.begin(&printer)) {
        qWarning("Cannot print on %s",
                 qUtf8Printable(printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName()));
        return false;
    }
    const QRectF page = printer.paperRect(QPrinter::DevicePixel);
    PaintDeviceLabel(painter, QRectF(QPointF(0, 0), page.size()), fields);
    if (!painter.end()) {
        qWarning("The label did not finish printing");
        return false;
    }
    return true;
}
