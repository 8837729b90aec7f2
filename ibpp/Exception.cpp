#include "ibpp/ibpp.h"

namespace IBPP {

Exception::Exception(std::string message, int sqlCode, int engineCode, int systemError)
    : message_(std::move(message)), sqlCode_(sqlCode), engineCode_(engineCode), systemError_(systemError)
{}

}  // namespace IBPP
