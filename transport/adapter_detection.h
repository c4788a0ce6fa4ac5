#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "transport/adapter_type.h"
#include "transport/gfx_lib.h"

namespace vexa {

// DetectAdapter's results.
namespace detect_result {
inline constexpr int32_t kConnected = 0;
// A backend opened but its scan found no chip.
inline constexpr int32_t kPortNotFound = 1;
// The last backend tried failed to open.
inline constexpr int32_t kInitFailed = 2;
}  // namespace detect_result

// A backend detection can try, with the configuration's fixed choice that names it.
struct CandidateBackend {
  AdapterType type;
  GfxLib* gfx;
};

// The backends detection can try. Each lives for the whole process; detection does not own
// them. The simulated board takes part only when the user asks for it, and then alone.
struct GfxBackends {
  // This machine's backends, in the order automatic detection tries them.
  std::vector<CandidateBackend> system;
  GfxLib* simulator = nullptr;
};

// Chooses the transport: opens the backend(s) the adapter type names (all three in turn for
// kAuto, or the simulator when one is given), lets each scan its ports for the chip at ddcAddr,
// and writes the adapter report. The active transport afterwards follows the selection rule:
// the backend whose scan found the chip; else, automatically, the last backend that opened
// (the first one that opened when the last failed to open); with a fixed choice, that backend
// when it opened. Null when nothing opened.
class AdapterDetector {
 public:
  AdapterDetector(GfxBackends backends, AdapterType type)
      : backends_(std::move(backends)), type_(type) {}

  // *displayId carries the preset port id in and the port found out. Returns a detect_result.
  int32_t DetectAdapter(uint32_t* displayId, uint8_t ddcAddr, std::string* report);

  GfxLib* ActiveTransport() const { return active_; }
  // True when the backends are tried in turn (no fixed choice, no simulator).
  bool IsAutomatic() const { return type_ == AdapterType::kAuto && backends_.simulator == nullptr; }

 private:
  std::vector<GfxLib*> Candidates() const;

  GfxBackends backends_;
  AdapterType type_;
  GfxLib* active_ = nullptr;
};

}  // namespace vexa
