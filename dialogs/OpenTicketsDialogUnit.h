// Every ticket whose Complete box is not checked, oldest assignment first or
// by the day promised, optionally of one technician and of one state; a job
// past its promised day stands out. The ticket chosen is opened by the caller.
#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "dbframework/DBFrameWork_Reports.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class RecordTableModel;

namespace DBFrameWork {
class DBConnection;
}

class TOpenTicketsDialog : public QDialog {
    Q_OBJECT

public:
    // technicians: the pick list of the settings, offered after "All"; states:
    // the shop's ordered list (the last meaning done), offered after "All".
    TOpenTicketsDialog(QWidget* owner, DBFrameWork::DBConnection* connection, const QStringList& technicians,
                       const QStringList& states = QStringList());
    ~TOpenTicketsDialog() override;

    // Reads the list for the technician chosen, its first rows at once and
    // the rest as the list is scrolled; false when reading failed (the error
    // box has said so) or was cancelled.
    bool Reload();
    // Reads the next rows, if any are left; false when reading failed (the
    // error box has said so).
    bool FetchMore();
    bool HasMore() const;
    // The ticket chosen by double click, Enter or Open; 0 when none.
    int32_t ChosenProblemID() const { return Chosen; }
    const std::vector<DBFrameWork::OpenTicket>& Tickets() const { return TicketList; }

    QComboBox* TechnicianFilterComboBox = nullptr;
    QComboBox* StateFilterComboBox = nullptr;
    QCheckBox* SortByPromisedCheckBox = nullptr;
    QTableView* TicketsTableView = nullptr;
    QLabel* TicketCountLabel = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void ChooseRow(int row);
    void ShowCount();
    void ShowReadError();
    DBFrameWork::OpenTicketQuery ChosenQuery() const;
    // Opens the cursor off the window's thread (the engine sorts the list
    // before its first row); the list asks for no more rows meanwhile.
    DBFrameWork::QueryOutcome ReadAside(const std::function<DBFrameWork::QueryOutcome()>& read);

    // An attachment of the dialog's own, so that the window's connection
    // never leaves its thread; the cursor on it goes first.
    std::unique_ptr<DBFrameWork::DBConnection> Connection;
    std::unique_ptr<DBFrameWork::OpenTicketCursor> Cursor;
    bool Reading = false;
    std::vector<DBFrameWork::OpenTicket> TicketList;
    DBFrameWork::StringList States;
    RecordTableModel* Model = nullptr;
    QDate Today;
    int32_t Chosen = 0;
};
