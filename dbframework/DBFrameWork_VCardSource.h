// Customers from an address book's vCard file (2.1, 3.0 and 4.0, RFC 6350),
// and one customer's card written as vCard 4.0.
//
// The cards are parsed by libvformat, which unfolds lines and decodes
// quoted-printable but was written for 2.1: before it reads the text, a
// byte order mark is dropped and the lines are unfolded, and a quoted
// parameter value (4.0's LABEL="...;...") has its semicolons and colons
// blanked, which the library would take for the end of the parameter. After
// it, the library's split of a value at every semicolon is undone where the
// semicolon was escaped, and the TEXT escapes are read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

struct VCardCustomer {
    // The card's place in the file, counted from 1.
    size_t Number = 0;
    // Name (FN, else N's parts joined, else ORG), the first address (the
    // preferred one where marked): street lines, locality, region, postal code.
    CustomerRecord Customer;
    // Every TEL, its kind from TYPE (cell: mobile, home, work; "mobile" for a
    // phone of no kind), and the first EMAIL (the preferred one where marked).
    ContactsRecord Contacts;
};

// The cards of the file; false with the reason for the user when the file
// cannot be read, holds no card, or holds a card the parser could not read.
bool ReadVCardFile(const std::string& path, std::vector<VCardCustomer>& cards, std::string& error);
bool ReadVCardText(const std::string& text, std::vector<VCardCustomer>& cards, std::string& error);

// One vCard 4.0 of the customer: CR LF line ends, lines folded at 75 octets
// between characters, TEXT values escaped.
std::string WriteVCard(const CustomerRecord& customer, const ContactsRecord& contacts);

}  // namespace DBFrameWork
