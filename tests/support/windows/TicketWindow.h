// The main window on a fresh data file in a temporary working folder, with the
// dialogs answered by FakeInteraction; tickets are stored through the window.
#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/MainUnit.h"
#include "dialogs/OpenProblemDialogUnit.h"
#include "tests/support/datafiles/TestSupport.h"
#include "tests/support/windows/FakeInteraction.h"

struct TicketFields {
    QString name = "John Smith";
    QString address = "12 Elm Street\nSuite 4";
    QString city = "Springfield";
    QString state = "IL";
    QString zip = "62701";
    QString technician = "Dana";
    QDate assigned = QDate(2004, 12, 25);
    QDate completed;  // invalid: not completed
    int actualHours = 3;
    int billableHours = 2;
    QString problem = "Printer jams on every page";
    QString resolution = "Replaced the roller";
    QString comment = "Customer asked for a call back";
    QString operatingSystem = "Windows XP";
    std::string report;  // imported before saving when not empty
};

class TicketWindow {
public:
    TicketWindow();
    ~TicketWindow();

    TMainForm& Form() { return *form; }
    DBFrameWork::DBConnection* Connection() { return form->GetConnection(); }
    std::string DataFile() const { return work.File("Data/Solutions.fdb"); }
    const TestSupport::TempDir& Work() const { return work; }

    // New, fill every field, import the report, save; returns the problem key.
    int32_t SaveTicket(const TicketFields& ticket);
    void Fill(const TicketFields& ticket);
    // Imports text as the ticket's report through a file of the working folder.
    void ImportReport(const std::string& text);

    // Runs the Open command (through the menu, so raised errors reach the error
    // box); steps drive the dialog and must press OK or Cancel.
    void Open(const std::function<void(TOpenProblemDialog&)>& steps);
    // Opens the ticket whose customer name begins with name (first hit).
    void OpenByName(const QString& name, int row = 1);

    // One statement through the client layer, outside the window's objects.
    void Execute(const std::string& sql);
    // The number of rows of a table, counted through the client layer.
    int CountRows(const std::string& table);
    // The stored report of a ticket, read with the data layer.
    std::string StoredReport(int32_t problemID);
    // What View wrote for the browser, without the security policy it must
    // begin with (after a byte order mark); a missing policy fails the test.
    std::string ViewedReport();

    FakeInteraction fake;

private:
    TestSupport::TempDir work;
    std::string previousFolder;
    std::unique_ptr<TMainForm> form;
};

// Search helpers for a dialog shown or not.
void SearchCustomer(TOpenProblemDialog& dialog, const QString& term);
void SearchDescription(TOpenProblemDialog& dialog, const QString& term);
void ClickRow(TOpenProblemDialog& dialog, int row);
QString Cell(TOpenProblemDialog& dialog, int row, int column);
