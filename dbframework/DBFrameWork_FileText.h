// The words of a ticket's files for the search index: every file's name, and
// the text of a text file's first megabyte. Other files (photos) are never
// read: a JPEG's bytes are no words.
#pragma once

#include <cstddef>
#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

class DBConnection;

// Most bytes of a text file read for the index.
constexpr size_t MaxFileTextBytes = 1048576;

struct FileText {
    std::string Name;
    // What a reader sees of the file (the visible text of HTML); empty for
    // a file that is not text.
    std::string Text;
};

// Named .txt, .log, .csv, .html or .htm (in any case), or of a "text/" media type.
bool IsTextFile(const std::string& name, const std::string& mediaType);

// The searchable text of a text file's first bytes: a character cut by the
// limit and a byte order mark dropped, HTML as its visible text.
std::string SearchableFileText(const std::string& name, const std::string& mediaType, const std::string& start);

// The file's name with the text of its Content column (column of the
// statement's current row), read only for a text file and only up to
// MaxFileTextBytes.
FileText ReadFileText(DBConnection& connection, IBPP::Statement& statement, int column, const std::string& name,
                      const std::string& mediaType);

}  // namespace DBFrameWork
