#include "ibpp/ClientLibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "ibpp/EngineCall.h"
#include "ibpp/Interrupts.h"
#include "ibpp/LockFolder.h"

namespace IBPP::Client {

namespace {

constexpr const char* DefaultLibrary = "libfbclient.so.2";

std::mutex loadMutex;
std::atomic<const Api*> loadedApi{nullptr};

constexpr int AllowShutdown = 0;
constexpr int RefuseShutdown = 1;

// The engine asks every registered callback before it shuts down. A signal
// that reaches the engine's own handler (one that came before we took the
// signals back) is refused, so the attachments survive, and handed on; the
// engine does not say which of the two signals it was. Without a handler
// the engine goes on as it would.
int OnEngineShutdown(const int reason, const int mask, void*)
{
    if (reason != fb_shutrsn_signal || !(mask & fb_shut_confirmation) || !Interrupts::HasHandler())
        return AllowShutdown;
    Interrupts::Deliver(SIGINT);
    return RefuseShutdown;
}

template <typename Function>
void Resolve(void* library, const std::string& file, const char* name, Function& function)
{
    void* symbol = dlsym(library, name);
    if (!symbol)
        throw Exception("The client library " + file + " lacks the entry point " + name);
    function = reinterpret_cast<Function>(symbol);
}

const Api* LoadLibrary()
{
    LockFolder::Prepare();
    // A lock left taken there would stop the engine's first creation for good.
    RecoverLockFolder();
    const std::string file = LibraryFileName();
    // Never unloaded: the library keeps threads and exit handlers of its own.
    // Global: with a local load the engine plugin spun for ever in detach
    // once an attachment had been idle for about ten seconds.
    Interrupts::EngineThreadGuard blocked;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        const char* reason = dlerror();
        throw Exception("Cannot load the Firebird client library " + file + ": " +
                        (reason ? reason : "unknown reason"));
    }
    auto api = std::make_unique<Api>();
    Resolve(library, file, "isc_attach_database", api->attach_database);
    Resolve(library, file, "isc_create_database", api->create_database);
    Resolve(library, file, "isc_detach_database", api->detach_database);
    Resolve(library, file, "isc_drop_database", api->drop_database);
    Resolve(library, file, "isc_start_transaction", api->start_transaction);
    Resolve(library, file, "isc_commit_transaction", api->commit_transaction);
    Resolve(library, file, "isc_rollback_transaction", api->rollback_transaction);
    Resolve(library, file, "isc_dsql_allocate_statement", api->dsql_allocate_statement);
    Resolve(library, file, "isc_dsql_prepare", api->dsql_prepare);
    Resolve(library, file, "isc_dsql_describe", api->dsql_describe);
    Resolve(library, file, "isc_dsql_describe_bind", api->dsql_describe_bind);
    Resolve(library, file, "isc_dsql_execute", api->dsql_execute);
    Resolve(library, file, "isc_dsql_execute2", api->dsql_execute2);
    Resolve(library, file, "isc_dsql_execute_immediate", api->dsql_execute_immediate);
    Resolve(library, file, "isc_dsql_fetch", api->dsql_fetch);
    Resolve(library, file, "isc_dsql_free_statement", api->dsql_free_statement);
    Resolve(library, file, "isc_dsql_sql_info", api->dsql_sql_info);
    Resolve(library, file, "isc_create_blob2", api->create_blob2);
    Resolve(library, file, "isc_open_blob2", api->open_blob2);
    Resolve(library, file, "isc_close_blob", api->close_blob);
    Resolve(library, file, "isc_cancel_blob", api->cancel_blob);
    Resolve(library, file, "isc_put_segment", api->put_segment);
    Resolve(library, file, "isc_get_segment", api->get_segment);
    Resolve(library, file, "isc_blob_info", api->blob_info);
    Resolve(library, file, "isc_service_attach", api->service_attach);
    Resolve(library, file, "isc_service_detach", api->service_detach);
    Resolve(library, file, "isc_service_start", api->service_start);
    Resolve(library, file, "isc_service_query", api->service_query);
    Resolve(library, file, "fb_interpret", api->interpret);
    Resolve(library, file, "isc_sqlcode", api->sqlcode);
    Resolve(library, file, "fb_shutdown", api->shutdown);
    Resolve(library, file, "fb_shutdown_callback", api->shutdown_callback);

    ISC_STATUS_ARRAY status = {};
    api->shutdown_callback(status, OnEngineShutdown, fb_shut_confirmation, nullptr);
    if (status[0] == 1 && status[1]) {
        const std::string message = Message(status);
        throw Exception("Cannot register with the client library " + file + ": " + message);
    }
    return api.release();
}

}  // namespace

std::string LibraryFileName()
{
    const char* file = std::getenv(ClientLibraryVariable);
    return file && *file ? file : DefaultLibrary;
}

const Api& Load()
{
    if (const Api* api = loadedApi.load())
        return *api;
    std::lock_guard<std::mutex> lock(loadMutex);
    if (!loadedApi.load())
        loadedApi.store(LoadLibrary());
    return *loadedApi.load();
}

const Api* Loaded()
{
    return loadedApi.load();
}

std::string Message(const ISC_STATUS* status)
{
    const Api* api = loadedApi.load();
    if (!api)
        return "Unknown engine error";
    std::string message;
    const ISC_STATUS* cursor = status;
    char line[1024];
    while (api->interpret(line, sizeof line, &cursor) > 0) {
        if (!message.empty())
            message += "\n-";
        message += line;
    }
    return message.empty() ? "Unknown engine error" : message;
}

void Check(const ISC_STATUS* status)
{
    if (status[0] == 1 && status[1] != 0)
        Raise(status);
}

int SystemError(const ISC_STATUS* status)
{
    // Clusters of a code and its argument (two for a counted string) up to
    // the end mark, within the vector's fixed size.
    for (int at = 0; at + 1 < ISC_STATUS_LENGTH && status[at] != isc_arg_end;) {
        const ISC_STATUS kind = status[at];
        if (kind == isc_arg_unix)
            return static_cast<int>(status[at + 1]);
        // A server sends the reason as its operating system's text alone.
        if (kind == isc_arg_interpreted) {
            const char* text = reinterpret_cast<const char*>(status[at + 1]);
            for (const char* missing : {"No such file or directory", "The system cannot find the file specified.",
                                        "The system cannot find the path specified."})
                if (text && std::strcmp(text, missing) == 0)
                    return ENOENT;
        }
        at += kind == isc_arg_cstring ? 3 : 2;
    }
    return 0;
}

void Raise(const ISC_STATUS* status)
{
    const Api& api = Load();
    const int sqlCode = static_cast<int>(api.sqlcode(status));
    throw Exception(Message(status), sqlCode, static_cast<int>(status[1]), SystemError(status));
}

}  // namespace IBPP::Client
