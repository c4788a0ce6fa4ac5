#include "sim/isp_driver.h"

#include <algorithm>
#include <array>

namespace vexa::sim {

namespace {

// DPCD 0x40C..0x40E: the 24-bit little-endian address of the buffer-info block.
constexpr uint32_t kInfoPointerAddr = 0x40C;
constexpr uint32_t kInfoPointerSize = 3;
constexpr uint32_t kBufferInfoSize = 12;

constexpr std::array<uint8_t, 9> kGetFlashIdCommand = {0x09, 0x1C, 0xFF, 0x00, 0x00,
                                                       0x20, 0x00, 0x00, 0x44};
constexpr std::array<uint8_t, 4> kResetCommand = {0x04, 0x20, 0x01, 0x25};
constexpr std::array<uint8_t, 3> kBlockStartCommand = {0x03, 0x10, 0x13};
constexpr uint8_t kEraseOpcode = 0x19;
constexpr size_t kEraseCommandSize = 5;

constexpr uint16_t kEraseWholeFlash = 0xFFFF;
constexpr uint16_t kEraseApp512K = 0xFFB2;
constexpr uint16_t kEraseApp256K = 0xFFB1;
constexpr uint32_t kFlash512K = 0x80000;
constexpr uint32_t kFlash256K = 0x40000;

constexpr std::array<uint8_t, 3> kDone = {0x03, 0x0C, 0xF1};
constexpr std::array<uint8_t, 3> kRefused = {0x03, 0x0C, 0xF2};
constexpr uint8_t kFlashIdAnswer = 0x05;

bool InWindow(uint32_t addr, uint32_t start, uint32_t size) {
  return addr >= start && addr - start < size;
}

bool Matches(std::span<const uint8_t> command, std::span<const uint8_t> expected) {
  return std::equal(command.begin(), command.end(), expected.begin(), expected.end());
}

}  // namespace

IspDriver::IspDriver(const ChipProfile& profile, const ChipConfig& config, SpiFlash& flash)
    : profile_(profile),
      config_(config),
      flash_(flash),
      buffer_(config.mailbox.bufferSize),
      ackArea_(kAckAreaSize) {}

bool IspDriver::Serves(uint32_t addr) const {
  const MailboxConfig& mailbox = config_.mailbox;
  return InWindow(addr, kInfoPointerAddr, kInfoPointerSize) ||
         InWindow(addr, kBufferInfoAddr, kBufferInfoSize) ||
         InWindow(addr, mailbox.bufferAddr, mailbox.bufferSize) ||
         InWindow(addr, mailbox.ackAddr, kAckAreaSize);
}

uint8_t IspDriver::Read(uint32_t addr) const {
  const MailboxConfig& mailbox = config_.mailbox;
  const auto byteOf = [](uint32_t value, uint32_t index) {
    return static_cast<uint8_t>(value >> (8 * index));
  };
  if (InWindow(addr, kInfoPointerAddr, kInfoPointerSize)) {
    return byteOf(kBufferInfoAddr, addr - kInfoPointerAddr);
  }
  if (InWindow(addr, kBufferInfoAddr, kBufferInfoSize)) {
    // Little-endian: buffer address (4), buffer size (2), acknowledge address (4), its size (2).
    const uint32_t offset = addr - kBufferInfoAddr;
    if (offset < 4) return byteOf(mailbox.bufferAddr, offset);
    if (offset < 6) return byteOf(mailbox.bufferSize, offset - 4);
    if (offset < 10) return byteOf(mailbox.ackAddr, offset - 6);
    return byteOf(kAckAreaSize, offset - 10);
  }
  if (InWindow(addr, mailbox.bufferAddr, mailbox.bufferSize)) {
    return buffer_[addr - mailbox.bufferAddr];
  }
  if (InWindow(addr, mailbox.ackAddr, kAckAreaSize)) return ackArea_[addr - mailbox.ackAddr];
  return 0;
}

void IspDriver::Write(uint32_t addr, uint8_t value) {
  const MailboxConfig& mailbox = config_.mailbox;
  if (InWindow(addr, mailbox.bufferAddr, mailbox.bufferSize)) {
    const uint32_t offset = addr - mailbox.bufferAddr;
    buffer_[offset] = value;
    // While a payload arrives the buffer start carries data, not a command's length byte.
    if (offset == 0 && value != 0 && stage_ != Stage::kReceivingPayload) commandWritten_ = true;
  } else if (InWindow(addr, mailbox.ackAddr, kAckAreaSize)) {
    const uint32_t offset = addr - mailbox.ackAddr;
    ackArea_[offset] = value;
    if (offset == 0 && value == 0 && resetOnAckTaken_) resetAckCleared_ = true;
  }
}

void IspDriver::NoteRead(uint32_t addr, size_t count) {
  const uint32_t ackAddr = config_.mailbox.ackAddr;
  if (resetAckCleared_ && addr <= ackAddr && ackAddr - addr < count) resetRequested_ = true;
}

void IspDriver::Service(std::chrono::microseconds now) {
  if (erase_) {
    if (!erase_->due || now < *erase_->due) return;
    const bool erased = flash_.Erase(erase_->offset, erase_->length);
    erase_.reset();
    erased ? PostDone() : PostRefused();
  }
  if (commandWritten_) {
    commandWritten_ = false;
    RunCommand(now);
    if (erase_) return;
  }
  if (stage_ == Stage::kAwaitingAddress) TakeAddressRecord();
  if (stage_ == Stage::kReceivingPayload) TakePayloadHalves();
}

void IspDriver::RunCommand(std::chrono::microseconds now) {
  const size_t length = buffer_[0];
  if (length < 2 || length > buffer_.size()) {
    buffer_[0] = 0;
    PostRefused();
    return;
  }
  const std::vector<uint8_t> command(buffer_.begin(), buffer_.begin() + length);
  buffer_[0] = 0;  // taken

  if (Matches(command, kGetFlashIdCommand)) {
    if (config_.faults.flashIdNever) return;
    Post(std::array<uint8_t, 5>{kFlashIdAnswer, kGetFlashIdCommand[1],
                                static_cast<uint8_t>(config_.flashId >> 8),
                                static_cast<uint8_t>(config_.flashId & 0xFF), 0x00});
  } else if (command[1] == kEraseOpcode) {
    StartErase(command, now);
  } else if (Matches(command, kResetCommand)) {
    PostDone();
    resetOnAckTaken_ = true;
  } else if (Matches(command, kBlockStartCommand)) {
    stage_ = Stage::kAwaitingAddress;
    block_.reset();
  } else {
    PostRefused();
  }
}

void IspDriver::StartErase(std::span<const uint8_t> command, std::chrono::microseconds now) {
  if (command.size() != kEraseCommandSize ||
      (command[0] ^ command[1] ^ command[2] ^ command[3]) != command[4]) {
    PostRefused();
    return;
  }
  // The application-only codes name the flash size they are meant for; on a flash of the
  // other size the region they spare would not be where the boot code is, so they are refused.
  const uint32_t flashSize = flash_.size();
  const uint32_t appRegion = flashSize - profile_.bootCodeSize;
  const auto code = static_cast<uint16_t>(command[2] << 8 | command[3]);
  uint32_t length = 0;
  if (code == kEraseWholeFlash) {
    length = flashSize;
  } else if (code == kEraseApp512K && flashSize == kFlash512K) {
    length = appRegion;
  } else if (code == kEraseApp256K && flashSize == kFlash256K) {
    length = appRegion;
  } else {
    PostRefused();
    return;
  }
  std::optional<std::chrono::microseconds> due;
  if (!config_.faults.eraseNever) due = now + config_.eraseTime;
  erase_ = PendingErase{0, length, due};
}

void IspDriver::TakeAddressRecord() {
  const uint32_t statusOffset = HalfStatusOffset(0);
  const uint8_t count = buffer_[statusOffset];
  if (count == 0) return;
  buffer_[statusOffset] = 0;

  auto record = ParseAddressRecord(std::span(buffer_).first(std::min<size_t>(count, HalfSize())));
  // The block must lie inside the flash and fit the two halves with its trailer.
  const uint64_t maxLength = 2 * (HalfSize() - 1) - kBlockTrailerSize;
  if (record &&
      (record->flashAddress < profile_.flashBase || record->length == 0 ||
       record->length > maxLength ||
       uint64_t{record->flashAddress} - profile_.flashBase + record->length > flash_.size())) {
    record.reset();
  }
  block_.emplace(record);
  stage_ = Stage::kReceivingPayload;
  nextHalf_ = 1;
  halvesTaken_ = 0;
}

void IspDriver::TakePayloadHalves() {
  // A payload comes in two parts: the second half first (the first half held the address
  // record), then the first half.
  while (halvesTaken_ < 2) {
    const uint32_t statusOffset = HalfStatusOffset(nextHalf_);
    const uint8_t count = buffer_[statusOffset];
    if (count == 0) return;
    const uint32_t start = static_cast<uint32_t>(nextHalf_) * HalfSize();
    block_->Append(std::span(buffer_).subspan(start, std::min(uint32_t{count}, HalfSize() - 1)));
    buffer_[statusOffset] = 0;
    nextHalf_ ^= 1;
    ++halvesTaken_;
  }
  FinishBlock();
}

void IspDriver::FinishBlock() {
  ++blocksReceived_;
  const auto record = block_->Verified();
  const bool rejected = config_.faults.blockReject == blocksReceived_;
  const bool written = record && !rejected &&
                       flash_.Program(record->flashAddress - profile_.flashBase, block_->data());
  written ? PostDone() : PostRefused();
  block_.reset();
  stage_ = Stage::kIdle;
}

void IspDriver::Post(std::span<const uint8_t> answer) {
  std::copy(answer.begin(), answer.end(), ackArea_.begin());
}

void IspDriver::PostDone() {
  Post(kDone);
}

void IspDriver::PostRefused() {
  Post(kRefused);
}

}  // namespace vexa::sim
