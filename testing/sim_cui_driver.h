#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/board.h"
#include "transport/backends/intel/cui_driver.h"

namespace vexa::testing {

// Display type codes and status flags as the driver reports them.
namespace sim_display {
inline constexpr uint32_t kCrt = 1;
inline constexpr uint32_t kExternalFlatPanel = 3;
inline constexpr uint32_t kHdmi = 5;
inline constexpr uint32_t kDisplayPort = 7;
inline constexpr uint32_t kActive = 0x1;
inline constexpr uint32_t kAttached = 0x2;
}  // namespace sim_display

struct SimDisplay {
  uint32_t id = 0;
  uint32_t type = 0;
  uint32_t statusFlags = 0;
};

struct SimAdapter {
  std::string deviceName;
  std::string deviceString;
  std::vector<SimDisplay> displays;
};

// What the simulated machine has: the driver, its adapters and displays, and the boards that
// answer behind display or LS-PCON device ids.
struct SimCuiSetup {
  // false: the driver object cannot be created, as on a machine without the driver.
  bool driverInstalled = true;
  // false: the LS-PCON record's GUID is answered "unsupported GUID".
  bool lsPconSupported = true;
  std::vector<SimAdapter> adapters;
  // Device id -> the board behind it. A known device without a board times out.
  std::map<uint32_t, sim::Board*> sinks;
};

// Which layout a device-data call's GUID and record size named.
enum class SimRecordKind { kStandard, kLsPcon, kRefused };

// One device-data call as the simulated driver decoded it from the record's bytes.
struct SimCuiCall {
  bool viaWriteMethod = false;
  SimRecordKind kind = SimRecordKind::kRefused;
  uint32_t deviceId = 0;
  uint32_t command = 0;
  uint32_t length = 0;
  uint32_t address = 0;
  // The bytes written, or the bytes a read returned.
  std::vector<uint8_t> data;
  uint32_t errorWord = 0;
};

// An answer a device-data call gets instead of its sink's.
struct SimCuiFault {
  int32_t hresult = 0;
  uint32_t errorWord = 0;
};

// Error words the simulated driver answers with.
namespace sim_cui_error {
inline constexpr uint32_t kCorruptBuffer = 4;
inline constexpr uint32_t kUnsupportedGuid = 5;
inline constexpr uint32_t kInvalidMonitorId = 8;
inline constexpr uint32_t kCuiFailure = 37;
inline constexpr uint32_t kInvalidOperation = 54;
inline constexpr uint32_t kInvalidAuxDevice = 67;
inline constexpr uint32_t kInvalidAuxAddress = 68;
inline constexpr uint32_t kInvalidAuxDataSize = 69;
inline constexpr uint32_t kAuxDefer = 70;
inline constexpr uint32_t kAuxTimeout = 71;
}  // namespace sim_cui_error

// The Intel graphics driver as tests need it: it decodes every request record from its raw
// bytes with its own knowledge of the two layouts and their GUIDs, refuses records that break
// them (so that a layout mistake of the backend fails a test), and carries the AUX transaction
// to the board behind the device id. A board's NACK is answered I_CUI_Failure, its transport
// fault AUX timeout. Every call is logged; a call while the driver is closed fails the test
// (the real object does not exist then).
class SimCuiDriver final : public CuiDriver {
 public:
  explicit SimCuiDriver(SimCuiSetup setup = {}) : setup_(std::move(setup)) {}

  SimCuiSetup& setup() { return setup_; }
  // The `count` device-data calls after the next `after` ones answer fault, reaching no board.
  void InjectFault(SimCuiFault fault, int count = 1, int after = 0);

  const std::vector<SimCuiCall>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  bool isOpen() const { return open_; }
  int closeCount() const { return closeCount_; }

  bool Open() override;
  void Close() override;
  std::optional<DisplayAdapter> EnumAdapter(uint32_t index) override;
  std::optional<DriverDisplay> EnumDisplay(const std::string& adapterDeviceName,
                                           uint32_t index) override;
  int32_t ReadDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                         uint32_t* errorWord) override;
  int32_t WriteDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                          uint32_t* errorWord) override;

 private:
  struct OpenI2cTransaction {
    uint32_t deviceId;
    uint32_t address;
    bool read;
    bool operator==(const OpenI2cTransaction&) const = default;
  };

  int32_t Serve(const CuiGuid& guid, std::span<uint8_t> record, bool viaWriteMethod,
                uint32_t* errorWord);
  // The error word for a decoded request, carrying it to its board when it is valid.
  uint32_t Carry(SimCuiCall& call, std::span<uint8_t> data);
  bool IsKnownDisplay(uint32_t id) const;

  SimCuiSetup setup_;
  std::deque<std::optional<SimCuiFault>> plannedAnswers_;
  std::vector<SimCuiCall> calls_;
  std::optional<OpenI2cTransaction> openI2c_;
  bool open_ = false;
  int closeCount_ = 0;
};

}  // namespace vexa::testing
