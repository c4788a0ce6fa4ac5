#include "sim/chip.h"

#include <array>

#include "sim/driver_image.h"
#include "util/byte_order.h"

namespace vexa::sim {

namespace {

namespace opcode {
constexpr uint8_t kRegisterRead = 0x06;
constexpr uint8_t kRegisterWordWrite = 0x07;
constexpr uint8_t kIspOpen = 0x09;
constexpr uint8_t kIspClose = 0x0A;
constexpr uint8_t kRamWrite = 0x13;
constexpr uint8_t kDriverBoot = 0x1D;
constexpr uint8_t kResetControl = 0x20;
constexpr uint8_t kRegisterWrite = 0x51;
constexpr uint8_t kRamRead = 0x52;
constexpr uint8_t kEnableForwarding = 0x61;
constexpr uint8_t kCancelForwarding = 0x62;
}  // namespace opcode

constexpr uint8_t kResetHalt = 0x00;
constexpr uint8_t kResetReboot = 0x01;

constexpr uint16_t kRegisterIdC802 = 0xC802;
constexpr uint16_t kRegisterId8002 = 0x8002;
// Low byte: the internal ROM's silicon revision plus one (first family only).
constexpr uint16_t kRegisterRomCut = 0xC804;

constexpr size_t kRamSize = 0x10000;
constexpr uint32_t kDpcdMirrorSize = 0x1000;
constexpr uint32_t kBranchBytesAddr = 0x503;

}  // namespace

Chip::Chip(const ChipConfig& config, SpiFlash flash)
    : config_(config), profile_(ProfileOf(config.model)), flash_(std::move(flash)), ram_(kRamSize) {
  Reboot();
}

void Chip::ActAsHost(ForwardingControl& forwarding) {
  forwarding_ = &forwarding;
}

bool Chip::ListensAt(uint8_t i2cAddr) const {
  return i2cAddr == config_.ddcAddr || (forwarding_ != nullptr && i2cAddr == kHostCommandAddr);
}

void Chip::I2cWrite(uint8_t i2cAddr, std::span<const uint8_t> bytes, I2cPhase phase) {
  const auto frame = link_.Write(bytes, phase);
  if (!frame) return;
  // A new command replaces any reply not yet read; a frame that fails its checks gets none.
  link_.ClearReply();
  if (const auto request = ParseRequestFrame(i2cAddr, *frame)) Execute(*request);
}

void Chip::I2cRead(uint8_t i2cAddr, std::span<uint8_t> out, I2cPhase phase) {
  link_.Read(i2cAddr, out, phase);
}

void Chip::DpcdWrite(uint32_t dpcdAddr, std::span<const uint8_t> bytes,
                     std::chrono::microseconds now) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint32_t addr = dpcdAddr + static_cast<uint32_t>(i);
    if (driver_ && driver_->Serves(addr)) {
      driver_->Write(addr, bytes[i]);
    } else if (addr < kBranchBytesAddr || addr >= kBranchBytesAddr + branchBytes_.size()) {
      dpcdStore_[addr] = bytes[i];
    }
  }
  if (!driver_) return;
  driver_->Service(now);
  if (driver_->ResetRequested()) Reboot();
}

void Chip::DpcdRead(uint32_t dpcdAddr, std::span<uint8_t> out, std::chrono::microseconds now) {
  if (driver_) driver_->Service(now);
  for (size_t i = 0; i < out.size(); ++i) {
    const uint32_t addr = dpcdAddr + static_cast<uint32_t>(i);
    out[i] = driver_ && driver_->Serves(addr) ? driver_->Read(addr) : DpcdByte(addr);
  }
  if (!driver_) return;
  driver_->NoteRead(dpcdAddr, out.size());
  if (driver_->ResetRequested()) Reboot();
}

void Chip::Reboot() {
  driver_.reset();
  ispOpen_ = false;
  halted_ = false;
  ramWriteFrames_ = 0;
  link_.Reset();
  firmware_ = InspectFlash(profile_, flash_.contents());
  branchBytes_ = EncodeBranchBytes(profile_, firmware_, config_.cut);
  if (forwarding_ != nullptr) forwarding_->HostRebooted();
}

// Commands with the wrong number of parameters, or that the chip's state does not allow,
// are not answered, like frames that fail their checks.
void Chip::Execute(const Ddc2biRequest& request) {
  if (config_.faults.noAckOpcode == request.opcode) return;
  const size_t params = request.params.size();
  switch (request.opcode) {
    case opcode::kRegisterRead:
      if (params == 2) ReadRegister(request);
      return;
    case opcode::kRegisterWordWrite:
      if (params != 4) return;
      writtenRegisters_[static_cast<uint16_t>(BigEndian(std::span(request.params).first(2)))] =
          static_cast<uint16_t>(BigEndian(std::span(request.params).last(2)));
      link_.SetAcknowledge(request.address);
      return;
    case opcode::kIspOpen:
    case opcode::kIspClose:
      if (params != 0) return;
      ispOpen_ = request.opcode == opcode::kIspOpen;
      link_.SetAcknowledge(request.address);
      return;
    case opcode::kRamWrite:
      if (params >= 2 && halted_) WriteRam(request);
      return;
    case opcode::kDriverBoot:
      if (params == 2 && halted_) BootDriver(request);
      return;
    case opcode::kResetControl:
      if (params == 1) ControlReset(request);
      return;
    case opcode::kRegisterWrite:
      if (params == 8) link_.SetAcknowledge(request.address);
      return;
    case opcode::kRamRead:
      if (params == 8) ReadMemory(request);
      return;
    case opcode::kEnableForwarding:
    case opcode::kCancelForwarding:
      if (params == 1 && forwarding_ != nullptr && request.address == kHostCommandAddr) {
        Forward(request);
      }
      return;
    default:
      return;
  }
}

void Chip::ReadRegister(const Ddc2biRequest& request) {
  const auto reg = static_cast<uint16_t>(BigEndian(request.params));
  const uint16_t value = RegisterValue(reg);
  const std::array<uint8_t, 4> data = {request.params[0], request.params[1],
                                       static_cast<uint8_t>(value >> 8),
                                       static_cast<uint8_t>(value & 0xFF)};
  link_.SetDataReply(request.address, request.opcode, data);
}

uint16_t Chip::RegisterValue(uint16_t reg) const {
  switch (reg) {
    case kRegisterIdC802:
      return profile_.idRegisterC802;
    case kRegisterId8002:
      return profile_.idRegister8002;
    case kRegisterRomCut:
      if (IsFirstFamily(profile_.model)) return static_cast<uint8_t>(config_.cut + 1);
      break;
    default:
      break;
  }
  const auto written = writtenRegisters_.find(reg);
  return written == writtenRegisters_.end() ? 0 : written->second;
}

void Chip::WriteRam(const Ddc2biRequest& request) {
  ++ramWriteFrames_;
  if (ramWriteFrames_ == config_.faults.driverChunkNoAck) return;
  const auto addr = static_cast<uint16_t>(BigEndian(std::span(request.params).first(2)));
  const auto data = std::span(request.params).subspan(2);
  // Chip RAM addresses are 16 bits wide: a chunk that runs past the top wraps to 0.
  for (size_t i = 0; i < data.size(); ++i) ram_[(addr + i) % ram_.size()] = data[i];
  link_.SetAcknowledge(request.address);
}

void Chip::BootDriver(const Ddc2biRequest& request) {
  link_.SetAcknowledge(request.address);
  const auto entry = static_cast<uint16_t>(BigEndian(request.params));
  // The chip's loader starts only a complete driver built for it, at its entry address;
  // otherwise the chip stays halted and a new download can follow.
  if (entry != profile_.driverEntryAddr || !CanBootDriver(ram_, profile_)) return;
  halted_ = false;
  driver_.emplace(profile_, config_, flash_);
}

void Chip::ControlReset(const Ddc2biRequest& request) {
  switch (request.params[0]) {
    case kResetHalt:
      if (!ispOpen_) return;
      halted_ = true;
      ramWriteFrames_ = 0;
      link_.SetAcknowledge(request.address);
      return;
    case kResetReboot:
      // The host reads no acknowledge: the chip is already rebooting.
      Reboot();
      return;
    default:
      return;
  }
}

void Chip::ReadMemory(const Ddc2biRequest& request) {
  const uint32_t address = BigEndian(std::span(request.params).first(4));
  const uint32_t count = BigEndian(std::span(request.params).last(4));
  std::vector<uint8_t> data(std::min<size_t>(count, kMaxReplyData));
  for (size_t i = 0; i < data.size(); ++i) {
    data[i] = MemoryByte(address + static_cast<uint32_t>(i));
  }
  link_.SetDataReply(request.address, request.opcode, data);
}

// The chip's memory map: the flash window, the internal copy of the DPCD registers, and
// RAM; anything else reads 0.
uint8_t Chip::MemoryByte(uint32_t chipAddr) const {
  if (chipAddr >= profile_.flashBase && chipAddr - profile_.flashBase < flash_.size()) {
    return flash_.contents()[chipAddr - profile_.flashBase];
  }
  if (chipAddr >= profile_.dpcdMirrorBase && chipAddr - profile_.dpcdMirrorBase < kDpcdMirrorSize) {
    return DpcdByte(chipAddr - profile_.dpcdMirrorBase);
  }
  return chipAddr < ram_.size() ? ram_[chipAddr] : 0;
}

uint8_t Chip::DpcdByte(uint32_t dpcdAddr) const {
  if (dpcdAddr >= kBranchBytesAddr && dpcdAddr - kBranchBytesAddr < branchBytes_.size()) {
    return branchBytes_[dpcdAddr - kBranchBytesAddr];
  }
  const auto stored = dpcdStore_.find(dpcdAddr);
  return stored == dpcdStore_.end() ? 0 : stored->second;
}

void Chip::Forward(const Ddc2biRequest& request) {
  const uint8_t port = request.params[0];
  const bool acknowledged = request.opcode == opcode::kEnableForwarding
                                ? forwarding_->EnableForwarding(port)
                                : forwarding_->CancelForwarding(port);
  if (acknowledged) link_.SetAcknowledge(request.address);
}

}  // namespace vexa::sim
