// Beside the ticket, on two pages: the other tickets of the shown ticket's
// customer, newest first, under the customer's contacts; and the job's own
// history of states and notices. While the dock is hidden nothing is read: the list is read when it
// is shown, so opening a ticket costs nothing for a user who never looks.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <vector>

#include "dbframework/DBFrameWork_Reports.h"
#include "dbframework/DBFrameWork_TicketRecord.h"

class QLabel;
class QTabWidget;
class QTreeWidget;

namespace DBFrameWork {
class DBConnection;
}

class TCustomerHistoryDock : public QDockWidget {
    Q_OBJECT

public:
    explicit TCustomerHistoryDock(QWidget* owner);

    // The ticket now shown; a customer key of 0 (a ticket not stored) empties the list.
    void ShowFor(DBFrameWork::DBConnection* connection, int32_t customerId, int32_t problemId);
    const std::vector<DBFrameWork::CustomerHistoryEntry>& Entries() const { return EntryList; }
    // How the customer is reached, above the list.
    void ShowContacts(const QString& text);
    // The job's history as read with the ticket, oldest first.
    void ShowJobHistory(const std::vector<DBFrameWork::JobEventRecord>& history);

    QTabWidget* Pages = nullptr;
    QLabel* ContactLabel = nullptr;
    QTreeWidget* HistoryList = nullptr;
    QTreeWidget* JobHistoryList = nullptr;

signals:
    // A double click (or Enter) on a ticket of the list.
    void TicketChosen(int32_t problemId);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Read();

    DBFrameWork::DBConnection* Connection = nullptr;
    int32_t CustomerID = 0;
    int32_t ProblemID = 0;
    bool Stale = false;
    std::vector<DBFrameWork::CustomerHistoryEntry> EntryList;
};
