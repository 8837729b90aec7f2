// Bytes read a piece at a time, so that a large file of the data file is
// never held whole: a blob read segment by segment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // The bytes the stream gives in all.
    virtual int64_t Size() const = 0;
    // Each answers false (or -1) with the reason in Error() on failure.
    virtual bool Open() = 0;
    // Up to count bytes; 0 at the end.
    virtual int64_t Read(char* buffer, size_t count) = 0;
    virtual void Close() = 0;
    const std::string& Error() const { return Reason; }

protected:
    std::string Reason;
};

// A blob of a transaction that stays open until the stream is read; a blob
// that gives fewer or more bytes than size is an error, not a short file.
class BlobStream final : public ByteStream {
public:
    BlobStream(IBPP::Blob blob, int64_t size) : Blob(std::move(blob)), Bytes(size) {}
    ~BlobStream() override;
    int64_t Size() const override { return Bytes; }
    bool Open() override;
    int64_t Read(char* buffer, size_t count) override;
    void Close() override;

private:
    IBPP::Blob Blob;
    int64_t Bytes;
    int64_t Given = 0;
    bool Opened = false;
};

// The stream of a NULL blob: no bytes.
class NoBytes final : public ByteStream {
public:
    int64_t Size() const override { return 0; }
    bool Open() override { return true; }
    int64_t Read(char*, size_t) override { return 0; }
    void Close() override {}
};

}  // namespace DBFrameWork
