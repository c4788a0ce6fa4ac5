#include "transport/backends/amd/adl_records.h"

#include <algorithm>

#include "util/byte_order.h"
#include "util/text_encoding.h"
#include "util/text_format.h"

namespace vexa::adl {

namespace {

// Adapter-information record.
constexpr size_t kAdapterIndexOffset = 4;
constexpr size_t kAdapterNameOffset = 280;
constexpr size_t kAdapterNameSize = 256;

// Display-information record.
constexpr size_t kLogicalIndexOffset = 0;
constexpr size_t kConnectorTypeOffset = 540;
constexpr size_t kDisplayFlagsOffset = 548;
constexpr int32_t kDisplayConnected = 1;
constexpr int32_t kDisplayMapped = 2;

// Native AUX request record.
constexpr size_t kRequestSizeOffset = 0;
constexpr size_t kReplyStatusOffset = 4;
constexpr size_t kCommandOffset = 8;
constexpr size_t kAddressOffset = 12;
constexpr size_t kLengthOffset = 16;
constexpr size_t kDataOffset = 20;
constexpr int32_t kCommandRead = 2;
constexpr int32_t kCommandWrite = 3;

// The name field need not end in a zero byte; it is read up to the first one or its end. The
// driver writes it in the system's ANSI code page.
std::string ReadName(std::span<const uint8_t> field) {
  std::string name;
  for (const uint8_t byte : field) {
    if (byte == 0) break;
    name += static_cast<char>(byte);
  }
  return DecodeAnsi(name);
}

}  // namespace

AdapterInfo ReadAdapterInfo(std::span<const uint8_t, kAdapterInfoSize> record) {
  return {LoadLeInt32(record, kAdapterIndexOffset),
          ReadName(record.subspan(kAdapterNameOffset, kAdapterNameSize))};
}

bool DisplayInfo::IsInUse() const {
  constexpr int32_t kInUse = kDisplayConnected | kDisplayMapped;
  return (flags & kInUse) == kInUse;
}

bool DisplayInfo::HasDisplayPortAux() const {
  return connectorType == kConnectorDisplayPort || connectorType == kConnectorEmbeddedDisplayPort;
}

DisplayInfo ReadDisplayInfo(std::span<const uint8_t, kDisplayInfoSize> record) {
  return {LoadLeInt32(record, kLogicalIndexOffset), LoadLeInt32(record, kConnectorTypeOffset),
          LoadLeInt32(record, kDisplayFlagsOffset)};
}

std::string ConnectorName(int32_t connectorType) {
  switch (connectorType) {
    case 0:
      return "Unknown";
    case 1:
      return "VGA";
    case 2:
      return "DVI-D";
    case 3:
      return "DVI-I";
    case 10:
      return "HDMI-TypeA";
    case 11:
      return "HDMI-TypeB";
    case 12:
      return "S-Video";
    case 13:
      return "Composite";
    case 14:
      return "Component";
    case kConnectorDisplayPort:
      return "DP";
    case kConnectorEmbeddedDisplayPort:
      return "eDP";
  }
  return StrPrintf("%d", connectorType);
}

NativeAuxRequest::NativeAuxRequest(int32_t command, uint32_t dpcdAddr, int32_t length)
    : dataLength_(static_cast<size_t>(length)) {
  StoreLeInt32(bytes_, kRequestSizeOffset, static_cast<int32_t>(kSize));
  StoreLeInt32(bytes_, kCommandOffset, command);
  StoreLe32(bytes_, kAddressOffset, dpcdAddr);
  StoreLeInt32(bytes_, kLengthOffset, length);
}

NativeAuxRequest NativeAuxRequest::Read(uint32_t dpcdAddr, int32_t length) {
  return {kCommandRead, dpcdAddr, std::clamp(length, 0, kMaxDataLength)};
}

NativeAuxRequest NativeAuxRequest::Write(uint32_t dpcdAddr, std::span<const uint8_t> data) {
  const auto carried = data.first(std::min(data.size(), static_cast<size_t>(kMaxDataLength)));
  NativeAuxRequest request(kCommandWrite, dpcdAddr, static_cast<int32_t>(carried.size()));
  std::ranges::copy(carried, request.bytes_.begin() + kDataOffset);
  return request;
}

int32_t NativeAuxRequest::replyStatus() const {
  return LoadLeInt32(bytes_, kReplyStatusOffset);
}

std::span<const uint8_t> NativeAuxRequest::data() const {
  // The length asked for, not the length field: the library may write back another length,
  // and the caller's buffer holds only what it asked for.
  return std::span(bytes_).subspan(kDataOffset, dataLength_);
}

}  // namespace vexa::adl
