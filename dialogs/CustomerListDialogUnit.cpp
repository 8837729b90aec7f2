#include "dialogs/CustomerListDialogUnit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <utility>

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/Interaction.h"
#include "dialogs/PhoneNumbersEdit.h"
#include "dialogs/RecordTableModel.h"
#include "dialogs/ReportDates.h"
#include "dialogs/TextTrim.h"

namespace {

using DBFrameWork::CustomerListRow;
namespace CustomerColumn = DBFrameWork::CustomerColumn;

const char* const SaveFailedText = "The customer could not be saved.";
const char* const SaveQuestionText = "Save the changes to this customer?";

size_t CustomerBytes(size_t column)
{
    return DBFrameWork::CustomerTable().Columns[column].ByteLength;
}

// The memo's text as stored: each line break is a carriage return and a line feed.
QString StoredAddress(const QString& memoText)
{
    QString text = memoText;
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QString MemoAddress(const std::string& stored)
{
    QString lines = QString::fromStdString(stored);
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

int StoredBytes(const QString& memoText)
{
    return static_cast<int>(memoText.toUtf8().size() + memoText.count(QLatin1Char('\n')));
}

// Refuses an edit whose text would not fit its column, counted in stored bytes.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(size_t limit, QObject* parent) : QValidator(parent), Limit(limit) {}
    State validate(QString& input, int&) const override
    {
        return static_cast<size_t>(input.toUtf8().size()) <= Limit ? Acceptable : Invalid;
    }

private:
    size_t Limit;
};

// A memo takes no validator: what went in beyond the limit is taken back from
// just before the cursor, where it was typed or pasted.
class MemoByteLimit : public QObject {
public:
    MemoByteLimit(QPlainTextEdit* memo, size_t limit) : QObject(memo), Memo(memo), Limit(static_cast<int>(limit))
    {
        QObject::connect(memo, &QPlainTextEdit::textChanged, this, [this] { Enforce(); });
    }

private:
    void Enforce()
    {
        if (Busy)
            return;
        const QString text = Memo->toPlainText();
        int excess = StoredBytes(text) - Limit;
        if (excess <= 0)
            return;
        Busy = true;
        QTextCursor cursor = Memo->textCursor();
        const int end = cursor.position() > 0 ? cursor.position() : static_cast<int>(text.size());
        int start = end;
        while (start > 0 && excess > 0) {
            const int width = start >= 2 && text.at(start - 1).isLowSurrogate() && text.at(start - 2).isHighSurrogate()
                ? 2
                : 1;
            excess -= StoredBytes(text.mid(start - width, width));
            start -= width;
        }
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        Memo->setTextCursor(cursor);
        Busy = false;
    }

    QPlainTextEdit* Memo;
    int Limit;
    bool Busy = false;
};

QString PhonesText(const DBFrameWork::ContactsRecord& contacts)
{
    QStringList phones;
    for (const DBFrameWork::PhoneRecord& phone : contacts.Phones)
        phones << TPhoneNumbersEdit::PhoneText(phone);
    return phones.join(", ");
}

QLabel* NewLabel(const char* name, const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

QPushButton* NewButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter in a field or on a row must not press a button: on a row it opens the newest ticket.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TCustomerListDialog::TCustomerListDialog(QWidget* owner, DBFrameWork::DBConnection* connection)
    : QDialog(owner), Connection(connection)
{
    BuildForm();
    ShowCustomer(nullptr);
    Search();
}

TCustomerListDialog::~TCustomerListDialog() = default;

QLineEdit* TCustomerListDialog::NewLimitedEdit(const char* name, const char* spokenName, size_t byteLength)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setAccessibleName(spokenName);
    edit->setValidator(new ByteLimitValidator(byteLength, edit));
    connect(edit, &QLineEdit::textEdited, this, [this] { MarkEdited(); });
    return edit;
}

void TCustomerListDialog::BuildForm()
{
    setObjectName("CustomerListDialog");
    setWindowTitle("Customers");
    resize(820, 600);

    CustomerSearchEdit = new QLineEdit(this);
    CustomerSearchEdit->setObjectName("CustomerSearchEdit");
    CustomerSearchEdit->setAccessibleName("Search customers");
    CustomerSearchEdit->setPlaceholderText("Name, phone number or e-mail");
    CustomerSearchEdit->setClearButtonEnabled(true);
    auto* searchLabel = NewLabel("CustomerSearchLabel", "&Search", CustomerSearchEdit, this);
    SearchTimer = new QTimer(this);
    SearchTimer->setObjectName("CustomerSearchTimer");
    SearchTimer->setSingleShot(true);
    SearchTimer->setInterval(SearchDelayMs);

    Model = new RecordTableModel(
        {
            {"Name", [this](int row) { return QString::fromStdString(RowAt(row)->Customer.Name); }},
            {"Phone", [this](int row) { return PhonesText(RowAt(row)->Contacts); }},
            {"E-mail", [this](int row) { return QString::fromStdString(RowAt(row)->Contacts.Email); }},
            {"City", [this](int row) { return QString::fromStdString(RowAt(row)->Customer.City); }},
            {"Tickets", [this](int row) { return RowAt(row)->TicketCount; }, true},
            {"Last visit", [this](int row) { return ShortDateText(ToQDate(RowAt(row)->LastVisit)); }},
        },
        this);
    CustomerListView = new QTableView(this);
    CustomerListView->setObjectName("CustomerListView");
    CustomerListView->setAccessibleName("Customers");
    CustomerListView->setModel(Model);
    CustomerListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    CustomerListView->setSelectionMode(QAbstractItemView::SingleSelection);
    CustomerListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CustomerListView->verticalHeader()->hide();
    CustomerListView->verticalHeader()->setDefaultSectionSize(CustomerListView->fontMetrics().height() + 6);
    const int widths[] = {180, 220, 170, 110, 55, 80};
    for (int column = 0; column < Model->columnCount(); ++column)
        CustomerListView->setColumnWidth(column, widths[column]);
    // The phones take what the window has to spare.
    CustomerListView->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    CustomerNameEdit = NewLimitedEdit("CustomerNameEdit", "Customer name", CustomerBytes(CustomerColumn::Name));
    CustomerAddressMemo = new QPlainTextEdit(this);
    CustomerAddressMemo->setObjectName("CustomerAddressMemo");
    CustomerAddressMemo->setAccessibleName("Customer address");
    CustomerAddressMemo->setTabChangesFocus(true);
    CustomerAddressMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    CustomerAddressMemo->setFixedHeight(2 * CustomerAddressMemo->fontMetrics().lineSpacing() + 14);
    new MemoByteLimit(CustomerAddressMemo, CustomerBytes(CustomerColumn::Address));
    connect(CustomerAddressMemo, &QPlainTextEdit::textChanged, this, [this] {
        if (!Filling)
            MarkEdited();
    });
    CustomerCityEdit = NewLimitedEdit("CustomerCityEdit", "Customer city", CustomerBytes(CustomerColumn::City));
    CustomerStateEdit = NewLimitedEdit("CustomerStateEdit", "Customer state", CustomerBytes(CustomerColumn::State));
    CustomerZipEdit = NewLimitedEdit("CustomerZipEdit", "Customer zip", CustomerBytes(CustomerColumn::Zip));
    PhonesEdit = new TPhoneNumbersEdit(this);
    PhonesEdit->setAccessibleName("Customer phones");
    connect(PhonesEdit, &TPhoneNumbersEdit::Edited, this, [this] {
        // A number typed into the empty row adds the next row, which joins the tab order.
        OrderTabs();
        MarkEdited();
    });
    CustomerEmailEdit = NewLimitedEdit(
        "CustomerEmailEdit", "Customer e-mail",
        DBFrameWork::ContactTable().Columns[DBFrameWork::ContactColumn::Contact].ByteLength);

    SaveCustomerButton = NewButton("SaveCustomerButton", "Sa&ve Customer", this);
    OpenNewestTicketButton = NewButton("OpenNewestTicketButton", "&Open Newest Ticket", this);
    CloseButton = NewButton("CloseButton", "&Close", this);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(CustomerSearchEdit, 1);
    auto* details = new QGridLayout;
    details->addWidget(NewLabel("CustomerNameLabel", "&Name", CustomerNameEdit, this), 0, 0);
    details->addWidget(CustomerNameEdit, 0, 1, 1, 5);
    details->addWidget(NewLabel("CustomerAddressLabel", "&Address", CustomerAddressMemo, this), 1, 0, Qt::AlignTop);
    details->addWidget(CustomerAddressMemo, 1, 1, 1, 5);
    details->addWidget(NewLabel("CustomerCityLabel", "C&ity", CustomerCityEdit, this), 2, 0);
    details->addWidget(CustomerCityEdit, 2, 1);
    details->addWidget(NewLabel("CustomerStateLabel", "S&tate", CustomerStateEdit, this), 2, 2);
    details->addWidget(CustomerStateEdit, 2, 3);
    details->addWidget(NewLabel("CustomerZipLabel", "&Zip", CustomerZipEdit, this), 2, 4);
    details->addWidget(CustomerZipEdit, 2, 5);
    details->addWidget(NewLabel("CustomerPhonesLabel", "&Phones", PhonesEdit, this), 3, 0, Qt::AlignTop);
    details->addWidget(PhonesEdit, 3, 1, 1, 5);
    details->addWidget(NewLabel("CustomerEmailLabel", "&E-mail", CustomerEmailEdit, this), 4, 0);
    details->addWidget(CustomerEmailEdit, 4, 1, 1, 5);
    details->setColumnStretch(1, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(SaveCustomerButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(OpenNewestTicketButton);
    buttonRow->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(CustomerListView, 1);
    layout->addLayout(details);
    layout->addLayout(buttonRow);
    OrderTabs();
    CustomerSearchEdit->setFocus();

    connect(CustomerSearchEdit, &QLineEdit::textChanged, SearchTimer, qOverload<>(&QTimer::start));
    connect(SearchTimer, &QTimer::timeout, this, [this] { Search(); });
    connect(CustomerListView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { CurrentRowChanged(current.row()); });
    // activated is double click, and Enter on the current row.
    connect(CustomerListView, &QTableView::activated, this, [this](const QModelIndex& index) {
        if (index.row() == RowOfCustomer(Shown ? Shown->Customer.CustomerID : 0))
            OpenNewestTicket();
    });
    connect(SaveCustomerButton, &QPushButton::clicked, this, [this] { SaveCustomer(); });
    connect(OpenNewestTicketButton, &QPushButton::clicked, this, [this] { OpenNewestTicket(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TCustomerListDialog::OrderTabs()
{
    std::vector<QWidget*> order = {CustomerSearchEdit, CustomerListView,  CustomerNameEdit, CustomerAddressMemo,
                                   CustomerCityEdit,   CustomerStateEdit, CustomerZipEdit};
    // The phone rows come and go; their fields are children in the rows' order.
    for (QWidget* field : PhonesEdit->findChildren<QWidget*>())
        if ((field->focusPolicy() & Qt::TabFocus) && field->window() == this)
            order.push_back(field);
    for (QWidget* widget : {static_cast<QWidget*>(CustomerEmailEdit), static_cast<QWidget*>(SaveCustomerButton),
                            static_cast<QWidget*>(OpenNewestTicketButton), static_cast<QWidget*>(CloseButton)})
        order.push_back(widget);
    for (size_t at = 1; at < order.size(); ++at)
        setTabOrder(order[at - 1], order[at]);
}

const CustomerListRow* TCustomerListDialog::RowAt(int row) const
{
    return row >= 0 && row < static_cast<int>(Rows.size()) ? &Rows[static_cast<size_t>(row)] : nullptr;
}

int TCustomerListDialog::RowOfCustomer(int32_t customerId) const
{
    for (size_t at = 0; at < Rows.size(); ++at)
        if (Rows[at].Customer.CustomerID == customerId)
            return static_cast<int>(at);
    return -1;
}

void TCustomerListDialog::MakeCurrent(int row)
{
    Filling = true;
    if (row >= 0)
        CustomerListView->setCurrentIndex(Model->index(row, 0));
    else
        CustomerListView->selectionModel()->clearCurrentIndex();
    Filling = false;
}

bool TCustomerListDialog::Search()
{
    SearchTimer->stop();
    if (!SettleEdits())
        return false;
    std::vector<CustomerListRow> rows;
    if (!Connection ||
        !DBFrameWork::SearchCustomers(*Connection, TrimmedText(CustomerSearchEdit->text()).toStdString(), SearchLimit,
                                      rows)) {
        Interaction::ShowError("Error reading Data File (" +
                               (Connection ? QString::fromStdString(Connection->GetPath()) : QString()) + ")!");
        return false;
    }
    ShowRows(std::move(rows));
    return true;
}

void TCustomerListDialog::ShowRows(std::vector<CustomerListRow> rows)
{
    Rows = std::move(rows);
    Filling = true;
    Model->Reset(static_cast<int>(Rows.size()));
    Filling = false;
    // The customer shown stays chosen while the search still finds it.
    int current = Shown ? RowOfCustomer(Shown->Customer.CustomerID) : -1;
    if (current < 0 && !Rows.empty())
        current = 0;
    MakeCurrent(current);
    ShowCustomer(RowAt(current));
}

void TCustomerListDialog::CurrentRowChanged(int row)
{
    if (Filling)
        return;
    const CustomerListRow* chosen = RowAt(row);
    if (Shown && chosen && chosen->Customer.CustomerID == Shown->Customer.CustomerID)
        return;
    const int32_t chosenId = chosen ? chosen->Customer.CustomerID : 0;
    if (!SettleEdits()) {
        MakeCurrent(RowOfCustomer(Shown->Customer.CustomerID));
        return;
    }
    // A save changes the list's rows in place, never their order.
    ShowCustomer(RowAt(RowOfCustomer(chosenId)));
}

void TCustomerListDialog::ShowCustomer(const CustomerListRow* row)
{
    Filling = true;
    Shown = row ? std::optional<CustomerListRow>(*row) : std::nullopt;
    const CustomerListRow empty;
    const CustomerListRow& shown = Shown ? *Shown : empty;
    CustomerNameEdit->setText(QString::fromStdString(shown.Customer.Name));
    CustomerAddressMemo->setPlainText(MemoAddress(shown.Customer.Address));
    CustomerCityEdit->setText(QString::fromStdString(shown.Customer.City));
    CustomerStateEdit->setText(QString::fromStdString(shown.Customer.State));
    CustomerZipEdit->setText(QString::fromStdString(shown.Customer.Zip));
    PhonesEdit->SetPhones(shown.Contacts.Phones);
    CustomerEmailEdit->setText(QString::fromStdString(shown.Contacts.Email));
    OrderTabs();
    Filling = false;
    Edited = false;
    for (QWidget* field :
         std::initializer_list<QWidget*>{CustomerNameEdit, CustomerAddressMemo, CustomerCityEdit, CustomerStateEdit,
                                         CustomerZipEdit, PhonesEdit, CustomerEmailEdit})
        field->setEnabled(Shown.has_value());
    UpdateButtons();
}

void TCustomerListDialog::MarkEdited()
{
    if (!Shown)
        return;
    Edited = true;
    UpdateButtons();
}

void TCustomerListDialog::UpdateButtons()
{
    SaveCustomerButton->setEnabled(Shown && Edited);
    OpenNewestTicketButton->setEnabled(Shown && Shown->NewestProblemID > 0);
}

bool TCustomerListDialog::SaveCustomer()
{
    if (!Shown)
        return false;
    DBFrameWork::CustomerRecord customer;
    customer.CustomerID = Shown->Customer.CustomerID;
    customer.Name = CustomerNameEdit->text().toStdString();
    customer.Address = StoredAddress(CustomerAddressMemo->toPlainText()).toStdString();
    customer.City = CustomerCityEdit->text().toStdString();
    customer.State = CustomerStateEdit->text().toStdString();
    customer.Zip = CustomerZipEdit->text().toStdString();
    DBFrameWork::ContactsRecord contacts;
    contacts.Phones = PhonesEdit->Phones();
    contacts.Email = TrimmedText(CustomerEmailEdit->text()).toStdString();
    if (!Connection || !DBFrameWork::UpdateCustomer(*Connection, customer, contacts)) {
        Interaction::ShowError(SaveFailedText);
        return false;
    }
    Shown->Customer = customer;
    Shown->Contacts = contacts;
    Edited = false;
    const int row = RowOfCustomer(customer.CustomerID);
    if (row >= 0) {
        CustomerListRow& listed = Rows[static_cast<size_t>(row)];
        listed.Customer = customer;
        listed.Contacts = contacts;
        emit Model->dataChanged(Model->index(row, 0), Model->index(row, Model->columnCount() - 1));
    }
    UpdateButtons();
    return true;
}

bool TCustomerListDialog::SettleEdits()
{
    if (!Edited || !Shown)
        return true;
    if (Interaction::Confirm(SaveQuestionText))
        return SaveCustomer();
    const CustomerListRow stored = *Shown;
    ShowCustomer(&stored);
    return true;
}

void TCustomerListDialog::OpenNewestTicket()
{
    if (!Shown || Shown->NewestProblemID <= 0)
        return;
    Chosen = Shown->NewestProblemID;
    accept();
}

void TCustomerListDialog::done(int result)
{
    if (!SettleEdits()) {
        Chosen = 0;
        return;
    }
    QDialog::done(result);
}
