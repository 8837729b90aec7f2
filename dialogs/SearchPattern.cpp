#include "dialogs/SearchPattern.h"

#include <algorithm>

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace {

bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

std::string FittedPrefixPattern(const std::string& term, size_t parameterBytes)
{
    if (parameterBytes == 0 || term.size() < parameterBytes)
        return term + "%";
    size_t cut = parameterBytes - 1;
    while (cut > 0 && IsContinuationByte(term[cut]))
        --cut;
    return term.substr(0, cut) + "%";
}

size_t DeclaredBytes(const DBFrameWork::DBObjectBase& table, const std::string& column)
{
    const DBFrameWork::StringList columns = table.GetColumns();
    const DBFrameWork::StringList types = table.GetTypes();
    const auto at = std::find(columns.begin(), columns.end(), column);
    if (at == columns.end() || static_cast<size_t>(at - columns.begin()) >= types.size())
        return 0;
    const std::string& type = types[static_cast<size_t>(at - columns.begin())];
    const size_t open = type.find('(');
    if (type.find("CHAR") == std::string::npos || open == std::string::npos)
        return 0;
    return static_cast<size_t>(std::max(0, DBFrameWork::ToInt(type.substr(open + 1))));
}
