// The engine's lock folder, handled the way the lock kill test needs it:
//   lock_tool hold <data file>     creates the file and keeps it attached, a
//                                  second engine process on the folder, until
//                                  its standard input ends
//   lock_tool poison <segment>     takes the mutex at the head of a segment
//                                  file, prints "locked" and waits to be killed
//   lock_tool show <lock folder>   prints each segment's mutex: free, held by a
//                                  living thread, or left by one that ended
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "ibpp/ibpp.h"
#include "tests/support/datafiles/LocalLogin.h"

namespace {

constexpr off_t MutexOffset = 16;
constexpr size_t Mapped = 64;

int Hold(const std::string& file)
{
    std::filesystem::remove(file);
    IBPP::Database database = IBPP::DatabaseFactory("", file, TestSupport::LocalUser(), TestSupport::LocalPassword());
    database->Create(3);
    database->Connect();
    std::printf("holding\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {}
    database->Disconnect();
    return IBPP::Shutdown() ? 0 : 1;
}

int Poison(const std::string& file)
{
    const int fd = open(file.c_str(), O_RDWR);
    if (fd < 0) {
        std::perror(file.c_str());
        return 1;
    }
    void* head = mmap(nullptr, Mapped, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (head == MAP_FAILED) {
        std::perror("mmap");
        return 1;
    }
    auto* mutex = reinterpret_cast<pthread_mutex_t*>(static_cast<char*>(head) + MutexOffset);
    const int taken = pthread_mutex_lock(mutex);
    if (taken != 0) {
        std::fprintf(stderr, "pthread_mutex_lock: %s\n", std::strerror(taken));
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    for (;;)
        pause();
}

int Show(const std::string& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string path = entry.path().string();
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW);
        if (fd < 0)
            continue;
        int words[4] = {};
        const bool read = pread(fd, words, sizeof words, MutexOffset) == static_cast<ssize_t>(sizeof words);
        close(fd);
        if (!read || entry.file_size(error) < Mapped)
            continue;
        const int lockWord = words[0], owner = words[2];
        struct stat info;
        const bool alive = owner > 0 && stat(("/proc/" + std::to_string(owner)).c_str(), &info) == 0;
        std::printf("%s: %s\n", entry.path().filename().c_str(),
                    lockWord == 0 ? "free"
                        : alive   ? ("held by living thread " + std::to_string(owner)).c_str()
                                  : ("LEFT LOCKED by ended thread " + std::to_string(owner)).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s hold <data file> | poison <segment> | show <lock folder>\n", argv[0]);
        return 2;
    }
    const std::string command = argv[1];
    try {
        if (command == "hold")
            return Hold(argv[2]);
        if (command == "poison")
            return Poison(argv[2]);
        if (command == "show")
            return Show(argv[2]);
    } catch (const IBPP::Exception& error) {
        std::fprintf(stderr, "%s\n", error.ErrorMessage());
        return 1;
    }
    return 2;
}
