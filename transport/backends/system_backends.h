#pragma once

#include <memory>

#include "transport/adapter_detection.h"
#include "transport/backends/amd/gfx_lib_amd.h"
#include "transport/backends/intel/gfx_lib_intel.h"
#include "transport/backends/nvidia/gfx_lib_nvidia.h"
#include "util/clock.h"

namespace vexa {

// The three vendor backends over this machine's driver interfaces. They live as long as this
// object, which the front ends keep for the whole process; on a machine without a vendor's
// driver that backend simply fails to open.
class SystemBackends {
 public:
  explicit SystemBackends(Clock& clock);
  SystemBackends(const SystemBackends&) = delete;
  SystemBackends& operator=(const SystemBackends&) = delete;

  GfxBackends Backends() { return {&nvidia_, &amd_, &intel_, nullptr}; }

 private:
  std::unique_ptr<Nvapi> nvapi_;
  std::unique_ptr<AdlApi> adl_;
  std::unique_ptr<CuiDriver> cui_;
  GfxLibNvidia nvidia_;
  GfxLibAmd amd_;
  GfxLibIntel intel_;
};

}  // namespace vexa
