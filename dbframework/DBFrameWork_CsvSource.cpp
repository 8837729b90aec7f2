#include "dbframework/DBFrameWork_CsvSource.h"

#include <cerrno>
#include <cstring>

#include <csv.h>

#include "dbframework/DBFrameWork_Platform.h"
#include "settings/Quenbrook_TextEncoding.h"

namespace DBFrameWork {
namespace {

constexpr size_t BlockBytes = 65536;
// How many of the first records decide the delimiter.
constexpr size_t SampleRecords = 20;
const char* const ByteOrderMark = "\xEF\xBB\xBF";

// Spaces around a field are dropped, and allowed around a quoted one; a
// tab never is one, as it may be the delimiter.
int IsSpace(unsigned char c)
{
    return c == ' ';
}

size_t LineBreaksIn(const char* text, size_t length)
{
    size_t breaks = 0;
    for (size_t at = 0; at < length; ++at)
        if (text[at] == '\n' || (text[at] == '\r' && (at + 1 == length || text[at + 1] != '\n')))
            ++breaks;
    return breaks;
}

bool AllEmpty(const std::vector<std::string>& fields)
{
    for (const std::string& field : fields)
        if (!field.empty())
            return false;
    return true;
}

void OnField(void* text, size_t length, void* source)
{
    static_cast<CsvSource*>(source)->AddField(static_cast<const char*>(text), length);
}

void OnRecordEnd(int terminator, void* source)
{
    static_cast<CsvSource*>(source)->EndRecord(terminator);
}

// Field counts of the sample's records as read with one delimiter.
struct SampleCount {
    size_t fields = 0;
    std::vector<size_t> counts;
};

void CountField(void*, size_t, void* sample)
{
    ++static_cast<SampleCount*>(sample)->fields;
}

void CountRecord(int, void* sample)
{
    SampleCount& count = *static_cast<SampleCount*>(sample);
    if (count.fields > 0)
        count.counts.push_back(count.fields);
    count.fields = 0;
}

std::vector<size_t> FieldCounts(const std::string& sample, char delimiter, bool whole)
{
    SampleCount count;
    csv_parser parser;
    if (csv_init(&parser, CSV_REPALL_NL) != 0)
        return count.counts;
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&parser, IsSpace);
    csv_parse(&parser, sample.data(), sample.size(), CountField, CountRecord, &count);
    // A record cut by the end of the sample would be counted wrong.
    if (whole)
        csv_fini(&parser, CountField, CountRecord, &count);
    csv_free(&parser);
    return count.counts;
}

bool StartsLikeAFormula(const std::string& text, size_t at)
{
    if (at >= text.size())
        return false;
    if (std::strchr("=+-@\t\r", text[at]) && text[at] != '\0')
        return true;
    for (const char* wide : {"\xEF\xBC\x9D", "\xEF\xBC\x8B", "\xEF\xBC\x8D", "\xEF\xBC\xA0"})
        if (text.compare(at, 3, wide) == 0)
            return true;
    return false;
}

}  // namespace

struct CsvSource::Parser {
    csv_parser Csv;
    bool Started = false;
    ~Parser()
    {
        if (Started)
            csv_free(&Csv);
    }
};

CsvSource::CsvSource() : State(std::make_unique<Parser>())
{}

CsvSource::~CsvSource()
{
    if (File)
        std::fclose(File);
}

bool CsvSource::Fail(size_t line, const std::string& reason)
{
    LastError = {line, line > 0 ? "Line " + std::to_string(line) + ": " + reason : reason};
    OutputDebugString("CsvSource: " + Path + ": " + LastError.Reason);
    return false;
}

bool CsvSource::Open(const std::string& path)
{
    Path = path;
    LastError = CsvError();
    HeaderFields.clear();
    if (File)
        std::fclose(File);
    File = std::fopen(path.c_str(), "rb");
    if (!File)
        return Fail(0, "The file " + path + " cannot be opened: " + std::strerror(errno) + ".");
    if (!FindEncoding() || !FindDelimiter() || !StartParsing())
        return false;
    CsvRecord header;
    if (!Next(header))
        return Failed() ? false : Fail(0, "The file holds no header row.");
    HeaderFields = std::move(header.Fields);
    HeaderRead = true;
    return true;
}

// The whole file is checked, in blocks: a Windows-1252 letter may first
// appear on its last line.
bool CsvSource::FindEncoding()
{
    std::string block(BlockBytes, '\0');
    std::string carried;
    size_t lines = 1;
    bool first = true;
    bool byteOrderMark = false;
    for (;;) {
        const size_t read = std::fread(&block[0], 1, block.size(), File);
        if (read == 0 && std::ferror(File))
            return Fail(0, "The file " + Path + " cannot be read: " + std::strerror(errno) + ".");
        std::string text = carried + block.substr(0, read);
        if (first) {
            byteOrderMark = text.compare(0, 3, ByteOrderMark) == 0;
            if (byteOrderMark)
                text.erase(0, 3);
            first = false;
        }
        // A character never holds a line feed byte, so a block cut after
        // one is cut between characters.
        const size_t cut = read == 0 ? text.size() : text.rfind('\n') + 1;
        carried = text.substr(cut);
        text.resize(cut);
        if (!Quenbrook::IsValidUtf8(text)) {
            if (!byteOrderMark) {
                FileEncoding = CsvEncoding::Windows1252;
                return true;
            }
            size_t start = 0;
            while (start < text.size()) {
                const size_t end = text.find('\n', start);
                const size_t length = end == std::string::npos ? std::string::npos : end + 1 - start;
                if (!Quenbrook::IsValidUtf8(text.substr(start, length)))
                    break;
                ++lines;
                start = end == std::string::npos ? text.size() : end + 1;
            }
            return Fail(lines, "The file is marked as UTF-8 but this line is not UTF-8.");
        }
        for (const char c : text)
            lines += c == '\n' ? 1 : 0;
        if (read == 0)
            break;
    }
    FileEncoding = byteOrderMark ? CsvEncoding::Utf8WithByteOrderMark : CsvEncoding::Utf8;
    return true;
}

// The delimiter with which most of the first records have as many fields as
// the header (and more than one); on a tie, the one giving more fields.
bool CsvSource::FindDelimiter()
{
    std::rewind(File);
    std::string sample(BlockBytes, '\0');
    sample.resize(std::fread(&sample[0], 1, sample.size(), File));
    const bool whole = std::feof(File) != 0;
    if (FileEncoding == CsvEncoding::Windows1252)
        sample = Quenbrook::Windows1252ToUtf8(sample);
    DelimiterChar = ',';
    size_t bestAgreeing = 0, bestFields = 0;
    for (const char delimiter : {',', ';', '\t'}) {
        std::vector<size_t> counts = FieldCounts(sample, delimiter, whole);
        if (counts.size() > SampleRecords)
            counts.resize(SampleRecords);
        if (counts.empty() || counts.front() < 2)
            continue;
        size_t agreeing = 0;
        for (const size_t count : counts)
            agreeing += count == counts.front() ? 1 : 0;
        if (agreeing > bestAgreeing || (agreeing == bestAgreeing && counts.front() > bestFields)) {
            DelimiterChar = delimiter;
            bestAgreeing = agreeing;
            bestFields = counts.front();
        }
    }
    return true;
}

bool CsvSource::StartParsing()
{
    if (State->Started)
        csv_free(&State->Csv);
    State->Started = false;
    std::rewind(File);
    if (FileEncoding == CsvEncoding::Utf8WithByteOrderMark)
        std::fseek(File, 3, SEEK_SET);
    // CSV_REPALL_NL reports every line end, so that lines can be counted.
    if (csv_init(&State->Csv, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0)
        return Fail(0, "There is not enough memory to read the file.");
    State->Started = true;
    csv_set_delim(&State->Csv, static_cast<unsigned char>(DelimiterChar));
    csv_set_space_func(&State->Csv, IsSpace);
    Current = CsvRecord();
    CurrentHasField = false;
    Line = 1;
    BreaksInRecord = 0;
    LastTerminatorWasCarriageReturn = false;
    Ready.clear();
    AtEnd = false;
    return true;
}

bool CsvSource::Restart()
{
    if (!File || !HeaderRead)
        return Fail(0, "The file " + Path + " is not open.");
    LastError = CsvError();
    if (!StartParsing())
        return false;
    CsvRecord header;
    return Next(header);
}

void CsvSource::AddField(const char* text, size_t length)
{
    if (!CurrentHasField)
        Current.Line = Line;
    CurrentHasField = true;
    Current.Fields.emplace_back(text ? text : "", text ? length : 0);
    BreaksInRecord += LineBreaksIn(text, text ? length : 0);
}

void CsvSource::EndRecord(int terminator)
{
    // The line feed of a CR LF pair comes as a record of its own, without fields.
    const bool secondHalfOfCrLf = !CurrentHasField && terminator == '\n' && LastTerminatorWasCarriageReturn;
    LastTerminatorWasCarriageReturn = terminator == '\r';
    if (CurrentHasField && !AllEmpty(Current.Fields))
        Ready.push_back(std::move(Current));
    Line += BreaksInRecord + (terminator >= 0 && !secondHalfOfCrLf ? 1 : 0);
    Current = CsvRecord();
    CurrentHasField = false;
    BreaksInRecord = 0;
}

bool CsvSource::ReadBlock()
{
    std::string block(BlockBytes, '\0');
    block.resize(std::fread(&block[0], 1, block.size(), File));
    if (block.empty() && std::ferror(File))
        return Fail(Line, "The file cannot be read further: " + std::string(std::strerror(errno)) + ".");
    if (block.empty()) {
        AtEnd = true;
        const size_t started = CurrentHasField ? Current.Line : Line;
        if (csv_fini(&State->Csv, OnField, OnRecordEnd, this) != 0)
            return Fail(started, "A quote opened in the record starting here is never closed.");
        return true;
    }
    if (FileEncoding == CsvEncoding::Windows1252)
        block = Quenbrook::Windows1252ToUtf8(block);
    if (csv_parse(&State->Csv, block.data(), block.size(), OnField, OnRecordEnd, this) != block.size()) {
        const size_t started = CurrentHasField ? Current.Line : Line;
        if (csv_error(&State->Csv) == CSV_EPARSE)
            return Fail(started,
                        "A quote stands inside a field that is not quoted, or text follows a closing "
                        "quote, in the record starting here.");
        return Fail(started, std::string("The file cannot be read: ") + csv_strerror(csv_error(&State->Csv)) + ".");
    }
    return true;
}

bool CsvSource::Next(CsvRecord& record)
{
    while (Ready.empty()) {
        if (Failed() || AtEnd || !State->Started)
            return false;
        // The records before an error are still given.
        ReadBlock();
    }
    record = std::move(Ready.front());
    Ready.pop_front();
    return true;
}

std::string UnguardedCsvText(const std::string& text)
{
    if (!text.empty() && text[0] == '\'' && StartsLikeAFormula(text, 1))
        return text.substr(1);
    return text;
}

}  // namespace DBFrameWork
