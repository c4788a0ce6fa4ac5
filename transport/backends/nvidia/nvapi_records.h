#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vexa {

// The driver records the NVIDIA backend writes and reads, in the driver's byte layout. Each
// record starts with a version word: the record's size in the low 16 bits, its layout version
// in the high 16 bits.

// Routing data of an MST display, passed unchanged in every AUX request to it.
inline constexpr size_t kPathBlockSize = 64;
using PathBlock = std::array<uint8_t, kPathBlockSize>;

// What one AUX request record asks the driver to do. The I2C operations that keep the
// transaction open (MOT set) let a long transfer span several requests.
enum class NvAuxOperation : uint32_t {
  kNativeWrite = 0,
  kNativeRead = 1,
  kI2cWriteEnd = 2,
  kI2cReadEnd = 3,
  kI2cWriteMore = 5,
  kI2cReadMore = 6,
};

// How the sink answered an AUX request; the driver may write values beyond these.
enum class NvAuxReply : uint32_t {
  kAck = 0,
  kNack = 1,
  kDefer = 2,
};

// Data bytes one AUX request carries at most.
inline constexpr size_t kNvAuxDataSize = 16;

// The 104-byte AUX request record: display id, operation, address, up to 16 data bytes with
// their length, the reply status the driver writes back, and the display's path block.
class NvAuxRequest {
 public:
  static constexpr size_t kSize = 104;

  // A request with its data cleared. length is 1 to 16.
  NvAuxRequest(uint32_t displayId, NvAuxOperation operation, uint32_t address, size_t length,
               const PathBlock& pathBlock);

  // Sets the bytes a write carries (as many as the request's length).
  void SetData(std::span<const uint8_t> data);
  // Copies out the bytes a read returned: as many as out holds (at most 16), whatever length
  // the driver wrote back.
  void CopyDataTo(std::span<uint8_t> out) const;
  NvAuxReply Reply() const;

  std::span<uint8_t> bytes() { return bytes_; }

 private:
  std::array<uint8_t, kSize> bytes_{};
};

// One entry of the connected-display list of a GPU.
struct NvConnectedDisplay {
  uint32_t displayId = 0;
  bool physicallyConnected = false;
  bool mstRoot = false;
};

inline constexpr size_t kNvConnectedDisplaySize = 16;

// Room for count connected-display records, the first carrying the version word.
std::vector<uint8_t> NewConnectedDisplayRecords(uint32_t count);
NvConnectedDisplay ConnectedDisplayAt(std::span<const uint8_t> records, size_t index);

// The connector-information record of a GPU output. It has room for four connectors; a count
// above four is reported as is, but only four types can be read.
inline constexpr size_t kNvConnectorInfoSize = 44;
inline constexpr size_t kNvMaxConnectors = 4;
using NvConnectorInfoRecord = std::array<uint8_t, kNvConnectorInfoSize>;

struct NvConnectors {
  uint32_t reportedCount = 0;
  // The types the record holds: min(reportedCount, kNvMaxConnectors) of them.
  std::vector<uint32_t> types;
};

NvConnectorInfoRecord NewConnectorInfoRecord();
NvConnectors ConnectorsOf(const NvConnectorInfoRecord& record);

// The DisplayPort-information record of a display.
inline constexpr size_t kNvDisplayPortInfoSize = 44;
using NvDisplayPortInfoRecord = std::array<uint8_t, kNvDisplayPortInfoSize>;

NvDisplayPortInfoRecord NewDisplayPortInfoRecord();
bool IsDisplayPort(const NvDisplayPortInfoRecord& record);

// One node of a display's DisplayPort topology.
struct NvTopologyNode {
  PathBlock pathBlock{};
  int32_t nodeType = 0;
};

inline constexpr size_t kNvTopologyNodeSize = 112;

// Room for count topology node records, the first carrying the version word.
std::vector<uint8_t> NewTopologyNodeRecords(uint32_t count);
NvTopologyNode TopologyNodeAt(std::span<const uint8_t> nodes, size_t index);

}  // namespace vexa
