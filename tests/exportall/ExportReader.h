// Reads an export back as an importer would: the CSV files through libcsv,
// the files of a folder or of a .zip (through libzip).
#pragma once

#include <map>
#include <string>
#include <vector>

using CsvRows = std::vector<std::vector<std::string>>;

// The file's lines and fields (RFC 4180), after its byte order mark, which must be there.
CsvRows ParseCsv(const std::string& bytes);
// A text field as stored: the first quote taken off, as README.txt says.
std::string Unguarded(const std::string& field);

class ExportView {
public:
    // A folder, or a .zip file read whole into memory here (the tests' exports are small).
    explicit ExportView(const std::string& target);
    bool Has(const std::string& path) const { return Files.count(path) > 0; }
    const std::string& Bytes(const std::string& path) const;
    CsvRows Csv(const std::string& path) const { return ParseCsv(Bytes(path)); }
    // Each CSV line as column name to field, the header's names as keys.
    std::vector<std::map<std::string, std::string>> Records(const std::string& path) const;
    const std::map<std::string, std::string>& All() const { return Files; }

private:
    std::map<std::string, std::string> Files;
};
