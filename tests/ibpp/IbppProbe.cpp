// A helper program for the client layer tests that must run in a process of
// their own: loading the client library, signals, and a second attachment.
// Usage: IbppProbe version | interrupt <file> | attach <file> | hold <file>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

#include "ibpp/ibpp.h"

namespace {

std::atomic<int> interrupted{0};

void OnInterrupt(int signal)
{
    interrupted.store(signal);
}

IBPP::Database Attach(const char* path)
{
    auto database = IBPP::DatabaseFactory("", path, "SYSDBA", "plumtrove");
    database->Connect();
    return database;
}

// Waits for the signal, then proves the attachment still works by
// committing a row.
int Interrupt(const char* path, bool wait)
{
    IBPP::SetInterruptHandler(OnInterrupt);
    auto database = Attach(path);
    struct sigaction action;
    sigaction(SIGINT, nullptr, &action);
    std::printf("ready %s\n", (action.sa_flags & SA_SIGINFO) ? "engine" : "ours");
    std::fflush(stdout);
    for (int waited = 0; interrupted.load() == 0 && waited < (wait ? 1000 : 100); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!wait)
        interrupted.store(1);
    if (interrupted.load() == 0) {
        std::printf("no interrupt\n");
        return 3;
    }
    std::printf("interrupted %d\n", interrupted.load());
    auto transaction = IBPP::TransactionFactory(database);
    transaction->Start();
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO T (ID) VALUES (?)");
    insert->Set(1, interrupted.load());
    insert->Execute();
    transaction->Commit();
    database->Disconnect();
    std::printf("done\n");
    return 0;
}

// Keeps the file attached until its standard input closes.
int Hold(const char* path)
{
    auto database = Attach(path);
    std::printf("attached\n");
    std::fflush(stdout);
    char buffer[16];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    database->Disconnect();
    return 0;
}

int Run(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "version") {
        std::printf("%s\n", IBPP::CheckVersion(IBPP::Version) ? "match" : "mismatch");
        return 0;
    }
    if (argc < 3)
        return 64;
    if (mode == "interrupt")
        return Interrupt(argv[2], true);
    if (mode == "write")
        return Interrupt(argv[2], false);
    if (mode == "hold")
        return Hold(argv[2]);
    if (mode == "attach") {
        Attach(argv[2])->Disconnect();
        std::printf("attached\n");
        return 0;
    }
    return 64;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int result;
    try {
        result = Run(argc, argv);
    } catch (const IBPP::Exception& error) {
        std::printf("error: %s\n", error.ErrorMessage());
        result = 2;
    }
    IBPP::Shutdown();
    return result;
}
