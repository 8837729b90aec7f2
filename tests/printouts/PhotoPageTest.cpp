#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPageRanges>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "dialogs/PhotoPage.h"
#include "dialogs/PrintedHtml.h"
#include "tests/printouts/Decoding.h"

namespace {

QImage Solid(int width, int height, const QColor& colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool Near(QRgb pixel, const QColor& colour)
{
    return std::abs(qRed(pixel) - colour.red()) < 30 && std::abs(qGreen(pixel) - colour.green()) < 30 &&
        std::abs(qBlue(pixel) - colour.blue()) < 30;
}

// Where the colour was painted on the page; empty when nowhere.
QRect Extent(const QImage& page, const QColor& colour)
{
    QRect found;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (Near(line[x], colour))
                found |= QRect(x, y, 1, 1);
    }
    return found;
}

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

// The JPEG with an EXIF block saying "turn a quarter clockwise to show"
// (orientation 6), as a camera held upright writes it; the toolkit's own
// writer turns the pixels instead.
QByteArray MarkedTurned(const QByteArray& jpeg)
{
    static const unsigned char exif[] = {
        0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0x00, 0x00,  // APP1, 34 bytes
        'I',  'I',  0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,  // little-endian TIFF, IFD at 8
        0x01, 0x00,  // one entry
        0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,  // Orientation = 6
        0x00, 0x00, 0x00, 0x00};
    QByteArray marked = jpeg;
    marked.insert(2, reinterpret_cast<const char*>(exif), sizeof exif);
    return marked;
}

int PdfPages(const std::string& pdf)
{
    const QRegularExpressionMatch match = QRegularExpression("^Pages:\\s+(\\d+)$", QRegularExpression::MultilineOption)
                                              .match(QString::fromStdString(Decoding::PdfInfo(pdf)));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QImage RenderedPage(const std::string& pdf, int page, const std::string& stem)
{
    const std::string number = std::to_string(page);
    EXPECT_EQ(TestSupport::RunCommand("pdftoppm -r 30 -png -singlefile -f " + number + " -l " + number + " '" + pdf +
                                          "' '" + stem + "' 2>&1",
                                      nullptr, 60),
              0)
        << pdf;
    return QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(PhotoPageTest, SixPhotosFillTheGridInTheirOrderEachWholeAndKeepingItsShape)
{
    // A4 at 150 dpi, as a printer would give it.
    QImage page(1240, 1754, QImage::Format_RGB32);
    page.setDotsPerMeterX(5906);
    page.setDotsPerMeterY(5906);
    page.fill(Qt::white);
    const std::vector<QColor> colours{QColor(220, 30, 30),  QColor(30, 170, 30),  QColor(30, 30, 220),
                                      QColor(230, 210, 20), QColor(210, 30, 200), QColor(20, 200, 210)};
    // Landscape, portrait, a strip, tiny (scaled up), huge (scaled down) and square.
    const std::vector<QSize> sizes{{400, 300}, {300, 600}, {1000, 100}, {40, 30}, {4000, 3000}, {500, 500}};
    PhotoPageFields fields;
    fields.ticketNumber = "12";
    fields.totalPhotos = 6;
    auto size = sizes.begin();
    for (const QColor& colour : colours) {
        fields.photos.push_back({colour.name() + ".jpg", Solid(size->width(), size->height(), colour)});
        ++size;
    }
    QPainter painter(&page);
    PaintPhotoPage(painter, QRectF(0, 0, page.width(), page.height()), fields);
    painter.end();

    std::vector<QRect> extents;
    size = sizes.begin();
    for (const QColor& colour : colours) {
        const QRect extent = Extent(page, colour);
        ASSERT_FALSE(extent.isEmpty()) << colour.name().toStdString() << " is not on the page";
        const double shape = double(size->width()) / size->height();
        EXPECT_NEAR(double(extent.width()) / extent.height(), shape, shape * 0.03) << colour.name().toStdString();
        // Scaled to its cell: as wide as a column nearly, or as high as a row.
        EXPECT_TRUE(extent.width() > page.width() * 0.4 || extent.height() > page.height() * 0.22)
            << colour.name().toStdString() << " " << extent.width() << "x" << extent.height();
        extents.push_back(extent);
        ++size;
    }
    // Left, right; left, right...: row by row, never overlapping.
    for (auto extent = extents.begin(); extent != extents.end(); ++extent) {
        const bool left = (extent - extents.begin()) % 2 == 0;
        EXPECT_EQ(extent->center().x() < page.width() / 2, left) << "photo " << (extent - extents.begin()) + 1;
        for (auto other = extent + 1; other != extents.end(); ++other)
            EXPECT_FALSE(extent->intersects(*other));
        if (extent - extents.begin() >= 2) {
            EXPECT_GT(extent->top(), (extent - 2)->bottom());
        }
    }
    EXPECT_GT(extents.front().top(), page.height() / 40) << "the heading comes first";
}

TEST(PhotoPageTest, DecodingKeepsTheStoredOrientationBoundsTheSizeAndRefusesWhatIsNoPicture)
{
    const QByteArray turned = MarkedTurned(Encoded(Solid(3000, 1000, Qt::red), "jpeg"));
    {
        // The mark is really in the file: a reader that obeys it turns the picture.
        QBuffer buffer;
        buffer.setData(turned);
        buffer.open(QIODevice::ReadOnly);
        QImageReader obeying(&buffer);
        obeying.setAutoTransform(true);
        ASSERT_EQ(obeying.read().size(), QSize(1000, 3000));
    }
    EXPECT_EQ(DecodePrintedPhoto(turned).size(), QSize(1800, 600));
    EXPECT_EQ(DecodePrintedPhoto(turned, 300).size(), QSize(300, 100));
    EXPECT_EQ(DecodePrintedPhoto(Encoded(Solid(200, 120, Qt::blue), "png")).size(), QSize(200, 120));

    EXPECT_TRUE(DecodePrintedPhoto(QByteArray()).isNull());
    EXPECT_TRUE(DecodePrintedPhoto("GIF89a but not really a picture").isNull());
    QByteArray cut = Encoded(Solid(300, 300, Qt::green), "png");
    cut.truncate(cut.size() / 3);
    EXPECT_TRUE(DecodePrintedPhoto(cut).isNull());
}

// The first page printed either way is compared in the window's tests.
TEST(PhotoPageTest, ThePageAfterKeepsToThePrintersPageRange)
{
    TestSupport::TempDir dir;
    const QColor colour(210, 30, 200);
    auto print = [&](const std::string& name, int onlyPage) {
        const std::string path = dir.File(name);
        QPdfWriter pdf(QString::fromStdString(path));
        pdf.setResolution(300);
        QPageRanges ranges;
        ranges.addPage(onlyPage);
        pdf.setPageRanges(ranges);
        QTextDocument document;
        PrintedHtml::LayOutOnOnePage(document, "<h2>Work Order 7</h2>", &pdf,
                                     pdf.pageLayout().paintRectPixels(pdf.resolution()).size());
        EXPECT_TRUE(PrintedHtml::PrintWithPageAfter(
            document, pdf, [&](QPainter& painter, const QRectF& sheet) { painter.fillRect(sheet, colour); }));
        return path;
    };
    const std::string first = print("first.pdf", 1);
    ASSERT_EQ(PdfPages(first), 1);
    EXPECT_TRUE(Extent(RenderedPage(first, 1, dir.File("first-1")), colour).isEmpty());
    const std::string second = print("second.pdf", 2);
    ASSERT_EQ(PdfPages(second), 1);
    EXPECT_FALSE(Extent(RenderedPage(second, 1, dir.File("second-1")), colour).isEmpty());
}
