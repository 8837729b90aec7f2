#include "dbframework/DBFrameWork_ImportRows.h"

#include <map>
#include <string>

namespace DBFrameWork {
namespace {

bool IsTicketField(ImportField field)
{
    switch (field) {
    case ImportField::AssignedDate:
    case ImportField::CompletedDate:
    case ImportField::Technician:
    case ImportField::OperatingSystem:
    case ImportField::JobState:
    case ImportField::BillableHours:
    case ImportField::ActualHours:
    case ImportField::Description:
    case ImportField::Resolution:
    case ImportField::Comments:
    case ImportField::DeviceKind:
    case ImportField::MakeModel:
    case ImportField::Serial:
    case ImportField::Accessories:
        return true;
    default:
        return false;
    }
}

// The values of the record by field; the long texts of several columns joined.
struct FieldValues {
    std::map<ImportField, std::string> Text;
    std::vector<PhoneRecord> Phones;

    const std::string& Of(ImportField field) const
    {
        static const std::string none;
        const auto found = Text.find(field);
        return found == Text.end() ? none : found->second;
    }
};

bool Refuse(const std::string& reason, const CsvRecord& record, ImportRefusal& refusal)
{
    refusal = {record.Line, reason};
    return false;
}

}  // namespace

bool MapsTickets(const ImportMapping& mapping)
{
    for (const ImportColumnGuess& column : mapping.Columns)
        if (IsTicketField(column.Field))
            return true;
    return false;
}

bool ReadImportRow(const CsvRecord& record, size_t headerFields, const ImportMapping& mapping, ImportRow& row,
                   ImportRefusal& refusal)
{
    row = ImportRow();
    row.Line = record.Line;
    if (record.Fields.size() != headerFields)
        return Refuse("The row has " + std::to_string(record.Fields.size()) + " fields; the header has " +
                          std::to_string(headerFields) + ".",
                      record, refusal);
    FieldValues values;
    for (const ImportColumnGuess& column : mapping.Columns) {
        if (column.Field == ImportField::Ignore || column.Column >= record.Fields.size())
            continue;
        const std::string& value = record.Fields[column.Column];
        if (value.empty())
            continue;
        if (!PhoneKindOf(column.Field).empty()) {
            values.Phones.push_back({PhoneKindOf(column.Field), value});
            continue;
        }
        std::string& text = values.Text[column.Field];
        text += (text.empty() ? "" : "\n") + value;
    }
    // Each value, and each joined one, fits its column as it stands.
    for (const auto& [field, text] : values.Text) {
        const std::string reason = ImportValueRefusal(field, text);
        if (!reason.empty())
            return Refuse(reason, record, refusal);
    }
    for (const PhoneRecord& phone : values.Phones) {
        const std::string reason = ImportValueRefusal(ImportField::Phone, phone.Number);
        if (!reason.empty())
            return Refuse(reason, record, refusal);
    }

    CustomerRecord& customer = row.Customer;
    customer.Name = values.Of(ImportField::CustomerName);
    if (customer.Name.empty())
        customer.Name = JoinedName(values.Of(ImportField::FirstName), values.Of(ImportField::LastName));
    customer.Address = JoinedAddress(values.Of(ImportField::AddressLine1), values.Of(ImportField::AddressLine2));
    for (const auto& [field, text] :
         {std::pair<ImportField, const std::string&>{ImportField::CustomerName, customer.Name},
          {ImportField::AddressLine1, customer.Address}}) {
        const std::string reason = ImportValueRefusal(field, text);
        if (!reason.empty())
            return Refuse(reason, record, refusal);
    }
    customer.City = values.Of(ImportField::City);
    customer.State = values.Of(ImportField::State);
    customer.Zip = values.Of(ImportField::Zip);
    row.Contacts.Phones = values.Phones;
    row.Contacts.Email = values.Of(ImportField::Email);

    row.HasTicket = MapsTickets(mapping);
    if (!row.HasTicket)
        return true;
    ProblemRecord& problem = row.Problem;
    std::string reason;
    for (const auto& [field, date] :
         {std::pair<ImportField, CalendarDate*>{ImportField::AssignedDate, &problem.Assigned},
          {ImportField::CompletedDate, &problem.Completed}})
        if (!ReadImportDate(values.Of(field), mapping.DateFormat, *date, reason))
            return Refuse(ImportFieldName(field) + ": " + reason, record, refusal);
    // The hours were checked with the other values.
    ReadImportHours(values.Of(ImportField::BillableHours), problem.BillableHours, reason);
    ReadImportHours(values.Of(ImportField::ActualHours), problem.ActualHours, reason);
    if (!problem.Assigned.IsSet())
        return Refuse("The ticket has no assigned date.", record, refusal);
    problem.Technician = values.Of(ImportField::Technician);
    problem.Description = values.Of(ImportField::Description);
    problem.Resolution = values.Of(ImportField::Resolution);
    problem.Comment = values.Of(ImportField::Comments);
    row.OperatingSystem = values.Of(ImportField::OperatingSystem);
    row.Job.State = values.Of(ImportField::JobState);
    row.Job.Device.Kind = values.Of(ImportField::DeviceKind);
    row.Job.Device.MakeModel = values.Of(ImportField::MakeModel);
    row.Job.Device.Serial = values.Of(ImportField::Serial);
    row.Job.Accessories = values.Of(ImportField::Accessories);
    return true;
}

}  // namespace DBFrameWork
