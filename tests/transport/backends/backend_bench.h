#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "sim/board.h"
#include "transport/gfx_lib.h"
#include "util/clock.h"

namespace vexa::testing {

// One backend over its simulated vendor interface (the simulator's own GfxLib over the board
// directly), with a board behind the port the scan selected: what the tests that hold for
// every backend need, so that each is one table over the backends.
class BackendBench {
 public:
  virtual ~BackendBench() = default;

  // The backend, open, its scan at the row's host address done and successful.
  virtual GfxLib& gfx() = 0;
  // Calls that reached the vendor interface (transactions the board saw, for the simulator).
  virtual size_t VendorCalls() const = 0;
  // Carries out one transaction that the vendor interface fails; returns its status.
  virtual int32_t FailATransaction() = 0;
  // Checks what the vendor interface saw after the scan, where a backend has more to check.
  virtual void ExpectRunTraffic() const {}
  // Called once the scan is done, so that ExpectRunTraffic sees only what came after it.
  virtual void ForgetScanTraffic() {}
};

// One row of the tables: a backend in one configuration.
struct BackendVariant {
  const char* name;
  friend void PrintTo(const BackendVariant& v, std::ostream* os) { *os << v.name; }
  // The DDC2bi address the scan looks for the host chip at, and the run programs it at.
  uint8_t hostDdcAddr;
  // Builds the backend over board on clock and selects the board's port by a scan at
  // hostDdcAddr; null (with a test failure) when the scan does not find the chip.
  std::unique_ptr<BackendBench> (*attach)(sim::Board& board, Clock& clock, uint8_t hostDdcAddr);
};

// Every backend: Intel behind a DisplayPort output and behind an LS-PCON device, AMD (behind
// an HDMI display, the host found at its command address), NVIDIA on a DisplayPort display and
// as the root of an MST topology, the simulator, and on Linux the kernel's DRM nodes (also under
// a driver that refuses I2C_RDWR).
extern const std::vector<BackendVariant> kBackendVariants;

}  // namespace vexa::testing
