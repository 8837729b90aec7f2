// The search for a stored ticket: by customer name or by the beginning of the
// problem description; OK hands back the chosen ticket's Problem row.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_DBObjectBase.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace DBFrameWork {
class DBConnection;
}

// One row of a search, as the join statements return it.
struct SearchResult {
    int32_t ProblemID = 0;
    int32_t CustomerID = 0;
    std::string Name;
    std::string Address;
    std::string City;
    std::string State;
    std::string Zip;
    std::string Description;
    std::string Technician;
    std::string Assigned;
    std::string Completed;
    std::string Resolution;
    std::string Comment;
    std::string OperatingSystem;

    // The 14 texts of a hit, the two keys in decimal.
    DBFrameWork::StringList ToTexts() const;
};

class TOpenProblemDialog : public QDialog {
    Q_OBJECT

public:
    TOpenProblemDialog(QWidget* owner, DBFrameWork::DBConnection* connection);
    ~TOpenProblemDialog() override;

    // Shows the dialog modally; true when it was closed with OK.
    bool Execute();
    // The chosen ticket's Problem row; empty when OK was pressed without a choice.
    DBFrameWork::StringList GetSelectedValues() const;

    void CustomerSearchButtonClick();
    void ProblemDescriptionSearchButtonClick();
    void SearchResultsStringGridClick();
    void OKButtonClick();

    // Read by tests.
    const std::vector<DBFrameWork::StringList>& GetSearchResults() const { return SearchResults; }
    // The first phone of each hit's customer, in the order of the hits; empty when none.
    const std::vector<std::string>& GetSearchPhones() const { return SearchPhones; }
    int32_t GetSelectedProblemID() const { return SelectedProblemID; }

    // The two search statements, exactly as they are sent to the engine.
    static const char* const CustomerSearchSql;
    static const char* const DescriptionSearchSql;

private:
    enum class SearchKind { Customer, Description };

    void BuildForm();
    void RunSearch(SearchKind kind);
    void ReadHits(IBPP::Statement& statement, SearchKind kind);
    void ReadPhones();
    void FillGrid();
    void SetRowTexts(int row, const QStringList& texts);

    DBFrameWork::DBConnection* Connection;
    std::vector<DBFrameWork::StringList> SearchResults;
    std::vector<std::string> SearchPhones;
    int32_t SelectedProblemID = -1;
    DBFrameWork::StringList SelectedValues;

public:
    // Controls, named as their objectName.
    QWidget* TopPanel = nullptr;
    QLabel* CustomerNameLabel = nullptr;
    QLineEdit* CustomerNameEdit = nullptr;
    QPushButton* CustomerSearchButton = nullptr;
    QLabel* ProblemDescriptionLabel = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* ProblemDescriptionSearchButton = nullptr;
    QGroupBox* SearchResultsGroupBox = nullptr;
    QTableWidget* SearchResultsStringGrid = nullptr;
    QWidget* BottmPanel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
