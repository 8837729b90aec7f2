// README.txt of an export: every file and every column, from the same
// definitions the CSV files are written from.
#pragma once

#include <string>

namespace DBFrameWork {

std::string ExportReadme();

}  // namespace DBFrameWork
