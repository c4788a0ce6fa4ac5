#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "transport/backends/intel/cui_driver.h"
#include "transport/transfer_chunking.h"

namespace vexa {

// The DisplayPort AUX request command of a request record.
enum class AuxCommand : uint32_t {
  kI2cWriteEnd = 0,
  kI2cReadEnd = 1,
  kI2cWriteContinue = 4,
  kI2cReadContinue = 5,
  kNativeWrite = 8,
  kNativeRead = 9,
};

// Writes go to the driver's device-data write call, reads to its read call.
bool IsWriteCommand(AuxCommand command);

// The driver addresses LS-PCON devices by these ids instead of display ids, with a record
// layout of their own.
inline constexpr uint32_t kFirstLsPconDeviceId = 0x0C;
inline constexpr uint32_t kLastLsPconDeviceId = 0x0F;
bool IsLsPconDevice(uint32_t deviceId);

// One AUX transaction for the driver to carry.
struct AuxRequest {
  // A display id, or an LS-PCON device id.
  uint32_t deviceId = 0;
  AuxCommand command = AuxCommand::kNativeRead;
  // The DPCD address of a native request, the 8-bit DDC address of an I2C request.
  uint32_t address = 0;
  // 1 to kAuxChunkSize.
  uint32_t length = 0;
  // The bytes to write; the bytes read once a read succeeded.
  std::array<uint8_t, kAuxChunkSize> data{};
};

// How deferred requests of a record layout are repeated.
struct DeferRetry {
  // Driver calls per request at most, the first one included.
  int32_t maxCalls = 1;
  // Spin after every deferred call.
  uint32_t waitUs = 0;
  // A deferred write to this address is not repeated.
  std::optional<uint32_t> unrepeatedWriteAddress;
};

// A request record layout: the data GUID that names it, its size, where its fields lie (all
// other bytes zero; the device id at offset 0), and how its defers are retried.
struct RequestRecordFormat {
  CuiGuid guid;
  size_t size = 0;
  size_t commandOffset = 0;
  size_t lengthOffset = 0;
  size_t addressOffset = 0;
  size_t dataOffset = 0;
  DeferRetry deferRetry;
};

// The layout the driver expects for deviceId: LS-PCON ids take the LS-PCON record.
const RequestRecordFormat& RecordFormatFor(uint32_t deviceId);

// The request as a record of its device's layout, little-endian, the data field cleared
// before a write's bytes are put in.
std::vector<uint8_t> EncodeRequestRecord(const AuxRequest& request);

// Copies the data field of a returned record into request.data.
void TakeReadData(std::span<const uint8_t> record, AuxRequest& request);

}  // namespace vexa
