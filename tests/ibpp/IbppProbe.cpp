// A helper program for the client layer tests that must run in a process of
// their own: loading the client library, signals, and a second attachment.
// Usage: IbppProbe version | interrupt <file> | attach <file>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "ibpp/ibpp.h"
#include "tests/support/datafiles/LocalLogin.h"

namespace {

std::atomic<int> interrupted{0};

void OnInterrupt(int signal)
{
    interrupted.store(signal);
}

IBPP::Database Attach(const char* path)
{
    auto database = IBPP::DatabaseFactory("", path, TestSupport::LocalUser(), TestSupport::LocalPassword());
    database->Connect();
    return database;
}

// Waits for the signal, then proves the attachment still works by
// committing a row.
int Interrupt(const char* path)
{
    IBPP::SetInterruptHandler(OnInterrupt);
    auto database = Attach(path);
    std::printf("ready\n");
    std::fflush(stdout);
    for (int waited = 0; interrupted.load() == 0 && waited < 3000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
        return Interrupt(argv[2]);
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
