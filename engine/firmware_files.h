#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/isp_context.h"

namespace vexa {

// Driver files the chip RAM can take, and the largest file the loader reads at all (its
// 16-bit size and 512-byte rounded buffer must agree).
inline constexpr uint32_t kMinDriverFileSize = 0x800;
inline constexpr uint32_t kMaxDriverFileSize = 0x8000;
inline constexpr uint32_t kMaxLoadableDriverFile = 0xFE00;
// A driver image may start with a 4-byte header giving its length, at most 0x4000 bytes.
inline constexpr size_t kDriverHeaderSize = 4;
inline constexpr uint32_t kMaxHeadedDriverLength = 0x4000;

// Reads the driver file at path (UTF-8) into the staging buffer. size receives its length;
// errorText a line such as "Open driver file failed!\r\n" when it returns false.
bool LoadDriverFile(IspContext& ctx, const std::string& path, int32_t& size,
                    std::string& errorText);

// Reads the firmware BIN file at path into the staging buffer.
bool LoadFwFile(IspContext& ctx, const std::string& path, int32_t& size, std::string& errorText);

// Copies the first size bytes of the staged driver file into target index and derives its
// driver length. False (no driver image) when the size is outside 0x800..0x8000 or a length
// header promises more bytes than the file holds.
bool AssignDriverImage(IspContext& ctx, int32_t index, int32_t size);

// Copies the first size bytes of the staged BIN file into target index, parses it into info
// and cuts out its boot-code region. Clears the first error first; records code 7 with the
// reason when the file is not accepted.
bool AssignFwImage(IspContext& ctx, int32_t index, int32_t size, FwFileInfo& info);

}  // namespace vexa
