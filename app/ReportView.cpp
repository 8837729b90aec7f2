#include "app/ReportView.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace ReportView {

const char* const Policy =
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
    "img-src data:; form-action 'none'; frame-ancestors 'none'\">";

namespace {

const char* const ByteOrderMark = "\xEF\xBB\xBF";

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsNameChar(char c)
{
    return !IsSpace(c) && c != '>' && c != '/' && c != '=' && c != '\0';
}

std::string Lower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// A value the browser would run when followed: "javascript:", whatever the
// case and with the white space and control characters it skips.
bool RunsScript(const std::string& value)
{
    std::string squeezed;
    for (const char c : value)
        if (static_cast<unsigned char>(c) > ' ')
            squeezed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return squeezed.rfind("javascript:", 0) == 0;
}

// Position of the ">" that ends the tag starting at `at`, quotes respected;
// npos when the text ends first.
size_t TagEnd(const std::string& html, size_t at)
{
    char quote = 0;
    for (size_t i = at; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string::npos;
}

// The tag html[at..end] (from "<" to ">") without the attributes that run scripts.
std::string CleanTag(const std::string& html, size_t at, size_t end)
{
    size_t i = at + 1;
    if (i < end && html[i] == '/')
        ++i;
    while (i < end && IsNameChar(html[i]))
        ++i;
    std::string tag = html.substr(at, i - at);
    while (i < end) {
        const size_t spaceStart = i;
        while (i < end && (IsSpace(html[i]) || html[i] == '/'))
            ++i;
        if (i >= end) {
            tag.append(html, spaceStart, i - spaceStart);
            break;
        }
        const size_t nameStart = i;
        while (i < end && IsNameChar(html[i]))
            ++i;
        if (i == nameStart)
            ++i;  // a stray "=": kept as it is
        const std::string name = Lower(html.substr(nameStart, i - nameStart));
        std::string value;
        size_t probe = i;
        while (probe < end && IsSpace(html[probe]))
            ++probe;
        if (probe < end && html[probe] == '=') {
            ++probe;
            while (probe < end && IsSpace(html[probe]))
                ++probe;
            if (probe < end && (html[probe] == '"' || html[probe] == '\'')) {
                // Searched within the tag alone: a quote left open must not send
                // every attribute's search to the end of the report.
                const size_t close = std::string_view(html).substr(0, end).find(html[probe], probe + 1);
                const size_t stop = close == std::string_view::npos ? end : close;
                value = html.substr(probe + 1, stop - probe - 1);
                probe = stop < end ? stop + 1 : end;
            } else {
                const size_t valueStart = probe;
                while (probe < end && !IsSpace(html[probe]))
                    ++probe;
                value = html.substr(valueStart, probe - valueStart);
            }
            i = probe;
        }
        if (name.rfind("on", 0) == 0 || RunsScript(value))
            continue;
        tag.append(html, spaceStart, i - spaceStart);
    }
    return tag + '>';
}

bool StartsWithName(const std::string& html, size_t at, const char* name)
{
    const size_t length = std::strlen(name);
    if (html.size() < at + length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(html[at + i])) != name[i])
            return false;
    return at + length == html.size() || !IsNameChar(html[at + length]);
}

// Where the script element that opens at `at` ends: after its "</script ...>",
// or the end of the text.
size_t AfterScript(const std::string& html, size_t at)
{
    for (size_t i = html.find('<', at); i != std::string::npos; i = html.find('<', i + 1)) {
        if (i + 1 < html.size() && html[i + 1] == '/' && StartsWithName(html, i + 2, "script")) {
            const size_t end = TagEnd(html, i);
            return end == std::string::npos ? html.size() : end + 1;
        }
    }
    return html.size();
}

}  // namespace

std::string ShownCopy(const std::string& report)
{
    std::string shown;
    shown.reserve(report.size() + 200);
    size_t at = 0;
    if (report.rfind(ByteOrderMark, 0) == 0) {
        shown += ByteOrderMark;
        at = 3;
    }
    // After the document type, which must stay first for the page to be laid
    // out as its author meant.
    size_t start = at;
    while (start < report.size() && IsSpace(report[start]))
        ++start;
    if (report.compare(start, 2, "<!") == 0 && StartsWithName(report, start + 2, "doctype")) {
        const size_t end = report.find('>', start);
        if (end != std::string::npos) {
            shown.append(report, at, end + 1 - at);
            at = end + 1;
        }
    }
    shown += Policy;
    while (at < report.size()) {
        const size_t open = report.find('<', at);
        if (open == std::string::npos) {
            shown.append(report, at, std::string::npos);
            break;
        }
        shown.append(report, at, open - at);
        if (report.compare(open, 4, "<!--") == 0) {
            const size_t close = report.find("-->", open + 4);
            const size_t after = close == std::string::npos ? report.size() : close + 3;
            shown.append(report, open, after - open);
            at = after;
            continue;
        }
        const size_t nameAt = open + 1 < report.size() && report[open + 1] == '/' ? open + 2 : open + 1;
        if (nameAt >= report.size() || !std::isalpha(static_cast<unsigned char>(report[nameAt]))) {
            shown += '<';  // text, not a tag
            at = open + 1;
            continue;
        }
        const size_t end = TagEnd(report, open);
        if (end == std::string::npos)
            break;  // a tag the text ends in: the browser shows nothing of it either
        if (StartsWithName(report, nameAt, "script")) {
            at = nameAt == open + 1 ? AfterScript(report, end + 1) : end + 1;
            continue;
        }
        shown += CleanTag(report, open, end);
        at = end + 1;
    }
    return shown;
}

bool WriteNewFile(const std::string& path, const std::string& content, std::string& why)
{
    // A new file of a name of its own (made 0600, never through a link), renamed
    // over whatever stands at path, a link with it (never what it points to):
    // a kill midway leaves the old file or the new one.
    std::string temporary = path + ".new-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    const auto fail = [&](int error) {
        why = std::strerror(error);
        unlink(temporary.c_str());
        return false;
    };
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t count = write(fd, content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            const int error = count < 0 ? errno : ENOSPC;
            close(fd);
            return fail(error);
        }
        written += static_cast<size_t>(count);
    }
    if (close(fd) != 0)
        return fail(errno);
    if (rename(temporary.c_str(), path.c_str()) != 0)
        return fail(errno);
    return true;
}

}  // namespace ReportView
