#pragma once

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {

class Problem : public DBObjectBase {
public:
    explicit Problem(DBConnection* connection);
    ~Problem();

    void DefineColumns() override;
    bool Create() override;
};

}  // namespace DBFrameWork
