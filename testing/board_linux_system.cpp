#include "testing/board_linux_system.h"

#include <algorithm>
#include <cerrno>
#include <span>

#include "transport/backends/linux/i2c_dev_abi.h"

namespace vexa::testing {

namespace {

constexpr size_t kAuxChunk = 16;

long ReplyResult(sim::AuxReply reply, long count, int nackError) {
  switch (reply) {
    case sim::AuxReply::kAck:
      return count;
    case sim::AuxReply::kNack:
      return -nackError;
    case sim::AuxReply::kTransportFault:
      return -EIO;
  }
  return -EIO;
}

}  // namespace

long BoardLinuxSystem::Fault(Call call) const {
  const auto fault = faults_.find(call);
  return fault == faults_.end() ? 0 : fault->second;
}

bool BoardLinuxSystem::IsI2cNode(int fd) const {
  const auto path = paths_.find(fd);
  return path != paths_.end() && path->second.find("/i2c-") != std::string::npos;
}

int BoardLinuxSystem::Open(const std::string& path) {
  if (const long fault = Fault(Call::kOpen)) return static_cast<int>(fault);
  const int fd = PosixLinuxSystem::Open(path);
  if (fd >= 0) paths_[fd] = path;
  return fd;
}

void BoardLinuxSystem::Close(int fd) {
  paths_.erase(fd);
  slaveAddress_.erase(fd);
  PosixLinuxSystem::Close(fd);
}

long BoardLinuxSystem::Pread(int fd, uint8_t* out, size_t count, uint32_t offset) {
  if (const long fault = Fault(Call::kPread)) return fault;
  if (dpcdOnBoard) return ServeDpcd(offset, out, count, true);
  return PosixLinuxSystem::Pread(fd, out, count, offset);
}

long BoardLinuxSystem::Pwrite(int fd, const uint8_t* data, size_t count, uint32_t offset) {
  if (const long fault = Fault(Call::kPwrite)) return fault;
  if (dpcdOnBoard) return ServeDpcd(offset, const_cast<uint8_t*>(data), count, false);
  return PosixLinuxSystem::Pwrite(fd, data, count, offset);
}

long BoardLinuxSystem::Read(int fd, uint8_t* out, size_t count) {
  if (const long fault = Fault(Call::kRead)) return fault;
  if (!IsI2cNode(fd)) return PosixLinuxSystem::Read(fd, out, count);
  if (!slaveAddress_.contains(fd)) return -EINVAL;
  return ServeI2c(slaveAddress_[fd], out, count, true);
}

long BoardLinuxSystem::Write(int fd, const uint8_t* data, size_t count) {
  if (const long fault = Fault(Call::kWrite)) return fault;
  if (!IsI2cNode(fd)) return PosixLinuxSystem::Write(fd, data, count);
  if (!slaveAddress_.contains(fd)) return -EINVAL;
  return ServeI2c(slaveAddress_[fd], const_cast<uint8_t*>(data), count, false);
}

int BoardLinuxSystem::Ioctl(int fd, unsigned long request, void* arg) {
  if (!IsI2cNode(fd)) return -ENOTTY;
  if (request == i2c_abi::kSlave) {
    ++requests["I2C_SLAVE"];
    slaveAddress_[fd] = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(arg));
    return 0;
  }
  if (request != i2c_abi::kRdwr) return -ENOTTY;
  ++requests["I2C_RDWR"];
  if (refuseRdwr) return -EINVAL;
  if (const long fault = Fault(Call::kRdwr)) return static_cast<int>(fault);
  const auto& data = *static_cast<i2c_abi::RdwrData*>(arg);
  for (uint32_t i = 0; i < data.count; ++i) {
    const i2c_abi::Message& message = data.messages[i];
    const long served = ServeI2c(message.address, message.buffer, message.length,
                                 (message.flags & i2c_abi::kMessageRead) != 0);
    if (served < 0) return static_cast<int>(served);
  }
  return static_cast<int>(data.count);
}

long BoardLinuxSystem::ServeI2c(uint16_t address, uint8_t* bytes, size_t count, bool read) {
  const auto ddcAddr = static_cast<uint8_t>(address << 1);
  for (size_t offset = 0; offset < count; offset += kAuxChunk) {
    const size_t length = std::min(kAuxChunk, count - offset);
    const sim::I2cPhase phase{offset == 0, offset + length == count};
    const std::span<uint8_t> chunk(bytes + offset, length);
    const sim::AuxReply reply =
        read ? board_.I2cRead(ddcAddr, chunk, phase) : board_.I2cWrite(ddcAddr, chunk, phase);
    if (reply != sim::AuxReply::kAck) return ReplyResult(reply, 0, EREMOTEIO);
  }
  return static_cast<long>(count);
}

long BoardLinuxSystem::ServeDpcd(uint32_t address, uint8_t* bytes, size_t count, bool read) {
  for (size_t offset = 0; offset < count; offset += kAuxChunk) {
    const size_t length = std::min(kAuxChunk, count - offset);
    const auto at = address + static_cast<uint32_t>(offset);
    const std::span<uint8_t> chunk(bytes + offset, length);
    const sim::AuxReply reply = read ? board_.DpcdRead(at, chunk) : board_.DpcdWrite(at, chunk);
    if (reply == sim::AuxReply::kAck) continue;
    // A later chunk failing leaves the count of those before it, as the kernel does.
    return offset > 0 ? static_cast<long>(offset) : ReplyResult(reply, 0, EIO);
  }
  return static_cast<long>(count);
}

}  // namespace vexa::testing
