// A data file of 100,000 realistic tickets for the benchmarks, filled
// through the client layer directly and kept under /tmp between runs.
#pragma once

#include <string>

#include "ibpp/ibpp.h"

namespace SearchDataSet {

constexpr int TicketCount = 100000;
constexpr int CustomerCount = 40000;

// The folder that holds Data/Solutions.fdb; the program runs with it as its
// working folder so that the default data file is the benchmark's.
std::string CacheFolder();
// True when the cached data file is complete.
bool IsCached();
// Fills the (freshly created, empty) data file behind database.
void Fill(IBPP::Database database);
// The same kind of tickets in another number (the find benchmark's larger set).
void Fill(IBPP::Database database, int ticketCount, int customerCount);
// Marks the cached data file complete.
void MarkCached();

}  // namespace SearchDataSet
