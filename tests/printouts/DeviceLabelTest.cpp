#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "dialogs/DeviceLabel.h"
#include "tests/printouts/Decoding.h"

namespace {

DeviceLabelFields Fields(const QString& ticket)
{
    return DeviceLabelFields{ticket, QStringLiteral("Dana Okafor"), QStringLiteral("04/21/2026")};
}

bool HasInk(const QImage& image, const QRect& region)
{
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

}  // namespace

TEST(DeviceLabelTest, QrCodeReadsBackTheTicketAtEverySize)
{
    TestSupport::TempDir dir;
    const struct {
        LabelSize size;
        int width, height;
    } cases[] = {{LabelSize(), 732, 343},
                 {LabelSize{25, 15}, 295, 177},
                 {LabelSize{29, 62}, 343, 732},
                 {LabelSize{150, 100}, 1772, 1181}};
    for (const auto& label : cases) {
        const std::string name = std::to_string(label.width) + "x" + std::to_string(label.height) + ".png";
        const QImage image = RenderDeviceLabel(Fields("INT-2026-00417"), label.size, 300);
        ASSERT_EQ(image.size(), QSize(label.width, label.height)) << name;
        EXPECT_EQ(Decoding::QrCodes(image, dir, name), "INT-2026-00417") << name;
    }
    EXPECT_TRUE(RenderDeviceLabel(Fields("1"), LabelSize(), 0).isNull());
    // Outside the range, the nearest size that lays out.
    EXPECT_EQ(RenderDeviceLabel(Fields("1"), LabelSize{5, 500}, 300).size(), QSize(177, 1772));
}

TEST(DeviceLabelTest, LongCustomerNameStaysInsideTheLabel)
{
    const QRgb outside = qRgb(0, 200, 0);
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(outside);
    const QRect area(100, 100, 732, 343);
    DeviceLabelFields fields = Fields("10482");
    fields.customerName.clear();
    for (int i = 0; i < 20; ++i)
        fields.customerName += QStringLiteral("Wolfgang M");
    ASSERT_EQ(fields.customerName.size(), 200);
    {
        QPainter painter(&image);
        PaintDeviceLabel(painter, area, fields);
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!area.contains(x, y)) {
                ASSERT_EQ(image.pixel(x, y), outside) << "painted outside the label at " << x << "," << y;
            }
    // The label's own right margin stays clear, while the name runs up to it.
    const int margin = area.height() * 6 / 100;
    EXPECT_FALSE(HasInk(image, QRect(area.right() - margin + 2, area.top(), margin - 2, area.height())));
    const QRect nameBand(area.left() + area.width() * 3 / 4, area.top() + area.height() * 45 / 100,
                         area.width() / 4 - margin, area.height() * 25 / 100);
    EXPECT_TRUE(HasInk(image, nameBand));
}

TEST(DeviceLabelTest, PrintsAOnePagePdfOfTheLabelSize)
{
    TestSupport::TempDir dir;
    const std::string pdf = dir.File("label.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));

    EXPECT_FALSE(PrintDeviceLabel(printer, Fields(QString()), LabelSize()));
    EXPECT_FALSE(TestSupport::FileExists(pdf));

    ASSERT_TRUE(PrintDeviceLabel(printer, Fields("10482"), LabelSize()));
    const std::string info = Decoding::PdfInfo(pdf);
    EXPECT_TRUE(
        QString::fromStdString(info).contains(QRegularExpression("^Pages:\\s+1$", QRegularExpression::MultilineOption)))
        << info;
    const QRegularExpressionMatch size = QRegularExpression("^Page size:\\s+([0-9.]+) x ([0-9.]+) pts",
                                                            QRegularExpression::MultilineOption)
                                             .match(QString::fromStdString(info));
    ASSERT_TRUE(size.hasMatch()) << info;
    EXPECT_NEAR(size.captured(1).toDouble(), 175.7, 1.0) << info;
    EXPECT_NEAR(size.captured(2).toDouble(), 82.2, 1.0) << info;
    EXPECT_EQ(Decoding::QrCodesInPdf(pdf, dir), "10482");
}
