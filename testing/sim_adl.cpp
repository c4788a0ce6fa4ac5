#include "testing/sim_adl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "util/byte_order.h"

namespace vexa {

namespace {

// The library's record layouts, written out here on their own so that a layout mistake in the
// backend shows as a failing transfer rather than being shared.
constexpr size_t kAdapterRecordSize = 1572;
constexpr size_t kAdapterIndexAt = 4;
constexpr size_t kAdapterNameAt = 280;
constexpr size_t kAdapterNameSize = 256;

constexpr size_t kDisplayRecordSize = 552;
constexpr size_t kLogicalIndexAt = 0;
constexpr size_t kConnectorTypeAt = 540;
constexpr size_t kDisplayFlagsAt = 548;

constexpr size_t kRequestRecordSize = 36;
constexpr size_t kRequestSizeAt = 0;
constexpr size_t kReplyStatusAt = 4;
constexpr size_t kCommandAt = 8;
constexpr size_t kAddressAt = 12;
constexpr size_t kLengthAt = 16;
constexpr size_t kDataAt = 20;
constexpr int32_t kMaxRequestData = 16;
constexpr int32_t kReadCommand = 2;
constexpr int32_t kWriteCommand = 3;
constexpr int32_t kAcknowledged = 1;

constexpr int32_t kPlainI2cOption = 0x20;
constexpr int32_t kPlainI2cCommandIndex = 0;

// Data bytes one AUX transaction of the board carries.
constexpr size_t kAuxPayload = 16;

// A DDC/CI reply counts its payload in its length byte (0x80 | n) and adds the address, the
// length byte and the checksum.
constexpr size_t kLengthByteAt = 1;
constexpr uint8_t kLengthByteFlag = 0x80;
constexpr size_t kReplyFramingBytes = 3;

}  // namespace

void SimAdl::FailDdcAccesses(int count, int32_t result) {
  ddcFaults_.insert(ddcFaults_.end(), static_cast<size_t>(count), std::optional<int32_t>(result));
}

void SimAdl::LetDdcAccessesThrough(int count) {
  ddcFaults_.insert(ddcFaults_.end(), static_cast<size_t>(count), std::nullopt);
}

void SimAdl::AnswerNativeRequests(int count, int32_t replyStatus) {
  nativeFaults_.insert(nativeFaults_.end(), static_cast<size_t>(count),
                       NativeOutcome{0, replyStatus});
}

void SimAdl::FailNativeCalls(int count, int32_t result) {
  nativeFaults_.insert(nativeFaults_.end(), static_cast<size_t>(count), NativeOutcome{result, 0});
}

bool SimAdl::OpenLibrary(std::string_view fileName) {
  if (!machine_.libraryFiles.contains(std::string(fileName))) return false;
  loadedLibrary_ = fileName;
  resolved_.clear();
  return true;
}

bool SimAdl::ResolveEntryPoint(AdlEntryPoint entryPoint) {
  if (loadedLibrary_.empty() || machine_.missingEntryPoints.contains(entryPoint)) return false;
  resolved_.insert(entryPoint);
  return true;
}

bool SimAdl::IsCallable(AdlEntryPoint entryPoint) const {
  const bool started =
      connectedAdaptersOnly_.has_value() || entryPoint == AdlEntryPoint::kMainControlCreate;
  return started && resolved_.contains(entryPoint);
}

int32_t SimAdl::MainControlCreate(int32_t connectedAdaptersOnly) {
  if (!IsCallable(AdlEntryPoint::kMainControlCreate)) return kFailed;
  if (machine_.createResult != 0) return machine_.createResult;
  connectedAdaptersOnly_ = connectedAdaptersOnly;
  return 0;
}

int32_t SimAdl::NumberOfAdaptersGet(int32_t* count) {
  if (!IsCallable(AdlEntryPoint::kAdapterNumberOfAdaptersGet) || count == nullptr) return kFailed;
  if (machine_.adapterCountResult != 0) return machine_.adapterCountResult;
  *count = static_cast<int32_t>(machine_.adapters.size());
  return 0;
}

int32_t SimAdl::AdapterInfoGet(std::span<uint8_t> info) {
  if (!IsCallable(AdlEntryPoint::kAdapterAdapterInfoGet)) return kFailed;
  if (info.size() != machine_.adapters.size() * kAdapterRecordSize) return kBadRequest;
  for (size_t n = 0; n < machine_.adapters.size(); ++n) {
    const SimAdlAdapter& adapter = machine_.adapters[n];
    const auto record = info.subspan(n * kAdapterRecordSize, kAdapterRecordSize);
    StoreLeInt32(record, kAdapterIndexAt, adapter.adapterIndex);
    const size_t nameLength = std::min(adapter.name.size(), kAdapterNameSize - 1);
    std::memcpy(record.data() + kAdapterNameAt, adapter.name.data(), nameLength);
  }
  return 0;
}

int32_t SimAdl::AdapterActiveGet(int32_t adapterIndex, int32_t* active) {
  const SimAdlAdapter* adapter = FindAdapter(adapterIndex);
  if (!IsCallable(AdlEntryPoint::kAdapterActiveGet) || adapter == nullptr || active == nullptr) {
    return kFailed;
  }
  if (adapter->activeResult != 0) return adapter->activeResult;
  *active = adapter->active ? 1 : 0;
  return 0;
}

int32_t SimAdl::DisplayInfoGet(int32_t adapterIndex, int32_t* count, AdlHeapBlock* displays,
                               int32_t forceDetect) {
  const SimAdlAdapter* adapter = FindAdapter(adapterIndex);
  if (!IsCallable(AdlEntryPoint::kDisplayDisplayInfoGet) || adapter == nullptr ||
      count == nullptr || displays == nullptr) {
    return kFailed;
  }
  if (forceDetect != 0) return kBadRequest;
  if (adapter->displayInfoResult != 0) return adapter->displayInfoResult;

  const size_t size = adapter->displays.size() * kDisplayRecordSize;
  // From the C heap, as the library's allocation callback takes it.
  AdlHeapBlock block{
      {size == 0 ? nullptr : static_cast<uint8_t*>(std::calloc(size, 1)), AdlHeapFree{}}, size};
  const std::span<uint8_t> records(block.bytes.get(), block.bytes ? size : 0);
  for (size_t n = 0; n < records.size() / kDisplayRecordSize; ++n) {
    const SimAdlDisplay& display = adapter->displays[n];
    const auto record = records.subspan(n * kDisplayRecordSize, kDisplayRecordSize);
    StoreLeInt32(record, kLogicalIndexAt, display.logicalIndex);
    StoreLeInt32(record, kConnectorTypeAt, display.connectorType);
    StoreLeInt32(record, kDisplayFlagsAt, display.flags);
  }
  *count = adapter->claimedDisplayCount.value_or(
      static_cast<int32_t>(records.size() / kDisplayRecordSize));
  *displays = std::move(block);
  return 0;
}

int32_t SimAdl::DdcBlockAccessGet(int32_t adapterIndex, int32_t displayIndex, int32_t option,
                                  int32_t commandIndex, std::span<const uint8_t> send,
                                  std::span<uint8_t> reply) {
  const SimAdlDisplay* display = FindDisplay(adapterIndex, displayIndex);
  if (!IsCallable(AdlEntryPoint::kDisplayDdcBlockAccessGet) || display == nullptr) {
    return kFailed;
  }
  if (option != kPlainI2cOption || commandIndex != kPlainI2cCommandIndex || send.empty()) {
    return kBadRequest;
  }
  // An odd address reads and sends nothing more; an even one writes and reads nothing.
  const bool isRead = (send[0] & 1) != 0;
  if (isRead ? send.size() != 1 || reply.empty() : !reply.empty()) return kBadRequest;

  SimAdlCall call{isRead ? SimAdlCallKind::kDdcRead : SimAdlCallKind::kDdcWrite,
                  adapterIndex,
                  displayIndex,
                  send[0],
                  {},
                  static_cast<int32_t>(isRead ? reply.size() : send.size() - 1),
                  clock_.Now()};
  const uint8_t i2cAddr = send[0] & 0xFE;
  std::optional<int32_t> fault;
  if (!ddcFaults_.empty()) {
    fault = ddcFaults_.front();
    ddcFaults_.pop_front();
  }
  int32_t result = 0;
  if (fault) {
    result = *fault;
  } else if (isRead) {
    result = ServeDdcRead(display->board, i2cAddr, reply);
  } else {
    result = ServeDdcWrite(display->board, i2cAddr, send.subspan(1));
  }
  if (!isRead) call.bytes.assign(send.begin() + 1, send.end());
  if (isRead && result == 0) call.bytes.assign(reply.begin(), reply.end());
  calls_.push_back(std::move(call));
  return result;
}

int32_t SimAdl::NativeAuxChannelAccess(int32_t adapterIndex, int32_t displayIndex,
                                       std::span<uint8_t> request) {
  const SimAdlDisplay* display = FindDisplay(adapterIndex, displayIndex);
  if (!IsCallable(AdlEntryPoint::kDisplayNativeAuxChannelAccess) || display == nullptr) {
    return kFailed;
  }
  if (request.size() != kRequestRecordSize ||
      LoadLeInt32(request, kRequestSizeAt) != static_cast<int32_t>(kRequestRecordSize)) {
    return kBadRequest;
  }
  const int32_t command = LoadLeInt32(request, kCommandAt);
  const int32_t length = LoadLeInt32(request, kLengthAt);
  if ((command != kReadCommand && command != kWriteCommand) || length < 1 ||
      length > kMaxRequestData) {
    return kBadRequest;
  }
  const bool isWrite = command == kWriteCommand;
  const auto address = LoadLe32(request, kAddressAt);
  const auto data = request.subspan(kDataAt, static_cast<size_t>(length));

  SimAdlCall call{isWrite ? SimAdlCallKind::kNativeWrite : SimAdlCallKind::kNativeRead,
                  adapterIndex,
                  displayIndex,
                  address,
                  {},
                  length,
                  clock_.Now()};
  if (isWrite) call.bytes.assign(data.begin(), data.end());

  NativeOutcome outcome;
  if (!nativeFaults_.empty()) {
    outcome = nativeFaults_.front();
    nativeFaults_.pop_front();
  } else {
    outcome = ServeNative(display->board, isWrite, address, data);
  }
  if (outcome.result == 0) {
    StoreLeInt32(request, kReplyStatusAt, outcome.replyStatus);
    if (writtenBackLength_) StoreLeInt32(request, kLengthAt, *writtenBackLength_);
  }
  if (!isWrite && outcome.result == 0 && outcome.replyStatus == kAcknowledged) {
    call.bytes.assign(data.begin(), data.end());
  }
  calls_.push_back(std::move(call));
  return outcome.result;
}

const SimAdlAdapter* SimAdl::FindAdapter(int32_t adapterIndex) const {
  const auto it = std::ranges::find(machine_.adapters, adapterIndex, &SimAdlAdapter::adapterIndex);
  return it == machine_.adapters.end() ? nullptr : &*it;
}

const SimAdlDisplay* SimAdl::FindDisplay(int32_t adapterIndex, int32_t displayIndex) const {
  const SimAdlAdapter* adapter = FindAdapter(adapterIndex);
  if (adapter == nullptr) return nullptr;
  const auto it = std::ranges::find(adapter->displays, displayIndex, &SimAdlDisplay::logicalIndex);
  return it == adapter->displays.end() ? nullptr : &*it;
}

int32_t SimAdl::ServeDdcWrite(sim::Board* board, uint8_t i2cAddr, std::span<const uint8_t> bytes) {
  reply_.reset();
  if (board == nullptr) return kFailed;
  // One I2C write, carried by AUX transactions of up to 16 bytes.
  size_t offset = 0;
  do {
    const size_t pieceLength = std::min(kAuxPayload, bytes.size() - offset);
    const sim::I2cPhase phase{offset == 0, offset + pieceLength == bytes.size()};
    const auto answer = board->I2cWrite(i2cAddr, bytes.subspan(offset, pieceLength), phase);
    if (answer != sim::AuxReply::kAck) return kFailed;
    offset += pieceLength;
  } while (offset < bytes.size());
  return 0;
}

int32_t SimAdl::ServeDdcRead(sim::Board* board, uint8_t i2cAddr, std::span<uint8_t> out) {
  if (board == nullptr) return kFailed;
  const bool continuesReply = reply_ && reply_->board == board && reply_->address == i2cAddr &&
                              reply_->bytesRead < reply_->totalBytes;
  if (!continuesReply) reply_ = ReplyInProgress{board, i2cAddr};
  for (size_t offset = 0; offset < out.size(); offset += kAuxPayload) {
    const size_t pieceLength = std::min(kAuxPayload, out.size() - offset);
    const sim::I2cPhase phase{!continuesReply && offset == 0, false};
    const auto answer = board->I2cRead(i2cAddr, out.subspan(offset, pieceLength), phase);
    if (answer != sim::AuxReply::kAck) {
      reply_.reset();
      return kFailed;
    }
  }
  TrackReply(out);
  return 0;
}

void SimAdl::TrackReply(std::span<const uint8_t> read) {
  ReplyInProgress& reply = *reply_;
  if (reply.bytesRead <= kLengthByteAt && kLengthByteAt < reply.bytesRead + read.size()) {
    const uint8_t lengthByte = read[kLengthByteAt - reply.bytesRead];
    reply.totalBytes = lengthByte >= kLengthByteFlag ? (lengthByte & 0x7F) + kReplyFramingBytes
                                                     : kLengthByteAt + 1;
  }
  reply.bytesRead += read.size();
}

SimAdl::NativeOutcome SimAdl::ServeNative(sim::Board* board, bool isWrite, uint32_t dpcdAddr,
                                          std::span<uint8_t> data) {
  if (board == nullptr) return {0, kNackReplyStatus};
  const auto answer = isWrite ? board->DpcdWrite(dpcdAddr, data) : board->DpcdRead(dpcdAddr, data);
  switch (answer) {
    case sim::AuxReply::kAck:
      return {0, kAcknowledged};
    case sim::AuxReply::kNack:
      return {0, kNackReplyStatus};
    case sim::AuxReply::kTransportFault:
      return {kFailed, 0};
  }
  return {kFailed, 0};
}

}  // namespace vexa
