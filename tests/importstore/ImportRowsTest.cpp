// Records of a file made into rows by a confirmed mapping: names and address
// lines joined, every phone column a phone of its kind, long texts of several
// columns joined, and each value that cannot be taken refused with its line.
#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_ImportRows.h"

using namespace DBFrameWork;

namespace {

ImportMapping Mapping(const std::vector<ImportField>& fields, ImportDateFormat format = ImportDateFormat::DayMonthYear)
{
    ImportMapping mapping;
    for (size_t column = 0; column < fields.size(); ++column)
        mapping.Columns.push_back({column, "column " + std::to_string(column), fields[column]});
    mapping.DateFormat = format;
    return mapping;
}

const std::vector<ImportField> TicketColumns = {
    ImportField::FirstName,   ImportField::LastName,    ImportField::AddressLine1,  ImportField::AddressLine2,
    ImportField::MobilePhone, ImportField::WorkPhone,   ImportField::Email,         ImportField::AssignedDate,
    ImportField::Description, ImportField::Description, ImportField::BillableHours, ImportField::Ignore,
};

CsvRecord Record(size_t line, std::vector<std::string> fields)
{
    return {line, std::move(fields)};
}

}  // namespace

TEST(ImportRows, ARecordBecomesTheRowItsMappingSays)
{
    ImportRow row;
    ImportRefusal refusal;
    ASSERT_TRUE(ReadImportRow(Record(4,
                                     {"Jürgen", "Müller", "Hauptstr. 5", "2. Stock", "0171 234567", "", "jm@example.de",
                                      "13/04/2024", "Laptop won't boot", "Beeps three times\nthen stops", "2", "x"}),
                              TicketColumns.size(), Mapping(TicketColumns), row, refusal))
        << refusal.Reason;
    EXPECT_EQ(row.Line, 4u);
    EXPECT_EQ(row.Customer.Name, JoinedName("Jürgen", "Müller"));
    EXPECT_EQ(row.Customer.Address, JoinedAddress("Hauptstr. 5", "2. Stock"));
    // An empty phone column gives no phone.
    EXPECT_EQ(row.Contacts.Phones, (std::vector<PhoneRecord>{{"mobile", "0171 234567"}}));
    EXPECT_EQ(row.Contacts.Email, "jm@example.de");
    ASSERT_TRUE(row.HasTicket);
    EXPECT_EQ(row.Problem.Assigned.year, 2024);
    EXPECT_EQ(row.Problem.Assigned.month, 4);
    EXPECT_EQ(row.Problem.Assigned.day, 13);
    EXPECT_EQ(row.Problem.Description, "Laptop won't boot\nBeeps three times\nthen stops");
    EXPECT_EQ(row.Problem.BillableHours, 2);

    // A file of customers alone stores no ticket.
    const ImportMapping customers = Mapping({ImportField::CustomerName, ImportField::City, ImportField::HomePhone});
    ASSERT_TRUE(ReadImportRow(Record(2, {"Ada Lovelace", "London", "020 7946 0000"}), 3, customers, row, refusal));
    EXPECT_FALSE(row.HasTicket);
    EXPECT_EQ(row.Customer.City, "London");
    EXPECT_EQ(row.Contacts.Phones, (std::vector<PhoneRecord>{{"home", "020 7946 0000"}}));
}

TEST(ImportRows, AValueThatCannotBeTakenRefusesTheRowWithItsLineAndReason)
{
    const ImportMapping mapping = Mapping(TicketColumns);
    const std::vector<std::string> good = {"Ann",      "Lee", "1 Main St", "", "555 123 4567", "", "", "01/02/2024",
                                           "No sound", "",    "1",         ""};
    ImportRow row;
    ImportRefusal refusal;
    ASSERT_TRUE(ReadImportRow(Record(2, good), good.size(), mapping, row, refusal)) << refusal.Reason;

    const auto refused = [&](size_t column, const std::string& value) {
        std::vector<std::string> fields = good;
        fields[column] = value;
        EXPECT_FALSE(ReadImportRow(Record(9, fields), fields.size(), mapping, row, refusal)) << value;
        EXPECT_EQ(refusal.Line, 9u);
        return refusal.Reason;
    };
    EXPECT_EQ(refused(7, "31/02/2024"),
              ImportFieldName(ImportField::AssignedDate) +
                  ": 31/02/2024 is not a date in "
                  "day/month/year");
    EXPECT_EQ(refused(7, ""), "The ticket has no assigned date.");
    EXPECT_FALSE(refused(10, "1.5").empty());
    // Too long once the two lines are joined, never cut.
    std::vector<std::string> lines = good;
    lines[2] = std::string(238, 'a');
    ASSERT_TRUE(ReadImportRow(Record(5, lines), lines.size(), mapping, row, refusal)) << refusal.Reason;
    lines[3] = "b";
    EXPECT_FALSE(ReadImportRow(Record(5, lines), lines.size(), mapping, row, refusal));
    EXPECT_NE(refusal.Reason.find("too long"), std::string::npos) << refusal.Reason;
    EXPECT_FALSE(refused(0, std::string(121, 'n')).empty());

    std::vector<std::string> short_ = good;
    short_.pop_back();
    EXPECT_FALSE(ReadImportRow(Record(3, short_), good.size(), mapping, row, refusal));
    EXPECT_EQ(refusal.Reason, "The row has 11 fields; the header has 12.");
}
