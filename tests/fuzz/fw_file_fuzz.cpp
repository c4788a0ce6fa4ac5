// The BIN parser and the image assignment over any file: the bytes stand for a staged BIN
// file, assigned to a target the way a run does.
#include <cstddef>
#include <cstdint>

#include "chip/fw_file_parser.h"
#include "engine/firmware_files.h"
#include "util/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vexa::FwFileInfo parsed;
  vexa::ParseFwFile({data, size}, parsed);

  vexa::VirtualClock clock;
  vexa::IspContext ctx{clock};
  vexa::InitIspContext(ctx);
  ctx.loadedFwFile = vexa::ByteBuffer(data, data + size);
  vexa::FwFileInfo info;
  vexa::AssignFwImage(ctx, 0, static_cast<int32_t>(size), info);
  return 0;
}
