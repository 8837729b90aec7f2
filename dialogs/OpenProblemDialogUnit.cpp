#include "dialogs/OpenProblemDialogUnit.h"

#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dialogs/Interaction.h"
#include "dialogs/TextTrim.h"

const char* const TOpenProblemDialog::CustomerSearchSql =
    "SELECT P.ProblemID, C.CustomerID, C.Name, C.Address, C.City, C.State, C.Zip, P.Description, "
    "P.Technician, P.Assigned, P.Completed, P.Resolution,  P.Comment, S.OperatingSystem FROM  Problem P "
    "JOIN Customer C ON (P.CustomerID = C.CustomerID) JOIN SystemInfo S ON (P.ProblemID = S.ProblemID) "
    "WHERE  UPPER(C.Name) LIKE UPPER(?);";

const char* const TOpenProblemDialog::DescriptionSearchSql =
    "SELECT P.ProblemID, C.CustomerID, C.Name, C.Address, C.City, C.State, C.Zip, P.Description, "
    "P.Assigned, P.Resolution FROM  Problem P JOIN Customer C ON (P.CustomerID = C.CustomerID) "
    "WHERE  UPPER(P.Description) LIKE UPPER(?);";

namespace {

const char* const SearchFailedText = "Error occured during search, search failed.";

// The grid's columns: the six of the searches, then the customer's phone.
const int GridColumns = 7;

// A description shown in one grid line: each run of line breaks becomes one blank.
QString OneLine(const std::string& text)
{
    const QString source = QString::fromStdString(text);
    QString line;
    line.reserve(source.size());
    bool inBreak = false;
    for (const QChar c : source) {
        if (c == '\r' || c == '\n') {
            if (!inBreak)
                line.append(' ');
            inBreak = true;
        } else {
            line.append(c);
            inBreak = false;
        }
    }
    return line;
}

const DBFrameWork::ColumnDefinition& CustomerNameColumn()
{
    return DBFrameWork::CustomerTable().Columns[DBFrameWork::CustomerColumn::Name];
}

// The busy cursor for the length of a search, restored on every path.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { Restore(); }
    void Restore()
    {
        if (active)
            QApplication::restoreOverrideCursor();
        active = false;
    }

private:
    bool active = true;
};

}  // namespace

DBFrameWork::StringList SearchResult::ToTexts() const
{
    return {std::to_string(ProblemID),
            std::to_string(CustomerID),
            Name,
            Address,
            City,
            State,
            Zip,
            Description,
            Technician,
            Assigned,
            Completed,
            Resolution,
            Comment,
            OperatingSystem};
}

TOpenProblemDialog::TOpenProblemDialog(QWidget* owner, DBFrameWork::DBConnection* connection)
    : QDialog(owner), Connection(connection)
{
    BuildForm();
}

TOpenProblemDialog::~TOpenProblemDialog() = default;

void TOpenProblemDialog::BuildForm()
{
    setObjectName("OpenProblemDialog");
    setWindowTitle("Open Problem...");
    setFont(QFont("MS Sans Serif", 8));
    setGeometry(404, 107, 654, 369);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    TopPanel = new QWidget(this);
    TopPanel->setObjectName("TopPanel");
    BottmPanel = new QWidget(this);
    BottmPanel->setObjectName("BottmPanel");
    BottmPanel->setFixedHeight(41);
    layout->addWidget(TopPanel, 1);
    layout->addWidget(BottmPanel);

    CustomerNameLabel = new QLabel("Customer Name", TopPanel);
    CustomerNameLabel->setObjectName("CustomerNameLabel");
    CustomerNameLabel->move(16, 16);
    CustomerNameEdit = new QLineEdit(TopPanel);
    CustomerNameEdit->setObjectName("CustomerNameEdit");
    CustomerNameEdit->setGeometry(16, 33, 305, 21);
    CustomerSearchButton = new QPushButton("Search...", TopPanel);
    CustomerSearchButton->setObjectName("CustomerSearchButton");
    CustomerSearchButton->setGeometry(344, 31, 75, 25);
    CustomerSearchButton->setAutoDefault(false);

    ProblemDescriptionLabel = new QLabel("Problem Description", TopPanel);
    ProblemDescriptionLabel->setObjectName("ProblemDescriptionLabel");
    ProblemDescriptionLabel->move(16, 68);
    Edit1 = new QLineEdit(TopPanel);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(16, 86, 305, 21);
    ProblemDescriptionSearchButton = new QPushButton("Search...", TopPanel);
    ProblemDescriptionSearchButton->setObjectName("ProblemDescriptionSearchButton");
    ProblemDescriptionSearchButton->setGeometry(344, 84, 75, 25);
    ProblemDescriptionSearchButton->setAutoDefault(false);

    SearchResultsGroupBox = new QGroupBox(" Search Results ", TopPanel);
    SearchResultsGroupBox->setObjectName("SearchResultsGroupBox");
    SearchResultsGroupBox->setGeometry(8, 119, 629, 169);
    auto* gridLayout = new QVBoxLayout(SearchResultsGroupBox);
    SearchResultsStringGrid = new QTableWidget(2, GridColumns, SearchResultsGroupBox);
    SearchResultsStringGrid->setObjectName("SearchResultsStringGrid");
    gridLayout->addWidget(SearchResultsStringGrid);
    // Row 0 is the grid's own header row, so the toolkit's headers stay hidden.
    SearchResultsStringGrid->horizontalHeader()->hide();
    SearchResultsStringGrid->verticalHeader()->hide();
    SearchResultsStringGrid->setShowGrid(true);
    SearchResultsStringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SearchResultsStringGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SearchResultsStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[] = {130, 129, 130, 130, 130, 126, 110};
    for (int column = 0; column < GridColumns; ++column)
        SearchResultsStringGrid->setColumnWidth(column, widths[column]);
    for (int row = 0; row < 2; ++row)
        SetRowTexts(row, QStringList());

    OKButton = new QPushButton("OK", BottmPanel);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(456, 8, 75, 25);
    CancelButton = new QPushButton("Cancel", BottmPanel);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setGeometry(544, 8, 75, 25);
    // The two "Search..." buttons and the fields need names of their own for a screen reader.
    CustomerNameEdit->setAccessibleName("Customer name");
    CustomerSearchButton->setAccessibleName("Search by customer name");
    Edit1->setAccessibleName("Problem description begins with");
    ProblemDescriptionSearchButton->setAccessibleName("Search by problem description");
    SearchResultsStringGrid->setAccessibleName("Search results");
    // Enter in a search field searches; it must not close the dialog.
    OKButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);

    setTabOrder(CustomerNameEdit, CustomerSearchButton);
    setTabOrder(CustomerSearchButton, Edit1);
    setTabOrder(Edit1, ProblemDescriptionSearchButton);
    setTabOrder(ProblemDescriptionSearchButton, SearchResultsStringGrid);
    setTabOrder(SearchResultsStringGrid, OKButton);
    setTabOrder(OKButton, CancelButton);
    CustomerNameEdit->setFocus();

    connect(CustomerSearchButton, &QPushButton::clicked, this, [this] { CustomerSearchButtonClick(); });
    connect(ProblemDescriptionSearchButton, &QPushButton::clicked, this,
            [this] { ProblemDescriptionSearchButtonClick(); });
    connect(CustomerNameEdit, &QLineEdit::returnPressed, this, [this] { CustomerSearchButtonClick(); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { ProblemDescriptionSearchButtonClick(); });
    // A click and a move of the current row with the keyboard both choose.
    connect(SearchResultsStringGrid, &QTableWidget::cellClicked, this, [this] { SearchResultsStringGridClick(); });
    connect(SearchResultsStringGrid, &QTableWidget::currentCellChanged, this,
            [this] { SearchResultsStringGridClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool TOpenProblemDialog::Execute()
{
    return exec() == QDialog::Accepted;
}

DBFrameWork::StringList TOpenProblemDialog::GetSelectedValues() const
{
    return SelectedValues;
}

void TOpenProblemDialog::CustomerSearchButtonClick()
{
    RunSearch(SearchKind::Customer);
}

void TOpenProblemDialog::ProblemDescriptionSearchButtonClick()
{
    RunSearch(SearchKind::Description);
}

void TOpenProblemDialog::RunSearch(SearchKind kind)
{
    const bool byCustomer = kind == SearchKind::Customer;
    const char* debugText = byCustomer
        ? "Uncaught Exception in TOpenProblemDialog::CustomerSearchButtonClick."
        : "Uncaught Exception in TOpenProblemDialog::ProblemDescriptionSearchButtonClick.";
    BusyCursor cursor;
    if (!Connection) {
        DBFrameWork::OutputDebugString(debugText);
        cursor.Restore();
        Interaction::ShowMessage(SearchFailedText);
        return;
    }
    try {
        Connection->StartTransaction(false);
        IBPP::Statement statement = Connection->GetStatement();
        SearchResults.clear();
        statement->Prepare(byCustomer ? CustomerSearchSql : DescriptionSearchSql);
        const std::string term = TrimmedText((byCustomer ? CustomerNameEdit : Edit1)->text()).toStdString();
        // The engine sizes the name parameter to its column: a longer pattern
        // would fail the search, so the term is cut to fit.
        statement->Set(1, byCustomer ? DBFrameWork::FittedPrefixPattern(term, CustomerNameColumn()) : term + "%");
        statement->Execute();
        ReadHits(statement, kind);
        statement->Close();
        ReadPhones();
        Connection->Commit();
        FillGrid();
        return;
    } catch (const IBPP::Exception& error) {
        DBFrameWork::OutputDebugString(error.ErrorMessage());
    } catch (...) {
        DBFrameWork::OutputDebugString(debugText);
    }
    // The rollback itself fails when the transaction never started (a closed
    // data file); that must not end the program, so it is only logged.
    try {
        Connection->Rollback();
    } catch (const IBPP::Exception& error) {
        DBFrameWork::OutputDebugString(error.ErrorMessage());
    } catch (...) {
        DBFrameWork::OutputDebugString(debugText);
    }
    cursor.Restore();
    Interaction::ShowMessage(SearchFailedText);
}

void TOpenProblemDialog::ReadHits(IBPP::Statement& statement, SearchKind kind)
{
    // The Problem object lends its typed reading, so blob and timestamp columns
    // read as everywhere else in the program.
    DBFrameWork::Problem reader(Connection);
    auto readText = [&statement](int column, std::string& field) {
        if (statement->Get(column, field))
            field.clear();
    };
    auto readInt = [&statement](int column, int32_t& field) {
        if (statement->Get(column, field))
            field = 0;
    };
    while (statement->Fetch()) {
        SearchResult hit;
        readInt(1, hit.ProblemID);
        readInt(2, hit.CustomerID);
        readText(3, hit.Name);
        readText(4, hit.Address);
        readText(5, hit.City);
        readText(6, hit.State);
        readText(7, hit.Zip);
        reader.ReadValue(statement, 8, hit.Description, "BLOB SUB_TYPE TEXT");
        if (kind == SearchKind::Customer) {
            readText(9, hit.Technician);
            reader.ReadValue(statement, 10, hit.Assigned, "TIMESTAMP");
            readText(14, hit.OperatingSystem);
        } else {
            reader.ReadValue(statement, 9, hit.Assigned, "TIMESTAMP");
        }
        SearchResults.push_back(hit.ToTexts());
    }
}

void TOpenProblemDialog::ReadPhones()
{
    // Once per customer, in the search's transaction; the search statements
    // stay as the older program sends them.
    std::map<int32_t, std::string> firstPhones;
    SearchPhones.clear();
    for (const DBFrameWork::StringList& hit : SearchResults) {
        const int32_t customerId = DBFrameWork::ToInt(hit[1]);
        auto found = firstPhones.find(customerId);
        if (found == firstPhones.end()) {
            DBFrameWork::ContactsRecord contacts;
            // A failure is in the debug output; the hit is shown without a phone.
            DBFrameWork::ReadContacts(*Connection, customerId, contacts);
            found = firstPhones
                        .emplace(customerId, contacts.Phones.empty() ? std::string() : contacts.Phones.front().Number)
                        .first;
        }
        SearchPhones.push_back(found->second);
    }
}

void TOpenProblemDialog::SetRowTexts(int row, const QStringList& texts)
{
    const bool header = row == 0;
    for (int column = 0; column < SearchResultsStringGrid->columnCount(); ++column) {
        auto* item = new QTableWidgetItem(column < texts.size() ? texts.at(column) : QString());
        // The header row can be clicked but neither selected nor edited.
        item->setFlags(header ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (header) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            item->setBackground(palette().button());
        }
        SearchResultsStringGrid->setItem(row, column, item);
    }
}

void TOpenProblemDialog::FillGrid()
{
    // Refilling moves the current cell; that is not the user choosing a hit.
    const QSignalBlocker blocker(SearchResultsStringGrid);
    QTableWidget* grid = SearchResultsStringGrid;
    // The choice of an earlier search stays, but no row of the new grid shows it.
    grid->setCurrentItem(nullptr);
    grid->clearSelection();
    grid->setRowCount(2);
    for (int row = 0; row < 2; ++row)
        SetRowTexts(row, QStringList());
    if (SearchResults.empty())
        return;
    grid->setColumnCount(GridColumns);
    grid->setRowCount(static_cast<int>(SearchResults.size()) + 1);
    SetRowTexts(0, {"Customer", "Address", "Problem", "Technician", "Assigned", "Operating System", "Phone"});
    for (size_t i = 0; i < SearchResults.size(); ++i) {
        const DBFrameWork::StringList& hit = SearchResults[i];
        auto text = [&hit](size_t field) { return QString::fromStdString(hit[field]); };
        const QString address = text(3) + ", " + text(4) + ", " + text(5) + " " + text(6);
        const QString phone = i < SearchPhones.size() ? QString::fromStdString(SearchPhones[i]) : QString();
        SetRowTexts(static_cast<int>(i) + 1, {text(2), address, OneLine(hit[7]), text(8), text(9), text(13), phone});
    }
}

void TOpenProblemDialog::SearchResultsStringGridClick()
{
    const int row = SearchResultsStringGrid->currentRow();
    if (row >= 1 && row <= static_cast<int>(SearchResults.size()))
        SelectedProblemID = DBFrameWork::ToInt(SearchResults[row - 1].front());
    else
        SelectedProblemID = -1;
}

void TOpenProblemDialog::OKButtonClick()
{
    if (!Connection) {
        done(QDialog::Rejected);
        return;
    }
    int result = QDialog::Accepted;
    DBFrameWork::Problem problem(Connection);
    SelectedValues.clear();
    if (SelectedProblemID > 0) {
        // Select reports its own failures; one that still escapes it (a rollback
        // on a closed data file) must not leave through the button's signal.
        try {
            if (!problem.Select({std::to_string(SelectedProblemID)}))
                result = QDialog::Rejected;
        } catch (const IBPP::Exception& error) {
            DBFrameWork::OutputDebugString(error.ErrorMessage());
            result = QDialog::Rejected;
        } catch (...) {
            DBFrameWork::OutputDebugString("Uncaught Exception in TOpenProblemDialog::OKButtonClick.");
            result = QDialog::Rejected;
        }
        SelectedValues = problem.GetValues();
    }
    done(result);
}
