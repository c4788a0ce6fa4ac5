#include "transport/backends/nvidia/nvapi_records.h"

#include <algorithm>

#include "util/byte_order.h"

namespace vexa {

namespace {

// AUX request record.
constexpr uint32_t kAuxRequestVersion = 0x00020068;
constexpr size_t kAuxDisplayIdOffset = 4;
constexpr size_t kAuxOperationOffset = 8;
constexpr size_t kAuxAddressOffset = 12;
constexpr size_t kAuxDataOffset = 16;
constexpr size_t kAuxLengthOffset = 32;
constexpr size_t kAuxReplyOffset = 36;
constexpr size_t kAuxPathBlockOffset = 40;

// Connected-display record.
constexpr uint32_t kConnectedDisplayVersion = 0x00010010;
constexpr size_t kConnectedDisplayIdOffset = 8;
constexpr size_t kConnectedDisplayFlagsOffset = 12;
constexpr uint32_t kPhysicallyConnectedFlag = 0x20000;
constexpr uint32_t kMstRootFlag = 0x2;

// Connector-information record.
constexpr uint32_t kConnectorInfoVersion = 0x0001002C;
constexpr size_t kConnectorCountOffset = 8;
constexpr size_t kConnectorTypeOffset = 12;
constexpr size_t kConnectorEntrySize = 8;

// DisplayPort-information record.
constexpr uint32_t kDisplayPortInfoVersion = 0x0002002C;
constexpr size_t kDisplayPortFlagsOffset = 40;
constexpr uint32_t kIsDisplayPortFlag = 0x1;

// Topology node record.
constexpr uint32_t kTopologyNodeVersion = 0x00010070;
constexpr size_t kNodePathBlockOffset = 16;
constexpr size_t kNodeTypeOffset = 104;

static_assert(kAuxPathBlockOffset + kPathBlockSize == NvAuxRequest::kSize);
static_assert(kConnectorTypeOffset + kNvMaxConnectors * kConnectorEntrySize ==
              kNvConnectorInfoSize);

std::vector<uint8_t> NewRecordArray(uint32_t count, size_t recordSize, uint32_t version) {
  std::vector<uint8_t> records(count * recordSize);
  if (!records.empty()) StoreLe32(records, 0, version);
  return records;
}

}  // namespace

NvAuxRequest::NvAuxRequest(uint32_t displayId, NvAuxOperation operation, uint32_t address,
                           size_t length, const PathBlock& pathBlock) {
  StoreLe32(bytes_, 0, kAuxRequestVersion);
  StoreLe32(bytes_, kAuxDisplayIdOffset, displayId);
  StoreLe32(bytes_, kAuxOperationOffset, static_cast<uint32_t>(operation));
  StoreLe32(bytes_, kAuxAddressOffset, address);
  StoreLe32(bytes_, kAuxLengthOffset, static_cast<uint32_t>(length - 1));
  std::copy(pathBlock.begin(), pathBlock.end(), bytes_.begin() + kAuxPathBlockOffset);
}

void NvAuxRequest::SetData(std::span<const uint8_t> data) {
  std::copy_n(data.begin(), std::min(data.size(), kNvAuxDataSize), bytes_.begin() + kAuxDataOffset);
}

void NvAuxRequest::CopyDataTo(std::span<uint8_t> out) const {
  // out holds what was asked for; the length field the driver writes back is not trusted, as a
  // shorter one would leave part of out stale although the read succeeded.
  std::copy_n(bytes_.begin() + kAuxDataOffset, std::min(out.size(), kNvAuxDataSize), out.begin());
}

NvAuxReply NvAuxRequest::Reply() const {
  return static_cast<NvAuxReply>(LoadLe32(bytes_, kAuxReplyOffset));
}

std::vector<uint8_t> NewConnectedDisplayRecords(uint32_t count) {
  return NewRecordArray(count, kNvConnectedDisplaySize, kConnectedDisplayVersion);
}

NvConnectedDisplay ConnectedDisplayAt(std::span<const uint8_t> records, size_t index) {
  const auto record = records.subspan(index * kNvConnectedDisplaySize, kNvConnectedDisplaySize);
  const uint32_t flags = LoadLe32(record, kConnectedDisplayFlagsOffset);
  return {LoadLe32(record, kConnectedDisplayIdOffset), (flags & kPhysicallyConnectedFlag) != 0,
          (flags & kMstRootFlag) != 0};
}

NvConnectorInfoRecord NewConnectorInfoRecord() {
  NvConnectorInfoRecord record{};
  StoreLe32(record, 0, kConnectorInfoVersion);
  return record;
}

NvConnectors ConnectorsOf(const NvConnectorInfoRecord& record) {
  NvConnectors connectors;
  connectors.reportedCount = LoadLe32(record, kConnectorCountOffset);
  const size_t held = std::min<size_t>(connectors.reportedCount, kNvMaxConnectors);
  connectors.types.reserve(held);
  for (size_t k = 0; k < held; ++k) {
    connectors.types.push_back(LoadLe32(record, kConnectorTypeOffset + k * kConnectorEntrySize));
  }
  return connectors;
}

NvDisplayPortInfoRecord NewDisplayPortInfoRecord() {
  NvDisplayPortInfoRecord record{};
  StoreLe32(record, 0, kDisplayPortInfoVersion);
  return record;
}

bool IsDisplayPort(const NvDisplayPortInfoRecord& record) {
  return (LoadLe32(record, kDisplayPortFlagsOffset) & kIsDisplayPortFlag) != 0;
}

std::vector<uint8_t> NewTopologyNodeRecords(uint32_t count) {
  return NewRecordArray(count, kNvTopologyNodeSize, kTopologyNodeVersion);
}

NvTopologyNode TopologyNodeAt(std::span<const uint8_t> nodes, size_t index) {
  const auto record = nodes.subspan(index * kNvTopologyNodeSize, kNvTopologyNodeSize);
  NvTopologyNode node;
  std::copy_n(record.begin() + kNodePathBlockOffset, kPathBlockSize, node.pathBlock.begin());
  node.nodeType = static_cast<int32_t>(LoadLe32(record, kNodeTypeOffset));
  return node;
}

}  // namespace vexa
