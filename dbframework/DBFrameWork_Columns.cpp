#include "dbframework/DBFrameWork_Columns.h"

namespace DBFrameWork {
namespace {

bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

std::string ColumnDefinition::DeclaredType() const
{
    if (!IsCharacter())
        return Type;
    return std::string(Type) + "(" + std::to_string(ByteLength) + ")";
}

StringList TableDefinition::ColumnNames() const
{
    StringList names;
    for (const ColumnDefinition& column : Columns)
        names.push_back(column.Name);
    return names;
}

StringList TableDefinition::DeclaredTypes() const
{
    StringList types;
    for (const ColumnDefinition& column : Columns)
        types.push_back(column.DeclaredType());
    return types;
}

const TableDefinition& CustomerTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"CustomerID", "INTEGER"},
        {"Name", "VARCHAR", 120, "Name", "Customer name"},
        {"Address", "VARCHAR", 240, "Address1\r\nAddress2", "Address"},
        {"City", "VARCHAR", 120, "City", "City"},
        {"State", "VARCHAR", 120, "State", "State"},
        {"Zip", "VARCHAR", 9, "Zip", "Zip"},
    };
    static const TableDefinition table{"Customer", "CustomerID", columns};
    return table;
}

const TableDefinition& ProblemTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"ProblemID", "INTEGER"},
        {"Technician", "VARCHAR", 120, "Technician", "Technician"},
        {"Assigned", "TIMESTAMP", 0, "", "Assigned date"},
        {"Completed", "TIMESTAMP", 0, "", "Completed date"},
        {"BillableHours", "INTEGER", 0, "", "Billable hours"},
        {"ActualHours", "INTEGER", 0, "", "Actual hours"},
        {"Description", "BLOB SUB_TYPE TEXT", 0, "", "Problem description"},
        {"Resolution", "BLOB SUB_TYPE TEXT", 0, "", "Resolution"},
        {"Comment", "BLOB SUB_TYPE TEXT", 0, "", "Comments"},
        {"CustomerID", "INTEGER"},
    };
    static const TableDefinition table{"Problem", "ProblemID", columns};
    return table;
}

const TableDefinition& SystemInfoTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"ProblemID", "INTEGER"},
        {"OperatingSystem", "VARCHAR", 120, "Operating System", "Operating system"},
        {"Description", "BLOB SUB_TYPE TEXT"},
    };
    static const TableDefinition table{"SystemInfo", "ProblemID", columns};
    return table;
}

const TableDefinition& ContactTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"ContactID", "INTEGER"},
        {"CustomerID", "INTEGER"},
        {"Kind", "VARCHAR", 10},
        {"Contact", "VARCHAR", 120},
        // The number's digits, and the same backwards: an index finds a number by its end.
        {"Digits", "VARCHAR", 30},
        {"ReversedDigits", "VARCHAR", 30},
    };
    static const TableDefinition table{"CustomerContact", "ContactID", columns};
    return table;
}

const TableDefinition& DeviceTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"DeviceID", "INTEGER"},
        {"CustomerID", "INTEGER"},
        {"Kind", "VARCHAR", 20, "", "Device kind"},
        {"MakeModel", "VARCHAR", 80, "", "Make and model"},
        {"Serial", "VARCHAR", 60, "", "Serial number or IMEI"},
    };
    static const TableDefinition table{"Device", "DeviceID", columns};
    return table;
}

const TableDefinition& JobTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"ProblemID", "INTEGER"},
        {"State", "VARCHAR", 40, "", "Job state"},
        {"PromisedBy", "TIMESTAMP", 0, "", "Promised date"},
        {"DeviceID", "INTEGER"},
        {"Accessories", "VARCHAR", 200, "", "Accessories"},
        {"ArrivalCondition", "BLOB SUB_TYPE TEXT", 0, "", "Condition on arrival"},
        {"TermsAgreed", "INTEGER", 0, "", "Customer agrees to the terms"},
    };
    static const TableDefinition table{"Job", "ProblemID", columns};
    return table;
}

const TableDefinition& JobEventTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"EventID", "INTEGER"},      {"ProblemID", "INTEGER"}, {"EventTime", "TIMESTAMP"},
        {"UserName", "VARCHAR", 40}, {"Kind", "VARCHAR", 10},  {"Detail", "VARCHAR", 200},
    };
    static const TableDefinition table{"JobEvent", "EventID", columns};
    return table;
}

const TableDefinition& TicketFileTable()
{
    static const std::vector<ColumnDefinition> columns = {
        {"FileID", "INTEGER"},
        {"ProblemID", "INTEGER"},
        {"FileName", "VARCHAR", 255, "", "File name"},
        {"MediaType", "VARCHAR", 100},
        {"ByteSize", "INTEGER"},
        {"AddedAt", "TIMESTAMP"},
        {"UserName", "VARCHAR", 40},
        {"Content", "BLOB SUB_TYPE BINARY"},
        // A small picture made once when the file was added; NULL for other files.
        {"Thumbnail", "BLOB SUB_TYPE BINARY"},
    };
    static const TableDefinition table{"TicketFile", "FileID", columns};
    return table;
}

std::string MatchingPattern(const std::string& value, const ColumnDefinition& column)
{
    if (!column.IsCharacter())
        return value;
    if (value.size() >= column.ByteLength)
        return value;
    return value + "%";
}

std::string FittedPrefixPattern(const std::string& term, const ColumnDefinition& column)
{
    const size_t parameterBytes = column.ByteLength;
    if (parameterBytes == 0 || term.size() < parameterBytes)
        return term + "%";
    size_t cut = parameterBytes - 1;
    while (cut > 0 && IsContinuationByte(term[cut]))
        --cut;
    return term.substr(0, cut) + "%";
}

std::string FittedText(const std::string& text, const ColumnDefinition& column)
{
    if (!column.IsCharacter() || text.size() <= column.ByteLength)
        return text;
    size_t cut = column.ByteLength;
    while (cut > 0 && IsContinuationByte(text[cut]))
        --cut;
    return text.substr(0, cut);
}

}  // namespace DBFrameWork
