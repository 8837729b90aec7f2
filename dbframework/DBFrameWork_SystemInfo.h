#pragma once

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {

class SystemInfo : public DBObjectBase {
public:
    explicit SystemInfo(DBConnection* connection);
    ~SystemInfo();

    void DefineColumns() override;
    bool Create() override;
};

}  // namespace DBFrameWork
