#pragma once

#include <memory>

#include "transport/backends/amd/adl_api.h"

namespace vexa {

// The display library of this machine: on Windows the vendor driver's library, loaded at run
// time; on other systems a library that is never found, so that GfxLibAmd fails to open as on
// a machine without the vendor's driver.
std::unique_ptr<AdlApi> CreateSystemAdlApi();

}  // namespace vexa
