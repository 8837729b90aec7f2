#pragma once

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {

class Customer : public DBObjectBase {
public:
    explicit Customer(DBConnection* connection);
    ~Customer();

    void DefineColumns() override;
    bool Create() override;
    // Finds the first customer whose Name, Address, City, State and Zip begin
    // with the given texts; the values then hold its row ("0" and empties when none).
    virtual bool SelectByAll(const StringList& values);
};

}  // namespace DBFrameWork
