// A fetched row's columns, NULL read as the empty value.
#pragma once

#include <cstdint>
#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

std::string TextOrEmpty(IBPP::Statement& statement, int column);
int32_t NumberOrZero(IBPP::Statement& statement, int column);
// A timestamp column as "year-month-day hour:minute"; empty for NULL.
std::string MinuteTextOrEmpty(IBPP::Statement& statement, int column);

}  // namespace DBFrameWork
