#include "engine/identification/chip_probe.h"

#include "chip/chip_table.h"
#include "engine/protocol/command_channel.h"
#include "engine/protocol/isp_frames.h"

namespace vexa {

namespace {

// The ISP close command to the chip at ddcAddr.
std::vector<uint8_t> QueryFrame(uint8_t ddcAddr) {
  std::vector<uint8_t> frame(kMaxIspFrameSize);
  frame.resize(BuildIspFrame(ddcAddr, isp_opcode::kIspClose, {}, frame));
  return frame;
}

// The acknowledge comes from the read address ddcAddr | 1; its checksum over the frame,
// seeded with the reply seed, folds to that address XOR 0x19.
uint8_t AckChecksum(uint8_t ddcAddr) {
  return static_cast<uint8_t>((ddcAddr | 1) ^ 0x19);
}

// DPCD branch device identification string.
constexpr uint32_t kBranchIdAddress = 0x503;
constexpr int32_t kBranchIdLength = 6;
constexpr int32_t kAckLength = 8;

}  // namespace

const ChipProbe& IspChipProbe() {
  static const ChipProbe probe{
      .queryFrame = QueryFrame,
      .ackLength = kAckLength,
      .ackCode = isp_opcode::kAcknowledge,
      .ackChecksum = AckChecksum,
      .branchIdAddress = kBranchIdAddress,
      .branchIdLength = kBranchIdLength,
      .branchIdPrefixes = kProbeBranchIdPrefixes,
  };
  return probe;
}

}  // namespace vexa
