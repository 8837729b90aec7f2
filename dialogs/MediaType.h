// The media type of a file, found from its content by libmagic rather than
// from its name, which anyone can change.
#pragma once

#include <string>

// libmagic's answer for the bytes; a text file named .csv or .html/.htm is
// refined to text/csv or text/html. "application/octet-stream" when unknown.
std::string MediaTypeOf(const std::string& bytes, const std::string& name);

// A picture of any kind (image/...), whether or not the toolkit can show it.
bool IsImageType(const std::string& mediaType);
