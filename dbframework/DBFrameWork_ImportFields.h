// The fields a column of an imported file can fill, with the names the user
// picks them by, the columns they are stored in, and the guess made from a
// file's header names (English, and the names other tools export).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_Columns.h"

namespace DBFrameWork {

enum class ImportField {
    Ignore,
    CustomerName,
    // Joined into the customer's name, first name first.
    FirstName,
    LastName,
    AddressLine1,
    AddressLine2,
    City,
    State,
    Zip,
    // A phone without a kind; stored as "mobile", the window's first kind.
    Phone,
    MobilePhone,
    HomePhone,
    WorkPhone,
    Email,
    AssignedDate,
    CompletedDate,
    Technician,
    OperatingSystem,
    JobState,
    BillableHours,
    ActualHours,
    Description,
    Resolution,
    Comments,
    DeviceKind,
    MakeModel,
    Serial,
    Accessories,
};

// Every field, "(ignore)" first, in the order the drop-down shows them.
const std::vector<ImportField>& AllImportFields();
// "Customer name", "Mobile phone", "(ignore)", ...
std::string ImportFieldName(ImportField field);

// The column the field's value is stored in; null for "(ignore)".
const ColumnDefinition* ImportFieldColumn(ImportField field);
// Whether values of several columns mapped to the field are all kept: the
// long texts are joined, and every phone column gives a phone.
bool ImportFieldTakesSeveralColumns(ImportField field);
// The phone kind a phone field stores ("mobile", "home", "work"); "" for the others.
std::string PhoneKindOf(ImportField field);

// Why the value cannot be stored in the field's column, for the user; ""
// when it can. A text longer than its column is refused, never cut; a date
// is checked by its format (see ImportDates), an hour count must be a whole
// number of hours.
std::string ImportValueRefusal(ImportField field, const std::string& value);
// The hours of an hour field; false with the reason when it is not a whole,
// non-negative number ("" reads as 0).
bool ReadImportHours(const std::string& value, int32_t& hours, std::string& reason);

// The customer's name of a first and a last name, and the stored address of
// its two lines (joined as the window joins them); check the result with
// ImportValueRefusal(CustomerName / AddressLine1, ...).
std::string JoinedName(const std::string& first, const std::string& last);
std::string JoinedAddress(const std::string& line1, const std::string& line2);

// The field a header name most likely means, letter case, spaces and
// punctuation aside; Ignore when none. "State" alone answers State (of the
// address): GuessImportFields decides it from the rest of the file.
ImportField GuessField(const std::string& header);

struct ImportColumnGuess {
    // The column's place in the file, counted from 0, and its header.
    size_t Column = 0;
    std::string Header;
    ImportField Field = ImportField::Ignore;
};

// The guess for every column of the header, given the first records
// (`samples`, each as its fields) and the shop's job states:
// - a field that takes one column goes to the first column guessed for it;
//   later ones are ignored, except that a second address line column takes
//   Address line 2 while that is free;
// - a column named "State" is the job's state when its values look like job
//   states (the shop's, or open, closed, new, pending, resolved, ...), or
//   when the file has no other address column but has ticket columns; else
//   it is the address's state.
std::vector<ImportColumnGuess> GuessImportFields(const std::vector<std::string>& header,
                                                 const std::vector<std::vector<std::string>>& samples,
                                                 const StringList& shopStates);

}  // namespace DBFrameWork
