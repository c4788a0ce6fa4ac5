#include "engine/isp_context.h"

#include <algorithm>

#include "chip/chip_table.h"
#include "engine/isp_status.h"

namespace vexa {

namespace {

void InitTarget(IspTarget& target) {
  target.ddc2biAddr = kDefaultDdc2biAddr;
  target.driverImage.reset();
  target.fwImage.reset();
  target.bootCodeImage.reset();
  target.onBoardChipType = ChipType::kNone;
  target.fileChipType = ChipType::kNone;
  target.progBootCode = 1;
  target.onBoardBootCodeVersion = 0;
  target.fileBootCodeVersion = 0;
  target.driverLength = 0;
  target.fwImageSize = 0;
  target.bootCodeAction = BootCodeAction::kWriteWholeImage;
  target.status.store(TargetStatus::kSelected);
}

}  // namespace

void InitIspContext(IspContext& ctx) {
  for (IspTarget& target : ctx.targets) InitTarget(target);

  ctx.runStatus.store(RunStatus::kNotStarted);
  ctx.progressDone.store(0);
  ctx.progressTotal.store(0);
  ClearFirstError(ctx);
  ctx.log.Clear();
  ctx.logReadIndex.store(0);
  ctx.activeGfxLib = nullptr;

  ctx.currentDdcAddr = kDefaultDdc2biAddr;
  ctx.currentDriverImage = {};
  ctx.currentDriverLength = 0;
  ctx.currentFwImage = {};
  ctx.currentFwImageSize = 0;
  ctx.currentBootCodeImage = {};
  ctx.currentBootCodeAction = BootCodeAction::kWriteWholeImage;
  ctx.currentChipType = ChipType::kNone;

  ctx.flashBaseAddr = 0x400000;
  ctx.driverLoadAddr = 0x1800;
  ctx.driverEntryAddr = 0x1800;
  ctx.driverBootDelayMs = 800;

  ctx.nextIspDelayMs = 3000;
  ctx.flashEraseTimeMs = 300;
  ctx.printTimeStamp = true;
  ctx.portsConfigured = false;

  ctx.replyBuffer.fill(0);
  ctx.transferBuffer.fill(0);
  ctx.driverPayload = {};
  ctx.dpcdBufferAddr = 0x20000;
  ctx.dpcdBufferSize = 0x200;
  ctx.ackBufferAddr = 0x10000;
  ctx.ackBufferSize = 0x80;
  ctx.halfStatusAddr = {0x200FF, 0x201FF};
  ctx.eraseProgressBudget = 0;

  ctx.loadedDriverFile.reset();
  ctx.loadedFwFile.reset();

  ctx.ispInitSelector = ChipType::kNone;
  ctx.chipInfo.fill({});
  ctx.fwFileInfo.fill({});
  for (std::string& text : ctx.fwFileStatusText) text.clear();
  for (std::string& text : ctx.connectErrorText) text.clear();
}

void ResetIspContext(IspContext& ctx) {
  ctx.runStatus.store(RunStatus::kNotStarted);
  ctx.logReadIndex.store(0);
  ctx.log.Clear();
  ClearFirstError(ctx);
  for (IspTarget& target : ctx.targets) target.status.store(TargetStatus::kIdle);
  ctx.progressDone.store(0);
  ctx.progressTotal.store(0);
  // The chip-specific initialisation steps run only when chosen for this run.
  ctx.ispInitSelector = ChipType::kNone;
  if (ctx.activeGfxLib != nullptr) ctx.activeGfxLib->ClearError();
}

void FreeTargetBuffers(IspContext& ctx) {
  // The working copy borrows these images; drop the borrows with them so nothing can reach
  // released memory.
  ctx.currentDriverImage = {};
  ctx.currentFwImage = {};
  ctx.currentBootCodeImage = {};
  ctx.driverPayload = {};
  for (IspTarget& target : ctx.targets) {
    target.driverImage.reset();
    target.fwImage.reset();
    target.bootCodeImage.reset();
    target.fileChipType = ChipType::kNone;
    target.fileProblem.clear();
  }
}

void SetFirstError(IspContext& ctx, int32_t code, std::string text) {
  if (ctx.firstErrorCode != 0 || ctx.firstErrorHeld) return;
  ctx.firstErrorCode = code;
  ctx.firstErrorText = std::move(text);
  if (code == isp_status::kDriverCallFailed && ctx.activeGfxLib != nullptr) {
    ctx.firstErrorGfxCode = ctx.activeGfxLib->GetErrorCode();
    ctx.firstErrorGfxText = ctx.activeGfxLib->GetErrorText();
  }
}

void ClearFirstError(IspContext& ctx) {
  ctx.firstErrorCode = 0;
  ctx.firstErrorText.clear();
  ctx.firstErrorGfxCode = 0;
  ctx.firstErrorGfxText.clear();
  ctx.firstErrorHeld = false;
}

void LoadIspTarget(IspContext& ctx, size_t index) {
  const IspTarget& target = ctx.targets.at(index);
  ctx.currentDdcAddr = target.ddc2biAddr;
  ctx.currentDriverImage = target.driverImage ? std::span<const uint8_t>(*target.driverImage)
                                              : std::span<const uint8_t>();
  ctx.currentDriverLength = target.driverLength;
  ctx.currentFwImage =
      target.fwImage ? std::span<const uint8_t>(*target.fwImage) : std::span<const uint8_t>();
  ctx.currentFwImageSize = target.fwImageSize;
  ctx.currentBootCodeImage = target.bootCodeImage ? std::span<const uint8_t>(*target.bootCodeImage)
                                                  : std::span<const uint8_t>();
  ctx.currentBootCodeAction = target.bootCodeAction;
  ctx.currentChipType = target.onBoardChipType;
}

void AdvanceProgress(IspContext& ctx, uint32_t units) {
  AdvanceProgressTo(ctx, ctx.progressDone.load() + units);
}

void AdvanceProgressTo(IspContext& ctx, uint32_t value) {
  const uint32_t done = ctx.progressDone.load();
  ctx.progressDone.store(std::max(done, std::min(value, ctx.progressTotal.load())));
}

void SetChipGeometry(IspContext& ctx, ChipType type) {
  const ChipTraits& known = TraitsOf(type);
  const ChipTraits& chip = known.type == ChipType::kNone ? TraitsOf(ChipType::kOcelin4100) : known;
  ctx.flashBaseAddr = chip.flashBaseAddr;
  ctx.driverLoadAddr = chip.driverLoadAddr;
  ctx.driverEntryAddr = chip.driverEntryAddr;
  ctx.driverBootDelayMs = 800;
}

}  // namespace vexa
