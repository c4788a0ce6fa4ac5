#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/chip_config.h"
#include "sim/chip_profile.h"
#include "sim/firmware_block.h"
#include "sim/spi_flash.h"

namespace vexa::sim {

// DPCD address of the buffer-info block the running driver announces at 0x40C..0x40E.
inline constexpr uint32_t kBufferInfoAddr = 0x510;

// The ISP driver running in chip RAM, as the host meets it over native AUX: the buffer-info
// pointer and block, the command buffer with its two halves and the acknowledge area.
//
// Commands are taken when the host writes a nonzero length byte at the buffer start (it writes
// it last). The driver answers at the acknowledge area: 03 0C F1 for done, 03 0C F2 for
// refused, or the 5-byte flash ID 05 1C hi lo 00. It understands get flash ID, erase (0xFFFF
// whole flash; 0xFFB2 / 0xFFB1 all but the boot code of a 512 KiB / 256 KiB flash), block
// start (then an 8-byte address record in the first half, then the payload through the
// second half and the first half, each announced by its status byte and freed by the driver
// once taken), and reset (the chip resets once the host has cleared that acknowledge and read
// the cleared byte back, which ends the tool's reset handshake).
// While an erase runs the driver is busy: nothing else is taken until it completes.
class IspDriver {
 public:
  IspDriver(const ChipProfile& profile, const ChipConfig& config, SpiFlash& flash);

  // Whether addr lies in a DPCD window the driver serves.
  bool Serves(uint32_t addr) const;

  uint8_t Read(uint32_t addr) const;
  void Write(uint32_t addr, uint8_t value);
  // The host read count bytes from addr on.
  void NoteRead(uint32_t addr, size_t count);

  // Lets the driver work on what the host has written up to now: completes an erase whose
  // time has come, takes a new command, an address record or a filled half.
  void Service(std::chrono::microseconds now);

  // True once the driver has reset the chip (the host took the reset acknowledge).
  bool ResetRequested() const { return resetRequested_; }

 private:
  enum class Stage { kIdle, kAwaitingAddress, kReceivingPayload };

  struct PendingErase {
    uint32_t offset;
    uint32_t length;
    // Empty when the erase never completes (the EraseNever fault).
    std::optional<std::chrono::microseconds> due;
  };

  uint32_t HalfSize() const { return config_.mailbox.bufferSize / 2u; }
  uint32_t HalfStatusOffset(int half) const { return (half + 1) * HalfSize() - 1; }

  void RunCommand(std::chrono::microseconds now);
  void StartErase(std::span<const uint8_t> command, std::chrono::microseconds now);
  void TakeAddressRecord();
  void TakePayloadHalves();
  void FinishBlock();

  void Post(std::span<const uint8_t> answer);
  void PostDone();
  void PostRefused();

  const ChipProfile& profile_;
  const ChipConfig& config_;
  SpiFlash& flash_;
  std::vector<uint8_t> buffer_;
  std::vector<uint8_t> ackArea_;

  Stage stage_ = Stage::kIdle;
  bool commandWritten_ = false;
  std::optional<PendingErase> erase_;
  std::optional<FirmwareBlock> block_;
  int nextHalf_ = 1;
  int halvesTaken_ = 0;
  uint32_t blocksReceived_ = 0;
  bool resetOnAckTaken_ = false;
  bool resetAckCleared_ = false;
  bool resetRequested_ = false;
};

}  // namespace vexa::sim
