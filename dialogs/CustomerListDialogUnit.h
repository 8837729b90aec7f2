// The shop's customers in one list, found as the user types a name, a phone
// number or an e-mail address; the customer chosen is edited here for all of
// its tickets, or its newest ticket is opened by the caller.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>
#include <vector>

#include "dbframework/DBFrameWork_CustomerDirectory.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTimer;
class RecordTableModel;
class TPhoneNumbersEdit;

namespace DBFrameWork {
class DBConnection;
}

class TCustomerListDialog : public QDialog {
    Q_OBJECT

public:
    // Rows read per search: more than anyone scrolls through, few enough to come at once.
    static constexpr int SearchLimit = 200;
    // Typing faster than this reads the list once.
    static constexpr int SearchDelayMs = 150;

    // Reads the first list (every customer, up to SearchLimit) at once.
    TCustomerListDialog(QWidget* owner, DBFrameWork::DBConnection* connection);
    ~TCustomerListDialog() override;

    // Reads the list for the search text now, instead of after the typing
    // pause; false when reading failed (the error box has said so and the list
    // is as it was) or the customer shown kept unsaved edits.
    bool Search();
    // Stores the details shown for the customer; false when nothing was
    // stored (the error box has said so, and the edits stay).
    bool SaveCustomer();
    bool HasUnsavedEdits() const { return Edited; }
    // The newest ticket of the customer chosen by Open Newest Ticket, double
    // click or Enter; 0 when none.
    int32_t ChosenProblemID() const { return Chosen; }
    const std::vector<DBFrameWork::CustomerListRow>& Customers() const { return Rows; }

    // Every way of closing asks first about unsaved edits.
    void done(int result) override;

    QLineEdit* CustomerSearchEdit = nullptr;
    QTableView* CustomerListView = nullptr;
    QLineEdit* CustomerNameEdit = nullptr;
    QPlainTextEdit* CustomerAddressMemo = nullptr;
    QLineEdit* CustomerCityEdit = nullptr;
    QLineEdit* CustomerStateEdit = nullptr;
    QLineEdit* CustomerZipEdit = nullptr;
    TPhoneNumbersEdit* PhonesEdit = nullptr;
    QLineEdit* CustomerEmailEdit = nullptr;
    QPushButton* SaveCustomerButton = nullptr;
    QPushButton* OpenNewestTicketButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void BuildForm();
    QLineEdit* NewLimitedEdit(const char* name, const char* spokenName, size_t byteLength);
    void OrderTabs();
    void ShowRows(std::vector<DBFrameWork::CustomerListRow> rows);
    void CurrentRowChanged(int row);
    // Shows the customer's details (none for nullptr) as stored, unedited.
    void ShowCustomer(const DBFrameWork::CustomerListRow* row);
    void MarkEdited();
    void UpdateButtons();
    // True when the customer shown may be left: no edits, saved, or given up.
    bool SettleEdits();
    void OpenNewestTicket();
    const DBFrameWork::CustomerListRow* RowAt(int row) const;
    int RowOfCustomer(int32_t customerId) const;
    void MakeCurrent(int row);

    DBFrameWork::DBConnection* Connection;
    std::vector<DBFrameWork::CustomerListRow> Rows;
    // The customer in the details, as stored; kept apart from the list, which a search replaces.
    std::optional<DBFrameWork::CustomerListRow> Shown;
    RecordTableModel* Model = nullptr;
    QTimer* SearchTimer = nullptr;
    bool Edited = false;
    // The details or the current row are being set by the dialog, not the user.
    bool Filling = false;
    int32_t Chosen = 0;
};
