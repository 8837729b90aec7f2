// Every column of the tables, defined once: the table objects' column
// lists, the window's length limits, placeholders and spoken names, and the
// search patterns are all taken from here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace DBFrameWork {

using StringList = std::vector<std::string>;

struct ColumnDefinition {
    const char* Name;
    // The type as the engine declares it, without a length: "VARCHAR", "INTEGER".
    const char* Type;
    // The bytes a character column holds; 0 for the other types.
    size_t ByteLength = 0;
    // What a fresh ticket shows in the column's control, refused on save; "" for none.
    const char* Placeholder = "";
    // What a screen reader says for the column's control; "" when it shows none.
    const char* SpokenName = "";

    // The declared type, with its length: "VARCHAR(120)".
    std::string DeclaredType() const;
    bool IsCharacter() const { return ByteLength > 0; }
};

struct TableDefinition {
    const char* Name;
    const char* Key;
    std::vector<ColumnDefinition> Columns;

    StringList ColumnNames() const;
    StringList DeclaredTypes() const;
};

// Positions in each table's value list, in column order.
namespace CustomerColumn {
enum Position : size_t { CustomerID, Name, Address, City, State, Zip, Count };
}
namespace ProblemColumn {
enum Position : size_t {
    ProblemID,
    Technician,
    Assigned,
    Completed,
    BillableHours,
    ActualHours,
    Description,
    Resolution,
    Comment,
    CustomerID,
    Count
};
}
namespace SystemInfoColumn {
enum Position : size_t { ProblemID, OperatingSystem, Description, Count };
}

const TableDefinition& CustomerTable();
const TableDefinition& ProblemTable();
const TableDefinition& SystemInfoTable();

// The counter's tables, beside the three above: a program that knows only
// those keeps reading and writing the file.
namespace ContactColumn {
enum Position : size_t { ContactID, CustomerID, Kind, Contact, Digits, ReversedDigits, Count };
}
namespace DeviceColumn {
enum Position : size_t { DeviceID, CustomerID, Kind, MakeModel, Serial, Count };
}
namespace JobColumn {
enum Position : size_t { ProblemID, State, PromisedBy, DeviceID, Accessories, ArrivalCondition, TermsAgreed, Count };
}
namespace JobEventColumn {
enum Position : size_t { EventID, ProblemID, EventTime, UserName, Kind, Detail, Count };
}

const TableDefinition& ContactTable();
const TableDefinition& DeviceTable();
const TableDefinition& JobTable();
const TableDefinition& JobEventTable();

// The photos and files kept with a ticket, their bytes in the data file.
namespace TicketFileColumn {
enum Position : size_t {
    FileID,
    ProblemID,
    FileName,
    MediaType,
    ByteSize,
    AddedAt,
    UserName,
    Content,
    Thumbnail,
    Count
};
}
const TableDefinition& TicketFileTable();

// The prefix pattern with which a customer is matched on save. The engine
// sizes the parameter to its column, so a value that already fills the column
// is searched as it stands: a "%" there could only match the empty rest and
// would not fit.
std::string MatchingPattern(const std::string& value, const ColumnDefinition& column);

// The term followed by "%", the term cut first where needed so that the whole
// pattern fits the column's parameter. The cut falls on a UTF-8 character
// boundary: half a character would match other names.
std::string FittedPrefixPattern(const std::string& term, const ColumnDefinition& column);

// The text cut to the column's bytes on a UTF-8 character boundary.
std::string FittedText(const std::string& text, const ColumnDefinition& column);

}  // namespace DBFrameWork
