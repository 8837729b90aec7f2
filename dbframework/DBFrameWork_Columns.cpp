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

}  // namespace DBFrameWork
