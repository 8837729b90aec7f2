#include "dialogs/CustomerHistoryDock.h"

#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/Interaction.h"
#include "dialogs/ReportDates.h"

TCustomerHistoryDock::TCustomerHistoryDock(QWidget* owner) : QDockWidget("Customer History", owner)
{
    setObjectName("CustomerHistoryDock");
    Pages = new QTabWidget(this);
    Pages->setObjectName("HistoryPages");
    auto* customerPage = new QWidget(Pages);
    auto* customerLayout = new QVBoxLayout(customerPage);
    customerLayout->setContentsMargins(2, 2, 2, 2);
    ContactLabel = new QLabel(customerPage);
    ContactLabel->setObjectName("CustomerContactLabel");
    ContactLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ContactLabel->hide();
    HistoryList = new QTreeWidget(customerPage);
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
    customerLayout->addWidget(ContactLabel);
    customerLayout->addWidget(HistoryList, 1);
    Pages->addTab(customerPage, "Customer history");

    JobHistoryList = new QTreeWidget(Pages);
    JobHistoryList->setObjectName("JobHistoryList");
    JobHistoryList->setAccessibleName("Job history");
    JobHistoryList->setRootIsDecorated(false);
    JobHistoryList->setUniformRowHeights(true);
    JobHistoryList->setHeaderLabels({"When", "Who", "What"});
    JobHistoryList->header()->setStretchLastSection(true);
    JobHistoryList->setColumnWidth(0, 130);
    JobHistoryList->setColumnWidth(1, 90);
    Pages->addTab(JobHistoryList, "Job history");
    setWidget(Pages);
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

void TCustomerHistoryDock::ShowContacts(const QString& text)
{
    ContactLabel->setText(text);
    ContactLabel->setVisible(!text.isEmpty());
}

void TCustomerHistoryDock::ShowJobHistory(const std::vector<DBFrameWork::JobEventRecord>& history)
{
    JobHistoryList->clear();
    QList<QTreeWidgetItem*> items;
    for (const DBFrameWork::JobEventRecord& event : history) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::fromStdString(event.Time));
        item->setText(1, QString::fromStdString(event.User));
        const QString detail = QString::fromStdString(event.Detail);
        item->setText(2, event.Kind == DBFrameWork::JobEventKind::Notice ? "Customer told: " + detail : detail);
        item->setToolTip(2, item->text(2));
        items << item;
    }
    JobHistoryList->addTopLevelItems(items);
}
