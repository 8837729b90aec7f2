#include "dbframework/DBFrameWork_ZipArchive.h"

#include <ctime>
#include <sys/stat.h>
#include <zip.h>

namespace DBFrameWork {
namespace {

// What libzip's callback needs of one stream, freed by libzip with the source.
struct StreamSource {
    std::unique_ptr<ByteStream> Stream;
    std::function<bool()> OnOpen;
    std::shared_ptr<std::string> FirstError;
    zip_error_t Error;
    time_t Made = std::time(nullptr);

    zip_int64_t Fail(int code, const std::string& why)
    {
        if (FirstError->empty())
            *FirstError = why;
        zip_error_set(&Error, code, 0);
        return -1;
    }
};

zip_int64_t ReadStream(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    StreamSource& source = *static_cast<StreamSource*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        if (source.OnOpen && !source.OnOpen())
            return source.Fail(ZIP_ER_CANCELLED, "cancelled");
        return source.Stream->Open() ? 0 : source.Fail(ZIP_ER_READ, source.Stream->Error());
    case ZIP_SOURCE_READ: {
        const int64_t read = source.Stream->Read(static_cast<char*>(data), static_cast<size_t>(length));
        return read >= 0 ? read : source.Fail(ZIP_ER_READ, source.Stream->Error());
    }
    case ZIP_SOURCE_CLOSE:
        source.Stream->Close();
        return 0;
    case ZIP_SOURCE_STAT: {
        zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &source.Error);
        if (!stat)
            return -1;
        zip_stat_init(stat);
        stat->size = static_cast<zip_uint64_t>(source.Stream->Size());
        stat->mtime = source.Made;
        stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source.Error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&source.Error);
        delete &source;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&source.Error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

std::string ErrorText(zip_error_t* error)
{
    return zip_error_strerror(error);
}

}  // namespace

ZipArchive::~ZipArchive()
{
    Discard();
}

bool ZipArchive::Create(const std::string& path, std::string& reason)
{
    int code = 0;
    Archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &code);
    if (Archive)
        return true;
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    reason = "Cannot create " + path + ": " + ErrorText(&error);
    zip_error_fini(&error);
    return false;
}

bool ZipArchive::Configure(long long index, bool compress, std::string& reason)
{
    const zip_uint64_t at = static_cast<zip_uint64_t>(index);
    // Unpacked on a Unix system, the entry is readable by its owner alone.
    const zip_uint32_t mode = (S_IFREG | 0600) << 16;
    if (zip_set_file_compression(Archive, at, compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) == 0 &&
        zip_file_set_external_attributes(Archive, at, 0, ZIP_OPSYS_UNIX, mode) == 0)
        return true;
    reason = ErrorText(zip_get_error(Archive));
    return false;
}

bool ZipArchive::AddFile(const std::string& entry, const std::string& diskPath, bool compress, std::string& reason)
{
    zip_source_t* source = zip_source_file(Archive, diskPath.c_str(), 0, -1);
    if (!source) {
        reason = "Cannot read " + diskPath + ": " + ErrorText(zip_get_error(Archive));
        return false;
    }
    const zip_int64_t index = zip_file_add(Archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        reason = "Cannot add " + entry + ": " + ErrorText(zip_get_error(Archive));
        zip_source_free(source);
        return false;
    }
    return Configure(index, compress, reason);
}

bool ZipArchive::AddStream(const std::string& entry, std::unique_ptr<ByteStream> stream, bool compress,
                           std::function<bool()> onOpen, std::string& reason)
{
    auto* state = new StreamSource{std::move(stream), std::move(onOpen), StreamError, {}};
    zip_error_init(&state->Error);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(ReadStream, state, &error);
    if (!source) {
        reason = "Cannot add " + entry + ": " + ErrorText(&error);
        zip_error_fini(&error);
        zip_error_fini(&state->Error);
        delete state;
        return false;
    }
    zip_error_fini(&error);
    const zip_int64_t index = zip_file_add(Archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        reason = "Cannot add " + entry + ": " + ErrorText(zip_get_error(Archive));
        zip_source_free(source);  // frees the state too
        return false;
    }
    return Configure(index, compress, reason);
}

bool ZipArchive::Close(std::string& reason)
{
    if (zip_close(Archive) == 0) {
        Archive = nullptr;
        return true;
    }
    reason = StreamError->empty() ? ErrorText(zip_get_error(Archive)) : *StreamError;
    Discard();
    return false;
}

void ZipArchive::Discard()
{
    if (Archive)
        zip_discard(Archive);
    Archive = nullptr;
}

}  // namespace DBFrameWork
