// Find Solutions: one search field over every ticket's text, the ranked hits
// listed as the user types; Enter or a double click chooses a ticket.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "dbframework/DBFrameWork_FindIndex.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

class TFindSolutionsDialog : public QDialog {
    Q_OBJECT

public:
    // The index belongs to the caller and outlives the dialog.
    TFindSolutionsDialog(QWidget* owner, DBFrameWork::FindIndex* index);
    ~TFindSolutionsDialog() override;

    // Shows the dialog modally; true when a ticket was chosen.
    bool Execute();
    // The chosen ticket's key; 0 before one is chosen.
    int32_t GetSelectedProblemID() const { return SelectedProblemID; }

    // Runs the search for the text in the field now (the pause after typing
    // ends here too).
    void SearchNow();
    // Chooses the selected hit (the first when none is selected) and closes.
    void OpenSelected();

    // Column of the hit list holding the snippet.
    static constexpr int SnippetColumn = 4;
    // Column holding the customer's first phone number.
    static constexpr int PhoneColumn = 5;
    // Item data role holding the ticket's key.
    static constexpr int ProblemIDRole = Qt::UserRole;

    QLineEdit* SearchEdit = nullptr;
    QTreeWidget* ResultList = nullptr;
    QLabel* ResultCountLabel = nullptr;
    QProgressBar* IndexProgressBar = nullptr;
    QLabel* IndexProgressLabel = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* SearchTimer = nullptr;
    QTimer* ProgressTimer = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowHits(const std::vector<DBFrameWork::FindHit>& hits);
    void ShowProgress();

    DBFrameWork::FindIndex* Index;
    int32_t SelectedProblemID = 0;
    // How much was indexed when the hits shown were found.
    int64_t SearchedDone = -1;
    // The index had changes left to take in at the last tick.
    bool ChangesPending = false;
};
