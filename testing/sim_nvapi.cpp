#include "testing/sim_nvapi.h"

#include <algorithm>

#include "util/byte_order.h"

namespace vexa {

namespace {

using namespace nvapi_status;

// The driver's record layouts, as the driver reads and writes them.
namespace layout {

constexpr size_t kAuxSize = 104;
constexpr uint32_t kAuxVersion = 0x00020068;
constexpr size_t kAuxDisplayId = 4;
constexpr size_t kAuxOperation = 8;
constexpr size_t kAuxAddress = 12;
constexpr size_t kAuxData = 16;
constexpr size_t kAuxDataCapacity = 16;
constexpr size_t kAuxLengthMinusOne = 32;
constexpr size_t kAuxReply = 36;
constexpr size_t kAuxPathBlock = 40;

constexpr size_t kDisplayIdSize = 16;
constexpr uint32_t kDisplayIdVersion = 0x00010010;
constexpr size_t kDisplayIdConnectorType = 4;
constexpr size_t kDisplayIdValue = 8;
constexpr size_t kDisplayIdFlags = 12;
constexpr uint32_t kFlagMstRoot = 0x2;
constexpr uint32_t kFlagPhysicallyConnected = 0x20000;
// Flags a connected display also carries (active, and a bit the backend has no use for).
constexpr uint32_t kFlagsOtherwiseSet = 0x1 | 0x40;

constexpr size_t kConnectorInfoSize = 44;
constexpr uint32_t kConnectorInfoVersion = 0x0001002C;
constexpr size_t kConnectorOutputMask = 4;
constexpr size_t kConnectorCount = 8;
constexpr size_t kConnectorEntries = 12;
constexpr size_t kConnectorEntrySize = 8;
constexpr size_t kConnectorEntryCapacity = 4;

constexpr size_t kDisplayPortInfoSize = 44;
constexpr uint32_t kDisplayPortInfoVersion = 0x0002002C;
constexpr size_t kDisplayPortFlags = 40;
constexpr uint32_t kFlagIsDisplayPort = 0x1;
// Flags every display carries, DisplayPort or not, so that only bit 0 tells them apart.
constexpr uint32_t kDisplayPortFlagsOtherwiseSet = 0x6;

constexpr size_t kNodeSize = 112;
constexpr uint32_t kNodeVersion = 0x00010070;
constexpr size_t kNodePathBlock = 16;
constexpr size_t kNodePathBlockSize = 64;
constexpr size_t kNodeType = 104;

}  // namespace layout

// Bytes the simulated driver writes into fields the backend has no business reading.
constexpr uint8_t kFiller = 0xA5;

constexpr uint32_t kNativeWrite = 0;
constexpr uint32_t kNativeRead = 1;
constexpr uint32_t kI2cWriteEnd = 2;
constexpr uint32_t kI2cReadEnd = 3;
constexpr uint32_t kI2cWriteMore = 5;
constexpr uint32_t kI2cReadMore = 6;

constexpr uint32_t kReplyAck = 0;
constexpr uint32_t kReplyNack = 1;

bool IsI2c(uint32_t operation) {
  return operation == kI2cWriteEnd || operation == kI2cReadEnd || operation == kI2cWriteMore ||
         operation == kI2cReadMore;
}
bool IsKnownOperation(uint32_t operation) {
  return operation == kNativeWrite || operation == kNativeRead || IsI2c(operation);
}

uint32_t OutputIdOf(size_t displayIndex) {
  return 1u << displayIndex;
}

NvDisplayHandle HandleOf(size_t gpu, size_t display) {
  return static_cast<NvDisplayHandle>((gpu + 1) << 16 | (display + 1));
}

// An array of count records whose first carries version: the room the caller said it passed.
bool IsRecordArray(std::span<const uint8_t> records, uint32_t count, size_t recordSize,
                   uint32_t version) {
  return count > 0 && records.size() >= count * recordSize && LoadLe32(records, 0) == version;
}

bool IsRecord(std::span<const uint8_t> record, size_t size, uint32_t version) {
  return record.size() == size && LoadLe32(record, 0) == version;
}

}  // namespace

void SimNvapi::QueueAuxAnswers(const std::vector<SimNvAuxAnswer>& answers) {
  queuedAnswers_.insert(queuedAnswers_.end(), answers.begin(), answers.end());
}

int32_t SimNvapi::Initialize() {
  initialized_ = driver_.initializeStatus == kOk;
  return driver_.initializeStatus;
}

int32_t SimNvapi::EnumPhysicalGpus(std::span<NvGpuHandle, kMaxPhysicalGpus> gpus, uint32_t* count) {
  if (!initialized_) return kApiNotInitialized;
  if (driver_.enumGpusStatus != kOk) return driver_.enumGpusStatus;
  *count = static_cast<uint32_t>(std::min(driver_.gpus.size(), gpus.size()));
  for (size_t i = 0; i < *count; ++i) gpus[i] = static_cast<NvGpuHandle>(i + 1);
  return kOk;
}

int32_t SimNvapi::GetConnectedDisplayIds(NvGpuHandle gpuHandle, std::span<uint8_t> records,
                                         uint32_t* count, uint32_t flags) {
  if (!initialized_) return kApiNotInitialized;
  SimNvGpu* gpu = GpuOf(gpuHandle);
  if (gpu == nullptr) return kInvalidHandle;
  if (flags != 0) return kInvalidArgument;
  if (records.empty()) {
    if (gpu->displayCountStatus != kOk) return gpu->displayCountStatus;
    *count = gpu->claimedDisplayCount.value_or(static_cast<uint32_t>(gpu->displays.size()));
    return kOk;
  }
  if (gpu->displayIdsStatus != kOk) return gpu->displayIdsStatus;
  if (!IsRecordArray(records, *count, layout::kDisplayIdSize, layout::kDisplayIdVersion)) {
    return kIncompatibleStructVersion;
  }
  const size_t filled = std::min<size_t>(*count, gpu->displays.size());
  for (size_t i = 0; i < filled; ++i) {
    const SimNvDisplay& display = gpu->displays[i];
    const auto record = records.subspan(i * layout::kDisplayIdSize, layout::kDisplayIdSize);
    StoreLe32(record, layout::kDisplayIdConnectorType,
              display.connectorTypes.empty() ? 0 : display.connectorTypes.front());
    StoreLe32(record, layout::kDisplayIdValue, display.displayId);
    StoreLe32(record, layout::kDisplayIdFlags,
              (display.physicallyConnected ? layout::kFlagPhysicallyConnected : 0) |
                  (display.mstRoot ? layout::kFlagMstRoot : 0) | layout::kFlagsOtherwiseSet);
  }
  *count = static_cast<uint32_t>(filled);
  return kOk;
}

int32_t SimNvapi::GetFullName(NvGpuHandle gpuHandle, std::string* name) {
  if (!initialized_) return kApiNotInitialized;
  const SimNvGpu* gpu = GpuOf(gpuHandle);
  if (gpu == nullptr) return kInvalidHandle;
  if (gpu->fullNameStatus != kOk) return gpu->fullNameStatus;
  *name = gpu->fullName;
  return kOk;
}

int32_t SimNvapi::GetDriverAndBranchVersion(uint32_t* version) {
  if (!initialized_) return kApiNotInitialized;
  if (driver_.driverVersionStatus != kOk) return driver_.driverVersionStatus;
  *version = driver_.driverVersion;
  return kOk;
}

int32_t SimNvapi::GetDisplayHandleFromDisplayId(uint32_t displayId, NvDisplayHandle* display) {
  if (!initialized_) return kApiNotInitialized;
  DisplayPlace place;
  if (!Find(displayId, &place)) return kInvalidArgument;
  if (At(place).displayHandleStatus != kOk) return At(place).displayHandleStatus;
  *display = HandleOf(place.gpu, place.display);
  return kOk;
}

int32_t SimNvapi::GetAssociatedDisplayOutputId(NvDisplayHandle display, uint32_t* outputId) {
  if (!initialized_) return kApiNotInitialized;
  DisplayPlace place;
  if (!Find(display, &place)) return kInvalidHandle;
  if (At(place).outputIdStatus != kOk) return At(place).outputIdStatus;
  *outputId = OutputIdOf(place.display);
  return kOk;
}

int32_t SimNvapi::GetConnectorInfo(NvGpuHandle gpuHandle, uint32_t outputId,
                                   std::span<uint8_t> record) {
  if (!initialized_) return kApiNotInitialized;
  SimNvGpu* gpu = GpuOf(gpuHandle);
  if (gpu == nullptr) return kInvalidHandle;
  size_t index = 0;
  while (index < gpu->displays.size() && OutputIdOf(index) != outputId) ++index;
  if (index == gpu->displays.size()) return kInvalidArgument;
  const SimNvDisplay& display = gpu->displays[index];
  if (display.connectorInfoStatus != kOk) return display.connectorInfoStatus;
  if (!IsRecord(record, layout::kConnectorInfoSize, layout::kConnectorInfoVersion)) {
    return kIncompatibleStructVersion;
  }
  std::fill(record.begin() + 4, record.end(), kFiller);
  StoreLe32(record, layout::kConnectorOutputMask, outputId);
  StoreLe32(record, layout::kConnectorCount, static_cast<uint32_t>(display.connectorTypes.size()));
  const size_t held = std::min(display.connectorTypes.size(), layout::kConnectorEntryCapacity);
  for (size_t k = 0; k < held; ++k) {
    StoreLe32(record, layout::kConnectorEntries + k * layout::kConnectorEntrySize,
              display.connectorTypes[k]);
  }
  return kOk;
}

int32_t SimNvapi::GetDisplayPortInfo(NvDisplayHandle handle, uint32_t outputId,
                                     std::span<uint8_t> record) {
  if (!initialized_) return kApiNotInitialized;
  DisplayPlace place;
  if (!Find(handle, &place)) return kInvalidHandle;
  const SimNvDisplay& display = At(place);
  if (outputId != OutputIdOf(place.display)) return kInvalidArgument;
  if (display.displayPortInfoStatus != kOk) return display.displayPortInfoStatus;
  if (!IsRecord(record, layout::kDisplayPortInfoSize, layout::kDisplayPortInfoVersion)) {
    return kIncompatibleStructVersion;
  }
  std::fill(record.begin() + 4, record.end(), kFiller);
  StoreLe32(record, layout::kDisplayPortFlags,
            layout::kDisplayPortFlagsOtherwiseSet |
                (display.displayPort ? layout::kFlagIsDisplayPort : 0));
  return kOk;
}

int32_t SimNvapi::QueryDpTopology(uint32_t displayId, std::span<uint8_t> nodes, uint32_t* count) {
  if (!initialized_) return kApiNotInitialized;
  DisplayPlace place;
  if (!Find(displayId, &place)) return kInvalidArgument;
  const SimNvDisplay& display = At(place);
  if (nodes.empty()) {
    if (display.topologyCountStatus != kOk) return display.topologyCountStatus;
    *count = static_cast<uint32_t>(display.topology.size());
    return kOk;
  }
  if (display.topologyNodesStatus != kOk) return display.topologyNodesStatus;
  if (!IsRecordArray(nodes, *count, layout::kNodeSize, layout::kNodeVersion)) {
    return kIncompatibleStructVersion;
  }
  const size_t filled = std::min<size_t>(*count, display.topology.size());
  for (size_t i = 0; i < filled; ++i) {
    const auto record = nodes.subspan(i * layout::kNodeSize, layout::kNodeSize);
    std::fill(record.begin() + 4, record.end(), kFiller);
    std::copy(display.topology[i].pathBlock.begin(), display.topology[i].pathBlock.end(),
              record.begin() + layout::kNodePathBlock);
    StoreLe32(record, layout::kNodeType, static_cast<uint32_t>(display.topology[i].nodeType));
  }
  *count = static_cast<uint32_t>(filled);
  return kOk;
}

int32_t SimNvapi::DisplayPortAux(NvDisplayHandle handle, std::span<uint8_t> request) {
  if (!initialized_) return kApiNotInitialized;
  if (driver_.auxStatus != kOk) return driver_.auxStatus;
  DisplayPlace place;
  if (!Find(handle, &place)) return kInvalidHandle;
  SimNvDisplay& display = At(place);
  if (!IsRecord(request, layout::kAuxSize, layout::kAuxVersion)) {
    return kIncompatibleStructVersion;
  }
  const uint32_t displayId = LoadLe32(request, layout::kAuxDisplayId);
  const uint32_t operation = LoadLe32(request, layout::kAuxOperation);
  const uint32_t address = LoadLe32(request, layout::kAuxAddress);
  const uint32_t lengthMinusOne = LoadLe32(request, layout::kAuxLengthMinusOne);
  if (displayId != display.displayId || !IsKnownOperation(operation) ||
      lengthMinusOne >= layout::kAuxDataCapacity || (IsI2c(operation) && address > 0xFF)) {
    return kInvalidArgument;
  }
  const auto data = request.subspan(layout::kAuxData, lengthMinusOne + 1);
  const auto pathBlock = request.subspan(layout::kAuxPathBlock, layout::kNodePathBlockSize);

  SimNvAuxCall call{clock_.Now(), displayId, operation, address, {}};
  int32_t status = kOk;
  uint32_t reply = kReplyAck;
  if (!queuedAnswers_.empty()) {
    const SimNvAuxAnswer& answer = queuedAnswers_.front();
    status = answer.status;
    reply = answer.replyStatus;
    std::copy_n(answer.data.begin(), std::min(answer.data.size(), data.size()), data.begin());
    queuedAnswers_.pop_front();
  } else {
    status = Transact(display, operation, address, data, pathBlock, &reply);
  }
  call.data.assign(data.begin(), data.end());
  auxCalls_.push_back(std::move(call));
  if (status != kOk) return status;
  StoreLe32(request, layout::kAuxReply, reply);
  if (writtenBackLength_) StoreLe32(request, layout::kAuxLengthMinusOne, *writtenBackLength_ - 1);
  return kOk;
}

int32_t SimNvapi::Transact(SimNvDisplay& display, uint32_t operation, uint32_t address,
                           std::span<uint8_t> data, std::span<const uint8_t> pathBlock,
                           uint32_t* reply) {
  std::array<uint8_t, layout::kNodePathBlockSize> expectedPath{};
  if (display.mstRoot && !display.topology.empty()) expectedPath = display.topology[0].pathBlock;
  if (display.board == nullptr ||
      !std::equal(pathBlock.begin(), pathBlock.end(), expectedPath.begin())) {
    *reply = kReplyNack;
    return kOk;
  }
  sim::Board& board = *display.board;

  sim::AuxReply answer = sim::AuxReply::kAck;
  if (!IsI2c(operation)) {
    answer =
        operation == kNativeWrite ? board.DpcdWrite(address, data) : board.DpcdRead(address, data);
  } else {
    const auto i2cAddr = static_cast<uint8_t>(address);
    const bool reading = operation == kI2cReadEnd || operation == kI2cReadMore;
    const bool keepsOpen = operation == kI2cWriteMore || operation == kI2cReadMore;
    const auto open = openI2c_.find(display.displayId);
    const bool continues = open != openI2c_.end() && open->second.address == i2cAddr &&
                           open->second.reading == reading;
    const sim::I2cPhase phase{!continues, !keepsOpen};
    answer = reading ? board.I2cRead(i2cAddr, data, phase) : board.I2cWrite(i2cAddr, data, phase);
    if (keepsOpen && answer == sim::AuxReply::kAck) {
      openI2c_[display.displayId] = {i2cAddr, reading};
    } else {
      openI2c_.erase(display.displayId);
    }
  }

  switch (answer) {
    case sim::AuxReply::kAck:
      *reply = kReplyAck;
      return kOk;
    case sim::AuxReply::kNack:
      *reply = kReplyNack;
      return kOk;
    case sim::AuxReply::kTransportFault:
      return kError;
  }
  return kError;
}

SimNvGpu* SimNvapi::GpuOf(NvGpuHandle gpu) {
  const auto index = static_cast<size_t>(gpu);
  return index >= 1 && index <= driver_.gpus.size() ? &driver_.gpus[index - 1] : nullptr;
}

bool SimNvapi::Find(NvDisplayHandle handle, DisplayPlace* place) const {
  const auto value = static_cast<size_t>(handle);
  const size_t gpu = (value >> 16) - 1;
  const size_t display = (value & 0xFFFF) - 1;
  if (gpu >= driver_.gpus.size() || display >= driver_.gpus[gpu].displays.size()) return false;
  *place = {gpu, display};
  return true;
}

bool SimNvapi::Find(uint32_t displayId, DisplayPlace* place) const {
  for (size_t gpu = 0; gpu < driver_.gpus.size(); ++gpu) {
    const auto& displays = driver_.gpus[gpu].displays;
    for (size_t display = 0; display < displays.size(); ++display) {
      if (displays[display].displayId != displayId) continue;
      *place = {gpu, display};
      return true;
    }
  }
  return false;
}

}  // namespace vexa
