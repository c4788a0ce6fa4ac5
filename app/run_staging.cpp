#include "app/run_staging.h"

#include "engine/firmware_files.h"
#include "engine/run/isp_run.h"
#include "util/text_format.h"

namespace vexa {

namespace {

std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Loads and assigns target index's driver file; the reason when that failed. A failure leaves
// the target without a driver image, whatever it held before.
std::string StageDriver(IspContext& ctx, size_t index, const std::string& path) {
  int32_t size = 0;
  std::string error;
  const bool loaded = !path.empty() && LoadDriverFile(ctx, path, size, error);
  // An unloaded file assigns nothing, which releases the earlier image.
  const bool assigned = AssignDriverImage(ctx, static_cast<int32_t>(index), loaded ? size : 0);
  if (path.empty()) return "no ISP driver file is configured";
  if (!loaded) return "driver file \"" + path + "\": " + WithoutLineEnd(error);
  if (!assigned) {
    return "driver file \"" + path + "\": " +
           StrPrintf("not an ISP driver (0x%X to 0x%X bytes, a length header within the file)",
                     kMinDriverFileSize, kMaxDriverFileSize);
  }
  return {};
}

// Loads and assigns target index's BIN file; the reason when that failed. A failure leaves
// the target without a firmware image, whatever it held before.
std::string StageFirmware(IspContext& ctx, size_t index, const std::string& path) {
  int32_t size = 0;
  std::string error;
  const bool loaded = LoadFwFile(ctx, path, size, error);
  FwFileInfo info;
  const bool assigned = AssignFwImage(ctx, static_cast<int32_t>(index), loaded ? size : 0, info);
  if (!loaded) return "BIN file \"" + path + "\": " + WithoutLineEnd(error);
  if (!assigned) {
    return "BIN file \"" + path + "\": " + ctx.firstErrorText;
  }
  return {};
}

}  // namespace

void StageRunFiles(IspContext& ctx, const Configuration& config) {
  for (size_t i = 0; i < kTargetCount; ++i) {
    IspTarget& target = ctx.targets[i];
    target.fileProblem.clear();
    const bool configured = !config.fwFilePath[i].empty();
    const std::string driverProblem = StageDriver(ctx, i, config.driverFilePath[i]);
    // Staged whether configured or not, so that no earlier image stays behind.
    const std::string firmwareProblem = StageFirmware(ctx, i, config.fwFilePath[i]);
    const std::string& problem = driverProblem.empty() ? firmwareProblem : driverProblem;
    if (configured && !problem.empty()) target.fileProblem = TargetName(i) + " skipped: " + problem;
  }
}

}  // namespace vexa
