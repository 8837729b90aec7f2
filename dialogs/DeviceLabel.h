// The small label stuck on a device at intake: the ticket's QR code at the
// left, and at the right the ticket number, the customer and the promised date.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;
class QPrinter;

struct DeviceLabelFields {
    QString ticketNumber;
    QString customerName;
    // Already formatted; empty when no date was promised.
    QString promisedBy;
};

// Millimetres. Either orientation; a size outside 25 x 15 mm .. 150 x 100 mm
// (long side x short side) is clamped into it.
struct LabelSize {
    double widthMm = 62.0;
    double heightMm = 29.0;
};

LabelSize ClampedLabelSize(const LabelSize& size);

// Paints the label over area (best given in device pixels), white ground
// included; every size follows from the area's. On an upright area the text
// goes below the code instead. A ticket number libqrencode
// refuses leaves the code's square blank, with a warning saying why.
void PaintDeviceLabel(QPainter& painter, const QRectF& area, const DeviceLabelFields& fields);

// The label at dotsPerInch (1 to 1200); a null image outside that.
QImage RenderDeviceLabel(const DeviceLabelFields& fields, const LabelSize& size, int dotsPerInch);

// A page of exactly the label's (clamped) size, without margins.
void SetUpLabelPage(QPrinter& printer, const LabelSize& size);

// Sets up the page and prints one label on printer. False, with a warning,
// when the ticket number cannot be encoded or the printer cannot be
// painted on or finished.
bool PrintDeviceLabel(QPrinter& printer, const DeviceLabelFields& fields, const LabelSize& size);
