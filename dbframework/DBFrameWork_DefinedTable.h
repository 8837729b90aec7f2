// A table object made from a table's definition alone, for the tables whose
// rows need nothing beyond reading and writing by key.
#pragma once

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {

class DefinedTable : public DBObjectBase {
public:
    DefinedTable(DBConnection* connection, const TableDefinition& table);
    ~DefinedTable();

    void DefineColumns() override;

private:
    const TableDefinition& Table;
};

}  // namespace DBFrameWork
