#include "app/run_staging.h"

#include "engine/firmware_files.h"

namespace vexa {

void StageRunFiles(IspContext& ctx, const Configuration& config) {
  for (size_t i = 0; i < kTargetCount; ++i) {
    const auto index = static_cast<int32_t>(i);
    int32_t size = 0;
    std::string error;
    LoadDriverFile(ctx, config.driverFilePath[i], size, error);
    AssignDriverImage(ctx, index, size);
    LoadFwFile(ctx, config.fwFilePath[i], size, error);
    FwFileInfo info;
    AssignFwImage(ctx, index, size, info);
  }
}

}  // namespace vexa
