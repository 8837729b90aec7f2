#include "dbframework/DBFrameWork_ExportReadme.h"

#include "dbframework/DBFrameWork_ExportColumns.h"

namespace DBFrameWork {
namespace {

const char* const Introduction =
    "Everything the program held for the shop when this export was made, read in one consistent view of the data "
    "file.\r\n"
    "\r\n"
    "The CSV files\r\n"
    "-------------\r\n"
    "Each CSV file is UTF-8 with a byte order mark and follows RFC 4180: fields separated by commas, lines ending "
    "in CR LF, the first line naming the columns. A field that holds a comma, a double quote or a line break is "
    "quoted, a double quote inside written twice; line breaks inside texts are kept.\r\n"
    "\r\n"
    "Formula guard: so that a spreadsheet program never runs a value as a formula, a single quote (') was added "
    "in front of every text value that begins with =, +, - or @, with a tab or a carriage return, or with the "
    "full-width forms of = + - @ (U+FF1D, U+FF0B, U+FF0D, U+FF20). A text value that begins with a single quote "
    "itself got one more in front as well. So an importer takes the first character off every text value that "
    "begins with a single quote, and has the value as stored. Numbers, keys and dates are never guarded.\r\n"
    "\r\n"
    "An empty field is an empty (NULL) value. Keys are the data file's own and do not change between exports; "
    "a column that names another file's key refers to the line of that file with that key.\r\n"
    "\r\n"
    "The other files\r\n"
    "---------------\r\n"
    "reports/<ProblemID>.html: the system-information report imported for a ticket, byte for byte as stored "
    "(normally HTML); tickets.csv ReportFile names it.\r\n"
    "files/<ProblemID>/<FileID>-<name>: the bytes of each photo and file of a ticket, exactly as stored (never "
    "a thumbnail); files.csv Path names it. The stored name is made safe for any file system there: / \\ : * ? "
    "\" < > | and control characters become _, trailing dots and spaces are dropped; files.csv FileName keeps "
    "the name as stored.\r\n";

void Describe(const ExportFile& file, std::string& text)
{
    const std::string title = std::string(file.FileName);
    text += "\r\n" + title + "\r\n" + std::string(title.size(), '-') + "\r\n" + file.Meaning + "\r\n";
    text += std::string("Key: ") + file.KeyName + ".\r\n";
    for (const ExportColumn& column : file.Columns) {
        text += std::string("  ") + column.Name + ": " + column.Meaning +
            " Format: " + FormatDescription(column.Format) + ".";
        if (*column.Refers)
            text += std::string(" Refers to ") + column.Refers + ".";
        text += "\r\n";
    }
}

}  // namespace

std::string ExportReadme()
{
    std::string text = std::string("Export of the shop's data\r\n=========================\r\n") + Introduction;
    for (const ExportFile& file : ExportFiles())
        Describe(file, text);
    Describe(StatesFile(), text);
    return text;
}

}  // namespace DBFrameWork
