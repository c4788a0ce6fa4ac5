#pragma once

#include <cstdint>

namespace vexa {

// Which vendor backend adapter detection tries: all of them in turn, or the one a device-id
// key of the configuration names. The numbers are also the backends' indexes while trying.
enum class AdapterType : int32_t {
  kAuto = 0,
  kNvidia = 1,
  kAmd = 2,
  kIntel = 3,
  // The kernel's DRM interfaces, on Linux only.
  kLinux = 4,
};

}  // namespace vexa
