#include "dbframework/DBFrameWork_FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {
namespace {

bool Fail(const std::string& what, const std::string& path)
{
    OutputDebugString(what + " " + path + ": " + std::strerror(errno));
    return false;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Flush(const std::string& path, int flags)
{
    const int descriptor = open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return Fail("Cannot open", path);
    const bool flushed = fsync(descriptor) == 0;
    const int reason = errno;
    close(descriptor);
    errno = reason;
    return flushed || Fail("Cannot flush", path);
}

}  // namespace

bool PutInPlace(const std::string& from, const std::string& to)
{
    const std::string folder = FolderOf(to);
    if (!Flush(from, O_RDONLY) || !Flush(folder, O_RDONLY | O_DIRECTORY))
        return false;
    // A data file that another start made meanwhile is kept, not replaced.
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL)
            return Fail("Cannot rename " + from + " to", to);
        // The file system knows no such rename; check first instead.
        if (access(to.c_str(), F_OK) == 0) {
            errno = EEXIST;
            return Fail("Cannot rename " + from + " to", to);
        }
        if (std::rename(from.c_str(), to.c_str()) != 0)
            return Fail("Cannot rename " + from + " to", to);
    }
    return Flush(folder, O_RDONLY | O_DIRECTORY);
}

bool RemoveIfPresent(const std::string& path)
{
    if (unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    return Fail("Cannot remove", path);
}

bool MakePrivate(const std::string& path)
{
    if (chmod(path.c_str(), 0600) == 0)
        return true;
    OutputDebugString("Cannot make " + path + " private: " + std::strerror(errno));
    return false;
}

bool CreatePrivate(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor >= 0 && close(descriptor) == 0)
        return true;
    OutputDebugString("Cannot create " + path + ": " + std::strerror(errno));
    return false;
}

bool MakePrivateFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (!folder.empty() && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace DBFrameWork
