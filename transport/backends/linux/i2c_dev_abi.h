#pragma once

#include <cstdint>

// The kernel's i2c-dev interface as the backend uses it: the I2C_RDWR request with its
// messages, and I2C_SLAVE for plain read and write. Kept here so the backend and its tests
// build without the kernel headers; the system calls check them against those headers.
namespace vexa::i2c_abi {

inline constexpr unsigned long kSlave = 0x0703;
inline constexpr unsigned long kRdwr = 0x0707;
inline constexpr uint16_t kMessageRead = 0x0001;

struct Message {
  uint16_t address;
  uint16_t flags;
  uint16_t length;
  uint8_t* buffer;
};

struct RdwrData {
  Message* messages;
  uint32_t count;
};

}  // namespace vexa::i2c_abi
