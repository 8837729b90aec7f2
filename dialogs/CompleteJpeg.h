// Whether a JPEG file holds all of its picture.
#pragma once

#include <string>

// True when the markers run from the start of image through the first scan
// and an end-of-image marker follows it. A copy cut short lacks that end; the
// decoder would fill the missing part with grey, so such a file must not be
// re-encoded in place of its bytes.
bool IsCompleteJpeg(const std::string& bytes);
