#include <cerrno>

#include <gtest/gtest.h>

#include "dialogs/QrCode.h"

namespace {

bool BlockIsUniform(const QImage& image, int left, int top, int side)
{
    const QRgb first = image.pixel(left, top);
    for (int y = top; y < top + side; ++y)
        for (int x = left; x < left + side; ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

}  // namespace

TEST(QrCodeTest, ModulesAreWholePixelsInsideAQuietZone)
{
    const QrCode code(QStringLiteral("10482"));
    ASSERT_FALSE(code.IsNull());
    // Version 1 is 21 modules across.
    EXPECT_EQ(code.Modules(), 21 + 2 * QrCode::QuietZoneModules);
    const int pixels = 5;
    const QImage image = code.Image(pixels);
    ASSERT_EQ(image.width(), code.Modules() * pixels);
    ASSERT_EQ(image.height(), image.width());
    int dark = 0;
    for (int row = 0; row < code.Modules(); ++row)
        for (int column = 0; column < code.Modules(); ++column) {
            ASSERT_TRUE(BlockIsUniform(image, column * pixels, row * pixels, pixels)) << row << "," << column;
            const QRgb colour = image.pixel(column * pixels, row * pixels);
            ASSERT_TRUE(colour == qRgb(0, 0, 0) || colour == qRgb(255, 255, 255)) << row << "," << column;
            const bool inQuietZone = row < QrCode::QuietZoneModules || column < QrCode::QuietZoneModules ||
                row >= code.Modules() - QrCode::QuietZoneModules || column >= code.Modules() - QrCode::QuietZoneModules;
            if (inQuietZone) {
                ASSERT_EQ(colour, qRgb(255, 255, 255)) << row << "," << column;
            }
            dark += colour == qRgb(0, 0, 0);
        }
    // The three finder patterns alone are 3 x 33 dark modules.
    EXPECT_GT(dark, 99);
}

TEST(QrCodeTest, RefusedTextGivesNullImageAndTheReason)
{
    // Level M holds at most 2331 bytes.
    int error = 0;
    EXPECT_TRUE(QrCodeImage(QString(2400, QLatin1Char('a')), 4, &error).isNull());
    EXPECT_EQ(error, ERANGE);

    const QrCode empty{QString()};
    EXPECT_TRUE(empty.IsNull());
    EXPECT_NE(empty.Error(), 0);
    EXPECT_TRUE(empty.Image(4).isNull());
    EXPECT_EQ(empty.Modules(), 0);

    EXPECT_FALSE(QrCodeImage(QString(2300, QLatin1Char('a')), 1, &error).isNull());
    EXPECT_EQ(error, 0);
}
