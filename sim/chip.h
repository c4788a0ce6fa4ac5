#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "sim/aux_transaction.h"
#include "sim/chip_config.h"
#include "sim/chip_profile.h"
#include "sim/ddc2bi_link.h"
#include "sim/flash_firmware.h"
#include "sim/isp_driver.h"
#include "sim/spi_flash.h"

namespace vexa::sim {

// I2C address of the host chip's own command interface: ISP commands, forwarding, host reset.
inline constexpr uint8_t kHostCommandAddr = 0x60;

// What the host chip's forwarding commands act on (the board's routing).
class ForwardingControl {
 public:
  // Both return whether the command is acknowledged.
  virtual bool EnableForwarding(uint8_t port) = 0;
  virtual bool CancelForwarding(uint8_t port) = 0;
  // The host chip rebooted; its forwarding is off.
  virtual void HostRebooted() = 0;

 protected:
  ~ForwardingControl() = default;
};

// One simulated converter chip. It boots from its flash when created and after every reset,
// answers DDC2bi commands at its address (the host chip at 0x60 too), and serves its DPCD:
// the branch-device bytes of the firmware it runs and, once a downloaded driver was booted,
// the driver's mailbox. Every call is one AUX transaction that reached the chip; now is the
// board's clock, which times the erases.
class Chip {
 public:
  Chip(const ChipConfig& config, SpiFlash flash);
  Chip(const Chip&) = delete;
  Chip& operator=(const Chip&) = delete;

  // Makes this chip the host: it also answers at 0x60 and takes the forwarding commands.
  void ActAsHost(ForwardingControl& forwarding);

  bool ListensAt(uint8_t i2cAddr) const;

  void I2cWrite(uint8_t i2cAddr, std::span<const uint8_t> bytes, I2cPhase phase);
  void I2cRead(uint8_t i2cAddr, std::span<uint8_t> out, I2cPhase phase);
  void DpcdWrite(uint32_t dpcdAddr, std::span<const uint8_t> bytes, std::chrono::microseconds now);
  void DpcdRead(uint32_t dpcdAddr, std::span<uint8_t> out, std::chrono::microseconds now);

  // Resets the chip: ISP mode and the driver end, and it boots again from its flash.
  void Reboot();

  const ChipConfig& config() const { return config_; }
  const ChipProfile& profile() const { return profile_; }
  const SpiFlash& flash() const { return flash_; }
  const FlashFirmware& firmware() const { return firmware_; }
  bool DriverRunning() const { return driver_.has_value(); }

 private:
  void Execute(const Ddc2biRequest& request);
  void ReadRegister(const Ddc2biRequest& request);
  void WriteRam(const Ddc2biRequest& request);
  void BootDriver(const Ddc2biRequest& request);
  void ControlReset(const Ddc2biRequest& request);
  void ReadMemory(const Ddc2biRequest& request);
  void Forward(const Ddc2biRequest& request);

  uint16_t RegisterValue(uint16_t reg) const;
  uint8_t MemoryByte(uint32_t chipAddr) const;
  uint8_t DpcdByte(uint32_t dpcdAddr) const;

  const ChipConfig config_;
  const ChipProfile& profile_;
  SpiFlash flash_;
  std::vector<uint8_t> ram_;
  std::map<uint16_t, uint16_t> writtenRegisters_;
  // DPCD bytes the host wrote outside the branch bytes and the driver's windows.
  std::map<uint32_t, uint8_t> dpcdStore_;
  Ddc2biLink link_;
  ForwardingControl* forwarding_ = nullptr;

  FlashFirmware firmware_;
  BranchBytes branchBytes_{};
  // ISP open (0x09) allows reset-0; reset-0 halts the chip for the driver download and boot.
  bool ispOpen_ = false;
  bool halted_ = false;
  uint32_t ramWriteFrames_ = 0;
  std::optional<IspDriver> driver_;
};

}  // namespace vexa::sim
