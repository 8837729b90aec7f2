#include "ibpp/SqlArea.h"

#include <algorithm>

namespace IBPP {

void SqlArea::Resize(int count)
{
    capacity_ = std::max(count, 1);
    block_.assign(XSQLDA_LENGTH(capacity_), 0);
    XSQLDA* area = Get();
    area->version = SQLDA_VERSION1;
    area->sqln = static_cast<ISC_SHORT>(capacity_);
    buffers_.assign(capacity_, {});
    indicators_.assign(capacity_, 0);
}

char* SqlArea::Allocate(int index, int size)
{
    // Room for the engine's widest value words, whatever the described length.
    buffers_[index].assign(std::max(size, 8), 0);
    XSQLVAR& var = Var(index);
    var.sqldata = buffers_[index].data();
    var.sqlind = &indicators_[index];
    return var.sqldata;
}

}  // namespace IBPP
