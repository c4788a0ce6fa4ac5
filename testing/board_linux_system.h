#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sim/board.h"
#include "transport/backends/linux/linux_system.h"

namespace vexa::testing {

// This machine's system calls over a fake tree (FakeDrmTree), with the I2C adapter nodes
// served by the simulated board as the kernel serves them: each I2C_RDWR message (or plain
// read and write after I2C_SLAVE) is one I2C transaction in AUX transactions of at most 16
// bytes, and a NACK gives EREMOTEIO. AUX node reads and writes go to the node's file (the
// DPCD map), or to the board when dpcdOnBoard is set (a NACK then gives EIO).
class BoardLinuxSystem final : public PosixLinuxSystem {
 public:
  enum class Call { kOpen, kPread, kPwrite, kRdwr, kRead, kWrite };

  explicit BoardLinuxSystem(sim::Board& board) : board_(board) {}

  // Every later call of that kind gives result instead (-errno, or a short count) without
  // doing anything; 0 ends the fault.
  void Fail(Call call, long result) { faults_[call] = result; }
  // Serves the AUX nodes from the board instead of their files.
  bool dpcdOnBoard = false;
  // I2C_RDWR gives EINVAL, as under some proprietary drivers.
  bool refuseRdwr = false;
  // Requests the I2C nodes have seen, by name ("I2C_RDWR", "I2C_SLAVE").
  std::map<std::string, int> requests;

  int Open(const std::string& path) override;
  void Close(int fd) override;
  long Pread(int fd, uint8_t* out, size_t count, uint32_t offset) override;
  long Pwrite(int fd, const uint8_t* data, size_t count, uint32_t offset) override;
  long Read(int fd, uint8_t* out, size_t count) override;
  long Write(int fd, const uint8_t* data, size_t count) override;
  int Ioctl(int fd, unsigned long request, void* arg) override;

 private:
  // The fault of that kind of call, 0 for none.
  long Fault(Call call) const;
  bool IsI2cNode(int fd) const;
  // One I2C transaction at the 7-bit address: the byte count, or -EREMOTEIO / -EIO.
  long ServeI2c(uint16_t address, uint8_t* bytes, size_t count, bool read);
  long ServeDpcd(uint32_t address, uint8_t* bytes, size_t count, bool read);

  sim::Board& board_;
  std::map<Call, long> faults_;
  // Open nodes by descriptor, with the I2C_SLAVE address of each I2C node.
  std::map<int, std::string> paths_;
  std::map<int, uint16_t> slaveAddress_;
};

}  // namespace vexa::testing
