#include "SmtpMail.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

// curl_global_init is not safe to race with other threads' curl use, so it runs
// once, and is never undone while the program may still send.
CURLcode GlobalInit()
{
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result;
}

struct Upload {
    const std::string& text;
    size_t sent = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* userData)
{
    auto* upload = static_cast<Upload*>(userData);
    const size_t length = std::min(size * count, upload->text.size() - upload->sent);
    std::memcpy(buffer, upload->text.data() + upload->sent, length);
    upload->sent += length;
    return length;
}

int ReplyCode(const std::string& reply)
{
    if (reply.size() < 3 || !std::isdigit(static_cast<unsigned char>(reply[0])))
        return 0;
    return std::atoi(reply.substr(0, 3).c_str());
}

// Keeps only what the server said; what we send (the AUTH lines) never lands
// here. A refusal, once there is one, is kept over the polite "221 Bye" after it.
int KeepServerReply(CURL*, curl_infotype type, char* data, size_t size, void* userData)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    auto& kept = *static_cast<std::string*>(userData);
    if (!line.empty() && (ReplyCode(kept) < 400 || ReplyCode(line) >= 400))
        kept = line;
    return 0;
}

bool PlainHost(const std::string& host)
{
    if (host.empty())
        return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
}

std::string ServerUrl(const MailServer& server)
{
    const bool ipv6 = server.host.find(':') != std::string::npos && server.host.front() != '[';
    const std::string host = ipv6 ? "[" + server.host + "]" : server.host;
    return (server.security == MailSecurity::Tls ? "smtps://" : "smtp://") + host + ":" + std::to_string(server.port);
}

// curl's own text ends a sentence of ours, whether or not it has its full stop.
std::string Sentence(const std::string& text)
{
    return !text.empty() && text.back() == '.' ? text : text + ".";
}

std::string Explained(CURLcode code, const MailServer& server, const std::string& curlText, const std::string& reply)
{
    const std::string where = server.host + ":" + std::to_string(server.port);
    const std::string details = Sentence(curlText.empty() ? curl_easy_strerror(code) : curlText);
    const std::string replied = reply.empty() ? "" : " The server replied: " + reply;
    switch (code) {
    case CURLE_LOGIN_DENIED:
        return "The mail server refused the login for user \"" + server.user + "\"; check the user name and password." +
            replied;
    case CURLE_COULDNT_RESOLVE_HOST:
        return "The mail server \"" + server.host + "\" could not be found: " + details;
    case CURLE_COULDNT_CONNECT:
        return "Could not connect to the mail server at " + where + ": " + details;
    case CURLE_OPERATION_TIMEDOUT:
        return "The mail server at " + where + " did not answer within " + std::to_string(server.timeoutSeconds) +
            " seconds: " + details + replied;
    case CURLE_USE_SSL_FAILED:
        return "The mail server at " + where +
            " does not offer an encrypted connection (STARTTLS), so nothing was sent: " + details + replied;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return "The mail server's certificate could not be verified, so nothing was sent: " + details;
    case CURLE_SSL_CONNECT_ERROR:
        return "The encrypted connection to the mail server could not be set up: " + details + replied;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        // curl reports a refused sender or recipient as a send error too.
        if (ReplyCode(reply) >= 400)
            return "The mail server refused the message: " + Sentence(reply) + " " + details;
        return "The connection to the mail server was lost: " + details + replied;
    default:
        if (ReplyCode(reply) >= 400)
            return "The mail server refused the message: " + Sentence(reply) + " " + details;
        return "The message could not be sent: " + details + replied;
    }
}

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Recipients = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

}  // namespace

SendResult SendMail(const MailServer& settings, const MailMessage& message)
{
    MailServer server = settings;
    server.timeoutSeconds = std::max(1, settings.timeoutSeconds);
    const long timeout = server.timeoutSeconds;
    SendResult result;
    if (!PlainHost(server.host)) {
        result.error = "No valid mail server is set up (the server name \"" + server.host + "\" cannot be used).";
        return result;
    }
    if (server.port < 1 || server.port > 65535) {
        result.error = "The mail server's port " + std::to_string(server.port) + " is not a valid port number.";
        return result;
    }
    std::string text;
    try {
        text = MailText(message, std::time(nullptr), NewMessageId(message.from));
    } catch (const MailRefused& refused) {
        result.error = refused.what();
        return result;
    }
    if (const CURLcode init = GlobalInit(); init != CURLE_OK) {
        result.error = std::string("The mail library could not be started: ") + curl_easy_strerror(init);
        return result;
    }
    Easy curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        result.error = "The mail library could not be started.";
        return result;
    }
    Recipients recipients(curl_slist_append(nullptr, ("<" + message.to + ">").c_str()), &curl_slist_free_all);
    if (!recipients) {
        result.error = "Out of memory while preparing the message.";
        return result;
    }
    const std::string url = ServerUrl(server);
    const std::string from = "<" + message.from + ">";
    Upload upload{text};
    std::string serverReply;
    char curlText[CURL_ERROR_SIZE] = {};

    CURL* easy = curl.get();
    // The first option curl refuses stops the sending; none is left silently unset.
    CURLcode setup = CURLE_OK;
    const auto set = [&](CURLoption option, auto value) {
        if (setup == CURLE_OK)
            setup = curl_easy_setopt(easy, option, value);
    };
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    // Replaces the bundle file only; the system's certificate folder stays in use.
    if (!server.caFile.empty())
        set(CURLOPT_CAINFO, server.caFile.c_str());
    if (!server.user.empty()) {
        set(CURLOPT_USERNAME, server.user.c_str());
        set(CURLOPT_PASSWORD, server.password.c_str());
    }
    set(CURLOPT_MAIL_FROM, from.c_str());
    set(CURLOPT_MAIL_RCPT, recipients.get());
    set(CURLOPT_UPLOAD, 1L);
    set(CURLOPT_READFUNCTION, &ReadUpload);
    set(CURLOPT_READDATA, &upload);
    set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));
    set(CURLOPT_TIMEOUT, timeout);
    set(CURLOPT_CONNECTTIMEOUT, timeout);
    // Signals would reach the whole program; timeouts work without them.
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_ERRORBUFFER, curlText);
    // Verbose only feeds the reply catcher; nothing is printed.
    set(CURLOPT_DEBUGFUNCTION, &KeepServerReply);
    set(CURLOPT_DEBUGDATA, &serverReply);
    set(CURLOPT_VERBOSE, 1L);

    if (setup != CURLE_OK) {
        result.error = std::string("The mail library could not be set up: ") + curl_easy_strerror(setup);
        return result;
    }

    const CURLcode code = curl_easy_perform(easy);
    if (code == CURLE_OK) {
        result.sent = true;
        return result;
    }
    result.error = Explained(code, server, curlText, serverReply);
    return result;
}
