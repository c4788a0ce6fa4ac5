#include "sim/board.h"

namespace vexa::sim {

namespace {

bool IsDownstreamPort(uint8_t port) {
  return port == static_cast<uint8_t>(BoardSlot::kPort1) ||
         port == static_cast<uint8_t>(BoardSlot::kPort2);
}

}  // namespace

Board::Board(BoardSettings settings, std::array<std::unique_ptr<Chip>, kBoardSlotCount> chips,
             Clock& clock)
    : settings_(settings), chips_(std::move(chips)), clock_(clock) {
  if (Chip* host = chip(BoardSlot::kHost)) host->ActAsHost(*this);
}

AuxReply Board::I2cWrite(uint8_t i2cAddr, std::span<const uint8_t> bytes, I2cPhase phase) {
  return Charged(ServeI2cWrite(i2cAddr, bytes, phase));
}

AuxReply Board::I2cRead(uint8_t i2cAddr, std::span<uint8_t> out, I2cPhase phase) {
  return Charged(ServeI2cRead(i2cAddr, out, phase));
}

AuxReply Board::DpcdWrite(uint32_t dpcdAddr, std::span<const uint8_t> bytes) {
  return Charged(ServeDpcdWrite(dpcdAddr, bytes));
}

AuxReply Board::DpcdRead(uint32_t dpcdAddr, std::span<uint8_t> out) {
  return Charged(ServeDpcdRead(dpcdAddr, out));
}

AuxReply Board::Charged(AuxReply reply) {
  DelayMicroseconds(clock_, static_cast<uint32_t>(settings_.auxLatency.count()));
  return reply;
}

AuxReply Board::ServeI2cWrite(uint8_t i2cAddr, std::span<const uint8_t> bytes, I2cPhase phase) {
  Chip* target = RouteI2c(i2cAddr);
  if (!PassesTransport(target)) return AuxReply::kTransportFault;
  if (HostBooting() || target == nullptr || !target->ListensAt(i2cAddr)) return AuxReply::kNack;
  target->I2cWrite(i2cAddr, bytes, phase);
  return AuxReply::kAck;
}

AuxReply Board::ServeI2cRead(uint8_t i2cAddr, std::span<uint8_t> out, I2cPhase phase) {
  Chip* target = RouteI2c(i2cAddr);
  if (!PassesTransport(target)) return AuxReply::kTransportFault;
  if (HostBooting() || target == nullptr || !target->ListensAt(i2cAddr)) return AuxReply::kNack;
  target->I2cRead(i2cAddr, out, phase);
  return AuxReply::kAck;
}

AuxReply Board::ServeDpcdWrite(uint32_t dpcdAddr, std::span<const uint8_t> bytes) {
  Chip* target = TrafficTarget();
  if (!PassesTransport(target)) return AuxReply::kTransportFault;
  if (HostBooting() || target == nullptr) return AuxReply::kNack;
  target->DpcdWrite(dpcdAddr, bytes, clock_.Now());
  return AuxReply::kAck;
}

AuxReply Board::ServeDpcdRead(uint32_t dpcdAddr, std::span<uint8_t> out) {
  Chip* target = TrafficTarget();
  if (!PassesTransport(target)) return AuxReply::kTransportFault;
  if (HostBooting() || target == nullptr) return AuxReply::kNack;
  target->DpcdRead(dpcdAddr, out, clock_.Now());
  return AuxReply::kAck;
}

Chip* Board::RouteI2c(uint8_t i2cAddr) const {
  return i2cAddr == kHostCommandAddr ? chip(BoardSlot::kHost) : TrafficTarget();
}

Chip* Board::TrafficTarget() const {
  return forwardedPort_ != 0 ? chips_[forwardedPort_].get() : chip(BoardSlot::kHost);
}

bool Board::PassesTransport(const Chip* target) {
  ++transactionCount_;
  bool passes = true;
  for (size_t slot = 0; slot < kBoardSlotCount; ++slot) {
    const Chip* chip = chips_[slot].get();
    if (chip == nullptr || (slot != 0 && chip != target)) continue;
    const uint32_t failAfter = chip->config().faults.transportFailAfter;
    if (++transactionsSeen_[slot] >= failAfter && failAfter != 0) passes = false;
  }
  return passes;
}

bool Board::EnableForwarding(uint8_t port) {
  if (!IsDownstreamPort(port)) return false;
  forwardedPort_ = port;
  return true;
}

bool Board::CancelForwarding(uint8_t port) {
  if (!IsDownstreamPort(port)) return false;
  if (forwardedPort_ == port) forwardedPort_ = 0;
  return true;
}

void Board::HostRebooted() {
  forwardedPort_ = 0;
  hostReadyAt_ = clock_.Now() + settings_.hostBootTime;
}

}  // namespace vexa::sim
