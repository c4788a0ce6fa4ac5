#include "transport/backends/system_backends.h"

#include "transport/backends/amd/system_adl_api.h"
#include "transport/backends/intel/system_cui_driver.h"
#include "transport/backends/nvidia/system_nvapi.h"

namespace vexa {

SystemBackends::SystemBackends(Clock& clock)
    : nvapi_(CreateSystemNvapi()),
      adl_(CreateSystemAdlApi()),
      cui_(MakeSystemCuiDriver()),
      nvidia_(*nvapi_, clock),
      amd_(*adl_, clock),
      intel_(*cui_, clock) {}

}  // namespace vexa
