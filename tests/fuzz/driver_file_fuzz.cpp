// The driver parser and the driver assignment over any file.
#include <cstddef>
#include <cstdint>

#include "chip/driver_file.h"
#include "engine/firmware_files.h"
#include "util/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vexa::ParseDriverFile({data, size});
  vexa::DriverHeaderLength({data, size});

  vexa::VirtualClock clock;
  vexa::IspContext ctx{clock};
  vexa::InitIspContext(ctx);
  ctx.loadedDriverFile = vexa::ByteBuffer(data, data + size);
  vexa::AssignDriverImage(ctx, 0, static_cast<int32_t>(size));
  return 0;
}
