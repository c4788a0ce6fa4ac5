#include "transport/backends/backend_registry.h"

#include <array>

#include "transport/backends/amd/gfx_lib_amd.h"
#include "transport/backends/amd/system_adl_api.h"
#include "transport/backends/intel/gfx_lib_intel.h"
#include "transport/backends/intel/system_cui_driver.h"
#ifdef __linux__
#include "transport/backends/linux/gfx_lib_linux.h"
#endif
#include "transport/backends/nvidia/gfx_lib_nvidia.h"
#include "transport/backends/nvidia/system_nvapi.h"

namespace vexa {

namespace {

template <typename Backend, auto makeSystemInterface>
std::unique_ptr<GfxLib> MakeSystemBackend(Clock& clock, const ChipProbe& probe) {
  return std::make_unique<Backend>(makeSystemInterface(), clock, probe);
}

#ifdef __linux__
std::unique_ptr<GfxLib> MakeLinuxBackend(Clock& clock, const ChipProbe& probe) {
  return std::make_unique<GfxLibLinux>(std::make_unique<PosixLinuxSystem>(), RootsFromEnvironment(),
                                       clock, probe);
}
#endif

constexpr std::array kRegistry = {
    BackendEntry{AdapterType::kNvidia, MakeSystemBackend<GfxLibNvidia, CreateSystemNvapi>},
    BackendEntry{AdapterType::kAmd, MakeSystemBackend<GfxLibAmd, CreateSystemAdlApi>},
    BackendEntry{AdapterType::kIntel, MakeSystemBackend<GfxLibIntel, MakeSystemCuiDriver>},
#ifdef __linux__
    // Last: on Linux the vendor backends above report their drivers missing.
    BackendEntry{AdapterType::kLinux, MakeLinuxBackend},
#endif
};

}  // namespace

std::span<const BackendEntry> BackendRegistry() {
  return kRegistry;
}

SystemBackends::SystemBackends(Clock& clock, const ChipProbe& probe) {
  for (const BackendEntry& entry : BackendRegistry()) {
    backends_.push_back(entry.make(clock, probe));
  }
}

GfxBackends SystemBackends::Backends() const {
  GfxBackends backends;
  for (size_t i = 0; i < backends_.size(); ++i) {
    backends.system.push_back({BackendRegistry()[i].type, backends_[i].get()});
  }
  return backends;
}

}  // namespace vexa
