// The main window on a fresh data file in a temporary working folder, with the
// dialogs answered by FakeInteraction; tickets are stored through the window.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_TicketRecord.h"
#include "dialogs/OpenProblemDialogUnit.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/datafiles/TestSupport.h"
#include "tests/support/windows/FakeInteraction.h"

// An open ticket with every field typed and no report; the keys are left to
// the window.
DBFrameWork::TicketRecord TypedTicket();
// A stored text of lines as its memo shows it.
QString MemoText(const std::string& stored);

class TicketWindow {
public:
    TicketWindow();
    ~TicketWindow();

    TMainForm& Form() { return *form; }
    DBFrameWork::DBConnection* Connection() { return form->GetConnection(); }
    std::string DataFile() const { return work.File("Data/Solutions.fdb"); }
    const TestSupport::TempDir& Work() const { return work; }
    // The window's control of that object name; a missing one fails the test.
    template <class T>
    T* Find(const char* name)
    {
        return Control<T>(*form, name);
    }

    // New, fill every field, import the report (when there is one), save;
    // returns the problem key.
    int32_t SaveTicket(const DBFrameWork::TicketRecord& ticket);
    // Types the ticket's fields; a completed date checks Complete.
    void Fill(const DBFrameWork::TicketRecord& ticket);
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
