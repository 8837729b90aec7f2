#include "settings/Quenbrook_FileReplace.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quenbrook {
namespace {

bool WriteAll(int descriptor, const std::string& content)
{
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t count = write(descriptor, content.data() + done, content.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += static_cast<size_t>(count);
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is on disk only once the folder is.
void SyncFolder(const std::string& folder)
{
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::string& content)
{
    // A link the user made to a file of their own keeps pointing at the
    // settings: the file it leads to is replaced. A link someone else could
    // have planted is replaced itself, never followed.
    std::string target = path;
    struct stat old = {};
    struct stat entry = {};
    bool exists = stat(path.c_str(), &old) == 0;
    if (exists && lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode) &&
        (entry.st_uid != geteuid() || old.st_uid != geteuid()))
        exists = false;
    if (exists) {
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved) || !S_ISREG(old.st_mode))
            return false;
        target = resolved;
        // A file marked read-only stays as it is, even for the administrator.
        if (access(target.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0)
            return false;
    }

    std::string temporary = target + ".tmp-XXXXXX";
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    bool ok = WriteAll(descriptor, content);
    if (exists) {
        ok = ok && fchmod(descriptor, old.st_mode & 07777) == 0;
        // Only the administrator may give the file back to its owner; others own it already.
        if (geteuid() == 0)
            ok = ok && fchown(descriptor, old.st_uid, old.st_gid) == 0;
    }
    // A new file keeps the 0600 it was made with: it may hold a server's login.
    ok = ok && fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

}  // namespace Quenbrook
