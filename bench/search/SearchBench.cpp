// Times the two searches of the open dialog and the open of one ticket on a
// data file of 100,000 tickets, and the same two statements through the client
// layer alone, so that the program's share shows as a ratio. Prints medians.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <vector>

#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/SearchDataSet.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/Interaction.h"
#include "dialogs/OpenProblemDialogUnit.h"

namespace {

constexpr int Runs = 9;

using BenchSupport::Median;
using BenchSupport::PrintingBackend;
using BenchSupport::TimeMs;

// The statement alone: prepare, bind, fetch every row and read the columns
// that the dialog reads, the blob and the timestamp included.
int RunStatement(DBFrameWork::DBConnection& connection, const char* sql, const std::string& term, bool byCustomer)
{
    IBPP::Transaction transaction = IBPP::TransactionFactory(connection.GetDatabase(), IBPP::amRead, IBPP::ilReadDirty,
                                                             IBPP::lrNoWait);
    transaction->Start();
    IBPP::Statement statement = IBPP::StatementFactory(connection.GetDatabase(), transaction);
    statement->Prepare(sql);
    statement->Set(1, term + "%");
    statement->Execute();
    int rows = 0;
    int32_t number;
    std::string text;
    IBPP::Timestamp timestamp;
    char buffer[65536];
    while (statement->Fetch()) {
        ++rows;
        statement->Get(1, number);
        statement->Get(2, number);
        for (int column = 3; column <= 7; ++column)
            statement->Get(column, text);
        IBPP::Blob blob = IBPP::BlobFactory(connection.GetDatabase(), transaction);
        if (!statement->Get(8, blob)) {
            blob->Open();
            while (blob->Read(buffer, 65535) > 0) {}
            blob->Close();
        }
        statement->Get(byCustomer ? 10 : 9, timestamp);
        if (byCustomer) {
            statement->Get(9, text);
            statement->Get(14, text);
        }
    }
    statement->Close();
    statement.reset();
    transaction->Commit();
    return rows;
}

void BuildDataSet()
{
    const std::string folder = SearchDataSet::CacheFolder();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    if (chdir(folder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + folder);
    std::fprintf(stderr, "Building the data set in %s ...\n", folder.c_str());
    const double ms = TimeMs([] {
        TMainForm creator(ProgramPaths::InFolder(QDir::currentPath()));  // lays out the tables as the program does
        SearchDataSet::Fill(creator.GetConnection()->GetDatabase());
    });
    SearchDataSet::MarkCached();
    std::printf("data set built in %.1f s\n", ms / 1000);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Interaction::NameApplication();
    PrintingBackend backend;
    Interaction::SetBackend(&backend);

    if (!SearchDataSet::IsCached())
        BuildDataSet();
    if (chdir(SearchDataSet::CacheFolder().c_str()) != 0)
        return 1;
    std::printf("data file %s/Data/Solutions.fdb: %d tickets, %d customers, %.0f MB\n",
                SearchDataSet::CacheFolder().c_str(), SearchDataSet::TicketCount, SearchDataSet::CustomerCount,
                std::filesystem::file_size("Data/Solutions.fdb") / 1e6);

    {
        TMainForm form(ProgramPaths::InFolder(QDir::currentPath()));
        DBFrameWork::DBConnection& connection = *form.GetConnection();
        TOpenProblemDialog dialog(nullptr, &connection);
        dialog.show();

        struct Search {
            const char* name;
            const char* term;
            bool byCustomer;
        };
        for (const Search& search :
             {Search{"customer search", "Oli", true}, Search{"description search", "Pri", false}}) {
            QLineEdit* edit = search.byCustomer ? dialog.CustomerNameEdit : dialog.Edit1;
            QPushButton* button = search.byCustomer ? dialog.CustomerSearchButton
                                                    : dialog.ProblemDescriptionSearchButton;
            edit->setText(search.term);
            const char* sql = search.byCustomer ? TOpenProblemDialog::CustomerSearchSql
                                                : TOpenProblemDialog::DescriptionSearchSql;
            std::vector<double> program, client;
            int rows = 0;
            button->click();  // warms the engine's page cache
            for (int run = 0; run < Runs; ++run) {
                program.push_back(TimeMs([&] { button->click(); }));
                client.push_back(TimeMs([&] { rows = RunStatement(connection, sql, search.term, search.byCustomer); }));
            }
            const double programMs = Median(program), clientMs = Median(client);
            std::printf("%-19s \"%s\": %zu hits; dialog %.1f ms, client layer alone %.1f ms (%d rows), ratio %.2f\n",
                        search.name, search.term, dialog.GetSearchResults().size(), programMs, clientMs, rows,
                        programMs / clientMs);
        }
    }

    // The open of one ticket with a report: from OK to the loaded window.
    TMainForm form(ProgramPaths::InFolder(QDir::currentPath()));
    std::vector<double> opens;
    size_t reportSize = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<TOpenProblemDialog*>(widget);
                if (!dialog || !dialog->isVisible())
                    continue;
                dialog->Edit1->setText("Printer");
                dialog->ProblemDescriptionSearchButton->click();
                // The 50th ticket and every 50th after it carry a report.
                const auto& hits = dialog->GetSearchResults();
                int row = 0;
                for (size_t i = 0; i < hits.size() && !row; ++i)
                    if (std::stoi(hits[i][0]) % 50 == 0)
                        row = static_cast<int>(i) + 1;
                dialog->SearchResultsStringGrid->setCurrentCell(row, 0);
                timer.start();
                dialog->OKButton->click();
            }
        });
        form.OpenFileMenuClick();
        opens.push_back(timer.nsecsElapsed() / 1e6);
        reportSize = form.GetSystemInfoText().size();
    }
    std::printf("open of one ticket (ProblemID %d, report of %zu bytes): %.2f ms\n", form.GetProblemID(), reportSize,
                Median(opens));
    std::printf("medians of %d runs\n", Runs);
    Interaction::SetBackend(nullptr);
    return 0;
}
