// Timestamp to and from the engine's own date and time words. Internal to the
// client layer.
#pragma once

#include <ibase.h>

#include "ibpp/ibpp.h"

namespace IBPP {

ISC_DATE ToEngineDate(const Timestamp& value);
ISC_TIME ToEngineTime(const Timestamp& value);
// Raises Exception for an engine date outside years 1 to 9999.
Timestamp FromEngine(ISC_DATE date, ISC_TIME time);

}  // namespace IBPP
