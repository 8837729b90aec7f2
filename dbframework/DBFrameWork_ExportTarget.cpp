#include "dbframework/DBFrameWork_ExportTarget.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_ZipArchive.h"

namespace DBFrameWork {
namespace {

constexpr size_t WriteBufferBytes = 1 << 20;

std::string SystemReason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsEmptyFolder(const std::string& path)
{
    DIR* folder = opendir(path.c_str());
    if (!folder)
        return false;
    bool empty = true;
    while (const dirent* entry = readdir(folder))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            empty = false;
    closedir(folder);
    return empty;
}

bool SyncPath(const std::string& path, int flags, std::string& why)
{
    const int descriptor = open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0) {
        why = SystemReason("Cannot open " + path);
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    if (!synced)
        why = SystemReason("Cannot write " + path + " to disk");
    close(descriptor);
    return synced;
}

// A file of mode 0600 that is new (never through a link), written in large
// pieces and flushed to disk when closed.
class PrivateFile {
public:
    ~PrivateFile()
    {
        if (Descriptor >= 0)
            close(Descriptor);
    }
    bool Open(const std::string& path, std::string& why)
    {
        Path = path;
        Descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (Descriptor < 0)
            why = SystemReason("Cannot create " + path);
        return Descriptor >= 0;
    }
    bool Write(const char* bytes, size_t count, std::string& why)
    {
        Pending.append(bytes, count);
        return Pending.size() < WriteBufferBytes || Flush(why);
    }
    bool Close(std::string& why)
    {
        const bool written = Flush(why) && Sync(why);
        const bool closed = close(Descriptor) == 0;
        Descriptor = -1;
        if (written && !closed)
            why = SystemReason("Cannot write " + Path);
        return written && closed;
    }

private:
    bool Flush(std::string& why)
    {
        for (size_t at = 0; at < Pending.size();) {
            const ssize_t wrote = write(Descriptor, Pending.data() + at, Pending.size() - at);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote < 0) {
                why = SystemReason("Cannot write " + Path);
                return false;
            }
            at += static_cast<size_t>(wrote);
        }
        Pending.clear();
        return true;
    }
    bool Sync(std::string& why)
    {
        if (fsync(Descriptor) == 0)
            return true;
        why = SystemReason("Cannot write " + Path + " to disk");
        return false;
    }

    std::string Path;
    int Descriptor = -1;
    std::string Pending;
};

// The folder beside the target where the export is made, removed with what
// it holds unless it was put in place.
class Staging {
public:
    ~Staging()
    {
        if (Path.empty())
            return;
        std::error_code error;
        std::filesystem::remove_all(Path, error);
        if (error)
            OutputDebugString("Cannot remove " + Path + ": " + error.message());
    }
    bool Make(const std::string& target, std::string& why)
    {
        std::string pattern = FolderOf(target) + "/." + NameOf(target) + ".export-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            why = SystemReason("Cannot create a folder beside " + target);
            return false;
        }
        Path = pattern;
        return true;
    }
    // Makes the folders above path inside the staging folder (0700).
    bool MakeFoldersFor(const std::string& path, std::string& why)
    {
        const std::string folder = FolderOf(path);
        if (folder == "." || !Made.insert(folder).second)
            return true;
        if (MakePrivateFolders(Path + "/" + folder))
            return true;
        why = SystemReason("Cannot create the folder " + Path + "/" + folder);
        return false;
    }
    // Flushes every folder made inside, so that their entries survive a crash.
    bool SyncFolders(std::string& why)
    {
        for (const std::string& folder : Made)
            for (std::string at = folder; at != "."; at = FolderOf(at))
                if (!SyncPath(Path + "/" + at, O_RDONLY | O_DIRECTORY, why))
                    return false;
        return SyncPath(Path, O_RDONLY | O_DIRECTORY, why);
    }
    void Release() { Path.clear(); }
    std::string Path;

private:
    std::set<std::string> Made;
};

class FolderTarget final : public ExportTarget {
public:
    FolderTarget(std::string target, bool replaceEmpty) : Target(std::move(target)), ReplaceEmpty(replaceEmpty) {}
    bool Prepare() { return Folder.Make(Target, Why); }

    bool BeginText(const std::string& path) override { return Open(path); }
    bool WriteText(const std::string& text) override { return File->Write(text.data(), text.size(), Why); }
    bool EndText() override
    {
        const bool closed = File->Close(Why);
        File.reset();
        return closed;
    }
    bool AddBytes(const std::string& path, std::unique_ptr<ByteStream> stream, bool,
                  std::function<bool()> onWrite) override
    {
        if (onWrite && !onWrite()) {
            Why = "cancelled";
            return false;
        }
        if (!Open(path))
            return false;
        if (!stream->Open()) {
            Why = stream->Error();
            return false;
        }
        std::vector<char> buffer(1 << 16);
        for (;;) {
            const int64_t read = stream->Read(buffer.data(), buffer.size());
            if (read < 0) {
                Why = stream->Error();
                return false;
            }
            if (read == 0)
                break;
            if (!File->Write(buffer.data(), static_cast<size_t>(read), Why))
                return false;
        }
        stream->Close();
        return EndText();
    }
    bool Finish() override
    {
        if (!Folder.SyncFolders(Why))
            return false;
        if (ReplaceEmpty) {
            // rename() takes the place of an empty folder only: one filled meanwhile stays.
            if (std::rename(Folder.Path.c_str(), Target.c_str()) != 0) {
                Why = SystemReason("Cannot put the export in place at " + Target);
                return false;
            }
            Folder.Release();
            return SyncPath(FolderOf(Target), O_RDONLY | O_DIRECTORY, Why);
        }
        if (!PutInPlace(Folder.Path, Target)) {
            Why = SystemReason("Cannot put the export in place at " + Target);
            return false;
        }
        Folder.Release();
        return true;
    }

private:
    bool Open(const std::string& path)
    {
        if (!Folder.MakeFoldersFor(path, Why))
            return false;
        File = std::make_unique<PrivateFile>();
        return File->Open(Folder.Path + "/" + path, Why);
    }

    std::string Target;
    bool ReplaceEmpty;
    Staging Folder;
    std::unique_ptr<PrivateFile> File;
};

class ZipTarget final : public ExportTarget {
public:
    explicit ZipTarget(std::string target) : Target(std::move(target)) {}
    bool Prepare()
    {
        // The staging folder's 0700 covers libzip's own file, made with the process's umask.
        return Folder.Make(Target, Why) && Archive.Create(ArchivePath(), Why);
    }

    bool BeginText(const std::string& path) override
    {
        TextPath = path;
        File = std::make_unique<PrivateFile>();
        return Folder.MakeFoldersFor(path, Why) && File->Open(Folder.Path + "/" + path, Why);
    }
    bool WriteText(const std::string& text) override { return File->Write(text.data(), text.size(), Why); }
    bool EndText() override
    {
        const bool closed = File->Close(Why);
        File.reset();
        return closed && Archive.AddFile(TextPath, Folder.Path + "/" + TextPath, true, Why);
    }
    bool AddBytes(const std::string& path, std::unique_ptr<ByteStream> stream, bool compress,
                  std::function<bool()> onWrite) override
    {
        return Archive.AddStream(path, std::move(stream), compress, std::move(onWrite), Why);
    }
    bool Finish() override
    {
        if (!Archive.Close(Why))
            return false;
        if (!MakePrivate(ArchivePath())) {
            Why = SystemReason("Cannot make " + ArchivePath() + " private");
            return false;
        }
        if (!PutInPlace(ArchivePath(), Target)) {
            Why = SystemReason("Cannot put the export in place at " + Target);
            return false;
        }
        return true;
    }

private:
    std::string ArchivePath() const { return Folder.Path + "/archive.zip"; }

    std::string Target;
    Staging Folder;
    ZipArchive Archive;
    std::string TextPath;
    std::unique_ptr<PrivateFile> File;
};

bool EndsWithZip(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".zip";
}

}  // namespace

std::unique_ptr<ExportTarget> MakeExportTarget(const std::string& target, std::string& reason)
{
    std::string path = target;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    struct stat info;
    const bool present = lstat(path.c_str(), &info) == 0;
    if (!present && errno != ENOENT) {
        reason = SystemReason("Cannot look at " + path);
        return nullptr;
    }
    if (EndsWithZip(path)) {
        if (present) {
            reason = path + " exists already; choose a new name for the export";
            return nullptr;
        }
        auto zip = std::make_unique<ZipTarget>(path);
        if (!zip->Prepare()) {
            reason = zip->Reason();
            return nullptr;
        }
        return zip;
    }
    const bool emptyFolder = present && S_ISDIR(info.st_mode) && IsEmptyFolder(path);
    if (present && !emptyFolder) {
        reason = path + " exists already and is not an empty folder; choose a new or empty folder for the export";
        return nullptr;
    }
    auto folder = std::make_unique<FolderTarget>(path, emptyFolder);
    if (!folder->Prepare()) {
        reason = folder->Reason();
        return nullptr;
    }
    return folder;
}

}  // namespace DBFrameWork
