#include "dbframework/DBFrameWork_DefinedTable.h"

namespace DBFrameWork {

DefinedTable::DefinedTable(DBConnection* connection, const TableDefinition& table)
    : DBObjectBase(connection), Table(table)
{
    DefineColumns();
}

DefinedTable::~DefinedTable() = default;

void DefinedTable::DefineColumns()
{
    SetTableName(Table.Name);
    SetColumns(Table.ColumnNames());
    SetTypes(Table.DeclaredTypes());
    SetKeys({Table.Key});
    SetValues(StringList(Table.Columns.size()));
}

}  // namespace DBFrameWork
