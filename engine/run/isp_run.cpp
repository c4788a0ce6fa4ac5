#include "engine/run/isp_run.h"

#include <algorithm>
#include <array>

#include "chip/chip_table.h"
#include "chip/fw_file_parser.h"
#include "chip/version_text.h"
#include "engine/engine_log.h"
#include "engine/isp_status.h"
#include "engine/protocol/command_channel.h"
#include "engine/protocol/flash_erase.h"
#include "engine/protocol/fw_write.h"
#include "engine/protocol/isp_frames.h"
#include "engine/protocol/isp_init.h"
#include "engine/run/aux_forwarding.h"
#include "engine/run/onboard_query.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr uint32_t kImage512K = 0x80000;
constexpr uint32_t kImage256K = 0x40000;
constexpr size_t kInfoBlockMove = 0x40;

bool IsDownstream(size_t index) {
  return index != kHostTarget;
}

// A file without boot code going onto a chip that keeps its boot code: the file's info block
// moves to where a boot-coded image carries the application's, so the boot code finds it.
void MoveInfoBlockForKeptBootCode(ByteBuffer& image) {
  if (image.size() < kAppInfoBlockEnd + kInfoBlockMove) return;
  std::copy(image.end() - kInfoBlockMove, image.end(),
            image.end() - static_cast<long>(kAppInfoBlockEnd + kInfoBlockMove));
}

BootCodeAction DecideBootCodeAction(IspTarget& target) {
  if (target.progBootCode == 0) return BootCodeAction::kWriteWholeImage;
  if (target.fileBootCodeVersion != 0) {
    return target.onBoardBootCodeVersion < target.fileBootCodeVersion
               ? BootCodeAction::kUpdateBootCode
               : BootCodeAction::kKeepBootCode;
  }
  if (target.onBoardBootCodeVersion != 0) {
    MoveInfoBlockForKeptBootCode(*target.fwImage);
    return BootCodeAction::kKeepBootCode;
  }
  return BootCodeAction::kWriteWholeImage;
}

struct TargetCheck {
  std::array<bool, kTargetCount> selected{};
  // Configured targets whose files could not be staged.
  std::array<bool, kTargetCount> skipped{};
  bool anyChipFound = false;
  bool AnySkipped() const {
    return std::find(skipped.begin(), skipped.end(), true) != skipped.end();
  }
  bool AnySelected() const {
    return std::find(selected.begin(), selected.end(), true) != selected.end();
  }
  bool AnyPortSelected() const { return selected[1] || selected[2]; }
};

TargetCheck CheckTargets(IspContext& ctx) {
  TargetCheck check;
  for (size_t i = 0; i < kTargetCount; ++i) {
    IspTarget& target = ctx.targets[i];
    target.onBoardChipType = ChipType::kNone;
    if (!target.fileProblem.empty()) {
      AddIspLog(ctx, target.fileProblem + "\r\n");
      target.status.store(TargetStatus::kFailed);
      check.skipped[i] = true;
      continue;
    }
    if (!target.fwImage || !target.driverImage) continue;

    ChipInfo info;
    const bool answered = QueryTargetChip(ctx, i, info);
    // The chip found (kNone when none answered); the work estimate below plans with it.
    target.onBoardChipType = info.chipType;
    if (!answered) continue;
    check.anyChipFound = true;
    if (FileMatchesChip(target.fileChipType, info.chipType)) {
      target.onBoardBootCodeVersion = info.bootCodeVersion;
      target.status.store(TargetStatus::kSelected);
      check.selected[i] = true;
      target.bootCodeAction = DecideBootCodeAction(target);
      const int32_t work = EstimateTargetWork(ctx, target);
      ctx.progressTotal.fetch_add(static_cast<uint32_t>(work));
    } else {
      AddIspLog(ctx, TargetName(i) + " F/W BIN file not matched with on-board chip!\r\n");
    }
  }
  return check;
}

// Resets the host chip after its ports were programmed, so it starts with their new firmware.
void ResetHost(IspContext& ctx) {
  AddIspLog(ctx, "Reset host device\r\n");
  const uint8_t savedAddr = ctx.currentDdcAddr;
  ctx.currentDdcAddr = kHostForwardingDdcAddr;
  const std::array<uint8_t, 3> body = {2, isp_opcode::kResetControl, 0x01};
  SendIspCommand(ctx, body);
  ctx.currentDdcAddr = savedAddr;
}

// Ends the run: releases the images, then publishes the final status as the last write.
bool FinishRun(IspContext& ctx, bool succeeded) {
  FreeTargetBuffers(ctx);
  ctx.runStatus.store(succeeded ? RunStatus::kCompleted : RunStatus::kFailed,
                      std::memory_order_release);
  return succeeded;
}

}  // namespace

std::string TargetName(size_t index) {
  static constexpr std::array<const char*, kTargetCount> kNames = {"Host", "Port#1", "Port#2"};
  return index < kTargetCount ? kNames[index] : "";
}

bool RunIsp(IspContext& ctx) {
  ResetIspContext(ctx);
  const TargetCheck check = CheckTargets(ctx);
  ctx.runStatus.store(RunStatus::kRunning);
  // A configured target that could not be staged fails the run, and its reason is the error
  // shown: it is the run's first failure (a chip that did not answer the check is none).
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (!check.skipped[i]) continue;
    ClearFirstError(ctx);
    SetFirstError(ctx, isp_status::kInvalidParameter, ctx.targets[i].fileProblem);
    HoldTargetFailure(ctx, i);
    break;
  }

  if (!check.AnySelected()) {
    AddIspLog(ctx, check.anyChipFound || check.AnySkipped() ? "No available ISP file!\r\n"
                                                            : "No available device!\r\n");
    return FinishRun(ctx, false);
  }
  AddIspLog(ctx, "Start VEXA ISP...\r\n");

  if (check.selected[kHostTarget]) {
    if (!IspOnTarget(ctx, kHostTarget)) {
      HoldTargetFailure(ctx, kHostTarget);
      return FinishRun(ctx, false);
    }
    if (check.AnyPortSelected()) {
      AddIspLog(ctx, "Host device re-booting...\r\n");
      DelayMs(ctx.clock, ctx.nextIspDelayMs);
    }
  }
  // A failed port does not stop the other one, but the run only succeeds when every selected
  // target did.
  bool allSucceeded = !check.AnySkipped();
  for (size_t port = 1; port < kTargetCount; ++port) {
    if (check.selected[port] && !IspOnTarget(ctx, port)) {
      HoldTargetFailure(ctx, port);
      allSucceeded = false;
    }
  }
  if (check.AnyPortSelected()) ResetHost(ctx);

  if (allSucceeded) ctx.progressDone.store(ctx.progressTotal.load());
  return FinishRun(ctx, allSucceeded);
}

bool IspOnTarget(IspContext& ctx, size_t index) {
  if (index >= kTargetCount) {
    AddIspLog(ctx, "Wrong port number for ISP!!!\r\n");
    return false;
  }
  IspTarget& target = ctx.targets[index];
  bool ok = false;
  if (IsDownstream(index) &&
      OpenPort(ctx, index, OnOpenFrameFailure::kTryEnable) != PortOpen::kOpened) {
    AddIspLog(ctx, StrPrintf("Forwarding AUX to port#%zu ... failed!\r\n", index));
  } else {
    LoadIspTarget(ctx, index);
    AddIspLog(ctx, "ISP on [" + TargetName(index) + "]:\r\n");
    if (target.progBootCode == 1) LogBootCodeVersions(ctx, index);
    target.status.store(TargetStatus::kProgramming);
    SetChipGeometry(ctx, ctx.currentChipType);

    if (InitIsp(ctx) && (ok = EraseForTarget(ctx))) {
      ok = WriteFirmware(ctx);
      if (SendReset1Cmd(ctx)) AddIspLog(ctx, "Chip reset... done!\r\n");
    }
  }
  if (IsDownstream(index)) ClosePort(ctx, index);
  target.status.store(ok ? TargetStatus::kDone : TargetStatus::kFailed);
  return ok;
}

void HoldTargetFailure(IspContext& ctx, size_t index) {
  if (ctx.firstErrorCode == 0 && ctx.firstErrorText.empty()) {
    const bool transportFailed =
        ctx.activeGfxLib != nullptr && ctx.activeGfxLib->GetErrorCode() != 0;
    SetFirstError(ctx,
                  transportFailed ? isp_status::kDriverCallFailed : isp_status::kUnexpectedReply,
                  "ISP on [" + TargetName(index) + "] failed!");
  }
  ctx.firstErrorHeld = true;
}

void LogBootCodeVersions(IspContext& ctx, size_t index) {
  const IspTarget& target = ctx.targets.at(index);
  const std::string onBoard = BootCodeVersionText(target.onBoardBootCodeVersion);
  const std::string inFile = BootCodeVersionText(target.fileBootCodeVersion);
  if (target.onBoardBootCodeVersion != 0 && target.fileBootCodeVersion != 0) {
    AddIspLog(ctx, "Boot-code version:\r\n  On-board: v" + onBoard + "\r\n  BIN file: v" + inFile +
                       "\r\n");
  } else if (target.onBoardBootCodeVersion != 0) {
    AddIspLog(ctx, "Only on-board Boot-code: v" + onBoard + "\r\n");
  } else if (target.fileBootCodeVersion != 0) {
    AddIspLog(ctx, "No on-board Boot-code!\r\nBoot-code in BIN file: v" + inFile + "\r\n");
  } else {
    AddIspLog(ctx, "No boot-code on both on-board and BIN file!\r\n");
  }
}

bool EraseForTarget(IspContext& ctx) {
  uint16_t code = kEraseWholeFlash;
  if (ctx.currentBootCodeAction == BootCodeAction::kKeepBootCode) {
    if (ctx.currentFwImageSize == kImage512K) {
      AddIspLog(ctx, "Erase App only (512K)\r\n");
      code = kEraseApp512K;
    } else if (ctx.currentFwImageSize == kImage256K) {
      AddIspLog(ctx, "Erase App only (256K)\r\n");
      code = kEraseApp256K;
    } else {
      SetFirstError(ctx, isp_status::kInvalidParameter,
                    StrPrintf("Not available SPI flash size! (0x%X)", ctx.currentFwImageSize));
      AddIspLog(ctx, "Not available SPI flash size!\r\n");
      return false;
    }
  } else {
    AddIspLog(ctx, "Erase full SPI flash!\r\n");
  }
  return RunFlashErase(ctx, code);
}

}  // namespace vexa
