// One XSQLDA with a buffer and a NULL indicator of its own for every
// variable. Internal to the client layer.
#pragma once

#include <ibase.h>

#include <vector>

namespace IBPP {

class SqlArea {
public:
    SqlArea() { Resize(1); }

    // Makes room for count variables; the described contents are lost.
    void Resize(int count);
    XSQLDA* Get() { return reinterpret_cast<XSQLDA*>(block_.data()); }
    int Capacity() const { return capacity_; }
    int Described() const { return reinterpret_cast<const XSQLDA*>(block_.data())->sqld; }
    XSQLVAR& Var(int index) { return Get()->sqlvar[index]; }
    const XSQLVAR& Var(int index) const { return reinterpret_cast<const XSQLDA*>(block_.data())->sqlvar[index]; }

    // Gives variable index a zeroed buffer of size bytes and points it there.
    char* Allocate(int index, int size);

private:
    std::vector<char> block_;
    std::vector<std::vector<char>> buffers_;
    std::vector<short> indicators_;
    int capacity_ = 0;
};

}  // namespace IBPP
