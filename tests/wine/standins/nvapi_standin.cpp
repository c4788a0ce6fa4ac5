// A stand-in for the NVIDIA driver interface: one GPU with one connected DisplayPort display
// (not an MST root), on whose AUX channel sits the board of VEXA_STANDIN_BOARD. Entry points
// are handed out by interface id; records are laid out here from the driver's published
// layout, independently of the backend.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <span>

#include "tests/wine/standins/record_fields.h"
#include "tests/wine/standins/standin_board.h"

namespace {

using vexa::sim::AuxReply;
using vexa::standin::GetField;
using vexa::standin::PutField;

constexpr int kOk = 0;
constexpr int kError = -1;
constexpr int kInvalidArgument = -5;
constexpr int kIncompatibleVersion = -9;

void* const kGpu = reinterpret_cast<void*>(uintptr_t{0x1001});
void* const kDisplay = reinterpret_cast<void*>(uintptr_t{0x2001});
constexpr uint32_t kDisplayId = 0x80061082;
constexpr uint32_t kOutputId = 0x100;
constexpr uint32_t kDriverVersion = 53741;
constexpr char kGpuName[] = "Stand-in GeForce";
constexpr uint32_t kDpExternalConnector = 0x46;

constexpr uint32_t kConnectedIdVersion = 0x00010010;
constexpr uint32_t kConnectorInfoVersion = 0x0001002C;
constexpr uint32_t kDpInfoVersion = 0x0002002C;
constexpr uint32_t kAuxRecordVersion = 0x00020068;
constexpr uint32_t kAuxRecordSize = 104;
constexpr uint32_t kPhysicallyConnected = 0x20000;

enum AuxOperation : uint32_t {
  kNativeWrite = 0,
  kNativeRead = 1,
  kI2cWriteEnd = 2,
  kI2cReadEnd = 3,
  kI2cWriteMore = 5,
  kI2cReadMore = 6,
};
constexpr uint32_t kAuxAck = 0;
constexpr uint32_t kAuxNack = 1;

int __cdecl Initialize() {
  return vexa::standin::SharedBoard() != nullptr ? kOk : -6;
}

int __cdecl EnumPhysicalGpus(void** gpus, uint32_t* count) {
  if (gpus == nullptr || count == nullptr) return kInvalidArgument;
  gpus[0] = kGpu;
  *count = 1;
  return kOk;
}

int __cdecl GetConnectedDisplayIds(void* gpu, void* records, uint32_t* count, uint32_t flags) {
  if (gpu != kGpu || count == nullptr || flags != 0) return kInvalidArgument;
  if (records == nullptr) {
    *count = 1;
    return kOk;
  }
  auto* record = static_cast<uint8_t*>(records);
  if (*count < 1 || GetField<uint32_t>(record) != kConnectedIdVersion) return kIncompatibleVersion;
  PutField(record + 8, kDisplayId);
  PutField(record + 12, kPhysicallyConnected);
  *count = 1;
  return kOk;
}

int __cdecl GetFullName(void* gpu, char* name) {
  if (gpu != kGpu || name == nullptr) return kInvalidArgument;
  std::memcpy(name, kGpuName, sizeof kGpuName);
  return kOk;
}

int __cdecl GetDriverAndBranchVersion(uint32_t* version, char* branch) {
  if (version == nullptr || branch == nullptr) return kInvalidArgument;
  *version = kDriverVersion;
  std::strcpy(branch, "r537_00");
  return kOk;
}

int __cdecl GetDisplayHandleFromDisplayId(uint32_t displayId, void** handle) {
  if (displayId != kDisplayId || handle == nullptr) return kInvalidArgument;
  *handle = kDisplay;
  return kOk;
}

int __cdecl GetAssociatedDisplayOutputId(void* display, uint32_t* outputId) {
  if (display != kDisplay || outputId == nullptr) return kInvalidArgument;
  *outputId = kOutputId;
  return kOk;
}

int __cdecl GetConnectorInfo(void* gpu, uint32_t outputId, void* info) {
  if (gpu != kGpu || outputId != kOutputId || info == nullptr) return kInvalidArgument;
  auto* record = static_cast<uint8_t*>(info);
  if (GetField<uint32_t>(record) != kConnectorInfoVersion) return kIncompatibleVersion;
  PutField(record + 8, 1);
  PutField(record + 12, kDpExternalConnector);
  return kOk;
}

int __cdecl GetDisplayPortInfo(void* display, uint32_t outputId, void* info) {
  if (display != kDisplay || outputId != kOutputId || info == nullptr) return kInvalidArgument;
  auto* record = static_cast<uint8_t*>(info);
  if (GetField<uint32_t>(record) != kDpInfoVersion) return kIncompatibleVersion;
  PutField(record + 40, 1);
  return kOk;
}

vexa::standin::I2cOverAux i2c;

int __cdecl DisplayPortAux(void* display, void* request, uint32_t size) {
  if (display != kDisplay || request == nullptr || size != kAuxRecordSize) return kInvalidArgument;
  auto* record = static_cast<uint8_t*>(request);
  const uint32_t operation = GetField<uint32_t>(record + 8);
  const uint32_t address = GetField<uint32_t>(record + 12);
  const uint32_t length = GetField<uint32_t>(record + 32) + 1;
  if (GetField<uint32_t>(record) != kAuxRecordVersion) return kIncompatibleVersion;
  if (GetField<uint32_t>(record + 4) != kDisplayId || length > 16) return kInvalidArgument;
  if (vexa::standin::TransferFails()) return kError;
  const std::span<uint8_t> data(record + 16, length);
  vexa::sim::Board* board = vexa::standin::SharedBoard();
  AuxReply answer;
  switch (operation) {
    case kNativeWrite:
      answer = board->DpcdWrite(address, data);
      break;
    case kNativeRead:
      answer = board->DpcdRead(address, data);
      break;
    case kI2cWriteEnd:
    case kI2cReadEnd:
    case kI2cWriteMore:
    case kI2cReadMore:
      if (address > 0xFF) return kInvalidArgument;
      answer = i2c.Transfer(operation == kI2cReadEnd || operation == kI2cReadMore,
                            operation == kI2cWriteEnd || operation == kI2cReadEnd,
                            static_cast<uint8_t>(address), data);
      break;
    default:
      return kInvalidArgument;
  }
  if (answer == AuxReply::kTransportFault) return kError;
  PutField(record + 36, answer == AuxReply::kAck ? kAuxAck : kAuxNack);
  return kOk;
}

}  // namespace

// Hands out the entry point an interface id names; null for one this driver lacks. The DP
// topology query is lacking on purpose: the display is no MST root, so it is never asked.
extern "C" __declspec(dllexport) void* __cdecl nvapi_QueryInterface(unsigned int id) {
  switch (id) {
    case 0x0150E828:
      return reinterpret_cast<void*>(&Initialize);
    case 0xE5AC921F:
      return reinterpret_cast<void*>(&EnumPhysicalGpus);
    case 0x0078DBA2:
      return reinterpret_cast<void*>(&GetConnectedDisplayIds);
    case 0xCEEE8E9F:
      return reinterpret_cast<void*>(&GetFullName);
    case 0x2926AAAD:
      return reinterpret_cast<void*>(&GetDriverAndBranchVersion);
    case 0x96437923:
      return reinterpret_cast<void*>(&GetDisplayHandleFromDisplayId);
    case 0xD995937E:
      return reinterpret_cast<void*>(&GetAssociatedDisplayOutputId);
    case 0x4ECA2C10:
      return reinterpret_cast<void*>(&GetConnectorInfo);
    case 0xC64FF367:
      return reinterpret_cast<void*>(&GetDisplayPortInfo);
    case 0x8EB56969:
      return reinterpret_cast<void*>(&DisplayPortAux);
    default:
      return nullptr;
  }
}
