#include "ibpp/ibpp.h"

namespace IBPP {

std::string ServerOf(const std::string& path)
{
    // An IPv6 address is bracketed, its colons inside the brackets.
    size_t hostEnd = 0;
    if (!path.empty() && path[0] == '[') {
        hostEnd = path.find(']');
        if (hostEnd == std::string::npos)
            return {};
        ++hostEnd;
    }
    const size_t colon = path.find(':', hostEnd);
    // "C:..." names a drive, and a backslash before the colon a local folder.
    if (colon == std::string::npos || colon < 2 || path.find('\\') < colon)
        return {};
    const std::string server = path.substr(0, colon);
    const size_t slash = server.find('/', hostEnd);
    if (slash == std::string::npos)
        return server;
    // "host/port": exactly one slash, with text on both sides.
    if (slash > 0 && slash + 1 < server.size() && server.find('/', slash + 1) == std::string::npos)
        return server;
    return {};
}

}  // namespace IBPP
