// A stand-in for the AMD display library: one active adapter driving one connected
// DisplayPort display, on whose AUX channel sits the board of VEXA_STANDIN_BOARD. Its records
// are laid out here from the library's published layout, independently of the backend.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "tests/wine/standins/record_fields.h"
#include "tests/wine/standins/standin_board.h"

namespace {

using vexa::sim::AuxReply;
using vexa::sim::I2cPhase;
using vexa::standin::GetField;
using vexa::standin::PutField;

using Allocate = void*(__stdcall*)(int size);

constexpr int kOk = 0;
constexpr int kError = -1;
constexpr int kAdapterIndex = 0;
constexpr int kDisplayIndex = 0;
constexpr char kAdapterName[] = "Stand-in Radeon";

constexpr int kAdapterRecordSize = 1572;
constexpr int kAdapterIndexAt = 4;
constexpr int kAdapterNameAt = 280;

constexpr int kDisplayRecordSize = 552;
constexpr int kConnectorTypeAt = 540;
constexpr int kDisplayFlagsAt = 548;
constexpr int32_t kDisplayPortConnector = 15;
constexpr int32_t kConnectedAndMapped = 3;

constexpr int kAuxRecordSize = 36;
constexpr int32_t kAuxRead = 2;
constexpr int32_t kAuxWrite = 3;
constexpr int32_t kAuxAck = 1;
constexpr int32_t kAuxNack = 2;
constexpr int kDdcOption = 0x20;

constexpr size_t kAuxPayload = 16;

Allocate allocate = nullptr;

bool IsOurDisplay(int adapterIndex, int displayIndex) {
  return adapterIndex == kAdapterIndex && displayIndex == kDisplayIndex;
}

// A DDC/CI reply spans several block reads (its length byte, then the rest): the reads after
// the first continue the same I2C transaction until the frame's bytes are all read.
struct ReplyInProgress {
  bool open = false;
  size_t read = 0;
  size_t total = 0;
} reply;

int DdcWrite(uint8_t address, std::span<const uint8_t> bytes) {
  reply = {};
  vexa::sim::Board* board = vexa::standin::SharedBoard();
  size_t offset = 0;
  do {
    const size_t piece = std::min(kAuxPayload, bytes.size() - offset);
    const I2cPhase phase{offset == 0, offset + piece == bytes.size()};
    if (board->I2cWrite(address, bytes.subspan(offset, piece), phase) != AuxReply::kAck)
      return kError;
    offset += piece;
  } while (offset < bytes.size());
  return kOk;
}

int DdcRead(uint8_t address, std::span<uint8_t> out) {
  vexa::sim::Board* board = vexa::standin::SharedBoard();
  const bool continues = reply.open && reply.read < reply.total;
  if (!continues) reply = {true, 0, 0};
  for (size_t offset = 0; offset < out.size(); offset += kAuxPayload) {
    const size_t piece = std::min(kAuxPayload, out.size() - offset);
    const I2cPhase phase{!continues && offset == 0, false};
    if (board->I2cRead(address, out.subspan(offset, piece), phase) != AuxReply::kAck) {
      reply = {};
      return kError;
    }
  }
  // The second byte of a reply frame is 0x80 | payload length; address, length byte and
  // checksum frame the payload.
  if (reply.read <= 1 && 1 < reply.read + out.size()) {
    const uint8_t lengthByte = out[1 - reply.read];
    reply.total = (lengthByte & 0x80) != 0 ? (lengthByte & 0x7F) + 3u : 2u;
  }
  reply.read += out.size();
  return kOk;
}

}  // namespace

extern "C" {

__declspec(dllexport) int ADL_Main_Control_Create(Allocate callback, int /*connectedOnly*/) {
  if (callback == nullptr || vexa::standin::SharedBoard() == nullptr) return kError;
  allocate = callback;
  return kOk;
}

__declspec(dllexport) int ADL_Main_Control_Destroy() {
  return kOk;
}

__declspec(dllexport) int ADL_Adapter_NumberOfAdapters_Get(int* count) {
  if (count == nullptr) return kError;
  *count = 1;
  return kOk;
}

__declspec(dllexport) int ADL_Adapter_AdapterInfo_Get(void* info, int size) {
  if (info == nullptr || size < kAdapterRecordSize) return kError;
  auto* record = static_cast<uint8_t*>(info);
  PutField(record, kAdapterRecordSize);
  PutField(record + kAdapterIndexAt, kAdapterIndex);
  std::memcpy(record + kAdapterNameAt, kAdapterName, sizeof kAdapterName);
  return kOk;
}

__declspec(dllexport) int ADL_Adapter_Active_Get(int adapterIndex, int* active) {
  if (active == nullptr || adapterIndex != kAdapterIndex) return kError;
  *active = 1;
  return kOk;
}

__declspec(dllexport) int ADL_Display_DisplayInfo_Get(int adapterIndex, int* count, void** displays,
                                                      int /*forceDetect*/) {
  if (count == nullptr || displays == nullptr || *displays != nullptr || allocate == nullptr ||
      adapterIndex != kAdapterIndex)
    return kError;
  auto* record = static_cast<uint8_t*>(allocate(kDisplayRecordSize));
  if (record == nullptr) return kError;
  std::memset(record, 0, kDisplayRecordSize);
  PutField(record, kDisplayIndex);
  PutField(record + kConnectorTypeAt, kDisplayPortConnector);
  PutField(record + kDisplayFlagsAt, kConnectedAndMapped);
  *count = 1;
  *displays = record;
  return kOk;
}

__declspec(dllexport) int ADL_Display_DDCBlockAccess_Get(int adapterIndex, int displayIndex,
                                                         int option, int commandIndex,
                                                         int sendLength, char* send,
                                                         int* replyLength, char* replyBytes) {
  if (!IsOurDisplay(adapterIndex, displayIndex) || option != kDdcOption || commandIndex != 0 ||
      send == nullptr || sendLength < 1 || replyLength == nullptr || *replyLength < 0 ||
      (*replyLength > 0 && replyBytes == nullptr))
    return kError;
  if (vexa::standin::TransferFails()) return kError;
  const auto address = static_cast<uint8_t>(send[0]);
  if ((address & 1) == 0) {
    if (*replyLength != 0) return kError;
    return DdcWrite(address, std::span(reinterpret_cast<const uint8_t*>(send) + 1,
                                       static_cast<size_t>(sendLength - 1)));
  }
  if (sendLength != 1) return kError;
  return DdcRead(address & 0xFE, std::span(reinterpret_cast<uint8_t*>(replyBytes),
                                           static_cast<size_t>(*replyLength)));
}

// Left out of the build that stands for a driver lacking an entry point.
#ifndef VEXA_STANDIN_WITHOUT_NATIVE_AUX
__declspec(dllexport) int ADL_Display_NativeAUXChannel_Access(int adapterIndex, int displayIndex,
                                                              void* request) {
  if (!IsOurDisplay(adapterIndex, displayIndex) || request == nullptr) return kError;
  auto* record = static_cast<uint8_t*>(request);
  const int32_t command = GetField<int32_t>(record + 8);
  const int32_t address = GetField<int32_t>(record + 12);
  const int32_t length = GetField<int32_t>(record + 16);
  if (GetField<int32_t>(record) != kAuxRecordSize ||
      (command != kAuxRead && command != kAuxWrite) || address < 0 || length < 1 || length > 16)
    return kError;
  if (vexa::standin::TransferFails()) return kError;
  const std::span<uint8_t> data(record + 20, static_cast<size_t>(length));
  vexa::sim::Board* board = vexa::standin::SharedBoard();
  const AuxReply answer = command == kAuxWrite
                              ? board->DpcdWrite(static_cast<uint32_t>(address), data)
                              : board->DpcdRead(static_cast<uint32_t>(address), data);
  if (answer == AuxReply::kTransportFault) return kError;
  PutField(record + 4, answer == AuxReply::kAck ? kAuxAck : kAuxNack);
  return kOk;
}

#endif

}  // extern "C"
