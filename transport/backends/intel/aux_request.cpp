#include "transport/backends/intel/aux_request.h"

#include <algorithm>

#include "util/byte_order.h"

namespace vexa {

namespace {

// The first byte of the chip's DPCD mailbox: writing it hands a command to the chip's ISP
// driver, so a write the sink deferred may still have been taken and must not be repeated.
constexpr uint32_t kMailboxTriggerAddress = 0x20000;

constexpr RequestRecordFormat kStandardRecord{
    .guid = {0xBFB9816C, 0xAEB0, 0x434B, {0x99, 0xF3, 0x0F, 0x94, 0xE6, 0xBE, 0xBF, 0x0D}},
    .size = 32,
    .commandOffset = 4,
    .lengthOffset = 8,
    .addressOffset = 12,
    .dataOffset = 16,
    .deferRetry = {.maxCalls = 6, .waitUs = 5000, .unrepeatedWriteAddress = kMailboxTriggerAddress},
};

// Deferred LS-PCON requests are repeated at once, without a wait. Each driver call already
// carries the AUX channel's own defer retries, so fifty calls outlast any transient defer by far,
// while a device that defers for good fails its request ("AUX defer") instead of holding the
// tool in an endless loop.
constexpr RequestRecordFormat kLsPconRecord{
    .guid = {0xC3E437B6, 0x53F9, 0x42AA, {0xA5, 0x40, 0x87, 0x1F, 0x1E, 0x10, 0x7D, 0xFD}},
    .size = 160,
    .commandOffset = 16,
    .lengthOffset = 20,
    .addressOffset = 24,
    .dataOffset = 28,
    .deferRetry = {.maxCalls = 50, .waitUs = 0, .unrepeatedWriteAddress = std::nullopt},
};

constexpr size_t kDeviceIdOffset = 0;

}  // namespace

bool IsWriteCommand(AuxCommand command) {
  return command == AuxCommand::kI2cWriteEnd || command == AuxCommand::kI2cWriteContinue ||
         command == AuxCommand::kNativeWrite;
}

bool IsLsPconDevice(uint32_t deviceId) {
  return deviceId >= kFirstLsPconDeviceId && deviceId <= kLastLsPconDeviceId;
}

const RequestRecordFormat& RecordFormatFor(uint32_t deviceId) {
  return IsLsPconDevice(deviceId) ? kLsPconRecord : kStandardRecord;
}

std::vector<uint8_t> EncodeRequestRecord(const AuxRequest& request) {
  const RequestRecordFormat& format = RecordFormatFor(request.deviceId);
  std::vector<uint8_t> record(format.size, 0);
  StoreLe32(record, kDeviceIdOffset, request.deviceId);
  StoreLe32(record, format.commandOffset, static_cast<uint32_t>(request.command));
  StoreLe32(record, format.lengthOffset, request.length);
  StoreLe32(record, format.addressOffset, request.address);
  if (IsWriteCommand(request.command)) {
    std::copy_n(request.data.begin(), request.length, record.begin() + format.dataOffset);
  }
  return record;
}

void TakeReadData(std::span<const uint8_t> record, AuxRequest& request) {
  const RequestRecordFormat& format = RecordFormatFor(request.deviceId);
  std::copy_n(record.begin() + format.dataOffset, request.length, request.data.begin());
}

}  // namespace vexa
