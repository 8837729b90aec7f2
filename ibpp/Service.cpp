// The service manager handle: isc_service_attach/start/query/detach. The
// parameter blocks follow the engine's service parameter buffer format: one
// byte item codes, text items with a two-byte length (one byte when attaching)
// and option items as four-byte little-endian numbers.
#include <ibase.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ibpp/ClientLibrary.h"
#include "ibpp/EngineCall.h"
#include "ibpp/Interrupts.h"
#include "ibpp/ibpp.h"

namespace IBPP {

namespace {

// A line of the service's output fits in far less; the engine cuts longer ones.
constexpr int QueryBufferSize = 16384;

// What an item is, for a message: never its value, which may be a password.
const char* ItemName(char code)
{
    switch (code) {
    case isc_spb_user_name:
        return "user name";
    case isc_spb_password:
        return "password";
    case isc_spb_dbname:
        return "data file name";
    case isc_spb_config:
        return "configuration";
    default:
        return "backup file name";
    }
}

void AppendShortItem(std::string& block, char code, const std::string& value)
{
    if (value.size() > 255)
        throw Exception(std::string("The service manager's ") + ItemName(code) + " is too long (at most 255 bytes)");
    block += code;
    block += static_cast<char>(value.size());
    block += value;
}

void AppendText(std::string& block, char code, const std::string& value)
{
    if (value.size() > 65535)
        throw Exception(std::string("The service manager's ") + ItemName(code) + " is too long (at most 65535 bytes)");
    block += code;
    block += static_cast<char>(value.size() & 0xFF);
    block += static_cast<char>((value.size() >> 8) & 0xFF);
    block += value;
}

void AppendNumber(std::string& block, char code, unsigned value)
{
    block += code;
    for (int byte = 0; byte < 4; ++byte)
        block += static_cast<char>((value >> (8 * byte)) & 0xFF);
}

// Releases a service attachment that a bounded call made after its caller gave up.
void Detach(FB_API_HANDLE handle)
{
    ISC_STATUS_ARRAY status = {};
    Client::Load().service_detach(status, &handle);
}

void DetachBounded(isc_svc_handle attached)
{
    const Client::Api& api = Client::Load();
    Client::Bounded("Leaving the service manager", [&api, attached](ISC_STATUS* status) {
        isc_svc_handle handle = attached;
        api.service_detach(status, &handle);
        return FB_API_HANDLE{0};
    });
}

unsigned ReadLength(const char* bytes)
{
    return static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned>(static_cast<unsigned char>(bytes[1])) << 8);
}

class ServiceImpl : public IService {
public:
    ServiceImpl(std::string serverName, std::string userName, std::string userPassword)
        : serverName_(std::move(serverName)), userName_(std::move(userName)), userPassword_(std::move(userPassword))
    {}

    ~ServiceImpl() override
    {
        if (handle_ == 0)
            return;
        try {
            DetachBounded(handle_);
        } catch (const EngineNotAnswering& error) {
            Client::Notice(error.ErrorMessage());
        } catch (const Exception&) {
            // Nothing to be done about a detach that fails here.
        }
    }

    ServiceImpl(const ServiceImpl&) = delete;
    ServiceImpl& operator=(const ServiceImpl&) = delete;

    void Connect() override
    {
        if (handle_ != 0)
            return;
        const Client::Api& api = Client::Load();
        const std::string name = serverName_.empty() ? "service_mgr" : serverName_ + ":service_mgr";
        std::string block;
        block += static_cast<char>(isc_spb_version);
        block += static_cast<char>(isc_spb_current_version);
        if (!userName_.empty())
            AppendShortItem(block, isc_spb_user_name, userName_);
        if (!userPassword_.empty())
            AppendShortItem(block, isc_spb_password, userPassword_);
        if (!serverName_.empty())
            AppendShortItem(block, isc_spb_config, ServerLinkConfig);
        // The first attach may start the embedded engine and its signal handlers.
        const Interrupts::Handlers before = Interrupts::Current();
        try {
            handle_ = Client::Bounded(
                "Reaching the service manager of " + name,
                [&api, name, block](ISC_STATUS* status) {
                    isc_svc_handle attached = 0;
                    api.service_attach(status, 0, name.c_str(), &attached, static_cast<unsigned short>(block.size()),
                                       block.data());
                    return attached;
                },
                Detach);
        } catch (...) {
            handle_ = 0;
            Interrupts::TakeBack(before);
            throw;
        }
        Interrupts::TakeBack(before);
    }

    bool Connected() const override { return handle_ != 0; }

    void Disconnect() override
    {
        if (handle_ == 0)
            throw Exception("Cannot disconnect the service manager: it is not connected");
        const isc_svc_handle attached = handle_;
        handle_ = 0;
        running_ = false;
        DetachBounded(attached);
    }

    void StartBackup(const std::string& databaseFile, const std::string& backupFile, bool verbose) override
    {
        std::string block(1, static_cast<char>(isc_action_svc_backup));
        AppendText(block, isc_spb_dbname, databaseFile);
        AppendText(block, isc_spb_bkp_file, backupFile);
        if (verbose)
            block += static_cast<char>(isc_spb_verbose);
        Start(block, "backup");
    }

    void StartRestore(const std::string& backupFile, const std::string& databaseFile, bool replace,
                      bool verbose) override
    {
        std::string block(1, static_cast<char>(isc_action_svc_restore));
        AppendText(block, isc_spb_bkp_file, backupFile);
        AppendText(block, isc_spb_dbname, databaseFile);
        AppendNumber(block, isc_spb_options, replace ? isc_spb_res_replace : isc_spb_res_create);
        if (verbose)
            block += static_cast<char>(isc_spb_verbose);
        Start(block, "restore");
    }

    void StartValidation(const std::string& databaseFile) override
    {
        std::string block(1, static_cast<char>(isc_action_svc_repair));
        AppendText(block, isc_spb_dbname, databaseFile);
        AppendNumber(block, isc_spb_options, isc_spb_rpr_validate_db | isc_spb_rpr_full);
        Start(block, "validation");
    }

    bool WaitMsg(std::string& line) override
    {
        line.clear();
        if (!running_)
            return false;
        const Client::Api& api = Client::Load();
        const char request[] = {isc_info_svc_line};
        const isc_svc_handle handle = *Handle();
        auto buffer = std::make_shared<std::vector<char>>(QueryBufferSize);
        for (;;) {
            try {
                // A long quiet stretch (an index over many rows) is no hang;
                // a lock of the engine that does not move is.
                Client::BoundedWhileMoving(
                    "Waiting for the service manager", [&api, handle, request, buffer](ISC_STATUS* status) {
                        isc_svc_handle queried = handle;
                        api.service_query(status, &queried, nullptr, 0, nullptr, sizeof request, request,
                                          static_cast<unsigned short>(buffer->size()), buffer->data());
                        return FB_API_HANDLE{0};
                    });
            } catch (const EngineNotAnswering&) {
                running_ = false;
                throw;
            } catch (const Exception&) {
                // The action's own failure arrives here, after its last line,
                // a moment before the engine's action thread has ended.
                running_ = false;
                WaitForTheActionToEnd(handle);
                throw;
            }
            const char* item = buffer->data();
            const char* end = buffer->data() + buffer->size();
            bool again = false;
            while (item < end && *item != isc_info_end) {
                const char code = *item++;
                if (code == isc_info_svc_line) {
                    if (end - item < 2)
                        break;
                    const unsigned length = ReadLength(item);
                    item += 2;
                    if (length > static_cast<unsigned>(end - item))
                        throw Exception("The service manager answered a line longer than its buffer");
                    if (length == 0) {
                        // No line and nothing to come: the action is over.
                        running_ = false;
                        return false;
                    }
                    line.assign(item, length);
                    return true;
                }
                if (code == isc_info_data_not_ready || code == isc_info_svc_timeout || code == isc_info_truncated) {
                    again = true;
                    continue;
                }
                throw Exception("The service manager answered an unknown item " + std::to_string(code));
            }
            if (!again)
                throw Exception("The service manager answered no output line");
        }
    }

    void Wait() override
    {
        std::string line;
        while (WaitMsg(line)) {}
    }

private:
    // Until the engine's thread ends, a new action is refused as "busy".
    static void WaitForTheActionToEnd(isc_svc_handle handle)
    {
        const Client::Api& api = Client::Load();
        const char request[] = {isc_info_svc_running};
        // The call may outlive a wait that gave up, so its answer lives on the heap.
        auto answer = std::make_shared<std::vector<char>>(16);
        for (int attempt = 0; attempt < 500; ++attempt) {
            try {
                Client::Bounded("Asking the service manager whether its action ended",
                                [&api, handle, request, answer](ISC_STATUS* status) {
                                    isc_svc_handle queried = handle;
                                    api.service_query(status, &queried, nullptr, 0, nullptr, sizeof request, request,
                                                      static_cast<unsigned short>(answer->size()), answer->data());
                                    return FB_API_HANDLE{0};
                                });
            } catch (const EngineNotAnswering& error) {
                Client::Notice(error.ErrorMessage());
                return;
            } catch (const Exception&) {
                // Until its thread ends, the manager answers with the action's failure again.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            const char* item = answer->data();
            if (item[0] != isc_info_svc_running || (item[1] | item[2] | item[3] | item[4]) == 0)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Client::Notice("The service manager's failed action had not ended after 5 seconds");
    }

    isc_svc_handle* Handle()
    {
        if (handle_ == 0)
            throw Exception("The service manager is not connected");
        return &handle_;
    }

    void Start(const std::string& block, const char* action)
    {
        if (running_)
            throw Exception(std::string("Cannot start the ") + action + ": another service action is running");
        const isc_svc_handle handle = *Handle();
        const Client::Api& api = Client::Load();
        const Interrupts::Handlers before = Interrupts::Current();
        try {
            // The action runs on a thread the engine starts now.
            Client::Bounded(std::string("Starting the ") + action, [&api, handle, block](ISC_STATUS* status) {
                isc_svc_handle started = handle;
                api.service_start(status, &started, nullptr, static_cast<unsigned short>(block.size()), block.data());
                return FB_API_HANDLE{0};
            });
        } catch (const EngineNotAnswering&) {
            Interrupts::TakeBack(before);
            throw;
        } catch (const Exception&) {
            // An action that fails as it begins reports so here, while its
            // thread is still ending.
            Interrupts::TakeBack(before);
            WaitForTheActionToEnd(handle);
            throw;
        } catch (...) {
            Interrupts::TakeBack(before);
            throw;
        }
        Interrupts::TakeBack(before);
        running_ = true;
    }

    std::string serverName_, userName_, userPassword_;
    isc_svc_handle handle_ = 0;
    bool running_ = false;
};

}  // namespace

Service ServiceFactory(const std::string& serverName, const std::string& userName, const std::string& userPassword)
{
    Client::Load();
    return std::make_shared<ServiceImpl>(serverName, userName, userPassword);
}

}  // namespace IBPP
