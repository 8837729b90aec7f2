// A .zip file written through libzip: entries from files on disk and from
// byte streams that are read only when the archive is written, so that no
// entry is held in memory whole.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dbframework/DBFrameWork_ExportByteStream.h"

struct zip;

namespace DBFrameWork {

class ZipArchive {
public:
    ZipArchive() = default;
    // Discards an archive that was not closed.
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Begins the archive at path, where no file may be yet.
    bool Create(const std::string& path, std::string& reason);
    // Entry names are UTF-8 with forward slashes; each entry is marked 0600.
    bool AddFile(const std::string& entry, const std::string& diskPath, bool compress, std::string& reason);
    // onOpen is told when the stream is opened, as the archive is written;
    // answering false stops the writing.
    bool AddStream(const std::string& entry, std::unique_ptr<ByteStream> stream, bool compress,
                   std::function<bool()> onOpen, std::string& reason);
    // Writes the archive (libzip writes it under a name of its own and
    // renames it to path at the end); on failure nothing stands at path.
    bool Close(std::string& reason);
    void Discard();

private:
    bool Configure(long long index, bool compress, std::string& reason);

    zip* Archive = nullptr;
    // The first stream's error, for the reason of a failed close.
    std::shared_ptr<std::string> StreamError = std::make_shared<std::string>();
};

}  // namespace DBFrameWork
