#pragma once

#include <array>
#include <cstddef>
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

// Prebuilt request frames: byte 0 is the frame length N (frame bytes plus checksum), bytes
// 1..N-1 the frame, byte N the checksum slot that SendIspDdcCmd fills for the current address.
// Callers send a copy, so the constants stay untouched.
using IspOpenFrame = std::array<uint8_t, 9>;
using IspCloseFrame = std::array<uint8_t, 9>;
using IspReset0Frame = std::array<uint8_t, 10>;
using DriverBootFrame = std::array<uint8_t, 11>;

inline constexpr IspOpenFrame kIspOpenFrame = {8,    kHostSourceAddr,      0x85, 0xC2, 0x00, 0x00,
                                               0x03, isp_opcode::kIspOpen, 0};
inline constexpr IspCloseFrame kIspCloseFrame = {
    8, kHostSourceAddr, 0x85, 0xC2, 0x00, 0x00, 0x03, isp_opcode::kIspClose, 0};
inline constexpr IspReset0Frame kIspReset0Frame = {
    9, kHostSourceAddr, 0x86, 0xC2, 0x00, 0x00, 0x04, isp_opcode::kResetControl, 0x00, 0};
// Bytes 8 and 9 take the driver's entry address, most significant byte first.
inline constexpr DriverBootFrame kDriverBootFrame = {
    10, kHostSourceAddr, 0x87, 0xC2, 0x00, 0x00, 0x05, isp_opcode::kDriverBoot, 0x00, 0x00, 0};
inline constexpr size_t kDriverBootAddrHi = 8;
inline constexpr size_t kDriverBootAddrLo = 9;

}  // namespace vexa
