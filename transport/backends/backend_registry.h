#pragma once

#include <memory>
#include <span>
#include <vector>

#include "transport/adapter_detection.h"
#include "transport/adapter_type.h"
#include "transport/gfx_lib.h"
#include "transport/probe_port.h"
#include "util/clock.h"

namespace vexa {

// One backend over a driver interface of this machine. Adding a backend is its folder and one
// line in the registry.
struct BackendEntry {
  // The configuration's fixed choice that names the backend.
  AdapterType type;
  // Makes the backend over this machine's driver interface. Where that interface cannot exist
  // (another operating system) the backend runs over a stand-in that fails to open as a
  // machine without the driver does, so detection reports it plainly.
  std::unique_ptr<GfxLib> (*make)(Clock& clock, const ChipProbe& probe);
};

// The registry, in the order automatic detection tries the backends.
std::span<const BackendEntry> BackendRegistry();

// The backends of the registry, made once. They live as long as this object, which the front
// ends keep for the whole process.
class SystemBackends {
 public:
  SystemBackends(Clock& clock, const ChipProbe& probe);
  SystemBackends(const SystemBackends&) = delete;
  SystemBackends& operator=(const SystemBackends&) = delete;

  GfxBackends Backends() const;

 private:
  std::vector<std::unique_ptr<GfxLib>> backends_;
};

}  // namespace vexa
