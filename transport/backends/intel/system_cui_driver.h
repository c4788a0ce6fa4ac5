#pragma once

#include <memory>

#include "transport/backends/intel/cui_driver.h"

namespace vexa {

// The machine's own driver access: on Windows the graphics driver's COM object and the
// system's display-device enumeration; elsewhere a driver that never opens, as on a machine
// without the Intel graphics driver.
std::unique_ptr<CuiDriver> MakeSystemCuiDriver();

}  // namespace vexa
