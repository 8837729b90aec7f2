#include "dbframework/DBFrameWork_FileText.h"

#include <cctype>

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FindText.h"

namespace DBFrameWork {
namespace {

std::string LowerAscii(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsHtml(const std::string& name, const std::string& mediaType)
{
    const std::string lower = LowerAscii(name);
    return EndsWith(lower, ".html") || EndsWith(lower, ".htm") || LowerAscii(mediaType).rfind("text/html", 0) == 0;
}

// A character the limit cut in two is dropped, not read as another one.
void DropCutCharacter(std::string& text)
{
    size_t lead = text.size();
    for (size_t back = 0; back < 4 && lead > 0; ++back) {
        --lead;
        const unsigned char c = static_cast<unsigned char>(text[lead]);
        if ((c & 0xC0) != 0x80) {
            const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
            if (lead + length > text.size())
                text.resize(lead);
            return;
        }
    }
}

}  // namespace

bool IsTextFile(const std::string& name, const std::string& mediaType)
{
    const std::string lower = LowerAscii(name);
    for (const char* end : {".txt", ".log", ".csv", ".html", ".htm"})
        if (EndsWith(lower, end))
            return true;
    return LowerAscii(mediaType).rfind("text/", 0) == 0;
}

std::string SearchableFileText(const std::string& name, const std::string& mediaType, const std::string& start)
{
    std::string text = start.size() > MaxFileTextBytes ? start.substr(0, MaxFileTextBytes) : start;
    DropCutCharacter(text);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    return IsHtml(name, mediaType) ? VisibleText(text) : text;
}

FileText ReadFileText(DBConnection& connection, IBPP::Statement& statement, int column, const std::string& name,
                      const std::string& mediaType)
{
    FileText file;
    file.Name = name;
    if (!IsTextFile(name, mediaType) || statement->IsNull(column))
        return file;
    IBPP::Blob blob = connection.GetBlob();
    statement->Get(column, blob);
    file.Text = SearchableFileText(name, mediaType, ReadBlobStart(blob, MaxFileTextBytes));
    return file;
}

}  // namespace DBFrameWork
