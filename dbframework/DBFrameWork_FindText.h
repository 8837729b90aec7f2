// Text handling for Find Solutions that does not need the search library:
// the visible text of a report, the query as the user typed it made safe,
// and accents folded away so that "resume" finds "Résumé".
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace DBFrameWork {

// Longest query taken, in bytes (cut on a character boundary).
constexpr size_t MaxQueryLength = 1000;

// The text a browser would show for an HTML report: tags dropped, script and
// style elements dropped whole, common entities decoded, runs of white space
// made one space. Plain text comes back with its white space evened out.
// One pass over the text, however its tags are cut; when `stop` turns true it
// ends early with what it has.
std::string VisibleText(const std::string& html, const std::atomic<bool>* stop = nullptr);

// The query as the parser should read it: cut to MaxQueryLength, double
// quotes (typographic ones written as '"') dropped when they do not pair up,
// and empty when nothing in it is a letter or a digit.
std::string CleanQuery(const std::string& query);

// Fewest digits of a stretch of the query that is read as a phone number.
constexpr size_t PhoneQueryDigits = 7;

// A stretch of the query, outside quotes, written the way a phone number is
// (IsPhoneNumberText with PhoneQueryDigits): whole words only, a leading "+"
// only at its start.
struct PhoneRun {
    // Byte offsets in the query, end excluded.
    size_t Begin = 0;
    size_t End = 0;
    std::string Digits;
    bool International = false;
};
std::vector<PhoneRun> FindPhoneRuns(const std::string& query);

// Letters with accents (Latin-1 and Latin Extended-A) as their base letters,
// ligatures spelt out ("æ" as "ae", "ß" as "ss"); everything else unchanged.
// Invalid UTF-8 bytes are kept as they are.
std::string FoldAccents(const std::string& text);

}  // namespace DBFrameWork
