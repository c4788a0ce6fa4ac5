#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The display library's records as GfxLibAmd reads and writes them: little-endian int32 fields
// at fixed byte offsets. Only the fields the backend uses are decoded.
namespace vexa::adl {

inline constexpr size_t kAdapterInfoSize = 1572;
inline constexpr size_t kDisplayInfoSize = 552;

// Connector types of the display records that carry DisplayPort AUX.
inline constexpr int32_t kConnectorDisplayPort = 15;
inline constexpr int32_t kConnectorEmbeddedDisplayPort = 16;

// One adapter-information record.
struct AdapterInfo {
  int32_t adapterIndex = 0;
  // The adapter's name, its 8-bit characters outside ASCII shown as '?'.
  std::string name;
};

AdapterInfo ReadAdapterInfo(std::span<const uint8_t, kAdapterInfoSize> record);

// One display-information record.
struct DisplayInfo {
  // -1: the record names no display.
  int32_t logicalIndex = -1;
  int32_t connectorType = 0;
  int32_t flags = 0;

  // Connected and mapped to the desktop: the only displays worth probing.
  bool IsInUse() const;
  bool HasDisplayPortAux() const;
};

DisplayInfo ReadDisplayInfo(std::span<const uint8_t, kDisplayInfoSize> record);

// The report's name of a connector type ("DP", "HDMI-TypeA", ...); an unnamed type is shown as
// its number.
std::string ConnectorName(int32_t connectorType);

// Reply statuses the library writes into a native AUX request.
inline constexpr int32_t kAuxReplyAcknowledged = 1;
inline constexpr int32_t kAuxReplyDeferred = 9;

// The request record of one native AUX transaction: size, reply status, command, DPCD
// address, data length (1 to 16) and 16 data bytes, cleared but for the data to write.
class NativeAuxRequest {
 public:
  static constexpr size_t kSize = 36;
  static constexpr int32_t kMaxDataLength = 16;

  // A request to read length bytes, or to write data (at most kMaxDataLength bytes), at
  // dpcdAddr.
  static NativeAuxRequest Read(uint32_t dpcdAddr, int32_t length);
  static NativeAuxRequest Write(uint32_t dpcdAddr, std::span<const uint8_t> data);

  std::span<uint8_t> bytes() { return bytes_; }
  int32_t replyStatus() const;
  // The data bytes the request carries (for a read, once answered: the bytes read), as many as
  // the request was made with whatever the library leaves in the length field.
  std::span<const uint8_t> data() const;

 private:
  // length is 0 to kMaxDataLength.
  NativeAuxRequest(int32_t command, uint32_t dpcdAddr, int32_t length);

  std::array<uint8_t, kSize> bytes_{};
  size_t dataLength_ = 0;
};

}  // namespace vexa::adl
