// Everything the program has added to the data file beside its three tables,
// in the order added. A migration that has shipped is never changed: what
// changes later is a new migration at the end, additive like the others.
#pragma once

#include <vector>

#include "dbframework/DBFrameWork_Migration.h"

namespace DBFrameWork {

const std::vector<Migration>& SchemaMigrations();

}  // namespace DBFrameWork
