#pragma once

#include <cstdint>

#include "transport/backends/intel/aux_request.h"
#include "transport/backends/intel/cui_driver.h"
#include "util/clock.h"

namespace vexa {

// Hands one request to the open driver as a record of its device's layout, repeating it while
// the sink defers, as far as the layout's DeferRetry allows (waits go through clock). A read
// that succeeded leaves the bytes read in request.data.
// Returns 0, or why the request failed: the driver's error word (cui_error::kAuxDefer once the
// repetitions are spent), or the HRESULT of a failed call that reported no error word.
int32_t SendAuxRequest(CuiDriver& driver, Clock& clock, AuxRequest& request);

}  // namespace vexa
