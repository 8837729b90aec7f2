#include "dialogs/PhotoPage.h"

#include <algorithm>

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QtDebug>

namespace {

constexpr int Columns = 2;
constexpr int Rows = PhotosPerPage / Columns;

// As the printed documents: the PDF's text is the text, without ligatures.
QFont PageFont(const QPainter& painter, double points, bool bold)
{
    QFont font = painter.font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// One line of text in its own rect, cut in the middle (a photo's name keeps
// its ending) when it is too wide.
void DrawLine(QPainter& painter, const QRectF& rect, const QString& text, Qt::Alignment alignment)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(rect, alignment | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(text, Qt::ElideMiddle, rect.width()));
}

// The picture and its name under it, together in the middle of the cell.
void DrawPhoto(QPainter& painter, const QRectF& cell, const PrintedPhoto& photo, double nameHeight, double gap)
{
    const double space = gap / 3;
    const QSizeF room(cell.width(), std::max(0.0, cell.height() - nameHeight - space));
    const QSizeF size = QSizeF(photo.picture.size()).scaled(room, Qt::KeepAspectRatio);
    const double top = cell.top() + (cell.height() - size.height() - space - nameHeight) / 2;
    const QRectF target(cell.left() + (cell.width() - size.width()) / 2, top, size.width(), size.height());
    painter.drawImage(target, photo.picture);
    DrawLine(painter, QRectF(cell.left(), target.bottom() + space, cell.width(), nameHeight), photo.name,
             Qt::AlignHCenter);
}

}  // namespace

QImage DecodePrintedPhoto(const QByteArray& bytes, int largestSide)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The stored photo is upright already; turning it by its EXIF mark again would not be.
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    const QSize largest(largestSide, largestSide);
    // Decoded small where the format can (JPEG), so that a large photo never
    // takes its full size in memory for a sixth of a sheet.
    if (size.isValid() && (size.width() > largestSide || size.height() > largestSide))
        reader.setScaledSize(size.scaled(largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const QImage image = reader.read();
    if (image.isNull())
        qWarning("A photo could not be decoded for printing: %s", qUtf8Printable(reader.errorString()));
    return image;
}

QString PhotoPageHeading(const PhotoPageFields& fields)
{
    QString heading = QStringLiteral("Photos of ticket %1").arg(fields.ticketNumber);
    const int chosen = static_cast<int>(fields.photos.size()) + fields.unreadable;
    if (chosen < fields.totalPhotos)
        heading += QStringLiteral(" (%1 of %2 photos)").arg(chosen).arg(fields.totalPhotos);
    return heading;
}

QString UnreadablePhotosLine(int unreadable)
{
    if (unreadable <= 0)
        return QString();
    return unreadable == 1 ? QStringLiteral("1 photo could not be shown.")
                           : QStringLiteral("%1 photos could not be shown.").arg(unreadable);
}

void PaintPhotoPage(QPainter& painter, const QRectF& page, const PhotoPageFields& fields)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::black);
    const double gap = 0.15 * (painter.device() ? painter.device()->logicalDpiY() : 96);

    double top = page.top();
    painter.setFont(PageFont(painter, 14, true));
    const double headingHeight = QFontMetricsF(painter.font(), painter.device()).height();
    DrawLine(painter, QRectF(page.left(), top, page.width(), headingHeight), PhotoPageHeading(fields), Qt::AlignLeft);
    top += headingHeight + gap / 2;

    painter.setFont(PageFont(painter, 10, false));
    const double lineHeight = QFontMetricsF(painter.font(), painter.device()).height();
    const QString unreadable = UnreadablePhotosLine(fields.unreadable);
    if (!unreadable.isEmpty()) {
        DrawLine(painter, QRectF(page.left(), top, page.width(), lineHeight), unreadable, Qt::AlignLeft);
        top += lineHeight + gap / 2;
    }
    top += gap;

    const double cellWidth = (page.width() - gap * (Columns - 1)) / Columns;
    const double cellHeight = std::max(0.0, (page.bottom() - top - gap * (Rows - 1)) / Rows);
    int placed = 0;
    for (const PrintedPhoto& photo : fields.photos) {
        if (placed == PhotosPerPage)
            break;
        const int column = placed % Columns;
        const int row = placed / Columns;
        const QRectF cell(page.left() + column * (cellWidth + gap), top + row * (cellHeight + gap), cellWidth,
                          cellHeight);
        DrawPhoto(painter, cell, photo, lineHeight, gap);
        ++placed;
    }
    painter.restore();
}
