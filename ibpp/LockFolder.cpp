#include "ibpp/LockFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ibpp/ibpp.h"

namespace IBPP::LockFolder {

namespace {

// The account Debian's engine packages run the server as.
constexpr const char* EngineUserName = "firebird";

}  // namespace

std::string Choose(bool variableSet, const SharedState& shared, unsigned userId, unsigned engineUserId)
{
    // A folder that does not exist yet is created by the engine for this user.
    if (variableSet || !shared.exists)
        return {};
    const bool trustedOwner = shared.owner == 0 || shared.owner == userId || shared.owner == engineUserId;
    if (shared.isFolder && shared.writable && trustedOwner && !shared.othersMayWrite)
        return {};
    return std::string(SharedFolder) + "-" + std::to_string(userId);
}

namespace {

// Another user could have made the folder first (or a link in its place) to
// read or spoil our lock files; only a real folder of ours, closed to others,
// will do.
void CheckOwnFolder(const std::string& folder, uid_t userId)
{
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0)
        throw Exception("Cannot use the lock folder " + folder + ": " + std::strerror(errno));
    if (!S_ISDIR(info.st_mode) || info.st_uid != userId || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        throw Exception("Cannot use the lock folder " + folder +
                        ": it is not a folder owned by this user and closed to others");
}

}  // namespace

void Prepare()
{
    const char* variable = std::getenv(Variable);
    const bool variableSet = variable && *variable;
    struct stat info;
    SharedState shared;
    shared.exists = lstat(SharedFolder, &info) == 0;
    if (shared.exists) {
        shared.isFolder = S_ISDIR(info.st_mode);
        shared.writable = access(SharedFolder, W_OK | X_OK) == 0;
        shared.owner = info.st_uid;
        shared.othersMayWrite = (info.st_mode & S_IWOTH) != 0;
    }
    const uid_t userId = geteuid();
    const struct passwd* engineUser = getpwnam(EngineUserName);
    const unsigned engineUserId = engineUser ? engineUser->pw_uid : userId;
    const std::string folder = Choose(variableSet, shared, userId, engineUserId);
    if (folder.empty())
        return;
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw Exception("Cannot create the lock folder " + folder + ": " + std::strerror(errno));
    CheckOwnFolder(folder, userId);
    setenv(Variable, folder.c_str(), 1);
}

}  // namespace IBPP::LockFolder
