// Reading a text blob whole, for the table objects and the ticket records alike.
#pragma once

#include <cstddef>
#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

// The client library's segment limit.
constexpr int BlobSegmentSize = 65535;

// Every byte of the blob, zero bytes included; throws when the engine gives
// fewer bytes than the blob holds, since a text cut short would be stored cut
// at the next save.
std::string ReadBlobText(IBPP::Blob& blob);

// At most limit bytes from the start of the blob (for a search that reads
// only the beginning of a large file).
std::string ReadBlobStart(IBPP::Blob& blob, size_t limit);

// Creates the blob and writes the bytes into it, segment by segment.
void WriteBlobBytes(IBPP::Blob& blob, const std::string& bytes);

class DBConnection;

// A blob column of the row fetched, whole; empty for NULL.
std::string ReadBlobColumn(DBConnection& connection, IBPP::Statement& statement, int column);
// A blob parameter of these bytes; NULL for none, as the window stores an empty text.
void SetBlobParameter(DBConnection& connection, IBPP::Statement& statement, int param, const std::string& bytes);

}  // namespace DBFrameWork
