// The copy of a report that View hands to the browser. A report comes from
// the customer's machine and is shown on every desk that opens the ticket, so
// the copy may run nothing and reach nothing: a content security policy comes
// first, and script elements, event handler attributes and javascript: links
// are taken out. The stored report keeps every byte as imported.
#pragma once

#include <string>

namespace ReportView {

// The <meta> element that starts the copy (after a byte order mark and a
// document type).
extern const char* const Policy;

std::string ShownCopy(const std::string& report);

// Writes content as a new file of mode 0600 beside path and renames it over
// whatever stands there, a link included (never what the link points to), so
// a kill midway leaves the old file or the new one. False with the reason
// when it cannot.
bool WriteNewFile(const std::string& path, const std::string& content, std::string& why);

}  // namespace ReportView
