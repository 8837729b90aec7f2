// Where Export All writes: a new folder, or one .zip file. Either appears at
// the target whole, or not at all: everything is written in a folder of mode
// 0700 beside the target first, and renamed into place once complete.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dbframework/DBFrameWork_ExportByteStream.h"

namespace DBFrameWork {

class ExportTarget {
public:
    // A target that was not finished removes everything it began.
    virtual ~ExportTarget() = default;

    // One text file of the export at a time, written as it comes.
    virtual bool BeginText(const std::string& path) = 0;
    virtual bool WriteText(const std::string& text) = 0;
    virtual bool EndText() = 0;
    // A file of the export made from the stream. onWrite is asked just
    // before its bytes are written (at once for a folder, when the archive is
    // written for a zip); answering false stops the export.
    virtual bool AddBytes(const std::string& path, std::unique_ptr<ByteStream> stream, bool compress,
                          std::function<bool()> onWrite) = 0;
    // Puts the export in place.
    virtual bool Finish() = 0;

    // Why the last call failed, for the user.
    const std::string& Reason() const { return Why; }

protected:
    std::string Why;
};

// A .zip file when the target's name ends in ".zip" (any case), a folder
// otherwise; null, with the reason, when the target cannot be written (a
// file is there already, a folder that is not empty, no folder to hold it).
std::unique_ptr<ExportTarget> MakeExportTarget(const std::string& target, std::string& reason);

}  // namespace DBFrameWork
