#pragma once

#include <cstdint>

namespace vexa {

// ISP opcodes of the command channel.
namespace isp_opcode {
inline constexpr uint8_t kRegisterRead = 0x06;
inline constexpr uint8_t kRegisterWordWrite = 0x07;
inline constexpr uint8_t kIspOpen = 0x09;
inline constexpr uint8_t kIspClose = 0x0A;
inline constexpr uint8_t kAcknowledge = 0x0C;
inline constexpr uint8_t kRamWrite = 0x13;
inline constexpr uint8_t kDriverBoot = 0x1D;
inline constexpr uint8_t kResetControl = 0x20;
inline constexpr uint8_t kRegisterWrite = 0x51;
inline constexpr uint8_t kRamRead = 0x52;
inline constexpr uint8_t kEnableForwarding = 0x61;
inline constexpr uint8_t kCancelForwarding = 0x62;
}  // namespace isp_opcode

// Source address of every request frame (the host), and the seed of the reply checksum.
inline constexpr uint8_t kHostSourceAddr = 0x51;
inline constexpr uint8_t kReplyChecksumSeed = 0x50;

}  // namespace vexa
