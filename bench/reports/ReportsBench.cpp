// The shop's lists and reports over the search benchmark's 100,000 tickets:
// the open tickets list (its first screen, and scrolled to the end), one
// customer's history and the hours report of one year by technician, each
// through its window and as the same statement through the client layer
// alone, with the ratio; the CSV export of the year's report; and what the
// customer history adds to opening a ticket.
// Works on a copy of the cached data file; prints medians only.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/SearchDataSet.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Reports.h"
#include "dialogs/CustomerHistoryDock.h"
#include "dialogs/HoursReportDialogUnit.h"
#include "dialogs/Interaction.h"
#include "dialogs/OpenTicketsDialogUnit.h"
#include "tests/support/controls/Controls.h"

namespace fs = std::filesystem;
using BenchSupport::Median;
using BenchSupport::TimeMs;

namespace {

const std::string Folder = "/tmp/velmora-bench-reports";
constexpr int Runs = 9;
constexpr int Year = 2003;

// Message boxes go to standard error; every save dialog answers with csvPath.
class Backend final : public Interaction::Backend {
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    void ShowError(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool OpenFile(const Interaction::OpenFileRequest&, QString&) override { return false; }
    bool OpenUrl(const QString&) override { return false; }
    bool SaveFile(const Interaction::OpenFileRequest&, QString& chosenPath) override
    {
        chosenPath = csvPath;
        return true;
    }
    QString csvPath;
};

// The statement alone: a read-only transaction, prepare, bind, and every row
// fetched with each column read (read says how), or the first limit rows.
struct EngineRun {
    size_t rows = 0;
};

template <typename Bind, typename Read>
EngineRun RunStatement(DBFrameWork::DBConnection& connection, const char* sql, Bind bind, Read read,
                       size_t limit = SIZE_MAX)
{
    IBPP::Transaction transaction = connection.NewReadTransaction();
    transaction->Start();
    IBPP::Statement statement = IBPP::StatementFactory(connection.GetDatabase(), transaction);
    statement->Prepare(sql);
    bind(statement);
    statement->Execute();
    EngineRun run;
    while (run.rows < limit && statement->Fetch()) {
        ++run.rows;
        read(statement);
    }
    statement->Close();
    statement.reset();
    transaction->Commit();
    return run;
}

// The data layer's own time, when given, shows what the drawing adds.
void Report(const char* name, size_t rows, const std::vector<double>& program, const std::vector<double>& engine,
            const std::vector<double>& dataLayer = {})
{
    const double programMs = Median(program), engineMs = Median(engine);
    std::printf("%-36s %6zu rows: window %7.2f ms, engine alone %7.2f ms, ratio %.2f", name, rows, programMs, engineMs,
                programMs / engineMs);
    if (!dataLayer.empty())
        std::printf(" (data layer %.2f ms, ratio %.2f)", Median(dataLayer), Median(dataLayer) / engineMs);
    std::printf("\n");
}

// A fresh copy of the cached data file, so that nothing here touches the cache
// that the other benchmarks share.
void CopyDataSet()
{
    if (!SearchDataSet::IsCached()) {
        const std::string cache = SearchDataSet::CacheFolder();
        fs::remove_all(cache);
        fs::create_directories(cache);
        if (chdir(cache.c_str()) != 0)
            throw std::runtime_error("cannot enter " + cache);
        std::fprintf(stderr, "Building the data set in %s ...\n", cache.c_str());
        {
            TMainForm creator(ProgramPaths::InFolder(QDir::currentPath()));
            SearchDataSet::Fill(creator.GetConnection()->GetDatabase());
        }
        SearchDataSet::MarkCached();
    }
    fs::remove_all(Folder);
    fs::create_directories(Folder + "/Data");
    fs::copy_file(SearchDataSet::CacheFolder() + "/Data/Solutions.fdb", Folder + "/Data/Solutions.fdb");
    if (chdir(Folder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + Folder);
}

// Column readers of the three statements.
void ReadOpenTicket(IBPP::Statement& statement)
{
    int32_t number;
    std::string text;
    IBPP::Timestamp timestamp;
    statement->Get(1, number);
    statement->Get(2, timestamp);
    statement->Get(3, text);
    statement->Get(4, text);
    statement->Get(5, text);
    statement->Get(6, number);
}

void ReadHistoryEntry(IBPP::Statement& statement)
{
    int32_t number;
    std::string text;
    IBPP::Timestamp timestamp;
    statement->Get(1, number);
    statement->Get(2, timestamp);
    statement->Get(3, timestamp);
    statement->Get(4, text);
}

void ReadHoursRow(IBPP::Statement& statement)
{
    std::string text;
    int64_t number;
    statement->Get(1, text);
    statement->Get(2, number);
    statement->Get(3, number);
    statement->Get(4, number);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Interaction::NameApplication();
    Backend backend;
    backend.csvPath = QString::fromStdString(Folder + "/hours.csv");
    Interaction::SetBackend(&backend);
    try {
        CopyDataSet();
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
        return 1;
    }
    std::printf("data file %s/Data/Solutions.fdb (a copy): %d tickets, %d customers, %.0f MB\n", Folder.c_str(),
                SearchDataSet::TicketCount, SearchDataSet::CustomerCount, fs::file_size("Data/Solutions.fdb") / 1e6);

    TMainForm form(ProgramPaths::InFolder(QDir::currentPath()));
    form.show();
    DBFrameWork::DBConnection& connection = *form.GetConnection();

    {  // Open tickets, every technician: the first screen, and the whole list.
        TOpenTicketsDialog dialog(&form, &connection, {});
        dialog.show();
        dialog.Reload();  // warms the engine's page cache
        const auto bind = [](IBPP::Statement& statement) {
            statement->Set(1, std::string());
            statement->Set(2, std::string());
        };
        std::vector<double> program, engine, programAll, engineAll, dataLayer;
        EngineRun first, all;
        for (int i = 0; i < Runs; ++i) {
            program.push_back(TimeMs([&] {
                dialog.Reload();
                QCoreApplication::processEvents();
            }));
            dataLayer.push_back(TimeMs([&] {
                DBFrameWork::OpenTicketCursor cursor(connection);
                std::vector<DBFrameWork::OpenTicket> tickets;
                cursor.Open("");
                cursor.Next(dialog.Tickets().size(), tickets);
            }));
            engine.push_back(TimeMs([&] {
                first = RunStatement(connection, DBFrameWork::OpenTicketsSql.c_str(), bind, ReadOpenTicket,
                                     dialog.Tickets().size());
            }));
            programAll.push_back(TimeMs([&] {
                dialog.Reload();
                while (dialog.HasMore())
                    dialog.FetchMore();
                QCoreApplication::processEvents();
            }));
            engineAll.push_back(TimeMs(
                [&] { all = RunStatement(connection, DBFrameWork::OpenTicketsSql.c_str(), bind, ReadOpenTicket); }));
        }
        if (all.rows != dialog.Tickets().size())
            std::printf("open tickets: the window listed %zu, the engine %zu\n", dialog.Tickets().size(), all.rows);
        Report("open tickets, first screen", first.rows, program, engine, dataLayer);
        Report("open tickets, scrolled to the end", all.rows, programAll, engineAll);
    }
    {  // One technician's open tickets: the index walk skips the others'.
        TOpenTicketsDialog dialog(&form, &connection, {"Oliver"});
        dialog.show();
        dialog.TechnicianFilterComboBox->setCurrentText("Oliver");
        const auto bind = [](IBPP::Statement& statement) {
            statement->Set(1, std::string("Oliver"));
            statement->Set(2, std::string("Oliver"));
        };
        std::vector<double> program, engine;
        EngineRun first;
        for (int i = 0; i < Runs; ++i) {
            program.push_back(TimeMs([&] {
                dialog.Reload();
                QCoreApplication::processEvents();
            }));
            engine.push_back(TimeMs([&] {
                first = RunStatement(connection, DBFrameWork::OpenTicketsSql.c_str(), bind, ReadOpenTicket,
                                     dialog.Tickets().size());
            }));
        }
        Report("open tickets of Oliver, first screen", first.rows, program, engine);
    }

    // The customer with the most tickets, and one of them shown.
    int32_t customerId = 0, problemId = 0;
    {
        IBPP::Transaction transaction = IBPP::TransactionFactory(connection.GetDatabase(), IBPP::amRead);
        transaction->Start();
        IBPP::Statement statement = IBPP::StatementFactory(connection.GetDatabase(), transaction);
        statement->Prepare(
            "SELECT FIRST 1 CustomerID, MAX(ProblemID) FROM Problem GROUP BY CustomerID ORDER BY COUNT(*) DESC");
        statement->Execute();
        if (statement->Fetch()) {
            statement->Get(1, customerId);
            statement->Get(2, problemId);
        }
        statement.reset();
        transaction->Commit();
    }
    {  // A customer's history, through the dock beside the ticket.
        if (!form.OpenStoredProblem(problemId))
            std::printf("ticket %d could not be opened\n", problemId);
        TCustomerHistoryDock* history = Control<TCustomerHistoryDock>(form, "CustomerHistory");
        history->show();
        std::vector<double> program, engine, dataLayer;
        EngineRun run;
        std::vector<DBFrameWork::CustomerHistoryEntry> entries;
        for (int i = 0; i < Runs; ++i) {
            program.push_back(TimeMs([&] {
                history->ShowFor(&connection, customerId, problemId);
                QCoreApplication::processEvents();
            }));
            dataLayer.push_back(
                TimeMs([&] { DBFrameWork::ReadCustomerHistory(connection, customerId, problemId, entries); }));
            engine.push_back(TimeMs([&] {
                run = RunStatement(
                    connection, DBFrameWork::CustomerHistorySql,
                    [&](IBPP::Statement& statement) {
                        statement->Set(1, customerId);
                        statement->Set(2, problemId);
                    },
                    ReadHistoryEntry);
            }));
        }
        char name[64];
        std::snprintf(name, sizeof name, "customer history (customer %d)", customerId);
        Report(name, run.rows, program, engine, dataLayer);

        // Opening a ticket with the history shown against hidden.
        std::vector<double> shown, hidden;
        for (int i = 0; i < Runs; ++i) {
            history->show();
            shown.push_back(TimeMs([&] {
                form.OpenStoredProblem(problemId);
                QCoreApplication::processEvents();
            }));
            history->hide();
            hidden.push_back(TimeMs([&] {
                form.OpenStoredProblem(problemId);
                QCoreApplication::processEvents();
            }));
        }
        std::printf("open of ticket %d: %.2f ms with the history shown, %.2f ms hidden, history adds %.2f ms\n",
                    problemId, Median(shown), Median(hidden), Median(shown) - Median(hidden));
    }

    {  // The hours report of one year by technician, and its CSV.
        THoursReportDialog dialog(&form, &connection, &form.GetPrinter());
        dialog.show();
        dialog.PeriodComboBox->setCurrentText("Custom");
        dialog.FromDatePicker->setDate(QDate(Year, 1, 1));
        dialog.ToDatePicker->setDate(QDate(Year, 12, 31));
        dialog.GroupByComboBox->setCurrentText("Technician");
        const auto bind = [](IBPP::Statement& statement) {
            statement->Set(1, IBPP::Timestamp(Year, 1, 1));
            statement->Set(2, IBPP::Timestamp(Year + 1, 1, 1));
        };
        std::vector<double> program, engine, dataLayer;
        EngineRun run;
        std::vector<DBFrameWork::HoursReportRow> rows;
        for (int i = 0; i < Runs; ++i) {
            program.push_back(TimeMs([&] {
                dialog.Reload();
                QCoreApplication::processEvents();
            }));
            dataLayer.push_back(TimeMs([&] {
                DBFrameWork::ReadHoursReport(connection, {Year, 1, 1}, {Year, 12, 31},
                                             DBFrameWork::HoursGrouping::Technician, rows);
            }));
            engine.push_back(TimeMs([&] {
                run = RunStatement(connection, DBFrameWork::HoursReportSql(DBFrameWork::HoursGrouping::Technician),
                                   bind, ReadHoursRow);
            }));
        }
        const DBFrameWork::HoursReportRow totals = DBFrameWork::HoursTotals(dialog.Rows());
        char name[64];
        std::snprintf(name, sizeof name, "hours report %d by technician", Year);
        Report(name, run.rows, program, engine, dataLayer);
        std::printf("  (%lld tickets, %lld actual hours, %lld billable)\n", static_cast<long long>(totals.ticketCount),
                    static_cast<long long>(totals.actualHours), static_cast<long long>(totals.billableHours));

        for (const char* grouping : {"Technician", "Customer"}) {
            dialog.GroupByComboBox->setCurrentText(grouping);
            std::vector<double> exports;
            for (int i = 0; i < Runs; ++i)
                exports.push_back(TimeMs([&] { dialog.ExportCsvButtonClick(); }));
            std::printf("CSV export of the %d report by %-10s %6zu rows, %7.0f bytes: %7.2f ms\n", Year, grouping,
                        dialog.Rows().size() + 1, static_cast<double>(fs::file_size(Folder + "/hours.csv")),
                        Median(exports));
        }
    }
    std::printf("medians of %d runs\n", Runs);
    Interaction::SetBackend(nullptr);
    return 0;
}
