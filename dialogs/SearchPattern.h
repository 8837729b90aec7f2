// Prefix patterns for LIKE parameters that take the size of a character column.
#pragma once

#include <cstddef>
#include <string>

namespace DBFrameWork {
class DBObjectBase;
}

// The term followed by "%", the term cut first where needed so that the whole
// pattern fits a parameter of parameterBytes bytes (0: no limit). The cut falls
// on a UTF-8 character boundary: half a character would match other names.
std::string FittedPrefixPattern(const std::string& term, size_t parameterBytes);

// The declared size in bytes of a character column of a table, such as 120 for
// "VARCHAR(120)"; 0 when the column is unknown or declares no size.
size_t DeclaredBytes(const DBFrameWork::DBObjectBase& table, const std::string& column);
