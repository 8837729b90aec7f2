#include "dbframework/DBFrameWork_CustomerDirectory.h"

#include <map>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_PhoneNumber.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_StatementValues.h"
#include "dbframework/DBFrameWork_TransactionGuard.h"

namespace DBFrameWork {
namespace {

// The page of customers is chosen first; only its rows count their tickets.
// The matching customers come from the indexes where there are some (the
// contacts' digits, the name's order), never from a test run on every customer.
const char* const ListColumns = "SELECT L.CustomerID, L.Name, L.Address, L.City, L.State, L.Zip, "
                                "(SELECT COUNT(*) FROM Problem P WHERE P.CustomerID = L.CustomerID), "
                                "(SELECT FIRST 1 P.Assigned FROM Problem P WHERE P.CustomerID = L.CustomerID "
                                "   ORDER BY P.Assigned DESC NULLS LAST, P.ProblemID DESC), "
                                "(SELECT FIRST 1 P.ProblemID FROM Problem P WHERE P.CustomerID = L.CustomerID "
                                "   ORDER BY P.Assigned DESC NULLS LAST, P.ProblemID DESC) "
                                "FROM (SELECT FIRST ? C.CustomerID, C.Name, C.Address, C.City, C.State, C.Zip FROM ";

const char* const AllCustomers = "Customer C ";
const char* const ByPhone = "(SELECT DISTINCT K.CustomerID FROM CustomerContact K "
                            " WHERE K.Digits STARTING WITH ? OR K.ReversedDigits STARTING WITH ?) M "
                            "JOIN Customer C ON C.CustomerID = M.CustomerID ";
const char* const ByNameOrEmail =
    "(SELECT X.CustomerID FROM Customer X WHERE X.Name CONTAINING ? "
    " UNION SELECT K.CustomerID FROM CustomerContact K WHERE K.Kind = 'email' AND K.Contact CONTAINING ?) M "
    "JOIN Customer C ON C.CustomerID = M.CustomerID ";

const char* const ListOrder = " ORDER BY C.Name, C.CustomerID) L ORDER BY L.Name, L.CustomerID";

bool ReadContactsOf(DBConnection& connection, const std::vector<CustomerListRow*>& rows);

// The engine takes a limited list of values after IN.
constexpr size_t ContactsPerRead = 500;

// The contacts of the customers of the page, in one statement for each ContactsPerRead.
bool ReadPageContacts(DBConnection& connection, std::vector<CustomerListRow>& page)
{
    for (size_t first = 0; first < page.size(); first += ContactsPerRead) {
        std::vector<CustomerListRow*> part;
        for (size_t at = first; at < page.size() && at < first + ContactsPerRead; ++at)
            part.push_back(&page[at]);
        if (!ReadContactsOf(connection, part))
            return false;
    }
    return true;
}

bool ReadContactsOf(DBConnection& connection, const std::vector<CustomerListRow*>& rows)
{
    std::map<int32_t, ContactsRecord*> byCustomer;
    std::string marks;
    for (CustomerListRow* row : rows) {
        byCustomer[row->Customer.CustomerID] = &row->Contacts;
        marks += marks.empty() ? "?" : ", ?";
    }
    return RunRead(connection, "Uncaught Exception in SearchCustomers", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT CustomerID, Kind, Contact FROM CustomerContact WHERE CustomerID IN (" + marks +
                           ") ORDER BY CustomerID, ContactID");
        int parameter = 1;
        for (const CustomerListRow* row : rows)
            statement->Set(parameter++, row->Customer.CustomerID);
        statement->Execute();
        while (statement->Fetch()) {
            int32_t customerId = 0;
            statement->Get(1, customerId);
            std::string kind, contact;
            statement->Get(2, kind);
            statement->Get(3, contact);
            ContactsRecord& contacts = *byCustomer[customerId];
            if (kind == ContactKind::Email)
                contacts.Email = contact;
            else
                contacts.Phones.push_back({kind, contact});
        }
    });
}

}  // namespace

bool SearchCustomers(DBConnection& connection, const std::string& text, int limit, std::vector<CustomerListRow>& rows)
{
    rows.clear();
    const bool byPhone = IsPhoneNumberText(text, PhoneSearchDigits);
    const bool all = text.find_first_not_of(' ') == std::string::npos;
    std::string sql = ListColumns;
    sql += byPhone ? ByPhone : all ? AllCustomers : ByNameOrEmail;
    sql += ListOrder;

    const bool read = RunRead(connection, "Uncaught Exception in SearchCustomers", [&](IBPP::Statement& statement) {
        statement->Prepare(sql);
        statement->Set(1, static_cast<int32_t>(limit));
        if (byPhone) {
            const std::string digits = PhoneDigits(text);
            statement->Set(2, digits);
            statement->Set(3, ReversedDigits(digits));
        } else if (!all) {
            statement->Set(2, text);
            statement->Set(3, text);
        }
        statement->Execute();
        while (statement->Fetch()) {
            CustomerListRow row;
            CustomerRecord& customer = row.Customer;
            customer.CustomerID = NumberOrZero(statement, 1);
            customer.Name = TextOrEmpty(statement, 2);
            customer.Address = TextOrEmpty(statement, 3);
            customer.City = TextOrEmpty(statement, 4);
            customer.State = TextOrEmpty(statement, 5);
            customer.Zip = TextOrEmpty(statement, 6);
            row.TicketCount = NumberOrZero(statement, 7);
            row.LastVisit = ReadDate(statement, 8);
            row.NewestProblemID = NumberOrZero(statement, 9);
            rows.push_back(row);
        }
    });
    return read && ReadPageContacts(connection, rows);
}

bool UpdateCustomer(DBConnection& connection, const CustomerRecord& customer, const ContactsRecord& contacts)
{
    TransactionGuard transaction(connection);
    Customer table(&connection);
    table.SetValues(ValuesOf(customer));
    if (!table.Update() || table.GetRowsChanged() == 0)
        return false;
    if (!StoreContacts(connection, customer.CustomerID, contacts))
        return false;
    try {
        transaction.Commit();
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
        return false;
    }
    return true;
}

}  // namespace DBFrameWork
