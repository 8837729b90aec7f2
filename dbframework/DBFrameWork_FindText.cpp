#include "dbframework/DBFrameWork_FindText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "dbframework/DBFrameWork_PhoneNumber.h"

namespace DBFrameWork {
namespace {

// Base letters of U+00C0 to U+017F; "" keeps the character, and the two
// letters of a ligature are written out.
// clang-format off
const char* const Latin[] = {
    // U+00C0
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "O", "", "O", "U", "U", "U", "U", "Y", "TH", "ss",
    // U+00E0
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100
    "A", "a", "A", "a", "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    "D", "d", "E", "e", "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    "G", "g", "G", "g", "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    "l", "L", "l", "N", "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    "S", "s", "T", "t", "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    "U", "u", "U", "u", "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s",
};
// clang-format on

// Length of the UTF-8 sequence starting at text[at], 0 when it is not valid.
size_t SequenceLength(const std::string& text, size_t at, uint32_t& codePoint)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    return length;
}

bool IsSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

void AppendUtf8(std::string& out, uint32_t codePoint)
{
    if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000))
        return;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The entity starting at html[at] ('&'); its length in consumed, 0 when it is none we know.
void AppendEntity(const std::string& html, size_t at, std::string& out, size_t& consumed)
{
    consumed = 0;
    const size_t end = html.find(';', at);
    if (end == std::string::npos || end - at > 10)
        return;
    const std::string name = html.substr(at + 1, end - at - 1);
    uint32_t codePoint = 0;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7)
            return;
        for (const char c : digits) {
            if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
                return;
        }
        codePoint = static_cast<uint32_t>(std::stoul(digits, nullptr, hex ? 16 : 10));
    } else {
        static const struct {
            const char* name;
            uint32_t codePoint;
        } Named[] = {{"amp", '&'},     {"lt", '<'},      {"gt", '>'},      {"quot", '"'},
                     {"apos", '\''},   {"nbsp", ' '},    {"copy", 0xA9},   {"reg", 0xAE},
                     {"eacute", 0xE9}, {"egrave", 0xE8}, {"uuml", 0xFC},   {"ouml", 0xF6},
                     {"auml", 0xE4},   {"szlig", 0xDF},  {"ccedil", 0xE7}, {"aacute", 0xE1}};
        const auto* found = std::find_if(std::begin(Named), std::end(Named),
                                         [&](const auto& entry) { return name == entry.name; });
        if (found == std::end(Named))
            return;
        codePoint = found->codePoint;
    }
    AppendUtf8(out, codePoint);
    consumed = end - at + 1;
}

bool StartsWithTag(const std::string& html, size_t at, const char* tag)
{
    const size_t length = std::strlen(tag);
    if (at + length > html.size())
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(html[at + i])) != tag[i])
            return false;
    const char after = at + length < html.size() ? html[at + length] : '>';
    return after == '>' || after == '/' || IsSpace(static_cast<unsigned char>(after));
}

// Position after the closing tag of the element (e.g. "</script>"), or the end.
size_t SkipElement(const std::string& html, size_t at, const char* closing)
{
    const size_t length = std::strlen(closing);
    for (size_t i = at; i + length <= html.size(); ++i) {
        if (html[i] == '<' && StartsWithTag(html, i + 1, closing)) {
            const size_t close = html.find('>', i);
            return close == std::string::npos ? html.size() : close + 1;
        }
    }
    return html.size();
}

}  // namespace

std::string VisibleText(const std::string& html, const std::atomic<bool>* stop)
{
    std::string out;
    out.reserve(html.size() / 2);
    bool pendingSpace = false;
    const auto space = [&] { pendingSpace = !out.empty(); };
    // The next ">" at or after the position, found once for all the "<" before
    // it: a text of "<" without any ">" is read once, not once for each "<".
    size_t nextClose = 0;
    const auto closeFrom = [&](size_t at) {
        if (nextClose != std::string::npos && nextClose < at)
            nextClose = html.find('>', at);
        return nextClose;
    };
    nextClose = html.find('>');
    constexpr size_t StopCheckEvery = 1 << 16;
    size_t nextStopCheck = StopCheckEvery;
    for (size_t at = 0; at < html.size();) {
        if (stop && at >= nextStopCheck) {
            if (*stop)
                break;
            nextStopCheck = at + StopCheckEvery;
        }
        const char c = html[at];
        const char next = at + 1 < html.size() ? html[at + 1] : ' ';
        // A tag begins with a letter, "/" or "!"; any other "<" is text.
        const bool tag = c == '<' &&
            (std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '!' || next == '?');
        if (tag && html.compare(at, 4, "<!--") == 0) {
            const size_t end = html.find("-->", at + 4);
            at = end == std::string::npos ? html.size() : end + 3;
            space();
            continue;
        }
        if (tag && closeFrom(at) != std::string::npos) {
            if (StartsWithTag(html, at + 1, "script"))
                at = SkipElement(html, at + 1, "/script");
            else if (StartsWithTag(html, at + 1, "style"))
                at = SkipElement(html, at + 1, "/style");
            else
                at = closeFrom(at) + 1;
            space();
            continue;
        }
        if (IsSpace(static_cast<unsigned char>(c))) {
            space();
            ++at;
            continue;
        }
        if (pendingSpace) {
            out += ' ';
            pendingSpace = false;
        }
        if (c == '&') {
            size_t consumed = 0;
            AppendEntity(html, at, out, consumed);
            if (consumed > 0) {
                at += consumed;
                continue;
            }
        }
        out += c;
        ++at;
    }
    return out;
}

std::string CleanQuery(const std::string& query)
{
    std::string text = query.substr(0, std::min(query.size(), MaxQueryLength));
    // Never cut a character in two.
    if (text.size() < query.size()) {
        while (!text.empty() && (static_cast<unsigned char>(query[text.size()]) & 0xC0) == 0x80)
            text.pop_back();
    }
    // The parser takes the typographic quotes that keyboards and pasted text
    // bring for double quotes too: they count, or one of them would open a
    // phrase that runs to the end.
    for (const char* typographic : {"\xE2\x80\x9C", "\xE2\x80\x9D"})
        for (size_t at = text.find(typographic); at != std::string::npos; at = text.find(typographic, at + 1))
            text.replace(at, 3, "\"");
    if (std::count(text.begin(), text.end(), '"') % 2 != 0)
        std::replace(text.begin(), text.end(), '"', ' ');
    const bool hasWord = std::any_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || (static_cast<unsigned char>(c) & 0x80);
    });
    return hasWord ? text : std::string();
}

std::vector<PhoneRun> FindPhoneRuns(const std::string& query)
{
    // A word that holds a whole number by itself.
    constexpr size_t WholeNumberDigits = 10;
    constexpr size_t LongestCountryCode = 3;
    std::vector<PhoneRun> runs;
    size_t runBegin = std::string::npos, runEnd = 0, runDigits = 0;
    const auto closeRun = [&] {
        if (runBegin == std::string::npos)
            return;
        const std::string text = query.substr(runBegin, runEnd - runBegin);
        if (IsPhoneNumberText(text, PhoneQueryDigits))
            runs.push_back({runBegin, runEnd, PhoneDigits(text), text[0] == '+'});
        runBegin = std::string::npos;
        runDigits = 0;
    };
    bool quoted = false;
    for (size_t at = 0; at < query.size();) {
        if (IsSpace(static_cast<unsigned char>(query[at]))) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < query.size() && !IsSpace(static_cast<unsigned char>(query[end])))
            ++end;
        const std::string word = query.substr(at, end - at);
        const size_t plus = word[0] == '+' ? 1 : 0;
        const bool phoneWord = !quoted && word.size() > plus &&
            word.find_first_not_of("0123456789-./()", plus) == std::string::npos;
        const size_t digits = PhoneDigits(word).size();
        if (!phoneWord) {
            closeRun();
        } else {
            // "+" begins a number of its own; so does a word of a whole number,
            // unless it follows the country code.
            const bool afterCountryCode = runBegin != std::string::npos && query[runBegin] == '+' &&
                runDigits <= LongestCountryCode;
            if (plus || (digits >= WholeNumberDigits && !afterCountryCode))
                closeRun();
            // A number begins with a word that has digits; one excluded keeps
            // its "-" outside the stretch, for the parser.
            if (runBegin == std::string::npos && digits > 0)
                runBegin = word[0] == '-' ? at + 1 : at;
            if (runBegin != std::string::npos) {
                runEnd = end;
                runDigits += digits;
            }
            if (digits >= WholeNumberDigits)
                closeRun();
        }
        if (std::count(word.begin(), word.end(), '"') % 2 != 0)
            quoted = !quoted;
        at = end;
    }
    closeRun();
    return runs;
}

std::string FoldAccents(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        const size_t length = SequenceLength(text, at, codePoint);
        if (length == 0) {
            out += text[at++];
            continue;
        }
        if (codePoint >= 0xC0 && codePoint <= 0x17F && Latin[codePoint - 0xC0][0] != '\0')
            out += Latin[codePoint - 0xC0];
        else
            out.append(text, at, length);
        at += length;
    }
    return out;
}

}  // namespace DBFrameWork
