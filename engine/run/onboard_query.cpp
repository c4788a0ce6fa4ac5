#include "engine/run/onboard_query.h"

#include "engine/engine_log.h"
#include "engine/firmware_files.h"
#include "engine/identification/chip_query.h"
#include "engine/run/aux_forwarding.h"

namespace vexa {

namespace {

// Queries target index into its chipInfo slot, cleared first so that a port that cannot be
// opened shows no chip.
bool QueryTarget(IspContext& ctx, size_t index) {
  ChipInfo& info = ctx.chipInfo[index];
  info.chipType = ChipType::kNone;
  info.cut = 0;
  info.runMode = RunMode::kNone;
  info.fwVersion = 0;
  info.fwRevision = 0;
  return QueryTargetChip(ctx, index, info);
}

void ReadTargetFile(IspContext& ctx, size_t index, const std::string& path) {
  int32_t size = 0;
  std::string loadError;
  if (!LoadFwFile(ctx, path, size, loadError)) {
    ctx.fwFileStatusText[index] = loadError;
    return;
  }
  const bool accepted =
      AssignFwImage(ctx, static_cast<int32_t>(index), size, ctx.fwFileInfo[index]);
  ctx.fwFileStatusText[index] = accepted ? std::string() : ctx.firstErrorText;
}

}  // namespace

bool QueryTargetChip(IspContext& ctx, size_t index, ChipInfo& info) {
  const bool downstream = index != kHostTarget;
  if (downstream && OpenPort(ctx, index, OnOpenFrameFailure::kGiveUp) != PortOpen::kOpened) {
    return false;
  }
  ctx.currentDdcAddr = ctx.targets[index].ddc2biAddr;
  const bool answered = QueryChip(ctx, info);
  if (downstream) ClosePort(ctx, index);
  return answered;
}

bool QueryOnBoard(IspContext& ctx, const FwFilePaths& fwFilePath) {
  bool allAnswered = true;
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (fwFilePath[i].empty()) {
      ctx.connectErrorText[i].clear();
      continue;
    }
    // Only an error of this target's own query may show as its connection error.
    ClearFirstError(ctx);
    if (QueryTarget(ctx, i)) {
      ctx.connectErrorText[i].clear();
    } else {
      ctx.connectErrorText[i] = FormatFirstError(ctx);
      allAnswered = false;
    }
    // The file is read whether the chip answered or not, so its version shows either way.
    ReadTargetFile(ctx, i, fwFilePath[i]);
  }
  return allAnswered;
}

std::string TargetLabel(size_t index) {
  static constexpr std::array<const char*, kTargetCount> kLabels = {"<Host  > ", "<Port#1> ",
                                                                    "<Port#2> "};
  return index < kTargetCount ? kLabels[index] : "";
}

}  // namespace vexa
