#include "tests/exportall/ExportReader.h"

#include <csv.h>
#include <filesystem>
#include <stdexcept>
#include <zip.h>

#include "tests/support/datafiles/TestSupport.h"

namespace {

struct Collector {
    CsvRows rows;
    std::vector<std::string> line;
};

void OnField(void* data, size_t length, void* state)
{
    static_cast<Collector*>(state)->line.emplace_back(static_cast<const char*>(data), length);
}

// Spaces are part of a field: libcsv would trim them from an unquoted one.
int NoSpace(unsigned char)
{
    return 0;
}

void OnLine(int, void* state)
{
    auto& collector = *static_cast<Collector*>(state);
    collector.rows.push_back(std::move(collector.line));
    collector.line.clear();
}

}  // namespace

CsvRows ParseCsv(const std::string& bytes)
{
    if (bytes.rfind("\xEF\xBB\xBF", 0) != 0)
        throw std::runtime_error("no byte order mark");
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw std::runtime_error("csv_init failed");
    csv_set_space_func(&parser, NoSpace);
    Collector collector;
    const std::string body = bytes.substr(3);
    if (csv_parse(&parser, body.data(), body.size(), OnField, OnLine, &collector) != body.size() ||
        csv_fini(&parser, OnField, OnLine, &collector) != 0) {
        const std::string why = csv_strerror(csv_error(&parser));
        csv_free(&parser);
        throw std::runtime_error("not RFC 4180: " + why);
    }
    csv_free(&parser);
    return collector.rows;
}

std::string Unguarded(const std::string& field)
{
    return !field.empty() && field[0] == '\'' ? field.substr(1) : field;
}

ExportView::ExportView(const std::string& target)
{
    if (target.size() > 4 && target.substr(target.size() - 4) == ".zip") {
        int code = 0;
        zip_t* archive = zip_open(target.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
        if (!archive)
            throw std::runtime_error("cannot open " + target + " as a zip file");
        for (zip_int64_t index = 0; index < zip_get_num_entries(archive, 0); ++index) {
            zip_stat_t stat;
            zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat);
            std::string bytes(stat.size, '\0');
            zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
            if (!file || zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
                throw std::runtime_error(std::string("cannot read ") + stat.name);
            zip_fclose(file);
            Files[stat.name] = bytes;
        }
        zip_discard(archive);
        return;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(target))
        if (entry.is_regular_file())
            Files[std::filesystem::relative(entry.path(), target).generic_string()] = TestSupport::ReadFile(
                entry.path().string());
}

const std::string& ExportView::Bytes(const std::string& path) const
{
    const auto found = Files.find(path);
    if (found == Files.end())
        throw std::runtime_error("the export has no " + path);
    return found->second;
}

std::vector<std::map<std::string, std::string>> ExportView::Records(const std::string& path) const
{
    const CsvRows rows = Csv(path);
    std::vector<std::map<std::string, std::string>> records;
    for (size_t line = 1; line < rows.size(); ++line) {
        if (rows[line].size() != rows[0].size())
            throw std::runtime_error(path + " line " + std::to_string(line + 1) + " has another number of fields");
        std::map<std::string, std::string> record;
        for (size_t field = 0; field < rows[0].size(); ++field)
            record[rows[0][field]] = rows[line][field];
        records.push_back(std::move(record));
    }
    return records;
}
