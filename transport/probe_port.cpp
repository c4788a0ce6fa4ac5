#include "transport/probe_port.h"

#include <array>
#include <string>

#include "util/text_format.h"

namespace vexa {

namespace {

// Polling for the acknowledge of the query frame.
constexpr uint16_t kWaitAfterQueryMs = 40;
constexpr uint16_t kWaitAfterShortReplyMs = 30;
constexpr int32_t kAckLength = 8;
constexpr uint8_t kAckCode = 0x0C;

// DPCD branch device identification string.
constexpr uint32_t kBranchIdAddress = 0x503;
constexpr int32_t kBranchIdLength = 6;

// The ISP close command (0x0A) as a DDC2bi frame to ddcAddr; its checksum, ddcAddr XORed
// with every frame byte, folds to ddcAddr XOR 0x1F.
std::array<uint8_t, 8> QueryFrame(uint8_t ddcAddr) {
  return {0x51, 0x85, 0xC2, 0x00, 0x00, 0x03, 0x0A, static_cast<uint8_t>(ddcAddr ^ 0x1F)};
}

// Checksum byte of the chip's acknowledge frame, sent from the read address ddcAddr | 1.
uint8_t AckChecksum(uint8_t ddcAddr) {
  return static_cast<uint8_t>((ddcAddr | 1) ^ 0x19);
}

// A DDC/CI null message: the device answered but has no reply pending.
bool IsNullMessage(const std::array<uint8_t, kMaxDdcReplySize>& reply, int32_t length) {
  return length == 3 && reply[1] == 0x80 && reply[2] == 0xBE;
}

int32_t QueryDdc2bi(GfxLib& gfx, Clock& clock, ErrorRecord& record, const ProbeTraits& traits,
                    uint8_t ddcAddr) {
  DelayMs(clock, traits.waitBeforeWriteMs);
  const auto frame = QueryFrame(ddcAddr);
  const int32_t writeStatus =
      gfx.DdcAuxWrite(ddcAddr, frame.data(), static_cast<int32_t>(frame.size()));
  if (writeStatus != gfx_status::kSuccess) return writeStatus;
  DelayMs(clock, kWaitAfterQueryMs);

  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  int32_t readStatus = gfx_status::kReplyRejected;
  for (int32_t read = 0; read < traits.readCount; ++read) {
    readStatus = gfx.DdcAuxRead(ddcAddr, reply.data(), &length);
    DelayMs(clock, traits.waitAfterEachReadMs);
    if (readStatus != gfx_status::kSuccess) continue;
    if (length >= kAckLength) break;
    if (traits.endsOnNullMessage && IsNullMessage(reply, length)) {
      record.Record(0, "Got NULL msg!");
      return gfx_status::kReplyRejected;
    }
    DelayMs(clock, kWaitAfterShortReplyMs);
  }

  if (readStatus != gfx_status::kSuccess) {
    return traits.failedReadKeepsStatus ? readStatus : gfx_status::kReplyRejected;
  }
  if (length != kAckLength) {
    if (!traits.wrongLengthText.empty()) record.Record(0, std::string(traits.wrongLengthText));
    return gfx_status::kReplyRejected;
  }
  if (reply[6] != kAckCode) {
    record.Record(0, std::string(traits.noAckText));
    return gfx_status::kReplyRejected;
  }
  if (reply[7] != AckChecksum(ddcAddr)) {
    record.Record(0, "Checksum error!");
    return gfx_status::kReplyRejected;
  }
  return gfx_status::kSuccess;
}

// The id bytes read as Latin-1, so that whatever the chip sends quotes as valid UTF-8.
std::string Latin1ToUtf8(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

int32_t CheckBranchId(GfxLib& gfx, ErrorRecord& record, const ProbeTraits& traits) {
  // One byte more than is read, so the id always ends in a zero byte.
  std::array<uint8_t, kBranchIdLength + 1> id{};
  const int32_t readStatus = gfx.NativeAuxRead(kBranchIdAddress, id.data(), kBranchIdLength);
  if (readStatus != gfx_status::kSuccess) return readStatus;

  const std::string_view idText(reinterpret_cast<const char*>(id.data()));
  if (idText.starts_with("KEST") || idText.starts_with("VX430")) return gfx_status::kSuccess;

  record.Record(traits.branchIdRecordCode,
                idText.empty() ? std::string("Reading DPCD branch ID string failed!")
                               : StrPrintf("DPCD branch ID string \"%s\" not matched!",
                                           Latin1ToUtf8(idText).c_str()));
  return gfx_status::kNoChipFound;
}

}  // namespace

int32_t ProbePort(GfxLib& gfx, Clock& clock, ErrorRecord& record, const ProbeTraits& traits,
                  int32_t probeMode, uint8_t ddcAddr) {
  switch (static_cast<ProbeMode>(probeMode)) {
    case ProbeMode::kDdc2biQuery:
      return QueryDdc2bi(gfx, clock, record, traits, ddcAddr);
    case ProbeMode::kBranchIdCheck:
      return CheckBranchId(gfx, record, traits);
  }
  return traits.unknownModeStatus;
}

}  // namespace vexa
