// The ticket's photos on a page of their own, after a printed work order or
// intake receipt: up to six in two columns and three rows, each with its name
// under it.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <vector>

class QByteArray;
class QPainter;

// The most photos the page holds.
constexpr int PhotosPerPage = 6;

struct PrintedPhoto {
    QString name;
    QImage picture;
};

struct PhotoPageFields {
    QString ticketNumber;
    // Shown in this order, at most PhotosPerPage.
    std::vector<PrintedPhoto> photos;
    // The ticket's photos, on the page or not.
    int totalPhotos = 0;
    // Photos chosen for the page that could not be read or decoded.
    int unreadable = 0;
};

// The stored bytes of a picture decoded as they are (the stored photos are
// already turned upright), no larger on either side than largestSide, which
// is plenty for a sixth of a sheet; a null image when they cannot be decoded.
QImage DecodePrintedPhoto(const QByteArray& bytes, int largestSide = 1800);

// "Photos of ticket 12", with "(6 of 7 photos)" when not all are on the page.
QString PhotoPageHeading(const PhotoPageFields& fields);
// "1 photo could not be shown.", or empty when every chosen photo is there.
QString UnreadablePhotosLine(int unreadable);

// Paints the page within page (the painter's coordinates): the heading, the
// line on unreadable photos, then the photos, each scaled to its cell
// keeping its proportions.
void PaintPhotoPage(QPainter& painter, const QRectF& page, const PhotoPageFields& fields);
