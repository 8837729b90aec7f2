// The other tickets of the shown ticket's customer, newest first, beside the
// ticket. While the dock is hidden nothing is read: the list is read when it
// is shown, so opening a ticket costs nothing for a user who never looks.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <vector>

#include "dbframework/DBFrameWork_Reports.h"

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

    QTreeWidget* HistoryList = nullptr;

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
