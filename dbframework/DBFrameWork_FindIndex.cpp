#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_FileSystem.h"

#include <unistd.h>
#include <xapian.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "dbframework/DBFrameWork_ChangeLog.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_DBObjectBase.h"
#include "dbframework/DBFrameWork_FileText.h"
#include "dbframework/DBFrameWork_FindText.h"
#include "dbframework/DBFrameWork_PhoneNumber.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_Ticket.h"

namespace DBFrameWork {
namespace {

using Clock = std::chrono::steady_clock;

// Bump when what a document holds changes: an older index is rebuilt.
// 2: contacts, device and the phone terms.
// 3: the names and texts of the ticket's files.
const char* const IndexFormat = "3";
const Xapian::valueno SortSlot = 0;
// Tickets read and committed together while rebuilding: small enough that
// an interrupted rebuild loses little and memory stays low.
const int RebuildBatch = 2500;
// Reads of one batch before the rebuild gives up.
const int BatchReadAttempts = 3;
// Report text kept in a document for its snippet.
const size_t ReportExcerpt = 4000;
// Text kept of each file for its snippet: its opening, which for a log or a
// saved page says most about it; the rest of a megabyte is only indexed.
const size_t FileExcerpt = 2000;
// Index terms a word being typed is taken for when telling which file matched.
const int MaxPrefixTerms = 100;
// A sequence number drawn but not yet seen may belong to a save still in
// progress; after this long it is taken for one that was rolled back.
const auto HoleLifetime = std::chrono::seconds(60);
const size_t MaxHoles = 10000;
const auto CatchUpBudget = std::chrono::milliseconds(40);
// Rows of the change log read at once, so that a large backlog never holds the window long.
const size_t MaxChangesRead = 2000;
// Changes taken in before the writer commits them to disk together.
const int ChangesPerCommit = 1000;

std::string UniqueTerm(int32_t problemId)
{
    return "Q" + std::to_string(problemId);
}

// A phone number is found by all of its digits or by its end: a number
// typed without its country or area code still finds the stored one.
const char* const PhonePrefix = "XP";
const size_t ShortestPhoneEnd = 7;
// At most this many digits of a leading "+" are a country code.
const size_t LongestCountryCode = 3;

void AddPhoneTerms(Xapian::Document& document, const std::string& number)
{
    const std::string digits = PhoneDigits(number);
    for (size_t from = 0; from + ShortestPhoneEnd <= digits.size(); ++from)
        document.add_boolean_term(PhonePrefix + digits.substr(from));
}

// The stemmer, seeing the words as the index holds them: without accents.
class FoldingStem : public Xapian::StemImplementation {
public:
    explicit FoldingStem(const Xapian::Stem& inner) : Inner(inner) {}
    std::string operator()(const std::string& word) override { return Inner(FoldAccents(word)); }
    std::string get_description() const override { return "folding " + Inner.get_description(); }

private:
    Xapian::Stem Inner;
};

Xapian::Stem MakeStemmer(const std::string& language)
{
    Xapian::Stem inner("english");
    try {
        inner = Xapian::Stem(language);
    } catch (const Xapian::Error& error) {
        OutputDebugString("Search Language \"" + language + "\" is not known (" + error.get_msg() +
                          "); english is used");
    }
    return Xapian::Stem(new FoldingStem(inner));
}

// Fields of the document data, each as length, colon, bytes.
void Put(std::string& data, const std::string& field)
{
    data += std::to_string(field.size());
    data += ':';
    data += field;
}

bool Take(const std::string& data, size_t& at, std::string& field)
{
    const size_t colon = data.find(':', at);
    if (colon == std::string::npos)
        return false;
    const size_t length = static_cast<size_t>(std::strtoull(data.c_str() + at, nullptr, 10));
    if (colon + 1 + length > data.size())
        return false;
    field = data.substr(colon + 1, length);
    at = colon + 1 + length;
    return true;
}

std::string Cut(const std::string& text, size_t length)
{
    if (text.size() <= length)
        return text;
    size_t end = length;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// Newer assigned dates sort higher; among one day, the later ticket.
double SortKey(const ProblemRecord& problem)
{
    const CalendarDate& day = problem.Assigned;
    return (day.year * 10000.0 + day.month * 100.0 + day.day) * 1e7 + problem.ProblemID;
}

// The snippet comes back with the text escaped for HTML; the marks are ours.
std::string MarkedToHtml(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (const char c : text) {
        if (c == '\x01')
            out += "<b>";
        else if (c == '\x02')
            out += "</b>";
        else
            out += c;
    }
    return out;
}

std::string Lower(const std::string& text)
{
    std::string out;
    for (Xapian::Utf8Iterator it(text); it != Xapian::Utf8Iterator(); ++it)
        Xapian::Unicode::append_utf8(out, Xapian::Unicode::tolower(*it));
    return out;
}

Xapian::TermGenerator MakeGenerator(const Xapian::Stem& stemmer)
{
    Xapian::TermGenerator generator;
    generator.set_stemmer(stemmer);
    generator.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME);
    return generator;
}

const unsigned QueryFlags = Xapian::QueryParser::FLAG_PHRASE | Xapian::QueryParser::FLAG_LOVEHATE |
    Xapian::QueryParser::FLAG_PARTIAL;

Xapian::QueryParser MakeParser(const Xapian::Stem& stemmer, Xapian::Database& database)
{
    Xapian::QueryParser parser;
    parser.set_stemmer(stemmer);
    parser.set_stemming_strategy(Xapian::QueryParser::STEM_SOME);
    parser.set_database(database);
    parser.set_default_op(Xapian::Query::OP_AND);
    return parser;
}

// The field the query's phone numbers are written into for the parser, which
// hands each back here: so a number keeps its place among the other words
// ("-" before it, a phrase beside it) as the parser reads them.
const char* const PhoneField = "phonenumber";

class PhoneNumbers : public Xapian::FieldProcessor {
public:
    // words reads a number's text as the other words are read; it outlives this.
    PhoneNumbers(Xapian::QueryParser& words, const std::string& query) : Words(words), Text(query)
    {
        Runs = FindPhoneRuns(query);
    }

    // The query with each number as "phonenumber:N".
    std::string Written() const
    {
        std::string written;
        size_t at = 0;
        for (size_t run = 0; run < Runs.size(); ++run) {
            written += Text.substr(at, Runs[run].Begin - at) + PhoneField + ":" + std::to_string(run);
            at = Runs[run].End;
        }
        // The parser drops a field that ends a query read with FLAG_PARTIAL;
        // a number being typed is read as partial here instead.
        if (at == Text.size() && !Runs.empty())
            written += ' ';
        return written + Text.substr(at);
    }

    // A number is found by its digits, by its digits without a country code
    // when it has a "+", or by its words as before.
    Xapian::Query operator()(const std::string& field) override
    {
        const bool isIndex = !field.empty() && field.size() < 6 &&
            field.find_first_not_of("0123456789") == std::string::npos;
        const size_t run = isIndex ? static_cast<size_t>(std::stoul(field)) : Runs.size();
        if (run >= Runs.size())  // typed as it stands: plain words
            return Words.parse_query(std::string(PhoneField) + " " + field, QueryFlags);
        const PhoneRun& phone = Runs[run];
        const bool last = phone.End == Text.size();
        std::vector<Xapian::Query> choices{
            Words.parse_query(Text.substr(phone.Begin, phone.End - phone.Begin),
                              last ? QueryFlags : QueryFlags & ~Xapian::QueryParser::FLAG_PARTIAL),
            Xapian::Query(PhonePrefix + phone.Digits)};
        for (size_t code = 1; phone.International && code <= LongestCountryCode; ++code)
            if (phone.Digits.size() - code >= ShortestPhoneEnd)
                choices.emplace_back(PhonePrefix + phone.Digits.substr(code));
        return Xapian::Query(Xapian::Query::OP_OR, choices.begin(), choices.end());
    }

private:
    Xapian::QueryParser& Words;
    std::string Text;
    std::vector<PhoneRun> Runs;
};

// Thrown out of a batch when the program closes: not an error.
struct Stopped {};

// A file's name read as words: "IMG_2041.jpg" is found by "img" and "2041".
std::string NameWords(const std::string& name)
{
    std::string words = name;
    for (char& c : words)
        if (c == '_')
            c = ' ';
    return words;
}

// The opening of a file's text with its runs of white space made one space.
std::string ExcerptOf(const std::string& text)
{
    std::string out;
    bool space = false;
    for (size_t at = 0; at < text.size() && out.size() <= FileExcerpt; ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += static_cast<char>(c);
    }
    return Cut(out, FileExcerpt);
}

// `stop`, when given, ends the work within a long report or file.
Xapian::Document MakeDocument(const TicketRecord& ticket, const std::vector<FileText>& files,
                              Xapian::TermGenerator& generator, const std::atomic<bool>* stop = nullptr)
{
    const CustomerRecord& customer = ticket.Customer;
    const ProblemRecord& problem = ticket.Problem;
    const SystemInfoRecord& systemInfo = ticket.SystemInfo;
    Xapian::Document document;
    generator.set_document(document);
    generator.set_termpos(0);
    generator.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME);
    const std::string report = VisibleText(systemInfo.Report, stop);
    if (stop && *stop)
        throw Stopped();
    // A phrase never runs from one field into the next.
    const DeviceRecord& device = ticket.Job.Device;
    for (const std::string* field :
         {&problem.Description, &problem.Resolution, &problem.Comment, &customer.Name, &customer.Address,
          &customer.City, &customer.State, &customer.Zip, &problem.Technician, &systemInfo.OperatingSystem, &report,
          &ticket.Contacts.Email, &device.Kind, &device.MakeModel, &device.Serial}) {
        generator.index_text(FoldAccents(*field));
        generator.increase_termpos(10);
    }
    // A file's words, stemmed ones too, keep their positions: a hit tells
    // from them which file it was found in, to name it in the snippet.
    std::string fileData;
    Put(fileData, std::to_string(files.size()));
    generator.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME_FULL_POS);
    for (const FileText& file : files) {
        const Xapian::termpos begin = generator.get_termpos() + 1;
        generator.index_text(FoldAccents(NameWords(file.Name)));
        generator.increase_termpos(10);
        if (!file.Text.empty()) {
            generator.index_text(FoldAccents(file.Text));
            generator.increase_termpos(10);
        }
        if (stop && *stop)
            throw Stopped();
        Put(fileData, file.Name);
        Put(fileData, std::to_string(begin));
        Put(fileData, std::to_string(generator.get_termpos()));
        Put(fileData, ExcerptOf(file.Text));
    }
    generator.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME);
    // Phone numbers are no words: a different number with the same groups must not match.
    for (const PhoneRecord& phone : ticket.Contacts.Phones)
        AddPhoneTerms(document, phone.Number);
    const std::string unique = UniqueTerm(problem.ProblemID);
    document.add_boolean_term(unique);
    document.add_value(SortSlot, Xapian::sortable_serialise(SortKey(problem)));

    // The snippet is taken from the ticket's own words, the best part first found.
    std::string snippetSource = problem.Description;
    for (const std::string* field : {&problem.Resolution, &problem.Comment, &systemInfo.OperatingSystem})
        if (!field->empty())
            snippetSource += " | " + *field;
    if (!report.empty())
        snippetSource += " | " + Cut(report, ReportExcerpt);
    std::string data;
    Put(data, std::to_string(problem.ProblemID));
    Put(data, customer.Name);
    Put(data, ValueTextOf(problem.Assigned));
    Put(data, problem.Technician);
    Put(data, problem.Completed.IsSet() ? "1" : "0");
    Put(data, snippetSource);
    Put(data, ticket.Contacts.Phones.empty() ? std::string() : ticket.Contacts.Phones.front().Number);
    data += fileData;
    document.set_data(data);
    return document;
}

// A file of a hit as its document keeps it.
struct StoredFile {
    std::string Name;
    // The positions of its words.
    Xapian::termpos Begin = 0;
    Xapian::termpos End = 0;
    std::string Excerpt;
    // Terms of the query found in it.
    int Matched = 0;
};

bool TakeFiles(const std::string& data, size_t& at, std::vector<StoredFile>& files)
{
    std::string count;
    if (!Take(data, at, count))
        return false;
    for (unsigned long long left = std::strtoull(count.c_str(), nullptr, 10); left > 0; --left) {
        StoredFile file;
        std::string begin, end;
        if (!Take(data, at, file.Name) || !Take(data, at, begin) || !Take(data, at, end) ||
            !Take(data, at, file.Excerpt))
            return false;
        file.Begin = static_cast<Xapian::termpos>(std::strtoul(begin.c_str(), nullptr, 10));
        file.End = static_cast<Xapian::termpos>(std::strtoul(end.c_str(), nullptr, 10));
        files.push_back(std::move(file));
    }
    return true;
}

// The word being typed at the end of the query, which the parser reads as a
// prefix; empty when the query ends in a space or a symbol.
std::string TypedPrefix(const std::string& folded)
{
    size_t begin = folded.size();
    while (begin > 0) {
        const unsigned char c = static_cast<unsigned char>(folded[begin - 1]);
        if (!std::isalnum(c) && c < 0x80)
            break;
        --begin;
    }
    return folded.substr(begin);
}

// The file of the hit that holds the most of the query's terms; none when
// they are all in the ticket's own fields.
const StoredFile* MatchedFile(const Xapian::Database& database, const Xapian::Enquire& enquire,
                              const Xapian::MSetIterator& hit, const std::string& prefix,
                              std::vector<StoredFile>& files)
{
    const Xapian::docid id = *hit;
    std::set<std::string> terms(enquire.get_matching_terms_begin(hit), enquire.get_matching_terms_end(hit));
    if (!prefix.empty()) {
        Xapian::TermIterator term = database.termlist_begin(id);
        term.skip_to(prefix);
        for (int taken = 0; term != database.termlist_end(id) && taken < MaxPrefixTerms; ++term, ++taken) {
            if ((*term).compare(0, prefix.size(), prefix) != 0)
                break;
            terms.insert(*term);
        }
    }
    for (const std::string& term : terms) {
        auto file = files.begin();
        for (Xapian::PositionIterator position = database.positionlist_begin(id, term);
             position != database.positionlist_end(id, term) && file != files.end(); ++position) {
            while (file != files.end() && file->End < *position)
                ++file;
            if (file != files.end() && file->Begin <= *position) {
                ++file->Matched;
                ++file;  // once for each file
            }
        }
    }
    const StoredFile* best = nullptr;
    for (const StoredFile& file : files)
        if (file.Matched > 0 && (!best || file.Matched > best->Matched))
            best = &file;
    return best;
}

const unsigned SnippetFlags = Xapian::MSet::SNIPPET_BACKGROUND_MODEL | Xapian::MSet::SNIPPET_EXHAUSTIVE;
const size_t SnippetLength = 220;
// The ticket's own words before a file's, when both matched.
const size_t SharedSnippetLength = 100;

std::string Snip(const Xapian::MSet& matches, const Xapian::Stem& stemmer, const std::string& text, size_t length,
                 unsigned flags = SnippetFlags)
{
    return matches.snippet(text, length, stemmer, flags, "\x01", "\x02", "...");
}

// "name: excerpt", the matched words marked in both.
std::string FileSnippet(const Xapian::MSet& matches, const Xapian::Stem& stemmer, const StoredFile& file, size_t length)
{
    std::string snippet = Snip(matches, stemmer, file.Name, file.Name.size() + 1);
    if (!file.Excerpt.empty())
        snippet += ": " +
            Snip(matches, stemmer, file.Excerpt, std::max<size_t>(length - std::min(length, file.Name.size()), 60));
    return snippet;
}

bool IsIndexFolderName(const std::filesystem::path& folder)
{
    return folder.filename().string().size() > 5 &&
        folder.filename().string().compare(folder.filename().string().size() - 5, 5, ".find") == 0;
}

uint64_t Fnv1a(const std::string& text)
{
    uint64_t hash = 1469598103934665603ull;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

struct FindIndex::Impl {
    DBConnection& Connection;
    std::string Folder;
    std::string Language;
    Xapian::Stem Stemmer;
    Xapian::TermGenerator Generator;
    // Changes taken in since the index was last committed.
    int Uncommitted = 0;
    std::string Identity;

    // The window's side: the writer when no rebuild runs, else a reader.
    std::unique_ptr<Xapian::WritableDatabase> Writer;
    std::unique_ptr<Xapian::Database> Reader;
    int64_t LastSequence = 0;
    std::map<int64_t, Clock::time_point> Holes;

    std::thread Builder;
    std::atomic<bool> Stop{false};
    std::atomic<bool> Building{false};
    std::atomic<int64_t> Done{0};
    std::atomic<int64_t> Total{0};
    std::mutex FailureLock;
    std::string Failure;

    Impl(DBConnection& connection, const std::string& folder, const std::string& language)
        : Connection(connection), Folder(folder), Language(language), Stemmer(MakeStemmer(language)),
          Generator(MakeGenerator(Stemmer))
    {}

    void SetFailure(const std::string& text)
    {
        OutputDebugString("Find index (" + Folder + "): " + text);
        std::lock_guard<std::mutex> lock(FailureLock);
        Failure = text;
    }

    void StartRebuild(bool resume);
    void Rebuild(bool resume, std::string path, std::string user, std::string password);
    // Joins a rebuild that has ended and takes the index back for updates.
    void Reap();
    void OpenWriter();
    bool ApplyChange(int32_t problemId);
    std::vector<FindHit> Run(Xapian::Database& database, const std::string& text, size_t count);
};

void FindIndex::Impl::StartRebuild(bool resume)
{
    if (Building)
        return;
    if (Writer) {
        try {
            Writer->close();  // what it held is built again
        } catch (const Xapian::Error& error) {
            OutputDebugString("Find index: " + error.get_description());
        }
        Writer.reset();
    }
    Reader.reset();
    // Gone before the rebuild starts, so that no search reads the old one meanwhile.
    const std::filesystem::path folder(Folder);
    std::error_code ignored;
    if (!resume && IsIndexFolderName(folder))
        std::filesystem::remove_all(folder, ignored);
    Stop = false;
    Building = true;
    Done = 0;
    Total = 0;
    {
        std::lock_guard<std::mutex> lock(FailureLock);
        Failure.clear();
    }
    Builder = std::thread(&Impl::Rebuild, this, resume, Connection.GetPath(), Connection.GetUser(),
                          Connection.GetPassword());
}

void FindIndex::Impl::Rebuild(bool resume, std::string path, std::string user, std::string password)
{
    struct Ended {
        std::atomic<bool>& building;
        ~Ended() { building = false; }
    } ended{Building};
    try {
        // The stemmer keeps state between words: this thread has its own.
        Xapian::TermGenerator generator = MakeGenerator(MakeStemmer(Language));
        DBConnection own(path, user, password);
        if (!own.Connect())
            throw std::runtime_error("the data file could not be opened for indexing");
        struct Detach {
            DBConnection& connection;
            ~Detach() { connection.Disconnect(); }
        } detach{own};

        std::unique_ptr<Xapian::WritableDatabase> database;
        int32_t position = 0;
        int64_t startSequence = 0;
        if (resume) {
            database = std::make_unique<Xapian::WritableDatabase>(Folder, Xapian::DB_OPEN);
            position = static_cast<int32_t>(std::stol("0" + database->get_metadata("next")));
            startSequence = std::stoll("0" + database->get_metadata("rebuild_seq"));
        } else {
            const std::filesystem::path folder(Folder);
            if (IsIndexFolderName(folder))
                std::filesystem::remove_all(folder);
            // The index holds every ticket's words: its folders are the user's alone.
            if (folder.has_parent_path())
                MakePrivateFolders(folder.parent_path().string());
            MakePrivateFolders(folder.string());
            startSequence = LastChangeSequence(own);
            if (startSequence < 0)
                startSequence = 0;
            database = std::make_unique<Xapian::WritableDatabase>(Folder, Xapian::DB_CREATE_OR_OVERWRITE);
            database->set_metadata("format", IndexFormat);
            database->set_metadata("identity", Identity);
            database->set_metadata("language", Language);
            database->set_metadata("state", "building");
            database->set_metadata("rebuild_seq", std::to_string(startSequence));
            database->set_metadata("next", "0");
            database->commit();
        }
        const int64_t remaining = CountTickets(own, position);
        Done = static_cast<int64_t>(database->get_doccount());
        Total = Done + std::max<int64_t>(remaining, 0);

        for (;;) {
            if (Stop)
                return;  // what is committed stays; the next start resumes at "next"
            int count = 0;
            int32_t last = position;
            // A ticket that another desk changes while its batch is read can
            // lose the text of the version being read (the engine frees its
            // blob): the batch is read again, and the change log brings the
            // new version in any case.
            bool read = false;
            for (int attempt = 0; attempt < BatchReadAttempts && !read; ++attempt) {
                count = 0;
                read = ReadTicketBatch(
                    own, position, RebuildBatch,
                    [&](const TicketRecord& ticket, const std::vector<FileText>& files) {
                        if (Stop)
                            throw Stopped();
                        database->replace_document(UniqueTerm(ticket.Problem.ProblemID),
                                                   MakeDocument(ticket, files, generator, &Stop));
                        ++count;
                    },
                    last);
            }
            if (!read)
                throw std::runtime_error("the tickets could not be read");
            if (count == 0)
                break;
            position = last;
            database->set_metadata("next", std::to_string(position));
            database->commit();
            Done += count;
        }
        // Changes made while the tickets were read are taken in from the log.
        database->set_metadata("seq", std::to_string(startSequence));
        database->set_metadata("state", "ready");
        database->commit();
        database->close();
    } catch (const Stopped&) {
        // The batch under way is dropped; the committed ones stay for the next start.
    } catch (const Xapian::Error& error) {
        SetFailure(error.get_description());
    } catch (const std::exception& error) {
        SetFailure(error.what());
    }
}

void FindIndex::Impl::Reap()
{
    if (Building || !Builder.joinable())
        return;
    Builder.join();
    Reader.reset();
    OpenWriter();
}

void FindIndex::Impl::OpenWriter()
{
    try {
        Writer = std::make_unique<Xapian::WritableDatabase>(Folder, Xapian::DB_OPEN);
        if (Writer->get_metadata("state") != "ready") {
            // A rebuild that failed: what it has is searched, nothing is added.
            Writer->close();
            Writer.reset();
            return;
        }
        LastSequence = std::stoll("0" + Writer->get_metadata("seq"));
        Holes.clear();
        // The sequence numbers just below the start may still have been in flight.
        const Clock::time_point now = Clock::now();
        for (int64_t sequence = std::max<int64_t>(1, LastSequence - 20); sequence <= LastSequence; ++sequence)
            Holes[sequence] = now;
    } catch (const Xapian::Error& error) {
        Writer.reset();
        SetFailure(error.get_description());
    } catch (const std::exception& error) {
        Writer.reset();
        SetFailure(error.what());
    }
}

bool FindIndex::Impl::ApplyChange(int32_t problemId)
{
    TicketRecord ticket;
    std::vector<FileText> files;
    switch (ReadTicket(Connection, problemId, ticket, &files)) {
    case TicketRead::Found:
        Writer->replace_document(UniqueTerm(problemId), MakeDocument(ticket, files, Generator));
        return true;
    case TicketRead::Missing:
        Writer->delete_document(UniqueTerm(problemId));
        return true;
    case TicketRead::Failed:
        break;
    }
    return false;
}

std::vector<FindHit> FindIndex::Impl::Run(Xapian::Database& database, const std::string& text, size_t count)
{
    std::vector<FindHit> hits;
    Xapian::QueryParser parser = MakeParser(Stemmer, database);
    // Lower case first: the parser leaves capitalised words unstemmed.
    const std::string folded = Lower(FoldAccents(text));
    Xapian::QueryParser words = MakeParser(Stemmer, database);
    PhoneNumbers phones(words, folded);
    parser.add_prefix(PhoneField, &phones);
    const std::string written = phones.Written();
    Xapian::Query query;
    try {
        query = parser.parse_query(written, QueryFlags);
    } catch (const Xapian::QueryParserError&) {
        // What the parser cannot read as a query is read as plain words.
        query = words.parse_query(folded, 0);
    }
    if (query.empty())
        return hits;
    Xapian::Enquire enquire(database);
    enquire.set_query(query);
    enquire.set_weighting_scheme(Xapian::BM25Weight());
    enquire.set_sort_by_relevance_then_value(SortSlot, true);
    const Xapian::MSet matches = enquire.get_mset(0, static_cast<Xapian::doccount>(count));
    const std::string prefix = TypedPrefix(folded);
    for (Xapian::MSetIterator it = matches.begin(); it != matches.end(); ++it) {
        const Xapian::Document document = it.get_document();
        const std::string data = document.get_data();
        FindHit hit;
        std::string key, completed, source;
        size_t at = 0;
        std::vector<StoredFile> files;
        if (!Take(data, at, key) || !Take(data, at, hit.CustomerName) || !Take(data, at, hit.Assigned) ||
            !Take(data, at, hit.Technician) || !Take(data, at, completed) || !Take(data, at, source) ||
            !Take(data, at, hit.Phone) || !TakeFiles(data, at, files))
            throw Xapian::DatabaseCorruptError("a document of the index has no readable data");
        hit.IsCompleted = completed == "1";
        hit.ProblemID = ToInt(key);
        // A hit found by a file's words names the file.
        const StoredFile* file = files.empty() ? nullptr : MatchedFile(database, enquire, it, prefix, files);
        if (!file) {
            hit.Snippet = MarkedToHtml(Snip(matches, Stemmer, source, SnippetLength));
        } else {
            const std::string own = Snip(matches, Stemmer, source, SharedSnippetLength,
                                         SnippetFlags | Xapian::MSet::SNIPPET_EMPTY_WITHOUT_MATCH);
            hit.Snippet = MarkedToHtml(
                own.empty() ? FileSnippet(matches, Stemmer, *file, SnippetLength)
                            : own + " | " + FileSnippet(matches, Stemmer, *file, SnippetLength - SharedSnippetLength));
        }
        hits.push_back(hit);
    }
    return hits;
}

FindIndex::FindIndex(DBConnection& connection, const std::string& folder, const std::string& language)
    : Self(std::make_unique<Impl>(connection, folder, language))
{}

FindIndex::~FindIndex()
{
    Self->Stop = true;
    if (Self->Builder.joinable())
        Self->Builder.join();
    try {
        if (Self->Writer) {
            Self->Writer->commit();
            Self->Writer->close();
        }
    } catch (const Xapian::Error& error) {
        OutputDebugString("Find index: " + error.get_description());
    }
}

const std::string& FindIndex::GetFolder() const
{
    return Self->Folder;
}

void FindIndex::Open()
{
    Impl& self = *Self;
    if (self.Building)
        return;
    self.Identity = DataFileIdentity(self.Connection);
    std::string state;
    try {
        auto database = std::make_unique<Xapian::WritableDatabase>(self.Folder, Xapian::DB_OPEN);
        const bool same = database->get_metadata("format") == IndexFormat &&
            database->get_metadata("identity") == self.Identity && database->get_metadata("language") == self.Language;
        state = same ? database->get_metadata("state") : "other";
        if (state == "ready") {
            // An index that has seen changes this file never had is of an older copy.
            const int64_t sequence = std::stoll("0" + database->get_metadata("seq"));
            const int64_t last = LastChangeSequence(self.Connection);
            if (last >= 0 && sequence > last)
                state = "other";
        }
        database->close();
    } catch (const Xapian::DatabaseLockError& error) {
        // Another program keeps it up to date; this one only reads it.
        self.SetFailure(error.get_description());
        return;
    } catch (const Xapian::Error&) {
        state = "missing";  // absent or damaged
    } catch (const std::exception&) {
        state = "missing";
    }
    if (state == "ready")
        self.OpenWriter();
    else
        self.StartRebuild(state == "building");
}

bool FindIndex::CatchUp()
{
    Impl& self = *Self;
    self.Reap();
    if (self.Building || !self.Writer)
        return true;
    const Clock::time_point start = Clock::now();
    for (auto hole = self.Holes.begin(); hole != self.Holes.end();)
        hole = start - hole->second > HoleLifetime ? self.Holes.erase(hole) : std::next(hole);

    // One read transaction for the look and the tickets it leads to.
    const bool ownTransaction = !self.Connection.IsTransactionActive();
    if (ownTransaction)
        self.Connection.StartTransaction(false);
    struct EndRead {
        DBConnection& connection;
        bool own;
        ~EndRead()
        {
            if (!own || !connection.IsTransactionActive())
                return;
            try {
                connection.Commit();
            } catch (const IBPP::Exception& error) {
                OutputDebugString(error.ErrorMessage());
            }
        }
    } endRead{self.Connection, ownTransaction};

    const int64_t from = self.Holes.empty() ? self.LastSequence
                                            : std::min(self.LastSequence, self.Holes.begin()->first - 1);
    std::vector<TicketChange> changes;
    // Nothing to read (or no change log in this file): nothing to take in.
    if (!ReadChanges(self.Connection, from, MaxChangesRead, changes) || changes.empty())
        return true;
    // More may follow those read: they are no holes, and are read next time.
    const bool cut = changes.size() >= MaxChangesRead;
    std::set<int32_t> applied;
    bool complete = true;
    int64_t reached = self.LastSequence;
    try {
        for (const TicketChange& change : changes) {
            const bool fresh = change.Sequence > self.LastSequence;
            const auto hole = self.Holes.find(change.Sequence);
            if (!fresh && hole == self.Holes.end())
                continue;
            // At least one change each call: a slow look must not leave every search behind.
            if (!applied.empty() && Clock::now() - start > CatchUpBudget) {
                complete = false;
                break;
            }
            if (!applied.count(change.ProblemID)) {
                if (!self.ApplyChange(change.ProblemID)) {
                    complete = false;
                    break;
                }
                applied.insert(change.ProblemID);
            }
            if (hole != self.Holes.end())
                self.Holes.erase(hole);
            // Numbers skipped on the way may belong to saves not yet committed.
            for (int64_t skipped = reached + 1; fresh && skipped < change.Sequence; ++skipped)
                self.Holes.emplace(skipped, start);
            if (fresh)
                reached = change.Sequence;
        }
        while (self.Holes.size() > MaxHoles)
            self.Holes.erase(self.Holes.begin());
        self.LastSequence = reached;
        self.Writer->set_metadata("seq", std::to_string(reached));
        // The writer searches its own changes; they reach the disk together with
        // the sequence number they bring it to, so a crash only means taking
        // them in again. Committing each save would double its time.
        self.Uncommitted += static_cast<int>(applied.size());
        if (self.Uncommitted >= ChangesPerCommit) {
            self.Writer->commit();
            self.Uncommitted = 0;
        }
    } catch (const Xapian::Error& error) {
        // A damaged index: built again from the data file.
        self.SetFailure(error.get_description());
        self.StartRebuild(false);
        return true;
    }
    return complete && !cut;
}

std::vector<FindHit> FindIndex::Search(const std::string& query, size_t count)
{
    Impl& self = *Self;
    const std::string text = CleanQuery(query);
    if (text.empty())
        return {};
    CatchUp();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (self.Writer)
                return self.Run(*self.Writer, text, count);
            if (!self.Reader)
                self.Reader = std::make_unique<Xapian::Database>(self.Folder);
            else
                self.Reader->reopen();
            return self.Run(*self.Reader, text, count);
        } catch (const Xapian::DatabaseModifiedError&) {
            // The rebuild committed under the reader: read again.
            self.Reader.reset();
        } catch (const Xapian::Error& error) {
            // A rebuild that has not committed anything yet.
            if (self.Building) {
                self.Reader.reset();
                return {};
            }
            self.SetFailure(error.get_description());
            if (!self.Building)
                self.StartRebuild(false);
            return {};
        }
    }
    return {};
}

FindProgress FindIndex::Progress()
{
    Self->Reap();
    FindProgress progress;
    progress.Building = Self->Building;
    progress.Done = Self->Done;
    progress.Total = Self->Total;
    std::lock_guard<std::mutex> lock(Self->FailureLock);
    progress.Failure = Self->Failure;
    return progress;
}

std::string FindIndex::FolderFor(const std::string& dataFile, const std::string& cacheRoot)
{
    const std::filesystem::path file(dataFile);
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    if (!IsServerPath(dataFile) && access(folder.c_str(), W_OK) == 0)
        return dataFile + ".find";
    std::string name = file.filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
            c = '_';
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(dataFile)));
    return (std::filesystem::path(cacheRoot) / (name + "-" + hash + ".find")).string();
}

}  // namespace DBFrameWork
