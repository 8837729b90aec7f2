// Reading a text blob whole, for the table objects and the ticket records alike.
#pragma once

#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

// The client library's segment limit.
constexpr int BlobSegmentSize = 65535;

// Every byte of the blob, zero bytes included; throws when the engine gives
// fewer bytes than the blob holds, since a text cut short would be stored cut
// at the next save.
std::string ReadBlobText(IBPP::Blob& blob);

}  // namespace DBFrameWork
