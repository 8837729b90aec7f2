// A CSV file of another program, read record by record: the delimiter
// (comma, semicolon or tab) and the encoding (UTF-8, with or without a byte
// order mark, else Windows-1252) are found from the file, and every text
// comes out UTF-8. The file is read in blocks, never held whole. Spaces
// around a field are dropped (inside quotes they are kept).
//
// Quoting is read strictly: a quote inside a field that is not quoted, or
// text after a closing quote, stops the reading with the line, since a loose
// reading could take the rest of the file into one field unseen.
#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace DBFrameWork {

struct CsvRecord {
    // The line the record starts on; the header is line 1.
    size_t Line = 0;
    // As many as the record has, which may differ from the header's count.
    // A quoted line break is kept as it stands in the file.
    std::vector<std::string> Fields;
};

enum class CsvEncoding { Utf8, Utf8WithByteOrderMark, Windows1252 };

struct CsvError {
    // 0 when the error is not about a line (the file cannot be read).
    size_t Line = 0;
    // For the user, naming the line where there is one.
    std::string Reason;
};

class CsvSource {
public:
    CsvSource();
    ~CsvSource();
    CsvSource(const CsvSource&) = delete;
    CsvSource& operator=(const CsvSource&) = delete;

    // Finds the encoding and the delimiter and reads the header; false (with
    // Error()) when the file cannot be read or holds no header.
    bool Open(const std::string& path);
    // The next record, lines holding nothing but delimiters skipped; false at
    // the end of the file and on an error (Failed() tells which), after the
    // records before the error.
    bool Next(CsvRecord& record);
    // Starts again at the first record after the header, for a second pass.
    bool Restart();

    const std::vector<std::string>& Header() const { return HeaderFields; }
    char Delimiter() const { return DelimiterChar; }
    CsvEncoding Encoding() const { return FileEncoding; }
    bool Failed() const { return !LastError.Reason.empty(); }
    const CsvError& Error() const { return LastError; }

    // Used by the parser's callbacks.
    void AddField(const char* text, size_t length);
    void EndRecord(int terminator);

private:
    struct Parser;

    bool FindEncoding();
    bool FindDelimiter();
    bool StartParsing();
    bool ReadBlock();
    bool Fail(size_t line, const std::string& reason);

    std::string Path;
    std::FILE* File = nullptr;
    std::unique_ptr<Parser> State;
    CsvEncoding FileEncoding = CsvEncoding::Utf8;
    char DelimiterChar = ',';
    std::vector<std::string> HeaderFields;
    bool HeaderRead = false;
    bool AtEnd = false;
    CsvError LastError;

    // The record being read and the line it starts on.
    CsvRecord Current;
    bool CurrentHasField = false;
    size_t Line = 1;
    size_t BreaksInRecord = 0;
    bool LastTerminatorWasCarriageReturn = false;
    std::deque<CsvRecord> Ready;
};

// A value of this program's own export with the formula guard taken off:
// the single quote put before a text that begins like a formula (=, +, -, @,
// a tab or a carriage return, or a full-width form of the four). Other texts
// are given back as they are.
std::string UnguardedCsvText(const std::string& text);

}  // namespace DBFrameWork
