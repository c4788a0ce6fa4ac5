#pragma once

#include <memory>

#include "transport/backends/nvidia/nvapi.h"

namespace vexa {

// This machine's NVIDIA driver interface. On Windows it loads the driver's library on the first
// Initialize and resolves each entry point by its interface id. Elsewhere there is no such
// driver: every call, Initialize first, fails with nvapi_status::kLibraryNotFound, just as on a
// Windows machine without the NVIDIA driver.
std::unique_ptr<Nvapi> CreateSystemNvapi();

}  // namespace vexa
