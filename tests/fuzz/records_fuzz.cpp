// The vendor backends' decoding of the records their driver interfaces fill in, over any
// bytes: the AMD adapter and display records, the NVIDIA connected-display, connector,
// DisplayPort and topology records, and the Intel request record's read data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "transport/backends/amd/adl_records.h"
#include "transport/backends/intel/aux_request.h"
#include "transport/backends/intel/cui_names.h"
#include "transport/backends/nvidia/nvapi_records.h"
#include "transport/backends/nvidia/nvidia_names.h"
#include "util/byte_order.h"

namespace {

// The input's bytes padded with zeros (or cut) to a record of size bytes.
std::vector<uint8_t> RecordOf(std::span<const uint8_t> input, size_t size) {
  std::vector<uint8_t> record(size);
  std::copy_n(input.begin(), std::min(size, input.size()), record.begin());
  return record;
}

template <size_t N>
std::array<uint8_t, N> FixedRecordOf(std::span<const uint8_t> input) {
  std::array<uint8_t, N> record{};
  std::copy_n(input.begin(), std::min(N, input.size()), record.begin());
  return record;
}

void DecodeAmd(std::span<const uint8_t> input) {
  vexa::adl::ReadAdapterInfo(FixedRecordOf<vexa::adl::kAdapterInfoSize>(input));
  const auto display =
      vexa::adl::ReadDisplayInfo(FixedRecordOf<vexa::adl::kDisplayInfoSize>(input));
  vexa::adl::ConnectorName(display.connectorType);
}

void DecodeNvidia(std::span<const uint8_t> input) {
  for (size_t i = 0; i < input.size() / vexa::kNvConnectedDisplaySize; ++i) {
    vexa::ConnectedDisplayAt(input, i);
  }
  for (size_t i = 0; i < input.size() / vexa::kNvTopologyNodeSize; ++i) {
    vexa::NodeTypeName(vexa::TopologyNodeAt(input, i).nodeType);
  }
  for (const uint32_t type :
       vexa::ConnectorsOf(FixedRecordOf<vexa::kNvConnectorInfoSize>(input)).types) {
    vexa::NvConnectorName(type);
  }
  vexa::IsDisplayPort(FixedRecordOf<vexa::kNvDisplayPortInfoSize>(input));
}

void DecodeIntel(std::span<const uint8_t> input) {
  if (input.size() < 8) return;
  vexa::AuxRequest request;
  request.deviceId = vexa::LoadLe32(input, 0);
  request.length = 1 + input[4] % vexa::kAuxChunkSize;
  const auto record = RecordOf(input, vexa::RecordFormatFor(request.deviceId).size);
  vexa::TakeReadData(record, request);
  vexa::CuiErrorName(static_cast<int32_t>(vexa::LoadLe32(input, 4)));
  vexa::DisplayTypeName(vexa::LoadLe32(input, 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  DecodeAmd(input);
  DecodeNvidia(input);
  DecodeIntel(input);
  return 0;
}
