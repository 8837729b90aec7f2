// What a desk types, shared by the desk program, the tests and the benchmark.
#pragma once

#include <string>

class TMainForm;

namespace DeskWork {

// Quenbrook.ini in folder, naming the data file and the test server's login.
void WriteSettings(const std::string& folder, const std::string& dataFile);
// A new ticket: every fifth one is for the customer all desks share, the
// others for a customer of this desk's own.
void FillTicket(TMainForm& window, int desk, int round);

}  // namespace DeskWork
