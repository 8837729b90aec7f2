#include "dbframework/DBFrameWork_Catalogue.h"

namespace DBFrameWork {

void ReadCatalogueNames(IBPP::Statement& statement, std::set<std::string>& names)
{
    statement->Prepare(
        "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT TRIM(RDB$CONSTRAINT_NAME) FROM RDB$RELATION_CONSTRAINTS "
        "UNION ALL SELECT TRIM(RDB$INDEX_NAME) FROM RDB$INDICES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT TRIM(RDB$TRIGGER_NAME) FROM RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "UNION ALL SELECT TRIM(RDB$RELATION_NAME) || '.' || TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS "
        "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0;");
    statement->Execute();
    std::string name;
    while (statement->Fetch())
        if (!statement->Get(1, name))
            names.insert(name);
}

}  // namespace DBFrameWork
