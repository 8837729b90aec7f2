#include "dbframework/DBFrameWork_ImportFields.h"

#include <cctype>
#include <map>
#include <set>

namespace DBFrameWork {
namespace {

struct FieldInfo {
    ImportField Field;
    const char* Name;
};

const std::vector<FieldInfo>& FieldInfos()
{
    static const std::vector<FieldInfo> infos = {
        {ImportField::Ignore, "(ignore)"},
        {ImportField::CustomerName, "Customer name"},
        {ImportField::FirstName, "First name"},
        {ImportField::LastName, "Last name"},
        {ImportField::AddressLine1, "Address line 1"},
        {ImportField::AddressLine2, "Address line 2"},
        {ImportField::City, "City"},
        {ImportField::State, "State"},
        {ImportField::Zip, "Zip"},
        {ImportField::Phone, "Phone"},
        {ImportField::MobilePhone, "Mobile phone"},
        {ImportField::HomePhone, "Home phone"},
        {ImportField::WorkPhone, "Work phone"},
        {ImportField::Email, "E-mail"},
        {ImportField::AssignedDate, "Assigned date"},
        {ImportField::CompletedDate, "Completed date"},
        {ImportField::Technician, "Technician"},
        {ImportField::OperatingSystem, "Operating system"},
        {ImportField::JobState, "Job state"},
        {ImportField::BillableHours, "Billable hours"},
        {ImportField::ActualHours, "Actual hours"},
        {ImportField::Description, "Problem description"},
        {ImportField::Resolution, "Resolution"},
        {ImportField::Comments, "Comments"},
        {ImportField::DeviceKind, "Device kind"},
        {ImportField::MakeModel, "Make and model"},
        {ImportField::Serial, "Serial number or IMEI"},
        {ImportField::Accessories, "Accessories"},
    };
    return infos;
}

// Lower-case letters and digits only: "E-mail", "e_mail" and "EMAIL" are one name.
std::string NormalName(const std::string& header)
{
    std::string name;
    for (const char c : header) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            name += c;
        else if (std::isalnum(byte))
            name += static_cast<char>(std::tolower(byte));
    }
    return name;
}

const std::map<std::string, ImportField>& KnownNames()
{
    using F = ImportField;
    static const std::map<std::string, ImportField> names = [] {
        std::map<std::string, ImportField> known;
        const auto add = [&known](F field, std::initializer_list<const char*> list) {
            for (const char* name : list)
                known.emplace(NormalName(name), field);
        };
        add(F::CustomerName,
            {"Name", "Customer", "Customer Name", "Full Name", "Client", "Client Name", "Display Name", "Contact Name",
             "From", "Requester", "Requester Name", "Requested By", "Caller"});
        add(F::FirstName, {"First Name", "Given Name", "Forename", "First"});
        add(F::LastName, {"Last Name", "Surname", "Family Name", "Last"});
        add(F::AddressLine1,
            {"Street", "Address", "Address 1", "Address Line 1", "Street Address", "Street 1", "Home Street",
             "Business Street", "Address Street"});
        add(F::AddressLine2, {"Address 2", "Address Line 2", "Street 2", "Home Street 2", "Business Street 2"});
        add(F::City, {"City", "Town", "Locality", "Home City", "Business City"});
        add(F::State,
            {"State", "Province", "Region", "State/Province", "Home State", "Business State", "Customer State",
             "County"});
        add(F::Zip,
            {"Zip", "ZIP Code", "Postal Code", "Postcode", "Zip/Postal Code", "Home Postal Code",
             "Business Postal Code"});
        add(F::Phone,
            {"Phone", "Telephone", "Phone Number", "Tel", "Telephone Number", "Primary Phone", "Requester Phone",
             "Phone 1"});
        add(F::MobilePhone, {"Mobile", "Cell", "Mobile Phone", "Cell Phone", "Cellular", "Mobile Number"});
        add(F::HomePhone, {"Home Phone", "Phone Home", "Home Telephone"});
        add(F::WorkPhone, {"Work Phone", "Business Phone", "Office Phone", "Phone Work", "Business Telephone"});
        add(F::Email,
            {"E-mail", "Email", "Email Address", "E-mail Address", "Mail", "From Email", "Requester Email",
             "E-mail 1 - Value"});
        add(F::AssignedDate,
            {"Created", "Date Created", "Opened", "Open Date", "Date", "Opening Date", "Created At", "Created Date",
             "Date Opened", "Assigned", "Assigned Date", "Date Assigned", "Received", "Date Received", "Create Date"});
        add(F::CompletedDate,
            {"Closed", "Date Closed", "Resolved", "Completed", "Closing Date", "Close Date", "Completed Date",
             "Date Completed", "Resolved Date", "Date Resolved", "Closed At", "Resolution Date", "Completion Date"});
        add(F::Description,
            {"Subject", "Title", "Summary", "Description", "Issue", "Problem", "Problem Description", "Details",
             "Issue Description"});
        add(F::Resolution, {"Resolution", "Solution", "Work Done", "Fix"});
        add(F::Comments, {"Notes", "Comments", "Comment", "Note", "Internal Notes"});
        add(F::Technician,
            {"Technician", "Assigned To", "Agent", "Staff", "Tech", "Agent Assigned", "Assignee", "Engineer",
             "Assigned Technician"});
        add(F::JobState, {"Status", "Current Status", "Job State", "Ticket Status", "Job Status"});
        add(F::ActualHours,
            {"Hours", "Time Spent", "Actual Hours", "Hours Worked", "Time Worked", "Labor Hours", "Labour Hours"});
        add(F::BillableHours, {"Billable Hours", "Billed Hours", "Hours Billed"});
        add(F::DeviceKind, {"Device", "Device Kind", "Device Type", "Equipment"});
        add(F::MakeModel, {"Model", "Make", "Make and Model", "Make Model", "Device Model", "Make/Model"});
        add(F::Serial, {"Serial", "Serial Number", "IMEI", "Serial No", "S/N", "Serial or IMEI"});
        add(F::Accessories, {"Accessories", "Accessories Left"});
        add(F::OperatingSystem, {"OS", "Operating System", "Platform"});
        return known;
    }();
    return names;
}

bool IsAddressField(ImportField field)
{
    return field == ImportField::AddressLine1 || field == ImportField::AddressLine2 || field == ImportField::City ||
        field == ImportField::Zip;
}

bool IsTicketField(ImportField field)
{
    switch (field) {
    case ImportField::AssignedDate:
    case ImportField::CompletedDate:
    case ImportField::Technician:
    case ImportField::Description:
    case ImportField::Resolution:
    case ImportField::JobState:
        return true;
    default:
        return false;
    }
}

std::string LowerAscii(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Most of the column's non-empty values name a job state.
bool LooksLikeJobStates(size_t column, const std::vector<std::vector<std::string>>& samples,
                        const StringList& shopStates)
{
    std::set<std::string> states = {"open",
                                    "new",
                                    "closed",
                                    "resolved",
                                    "solved",
                                    "pending",
                                    "waiting",
                                    "on hold",
                                    "done",
                                    "completed",
                                    "cancelled",
                                    "canceled",
                                    "assigned",
                                    "ready",
                                    "overdue",
                                    "in progress",
                                    "processing (assigned)",
                                    "processing (planned)"};
    for (const std::string& state : shopStates)
        states.insert(LowerAscii(state));
    size_t values = 0, stateValues = 0;
    for (const std::vector<std::string>& record : samples) {
        if (column >= record.size() || record[column].empty())
            continue;
        ++values;
        stateValues += states.count(LowerAscii(record[column])) ? 1 : 0;
    }
    return values > 0 && stateValues * 2 > values;
}

std::string Opening(const std::string& value)
{
    constexpr size_t shown = 40;
    if (value.size() <= shown)
        return value;
    size_t cut = shown;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
        --cut;
    return value.substr(0, cut) + "...";
}

}  // namespace

const std::vector<ImportField>& AllImportFields()
{
    static const std::vector<ImportField> fields = [] {
        std::vector<ImportField> all;
        for (const FieldInfo& info : FieldInfos())
            all.push_back(info.Field);
        return all;
    }();
    return fields;
}

std::string ImportFieldName(ImportField field)
{
    for (const FieldInfo& info : FieldInfos())
        if (info.Field == field)
            return info.Name;
    return std::string();
}

const ColumnDefinition* ImportFieldColumn(ImportField field)
{
    const auto customer = [](CustomerColumn::Position at) { return &CustomerTable().Columns[at]; };
    const auto problem = [](ProblemColumn::Position at) { return &ProblemTable().Columns[at]; };
    const auto device = [](DeviceColumn::Position at) { return &DeviceTable().Columns[at]; };
    switch (field) {
    case ImportField::Ignore:
        return nullptr;
    case ImportField::CustomerName:
    case ImportField::FirstName:
    case ImportField::LastName:
        return customer(CustomerColumn::Name);
    case ImportField::AddressLine1:
    case ImportField::AddressLine2:
        return customer(CustomerColumn::Address);
    case ImportField::City:
        return customer(CustomerColumn::City);
    case ImportField::State:
        return customer(CustomerColumn::State);
    case ImportField::Zip:
        return customer(CustomerColumn::Zip);
    case ImportField::Phone:
    case ImportField::MobilePhone:
    case ImportField::HomePhone:
    case ImportField::WorkPhone:
    case ImportField::Email:
        return &ContactTable().Columns[ContactColumn::Contact];
    case ImportField::AssignedDate:
        return problem(ProblemColumn::Assigned);
    case ImportField::CompletedDate:
        return problem(ProblemColumn::Completed);
    case ImportField::Technician:
        return problem(ProblemColumn::Technician);
    case ImportField::OperatingSystem:
        return &SystemInfoTable().Columns[SystemInfoColumn::OperatingSystem];
    case ImportField::JobState:
        return &JobTable().Columns[JobColumn::State];
    case ImportField::BillableHours:
        return problem(ProblemColumn::BillableHours);
    case ImportField::ActualHours:
        return problem(ProblemColumn::ActualHours);
    case ImportField::Description:
        return problem(ProblemColumn::Description);
    case ImportField::Resolution:
        return problem(ProblemColumn::Resolution);
    case ImportField::Comments:
        return problem(ProblemColumn::Comment);
    case ImportField::DeviceKind:
        return device(DeviceColumn::Kind);
    case ImportField::MakeModel:
        return device(DeviceColumn::MakeModel);
    case ImportField::Serial:
        return device(DeviceColumn::Serial);
    case ImportField::Accessories:
        return &JobTable().Columns[JobColumn::Accessories];
    }
    return nullptr;
}

bool ImportFieldTakesSeveralColumns(ImportField field)
{
    switch (field) {
    case ImportField::Phone:
    case ImportField::MobilePhone:
    case ImportField::HomePhone:
    case ImportField::WorkPhone:
    case ImportField::Description:
    case ImportField::Resolution:
    case ImportField::Comments:
        return true;
    default:
        return false;
    }
}

std::string PhoneKindOf(ImportField field)
{
    switch (field) {
    case ImportField::Phone:
    case ImportField::MobilePhone:
        return "mobile";
    case ImportField::HomePhone:
        return "home";
    case ImportField::WorkPhone:
        return "work";
    default:
        return std::string();
    }
}

bool ReadImportHours(const std::string& value, int32_t& hours, std::string& reason)
{
    reason.clear();
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) {
        hours = 0;
        return true;
    }
    const std::string text = value.substr(first, value.find_last_not_of(" \t") + 1 - first);
    // "3", or "3.0" and "3,00" as spreadsheets write whole numbers.
    size_t at = 0;
    long long read = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && read <= INT32_MAX) {
        read = read * 10 + (text[at] - '0');
        ++at;
    }
    bool whole = at > 0 && read <= INT32_MAX;
    if (whole && at < text.size() && (text[at] == '.' || text[at] == ',') && at + 1 < text.size()) {
        ++at;
        while (at < text.size() && text[at] == '0')
            ++at;
    }
    if (!whole || at != text.size()) {
        reason = text + " is not a whole number of hours";
        return false;
    }
    hours = static_cast<int32_t>(read);
    return true;
}

std::string ImportValueRefusal(ImportField field, const std::string& value)
{
    if (field == ImportField::BillableHours || field == ImportField::ActualHours) {
        int32_t hours = 0;
        std::string reason;
        return ReadImportHours(value, hours, reason) ? std::string() : ImportFieldName(field) + ": " + reason;
    }
    const ColumnDefinition* column = ImportFieldColumn(field);
    if (!column || !column->IsCharacter() || value.size() <= column->ByteLength)
        return std::string();
    return ImportFieldName(field) + " \"" + Opening(value) + "\" is too long: " + std::to_string(value.size()) +
        " bytes, the field holds " + std::to_string(column->ByteLength);
}

std::string JoinedName(const std::string& first, const std::string& last)
{
    if (first.empty() || last.empty())
        return first + last;
    return first + " " + last;
}

std::string JoinedAddress(const std::string& line1, const std::string& line2)
{
    if (line1.empty() || line2.empty())
        return line1 + line2;
    return line1 + "\r\n" + line2;
}

ImportField GuessField(const std::string& header)
{
    const auto found = KnownNames().find(NormalName(header));
    return found == KnownNames().end() ? ImportField::Ignore : found->second;
}

std::vector<ImportColumnGuess> GuessImportFields(const std::vector<std::string>& header,
                                                 const std::vector<std::vector<std::string>>& samples,
                                                 const StringList& shopStates)
{
    std::vector<ImportColumnGuess> guesses;
    bool addressColumns = false, ticketColumns = false;
    for (size_t column = 0; column < header.size(); ++column) {
        const ImportField field = GuessField(header[column]);
        guesses.push_back({column, header[column], field});
        addressColumns = addressColumns || IsAddressField(field);
        ticketColumns = ticketColumns || IsTicketField(field);
    }
    for (ImportColumnGuess& guess : guesses)
        if (guess.Field == ImportField::State && NormalName(guess.Header) == "state" &&
            (LooksLikeJobStates(guess.Column, samples, shopStates) || (!addressColumns && ticketColumns)))
            guess.Field = ImportField::JobState;
    std::set<ImportField> taken;
    for (ImportColumnGuess& guess : guesses) {
        if (guess.Field == ImportField::Ignore || ImportFieldTakesSeveralColumns(guess.Field))
            continue;
        if (guess.Field == ImportField::AddressLine1 && taken.count(guess.Field) &&
            !taken.count(ImportField::AddressLine2))
            guess.Field = ImportField::AddressLine2;
        if (!taken.insert(guess.Field).second)
            guess.Field = ImportField::Ignore;
    }
    return guesses;
}

}  // namespace DBFrameWork
