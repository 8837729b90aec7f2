#include "dialogs/MediaType.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <magic.h>

#include <QtGlobal>

namespace {

const char* const UnknownType = "application/octet-stream";

// A cookie is not safe to share between threads, and loading the database
// takes longer than looking at a file: one per thread, loaded once.
class MagicCookie {
public:
    MagicCookie() : cookie_(magic_open(MAGIC_MIME_TYPE))
    {
        if (!cookie_) {
            qWarning("libmagic could not start: %s", std::strerror(errno));
            return;
        }
        if (magic_load(cookie_, nullptr) != 0) {
            qWarning("libmagic could not load its database: %s", magic_error(cookie_));
            magic_close(cookie_);
            cookie_ = nullptr;
        }
    }
    ~MagicCookie()
    {
        if (cookie_)
            magic_close(cookie_);
    }
    MagicCookie(const MagicCookie&) = delete;
    MagicCookie& operator=(const MagicCookie&) = delete;

    magic_t Get() const { return cookie_; }

private:
    magic_t cookie_;
};

bool EndsWithNoCase(const std::string& text, const std::string& ending)
{
    if (text.size() < ending.size())
        return false;
    const size_t start = text.size() - ending.size();
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[start + i])) != ending[i])
            return false;
    return true;
}

}  // namespace

std::string MediaTypeOf(const std::string& bytes, const std::string& name)
{
    thread_local const MagicCookie magic;
    if (!magic.Get())
        return UnknownType;
    const char* found = magic_buffer(magic.Get(), bytes.data(), bytes.size());
    if (!found) {
        qWarning("libmagic could not tell the type of \"%s\": %s", name.c_str(), magic_error(magic.Get()));
        return UnknownType;
    }
    const std::string type = found;
    if (type.empty())
        return UnknownType;
    // libmagic knows CSV and HTML only by their look; the name settles
    // plain text that it could not place.
    if (type == "text/plain") {
        if (EndsWithNoCase(name, ".csv"))
            return "text/csv";
        if (EndsWithNoCase(name, ".html") || EndsWithNoCase(name, ".htm"))
            return "text/html";
    }
    return type;
}

bool IsImageType(const std::string& mediaType)
{
    // Media types are case-insensitive; other programs may have stored "IMAGE/JPEG".
    static const std::string prefix = "image/";
    if (mediaType.size() <= prefix.size())
        return false;
    for (size_t at = 0; at < prefix.size(); ++at)
        if (std::tolower(static_cast<unsigned char>(mediaType[at])) != prefix[at])
            return false;
    return true;
}
