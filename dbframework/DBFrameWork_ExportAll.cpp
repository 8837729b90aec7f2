#include "dbframework/DBFrameWork_ExportAll.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <set>

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_Csv.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ExportByteStream.h"
#include "dbframework/DBFrameWork_ExportColumns.h"
#include "dbframework/DBFrameWork_ExportReadme.h"
#include "dbframework/DBFrameWork_ExportTarget.h"
#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {
namespace {

const char* const CancelledReason = "The export was cancelled; nothing was written.";
// The progress is told every so many lines, and at every file.
constexpr int64_t LinesPerProgress = 256;

// A text that begins with a quote gets one more, so that the importer's rule
// (take off the first quote) holds for the formula guard's quote and this one alike.
CsvCell TextCell(const std::string& text)
{
    return CsvCell(!text.empty() && text[0] == '\'' ? "'" + text : text);
}

std::string DateText(const IBPP::Timestamp& time, bool withTime)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    time.GetDate(year, month, day);
    time.GetTime(hour, minute, second);
    char text[32];
    if (withTime)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// Photos, sound, film and archives are packed already.
bool WorthCompressing(const std::string& mediaType)
{
    for (const char* packed : {"image/jpeg", "image/png", "image/gif", "image/webp", "image/heic", "image/heif",
                               "video/", "audio/", "application/zip", "application/gzip"})
        if (mediaType.rfind(packed, 0) == 0)
            return false;
    return true;
}

class Exporter {
public:
    Exporter(DBConnection& connection, const ExportRequest& request, const ExportProgress& progress,
             ExportResult& result)
        : Connection(connection), Request(request), Progress(progress), Result(result)
    {}

    bool Run()
    {
        Target = MakeExportTarget(Request.Target, Result.Reason);
        if (!Target)
            return false;
        Transaction = IBPP::TransactionFactory(Connection.GetDatabase(), IBPP::amRead, IBPP::ilConcurrency,
                                               IBPP::lrNoWait);
        Transaction->Start();
        Statement = IBPP::StatementFactory(Connection.GetDatabase(), Transaction);
        ReadTables();
        CountSteps();
        for (const ExportFile& file : ExportFiles())
            if (!WriteCsv(file))
                return false;
        if (!WriteStates() || !WriteReadme() || !AddReports() || !AddFiles())
            return false;
        if (!Target->Finish())
            return Failed();
        Statement.reset();
        Transaction->Commit();
        return true;
    }

    // Ends the snapshot of a failed export; the target removes what it began.
    void Abandon()
    {
        Target.reset();
        try {
            Statement.reset();
            if (Transaction && Transaction->Started())
                Transaction->Rollback();
        } catch (const IBPP::Exception& error) {
            OutputDebugString(error.ErrorMessage());
        }
    }

private:
    bool Failed()
    {
        if (Cancelled) {
            Result.Cancelled = true;
            Result.Reason = CancelledReason;
        } else {
            Result.Reason = Target->Reason();
            OutputDebugString("Export All: " + Result.Reason);
        }
        return false;
    }

    // False once the progress asked to stop.
    bool Step(bool tell)
    {
        ++Done;
        if (Progress && (tell || Done % LinesPerProgress == 0 || Done == Total) && !Progress(Done, Total))
            Cancelled = true;
        return !Cancelled;
    }

    void Query(const std::string& sql)
    {
        Statement->Prepare(sql);
        Statement->Execute();
    }

    void ReadTables()
    {
        Query("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0");
        while (Statement->Fetch()) {
            std::string name;
            Statement->Get(1, name);
            Tables.insert(name);
        }
    }

    bool HasTable(const std::string& table) const
    {
        std::string upper = table;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return Tables.count(upper) > 0;
    }

    int64_t Count(const std::string& table, const std::string& where = "")
    {
        if (!HasTable(table))
            return 0;
        Query("SELECT COUNT(*) FROM " + table + where);
        int64_t rows = 0;
        if (Statement->Fetch())
            Statement->Get(1, rows);
        Statement->Close();
        return rows;
    }

    void CountSteps()
    {
        for (const ExportFile& file : ExportFiles())
            Total += Count(file.Table);
        Total += static_cast<int64_t>(Request.States.size());
        Result.Reports = Count("SystemInfo", " WHERE Description IS NOT NULL");
        Result.Files = Count("TicketFile");
        Total += Result.Reports + Result.Files;
    }

    std::string SelectOf(const ExportFile& file) const
    {
        std::string select;
        for (const ExportColumn& column : file.Columns) {
            if (!*column.Sql)
                continue;
            select += select.empty() ? "SELECT " : ", ";
            select += HasTable(column.Table) ? column.Sql : "NULL";
        }
        select += std::string(" FROM ") + file.From;
        for (const ExportJoin& join : file.Joins)
            if (HasTable(join.Table))
                select += std::string(" ") + join.Clause;
        return select + " ORDER BY " + file.OrderBy;
    }

    // The column's value as the CSV holds it (before the formula guard); the
    // raw value for a Path column, which Derive then makes into the path.
    std::string ReadValue(const ExportColumn& column, int at)
    {
        if (Statement->IsNull(at))
            return std::string();
        switch (column.Format) {
        case ExportFormat::Key:
        case ExportFormat::Integer:
        case ExportFormat::Path: {
            int32_t number = 0;
            Statement->Get(at, number);
            return std::to_string(number);
        }
        case ExportFormat::Flag: {
            int32_t number = 0;
            Statement->Get(at, number);
            return number != 0 ? "1" : "0";
        }
        case ExportFormat::Text: {
            std::string text;
            Statement->Get(at, text);
            return text;
        }
        case ExportFormat::LongText: {
            IBPP::Blob blob = IBPP::BlobFactory(Connection.GetDatabase(), Transaction);
            Statement->Get(at, blob);
            return ReadBlobText(blob);
        }
        case ExportFormat::Date:
        case ExportFormat::Timestamp: {
            IBPP::Timestamp time;
            Statement->Get(at, time);
            return DateText(time, column.Format == ExportFormat::Timestamp);
        }
        }
        return std::string();
    }

    static CsvCell CellOf(const ExportColumn& column, const std::string& value)
    {
        const bool number = column.Format == ExportFormat::Key || column.Format == ExportFormat::Integer ||
            column.Format == ExportFormat::Flag;
        if (number && !value.empty())
            return CsvCell(static_cast<int64_t>(std::stoll(value)));
        if (column.Format == ExportFormat::Text || column.Format == ExportFormat::LongText)
            return TextCell(value);
        return CsvCell(value);
    }

    bool WriteHeader(const ExportFile& file)
    {
        std::vector<CsvCell> names;
        for (const ExportColumn& column : file.Columns)
            names.emplace_back(column.Name);
        return Target->BeginText(file.FileName) && Target->WriteText(CsvByteOrderMark) &&
            Target->WriteText(CsvLine(names));
    }

    bool WriteCsv(const ExportFile& file)
    {
        if (!WriteHeader(file))
            return Failed();
        if (HasTable(file.Table)) {
            Query(SelectOf(file));
            std::vector<std::string> values(file.Columns.size());
            const ExportValue valueOf = [&](const char* name) {
                for (size_t at = 0; at < file.Columns.size(); ++at)
                    if (std::string(file.Columns[at].Name) == name)
                        return values[at];
                return std::string();
            };
            std::vector<CsvCell> cells;
            int64_t lines = 0;
            while (Statement->Fetch()) {
                ++lines;
                int at = 0;
                for (size_t index = 0; index < file.Columns.size(); ++index)
                    values[index] = *file.Columns[index].Sql ? ReadValue(file.Columns[index], ++at) : std::string();
                cells.clear();
                for (size_t index = 0; index < file.Columns.size(); ++index) {
                    const ExportColumn& column = file.Columns[index];
                    cells.push_back(CellOf(column, column.Derive ? column.Derive(valueOf) : values[index]));
                }
                if (!Target->WriteText(CsvLine(cells)))
                    return Failed();
                if (!Step(false))
                    return Failed();
            }
            Statement->Close();
            if (std::string(file.Table) == "Customer")
                Result.Customers = lines;
            if (std::string(file.Table) == "Problem")
                Result.Tickets = lines;
        }
        return Target->EndText() || Failed();
    }

    bool WriteStates()
    {
        const ExportFile& file = StatesFile();
        if (!WriteHeader(file))
            return Failed();
        int32_t order = 0;
        for (const std::string& state : Request.States)
            if (!Target->WriteText(CsvLine({CsvCell(++order), TextCell(state)})) || !Step(false))
                return Failed();
        return Target->EndText() || Failed();
    }

    bool WriteReadme()
    {
        return (Target->BeginText("README.txt") && Target->WriteText(ExportReadme()) && Target->EndText()) || Failed();
    }

    std::unique_ptr<ByteStream> StreamOf(int at, int64_t size)
    {
        if (Statement->IsNull(at))
            return std::make_unique<NoBytes>();
        IBPP::Blob blob = IBPP::BlobFactory(Connection.GetDatabase(), Transaction);
        Statement->Get(at, blob);
        return std::make_unique<BlobStream>(blob, size);
    }

    bool AddBytes(const std::string& path, std::unique_ptr<ByteStream> stream, bool compress)
    {
        return Target->AddBytes(path, std::move(stream), compress, [this] { return Step(true); }) || Failed();
    }

    bool AddReports()
    {
        if (!HasTable("SystemInfo"))
            return true;
        // One statement per file: a folder reads the blob at once, a zip later, both in this snapshot.
        std::vector<std::pair<int32_t, int64_t>> reports;
        Query("SELECT ProblemID, OCTET_LENGTH(Description) FROM SystemInfo "
              "WHERE Description IS NOT NULL ORDER BY ProblemID");
        while (Statement->Fetch()) {
            int32_t problemId = 0;
            int64_t size = 0;
            Statement->Get(1, problemId);
            Statement->Get(2, size);
            reports.emplace_back(problemId, size);
        }
        Statement->Prepare("SELECT Description FROM SystemInfo WHERE ProblemID = ?");
        for (const auto& [problemId, size] : reports) {
            Statement->Set(1, problemId);
            Statement->Execute();
            if (!Statement->Fetch())
                continue;
            auto stream = StreamOf(1, size);
            Statement->Close();
            if (!AddBytes(ReportPath(problemId), std::move(stream), true))
                return false;
        }
        return true;
    }

    bool AddFiles()
    {
        if (!HasTable("TicketFile"))
            return true;
        struct StoredFile {
            int32_t FileID, ProblemID;
            std::string Name, MediaType;
            int64_t Size;
        };
        std::vector<StoredFile> files;
        Query("SELECT FileID, ProblemID, FileName, MediaType, OCTET_LENGTH(Content) FROM TicketFile "
              "ORDER BY FileID");
        while (Statement->Fetch()) {
            StoredFile file{0, 0, "", "", 0};
            Statement->Get(1, file.FileID);
            Statement->Get(2, file.ProblemID);
            Statement->Get(3, file.Name);
            if (!Statement->IsNull(4))
                Statement->Get(4, file.MediaType);
            if (!Statement->IsNull(5))
                Statement->Get(5, file.Size);
            files.push_back(std::move(file));
        }
        Statement->Prepare("SELECT Content FROM TicketFile WHERE FileID = ?");
        for (const StoredFile& file : files) {
            Statement->Set(1, file.FileID);
            Statement->Execute();
            if (!Statement->Fetch())
                continue;
            auto stream = StreamOf(1, file.Size);
            Statement->Close();
            if (!AddBytes(TicketFilePath(file.ProblemID, file.FileID, file.Name), std::move(stream),
                          WorthCompressing(file.MediaType)))
                return false;
        }
        return true;
    }

    DBConnection& Connection;
    const ExportRequest& Request;
    const ExportProgress& Progress;
    ExportResult& Result;
    std::unique_ptr<ExportTarget> Target;
    IBPP::Transaction Transaction;
    IBPP::Statement Statement;
    std::set<std::string> Tables;
    int64_t Total = 0;
    int64_t Done = 0;
    bool Cancelled = false;
};

}  // namespace

bool ExportAll(DBConnection& connection, const ExportRequest& request, const ExportProgress& progress,
               ExportResult& result)
{
    result = ExportResult();
    Exporter exporter(connection, request, progress, result);
    try {
        if (exporter.Run())
            return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
        result.Reason = std::string("The data file could not be read: ") + error.ErrorMessage();
    } catch (const std::exception& error) {
        OutputDebugString(std::string("Uncaught Exception in ExportAll: ") + error.what());
        result.Reason = std::string("The export failed: ") + error.what();
    }
    exporter.Abandon();
    return false;
}

}  // namespace DBFrameWork
