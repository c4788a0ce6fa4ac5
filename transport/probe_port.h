#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "transport/error_record.h"
#include "transport/gfx_lib.h"
#include "util/clock.h"

namespace vexa {

// What the chip probe of the port scan sends and accepts. The transport does not speak the
// chip's protocol: the engine describes the probe (IspChipProbe) and every backend is made
// with that description.
struct ChipProbe {
  // The query frame for the chip at ddcAddr, checksum included.
  std::vector<uint8_t> (*queryFrame)(uint8_t ddcAddr) = nullptr;
  // The acknowledge that answers it: its length, the code in its second-last byte and the
  // checksum in its last byte.
  int32_t ackLength = 0;
  uint8_t ackCode = 0;
  uint8_t (*ackChecksum)(uint8_t ddcAddr) = nullptr;
  // Where the DPCD branch ID lies, and the prefixes that name the chip.
  uint32_t branchIdAddress = 0;
  int32_t branchIdLength = 0;
  std::span<const std::string_view> branchIdPrefixes;
};

// Where the backends' chip probes differ; everything else about the probe is shared.
struct ProbeTraits {
  // Wait before the query frame is written.
  uint16_t waitBeforeWriteMs = 0;
  // DDC reads polled for the acknowledge at most.
  int32_t readCount = 20;
  // Wait after every poll read, whatever its outcome.
  uint16_t waitAfterEachReadMs = 0;
  // A DDC/CI null message (the chip has nothing to say) ends the probe with 7.
  bool endsOnNullMessage = true;
  // When the last poll read failed: its own status instead of 7.
  bool failedReadKeepsStatus = false;
  // Recorded when the acknowledge has the wrong length; empty records nothing.
  std::string_view wrongLengthText;
  // Recorded when the acknowledge byte is wrong.
  std::string_view noAckText = "Checksum error!";
  // Code of the record made when the branch ID does not match.
  int32_t branchIdRecordCode = 0;
  // Result for a probe mode other than ProbeMode's.
  int32_t unknownModeStatus = gfx_status::kReplyRejected;
};

inline constexpr ProbeTraits kIntelProbeTraits{};
inline constexpr ProbeTraits kAmdProbeTraits = kIntelProbeTraits;
inline constexpr ProbeTraits kNvidiaProbeTraits{
    .waitBeforeWriteMs = 10,
    .readCount = 10,
    .waitAfterEachReadMs = 10,
    .endsOnNullMessage = false,
    .failedReadKeepsStatus = true,
    .wrongLengthText = "Wrong reply length!",
    .noAckText = "No ACK!",
    .branchIdRecordCode = 1,
    .unknownModeStatus = gfx_status::kBadProbeMode,
};

// The port scan report's closing line when no port was selected.
inline constexpr std::string_view kNoAvailablePortLine = "     ==> No available port!\r\n";

// The chip probe of the port scan, run against the port the backend has made current, through
// the backend's own transactions. probeMode 1 sends probe's query frame over DDC at ddcAddr
// and expects the chip's acknowledge; 2 expects one of probe's DPCD branch IDs. Waits go
// through clock; rejections are recorded in the backend's record. Returns 0 when the chip
// answered; otherwise a transaction's status, 5 (branch ID not matched), 7 (no or wrong
// acknowledge) or traits.unknownModeStatus.
int32_t ProbePort(GfxLib& gfx, Clock& clock, ErrorRecord& record, const ProbeTraits& traits,
                  const ChipProbe& probe, int32_t probeMode, uint8_t ddcAddr);

}  // namespace vexa
