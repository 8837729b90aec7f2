// What the data file's own schema holds, as the engine's catalogue lists it.
#pragma once

#include <set>
#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

// Adds the name of every table, generator, constraint, index and trigger of
// the file's own schema (not the engine's), and every column as TABLE.COLUMN,
// as the catalogue stores them: unquoted names in capitals. Reads in the
// statement's transaction, so a migration sees what it has made itself;
// the engine's errors are thrown.
void ReadCatalogueNames(IBPP::Statement& statement, std::set<std::string>& names);

}  // namespace DBFrameWork
