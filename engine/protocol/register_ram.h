#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/isp_context.h"

namespace vexa {

// Most data bytes one RAM-read command asks for, and the most one driver-download frame
// carries (a 127-byte frame).
inline constexpr uint32_t kMaxRamReadCount = 127;
inline constexpr size_t kRamWriteChunk = 117;

// Reads a 16-bit chip register; -1 on any failure (recorded as the first error).
int32_t ExecuteRegisterRead(IspContext& ctx, uint16_t reg);

// Writes a 16-bit value to a chip register and checks the acknowledge.
bool ExecuteRegisterWordWrite(IspContext& ctx, uint16_t reg, uint16_t value);

// Sends the fixed register-write command (opcode 0x51) and checks the acknowledge.
bool ExecuteRegisterWrite(IspContext& ctx);

// One RAM-read command: reads min(count, 127) bytes at the chip address into out (never more
// than out holds).
bool FormatRamReadCmd(IspContext& ctx, uint32_t address, uint32_t count, std::span<uint8_t> out);

// Reads out.size() bytes from address on, in commands of at most 96 bytes that never cross a
// 64 KiB boundary. Stops at the first failed command.
bool ReadRam(IspContext& ctx, uint32_t address, std::span<uint8_t> out);

// Builds in transferBuffer the RAM-write frame for the k driver bytes at offset within
// driverPayload, addressed at driverLoadAddr + offset (16 bits). Returns the frame length
// k + 10, or 0 when the chunk is larger than a frame carries or lies outside the payload.
size_t BuildRamWriteFrame(IspContext& ctx, size_t offset, size_t k);

// Downloads the current driver image into chip RAM in 117-byte chunks, each acknowledged,
// advancing progressDone by the bytes sent. A headed image (see DriverHeaderLength) gives its
// own length and starts after the 4-byte header.
bool ExecuteRamWriteBlock(IspContext& ctx);

}  // namespace vexa
