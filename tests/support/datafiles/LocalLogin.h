// The fixed login a local data file is opened with, taken from the data layer
// so that no test spells it again.
#pragma once

#include "dbframework/DBFrameWork_DBConnection.h"

namespace TestSupport {

inline const char* LocalUser()
{
    return DBFrameWork::DBConnection::UserName();
}

inline const char* LocalPassword()
{
    return DBFrameWork::DBConnection::Password();
}

}  // namespace TestSupport
