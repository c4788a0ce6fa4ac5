#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chip/chip_types.h"
#include "engine/isp_log.h"
#include "transport/gfx_lib.h"
#include "util/clock.h"

namespace vexa {

using ByteBuffer = std::vector<uint8_t>;
// A file image owned by the context; empty optional = no image assigned.
using OwnedImage = std::optional<ByteBuffer>;

enum class RunStatus : int32_t {
  kNotStarted = 0,
  kRunning = 1,
  kCompleted = 0xFF,
  kFailed = 0x81,
};
// Bit of RunStatus that says the run has ended.
inline constexpr int32_t kRunEndedBit = 0x80;
inline bool HasRunEnded(RunStatus status) {
  return (static_cast<int32_t>(status) & kRunEndedBit) != 0;
}

enum class TargetStatus : int32_t {
  kSelected = 0,
  kProgramming = 1,
  kIdle = 0xE0,
  kDone = 0xFF,
  kFailed = 0x81,
};

enum class BootCodeAction : int32_t {
  kWriteWholeImage = 0,
  kKeepBootCode = 1,
  kUpdateBootCode = 2,
};

inline constexpr size_t kTargetCount = 3;
inline constexpr size_t kHostTarget = 0;
inline constexpr uint8_t kDefaultDdc2biAddr = 0x6E;
// DDC2bi address of the host chip's own command interface (forwarding and host reset).
inline constexpr uint8_t kHostForwardingDdcAddr = 0x60;
// Size of the protocol's reply and transfer buffers.
inline constexpr size_t kProtocolBufferSize = 512;

// One chip a run can program: index 0 the host device, 1 Port#1, 2 Port#2.
struct IspTarget {
  uint8_t ddc2biAddr = kDefaultDdc2biAddr;
  OwnedImage driverImage;
  OwnedImage fwImage;
  // Boot-code region of the BIN file; meaningful only while fileBootCodeVersion is non-zero.
  OwnedImage bootCodeImage;
  ChipType onBoardChipType = ChipType::kNone;
  ChipType fileChipType = ChipType::kNone;
  uint8_t progBootCode = 1;
  uint16_t onBoardBootCodeVersion = 0;
  uint16_t fileBootCodeVersion = 0;
  // Driver bytes downloaded into chip RAM; at most 0x8000.
  uint16_t driverLength = 0;
  uint32_t fwImageSize = 0;
  BootCodeAction bootCodeAction = BootCodeAction::kWriteWholeImage;
  // Why the target's driver or BIN file could not be staged for the run ("Port#1: ..."); empty
  // when both were assigned or the target is not configured. Cleared with the images.
  std::string fileProblem;
  // Polled by the user interface while the worker writes it.
  std::atomic<TargetStatus> status{TargetStatus::kSelected};
};

// All state of the ISP engine. The user-interface thread and one worker thread per run share
// it: during a run the worker is the only writer except for logReadIndex. The fields the user
// interface polls are atomics; runStatus is the run's last write (release) and its reader
// acquires it, so seeing the final status means seeing everything the run wrote before.
struct IspContext {
  explicit IspContext(Clock& clockRef) : clock(clockRef) {}
  IspContext(const IspContext&) = delete;
  IspContext& operator=(const IspContext&) = delete;

  // Every wait of the engine goes through this clock.
  Clock& clock;

  std::array<IspTarget, kTargetCount> targets;

  // Run state.
  std::atomic<RunStatus> runStatus{RunStatus::kNotStarted};
  std::atomic<uint32_t> progressDone{0};
  std::atomic<uint32_t> progressTotal{0};
  int32_t firstErrorCode = 0;
  std::string firstErrorText;
  // For a first error that is a failed transport call (code 6): the transport's own record at
  // that moment. Later transactions reset some transports' records, so it is kept here.
  int32_t firstErrorGfxCode = 0;
  std::string firstErrorGfxText;
  // Set once a failed target's error is the one to show (HoldTargetFailure): from then on
  // not even a code-0 record is replaced.
  bool firstErrorHeld = false;

  // Engine log and the index of the next entry the user interface has not taken.
  IspLog log;
  std::atomic<uint32_t> logReadIndex{0};

  // Transport of every AUX transaction; not owned. Null until adapter detection found one.
  GfxLib* activeGfxLib = nullptr;

  // Working copy of the target under ISP (LoadIspTarget). The spans borrow the target's own
  // images and stay valid until those are released.
  uint8_t currentDdcAddr = kDefaultDdc2biAddr;
  std::span<const uint8_t> currentDriverImage;
  uint16_t currentDriverLength = 0;
  std::span<const uint8_t> currentFwImage;
  uint32_t currentFwImageSize = 0;
  std::span<const uint8_t> currentBootCodeImage;
  BootCodeAction currentBootCodeAction = BootCodeAction::kWriteWholeImage;
  ChipType currentChipType = ChipType::kNone;

  // Chip geometry of the current chip type.
  uint32_t flashBaseAddr = 0x400000;
  uint16_t driverLoadAddr = 0x1800;
  uint16_t driverEntryAddr = 0x1800;
  uint16_t driverBootDelayMs = 800;

  // Settings from the configuration file.
  uint16_t nextIspDelayMs = 3000;
  uint16_t flashEraseTimeMs = 300;
  bool printTimeStamp = true;
  bool portsConfigured = false;

  // Protocol state: the reply and transfer buffers of the command channel and the mailbox.
  std::array<uint8_t, kProtocolBufferSize> replyBuffer{};
  std::array<uint8_t, kProtocolBufferSize> transferBuffer{};
  // Driver bytes that are downloaded: the driver image itself, or the image after its header.
  std::span<const uint8_t> driverPayload;

  // DPCD mailbox window of the running ISP driver.
  uint32_t dpcdBufferAddr = 0x20000;
  uint16_t dpcdBufferSize = 0x200;
  uint32_t ackBufferAddr = 0x10000;
  uint16_t ackBufferSize = 0x80;
  std::array<uint32_t, 2> halfStatusAddr{0x200FF, 0x201FF};
  uint16_t eraseProgressBudget = 0;

  // Staging buffers of the last driver file and firmware file read.
  OwnedImage loadedDriverFile;
  OwnedImage loadedFwFile;

  // Chip type whose extra ISP-initialisation register writes InitIsp performs (types 5 and 3
  // have one each). None by default: the field-proven initialisation is without them, so the
  // tool sends them only when this is set on purpose.
  ChipType ispInitSelector = ChipType::kNone;

  // Results of the last on-board query, per target: the chip found, the BIN file's versions,
  // the file's problem (empty when accepted) and the connection error (empty when answered).
  std::array<ChipInfo, kTargetCount> chipInfo{};
  std::array<FwFileInfo, kTargetCount> fwFileInfo{};
  std::array<std::string, kTargetCount> fwFileStatusText;
  std::array<std::string, kTargetCount> connectErrorText;
};

// Program-start values: every field back to what the context starts with.
void InitIspContext(IspContext& ctx);

// The per-run reset, first step of every run.
void ResetIspContext(IspContext& ctx);

// Releases every target's images; last step of every run.
void FreeTargetBuffers(IspContext& ctx);

// Records the first error since the last clear; later calls do nothing until it is cleared
// (a code-0 record carries only a text and stays replaceable, unless held).
void SetFirstError(IspContext& ctx, int32_t code, std::string text);
void ClearFirstError(IspContext& ctx);

// Copies target `index` into the working copy at the start of its ISP.
void LoadIspTarget(IspContext& ctx, size_t index);

// Moves progressDone forward by units, or to value, never beyond progressTotal and never back:
// the estimate of a target's work can fall short of what a chip takes (a mostly blank image
// still needs its driver download and erase), and the bar must neither overflow nor jump back.
void AdvanceProgress(IspContext& ctx, uint32_t units);
void AdvanceProgressTo(IspContext& ctx, uint32_t value);

// Sets the flash mapping and driver load, entry and boot-delay values of the chip type; a
// type without a row gets the mapping most chips share.
void SetChipGeometry(IspContext& ctx, ChipType type);

}  // namespace vexa
