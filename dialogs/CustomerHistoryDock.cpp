#include "dialogs/CustomerHistoryDock.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/Interaction.h"
#include "dialogs/ReportDates.h"

TCustomerHistoryDock::TCustomerHistoryDock(QWidget* owner) : QDockWidget("Customer History", owner)
{
    setObjectName("CustomerHistoryDock");
    HistoryList = new QTreeWidget(this);
    HistoryList->setObjectName("CustomerHistoryList");
    HistoryList->setAccessibleName("Customer history");
    HistoryList->setRootIsDecorated(false);
    HistoryList->setUniformRowHeights(true);
    HistoryList->setHeaderLabels({"Assigned", "State", "Problem"});
    HistoryList->header()->setStretchLastSection(true);
    HistoryList->setColumnWidth(0, 100);
    HistoryList->setColumnWidth(1, 80);
    // A few tickets at a glance; the rest scroll.
    HistoryList->setMinimumHeight(HistoryList->fontMetrics().height() * 6);
    setWidget(HistoryList);
    // activated is a double click, and Enter on the current row.
    connect(HistoryList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int row = HistoryList->indexOfTopLevelItem(item);
        if (row >= 0 && row < static_cast<int>(EntryList.size()))
            emit TicketChosen(EntryList[static_cast<size_t>(row)].problemId);
    });
}

void TCustomerHistoryDock::ShowFor(DBFrameWork::DBConnection* connection, int32_t customerId, int32_t problemId)
{
    Connection = connection;
    CustomerID = customerId;
    ProblemID = problemId;
    Stale = true;
    if (isVisible())
        Read();
}

void TCustomerHistoryDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    if (Stale)
        Read();
}

void TCustomerHistoryDock::Read()
{
    Stale = false;
    EntryList.clear();
    HistoryList->clear();
    if (!Connection || CustomerID == 0)
        return;
    if (DBFrameWork::ReadCustomerHistory(*Connection, CustomerID, ProblemID, EntryList) !=
        DBFrameWork::QueryOutcome::Done) {
        EntryList.clear();
        Interaction::ShowError("Error reading Data File (" + QString::fromStdString(Connection->GetPath()) + ")!");
        return;
    }
    QList<QTreeWidgetItem*> items;
    for (const DBFrameWork::CustomerHistoryEntry& entry : EntryList) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, ShortDateText(ToQDate(entry.assigned)));
        item->setText(1, entry.completed.IsSet() ? "Complete" : "Open");
        item->setText(2, QString::fromStdString(entry.problemFirstLine));
        item->setToolTip(2, item->text(2));
        items << item;
    }
    HistoryList->addTopLevelItems(items);
}
