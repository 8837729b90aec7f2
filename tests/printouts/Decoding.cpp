#include "tests/printouts/Decoding.h"

#include <gtest/gtest.h>

namespace Decoding {

namespace {

constexpr int ToolSeconds = 60;

std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

std::string ZbarQrCodes(const std::string& png)
{
    std::string output;
    // QR only: the printed text must not be read as some linear barcode.
    const int status = TestSupport::RunCommand("zbarimg --raw -q -Sdisable -Sqrcode.enable " + Quoted(png), &output,
                                               ToolSeconds);
    EXPECT_EQ(status, 0) << "zbarimg found no QR code in " << png;
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output;
}

}  // namespace

std::string QrCodes(const QImage& image, const TestSupport::TempDir& dir, const std::string& name)
{
    const std::string png = dir.File(name);
    EXPECT_TRUE(image.save(QString::fromStdString(png), "PNG")) << png;
    return ZbarQrCodes(png);
}

std::string QrCodesInPdf(const std::string& pdf, const TestSupport::TempDir& dir)
{
    const std::string stem = dir.File("pdfpage");
    const int status = TestSupport::RunCommand(
        "pdftoppm -r 300 -png -singlefile " + Quoted(pdf) + " " + Quoted(stem) + " 2>&1", nullptr, ToolSeconds);
    EXPECT_EQ(status, 0) << "pdftoppm failed on " << pdf;
    return ZbarQrCodes(stem + ".png");
}

std::string PdfInfo(const std::string& pdf)
{
    std::string output;
    const int status = TestSupport::RunCommand("pdfinfo " + Quoted(pdf) + " 2>&1", &output, ToolSeconds);
    EXPECT_EQ(status, 0) << output;
    return output;
}

}  // namespace Decoding
