// What Export All writes, defined once: each CSV file with its columns (the
// SQL that reads a column, its format and its meaning), from which both the
// CSV writer and README.txt are made, so the two cannot disagree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace DBFrameWork {

enum class ExportFormat {
    Key,  // a whole number that names a row
    Integer,
    Flag,  // 1 or 0, empty for NULL
    Text,
    LongText,  // a text blob, whole, line breaks kept
    Date,  // yyyy-mm-dd
    Timestamp,  // yyyy-mm-dd hh:mm:ss
    Path,  // a file's place inside the export, with forward slashes
};

// A value of the row being written, by its column's name.
using ExportValue = std::function<std::string(const char* column)>;

struct ExportColumn {
    const char* Name;
    // What the statement selects; "" for a column made from others alone.
    const char* Sql;
    // The table the column is read from; its value is empty when the data file lacks it.
    const char* Table;
    ExportFormat Format;
    const char* Meaning;
    // "file column" this column refers to; "" for none.
    const char* Refers = "";
    // Makes a Path column's value from what the row read (its own Sql's value under its own name).
    std::string (*Derive)(const ExportValue& value) = nullptr;
};

struct ExportJoin {
    const char* Table;
    const char* Clause;  // "LEFT JOIN Job j ON j.ProblemID = p.ProblemID"
};

struct ExportFile {
    const char* FileName;
    const char* Meaning;
    const char* Table;  // the table of one row per line
    const char* From;  // "Problem p"
    std::vector<ExportJoin> Joins;
    const char* OrderBy;
    const char* KeyName;
    std::vector<ExportColumn> Columns;
};

// The CSV files made from the data file, in the order they are written.
const std::vector<ExportFile>& ExportFiles();
// states.csv, made from the shop's list of states (not from the data file).
const ExportFile& StatesFile();

// Where a ticket's imported report and a ticket's file stand in the export.
std::string ReportPath(int32_t problemId);
std::string TicketFilePath(int32_t problemId, int32_t fileId, const std::string& storedName);
// A stored file's name made safe for any file system (no folder separators,
// colons, control characters or characters Windows refuses; not ending in a
// dot or a space), readable still; "file" when nothing is left.
std::string SafeFileName(const std::string& name);

const char* FormatDescription(ExportFormat format);

}  // namespace DBFrameWork
