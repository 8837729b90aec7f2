// What the real decoders read back from what was printed.
#pragma once

#include <QImage>
#include <string>

#include "tests/support/datafiles/TestSupport.h"

namespace Decoding {

// The QR codes zbarimg finds in the image, one a line, saved first as a PNG
// named `name` in dir.
std::string QrCodes(const QImage& image, const TestSupport::TempDir& dir, const std::string& name);
// The same, from the first page of a PDF rasterised at 300 dpi.
std::string QrCodesInPdf(const std::string& pdf, const TestSupport::TempDir& dir);
// What pdfinfo says of a PDF.
std::string PdfInfo(const std::string& pdf);

}  // namespace Decoding
