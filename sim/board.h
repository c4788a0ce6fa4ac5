#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

#include "sim/aux_transaction.h"
#include "sim/chip.h"
#include "util/clock.h"

namespace vexa::sim {

// Chip positions on a board: the host chip on the graphics port, and one chip behind each of
// its two downstream ports.
enum class BoardSlot : size_t { kHost = 0, kPort1 = 1, kPort2 = 2 };
inline constexpr size_t kBoardSlotCount = 3;

struct BoardSettings {
  // What one AUX transaction costs on the wire.
  std::chrono::microseconds auxLatency{500};
  // Simulated waits take no real time (a virtual clock) instead of real time.
  bool virtualTime = false;
  // After a reset the host chip answers nothing for this long: it is booting.
  std::chrono::milliseconds hostBootTime{500};
};

// A board of up to three chips behind one DisplayPort AUX channel. Every call is one AUX
// transaction. Traffic goes to the host chip, except that while the host forwards to a
// downstream port, everything but I2C at 0x60 (the host's own command interface) goes to that
// port's chip; a port without a chip, or an I2C address no chip listens at, does not answer.
// While the host chip boots after a reset, no transaction is answered: all of them pass it.
// Every transaction, answered or not, costs auxLatency on the clock once it has been served,
// whichever transport reached the board; the clock also times the chips' erases. Not
// thread-safe: one transaction at a time.
class Board final : private ForwardingControl {
 public:
  // Slots without a chip hold null.
  Board(BoardSettings settings, std::array<std::unique_ptr<Chip>, kBoardSlotCount> chips,
        Clock& clock);
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  AuxReply I2cWrite(uint8_t i2cAddr, std::span<const uint8_t> bytes, I2cPhase phase);
  AuxReply I2cRead(uint8_t i2cAddr, std::span<uint8_t> out, I2cPhase phase);
  AuxReply DpcdWrite(uint32_t dpcdAddr, std::span<const uint8_t> bytes);
  AuxReply DpcdRead(uint32_t dpcdAddr, std::span<uint8_t> out);

  const BoardSettings& settings() const { return settings_; }
  // Null when the slot holds no chip.
  Chip* chip(BoardSlot slot) const { return chips_[static_cast<size_t>(slot)].get(); }
  // The port the host forwards to, 0 when it does not forward.
  uint8_t forwardedPort() const { return forwardedPort_; }
  // AUX transactions the board has seen since it was built.
  uint64_t transactionCount() const { return transactionCount_; }
  // Transactions that passed the chip in slot, as its TransportFailAfter fault counts them.
  uint64_t transactionsSeen(BoardSlot slot) const {
    return transactionsSeen_[static_cast<size_t>(slot)];
  }

 private:
  AuxReply ServeI2cWrite(uint8_t i2cAddr, std::span<const uint8_t> bytes, I2cPhase phase);
  AuxReply ServeI2cRead(uint8_t i2cAddr, std::span<uint8_t> out, I2cPhase phase);
  AuxReply ServeDpcdWrite(uint32_t dpcdAddr, std::span<const uint8_t> bytes);
  AuxReply ServeDpcdRead(uint32_t dpcdAddr, std::span<uint8_t> out);
  // Spends the transaction's latency, then hands its reply on.
  AuxReply Charged(AuxReply reply);
  Chip* RouteI2c(uint8_t i2cAddr) const;
  // The chip that receives all traffic but the host's command interface.
  Chip* TrafficTarget() const;
  // Counts the transaction against every chip it passes (the host, and the chip it reaches);
  // false when one of them has reached its TransportFailAfter fault.
  bool PassesTransport(const Chip* target);
  bool HostBooting() const { return clock_.Now() < hostReadyAt_; }

  bool EnableForwarding(uint8_t port) override;
  bool CancelForwarding(uint8_t port) override;
  void HostRebooted() override;

  BoardSettings settings_;
  std::array<std::unique_ptr<Chip>, kBoardSlotCount> chips_;
  std::array<uint64_t, kBoardSlotCount> transactionsSeen_{};
  Clock& clock_;
  uint8_t forwardedPort_ = 0;
  // When the host chip has finished booting after its last reset.
  std::chrono::microseconds hostReadyAt_{0};
  uint64_t transactionCount_ = 0;
};

}  // namespace vexa::sim
