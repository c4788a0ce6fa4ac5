#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "chip/driver_file.h"
#include "engine/isp_context.h"

namespace vexa {

// Reads the driver file at path (UTF-8) into the staging buffer. size receives its length;
// errorText a line such as "Open driver file failed!\r\n" when it returns false.
bool LoadDriverFile(IspContext& ctx, const std::string& path, int32_t& size,
                    std::string& errorText);

// Reads the firmware BIN file at path into the staging buffer.
bool LoadFwFile(IspContext& ctx, const std::string& path, int32_t& size, std::string& errorText);

// Copies the first size bytes of the staged driver file into target index and takes its
// driver length from ParseDriverFile, the rule the download follows. False (no driver image)
// when the size is outside 0x800..0x8000 or a length header promises more bytes than the
// file holds.
bool AssignDriverImage(IspContext& ctx, int32_t index, int32_t size);

// Copies the first size bytes of the staged BIN file into target index, parses it into info
// and cuts out its boot-code region. Clears the first error first; records code 7 with the
// reason when the file is not accepted.
bool AssignFwImage(IspContext& ctx, int32_t index, int32_t size, FwFileInfo& info);

}  // namespace vexa
