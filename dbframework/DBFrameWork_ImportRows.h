// A record of an imported CSV file made into the row the import stores, by
// the mapping of its columns to fields that the user confirmed.
#pragma once

#include <cstddef>
#include <vector>

#include "dbframework/DBFrameWork_CsvSource.h"
#include "dbframework/DBFrameWork_ImportDates.h"
#include "dbframework/DBFrameWork_ImportFields.h"
#include "dbframework/DBFrameWork_ImportStore.h"

namespace DBFrameWork {

struct ImportMapping {
    // Every column of the file with the field it fills.
    std::vector<ImportColumnGuess> Columns;
    ImportDateFormat DateFormat = ImportDateFormat::MonthDayYear;
};

// Whether the mapping stores tickets (some column fills a ticket's field)
// or customers alone.
bool MapsTickets(const ImportMapping& mapping);

// The record as a row; false with the line and the reason when one of its
// values cannot be taken as it stands (a date that does not read, a text
// too long for its column, a field count that is not the header's, a ticket
// without its assigned date). Texts of several columns mapped to one long
// field are joined by a line break; every phone column gives a phone.
bool ReadImportRow(const CsvRecord& record, size_t headerFields, const ImportMapping& mapping, ImportRow& row,
                   ImportRefusal& refusal);

}  // namespace DBFrameWork
