#include "transport/probe_port.h"

#include <array>
#include <string>

#include "util/text_format.h"

namespace vexa {

namespace {

// Polling for the acknowledge of the query frame.
constexpr uint16_t kWaitAfterQueryMs = 40;
constexpr uint16_t kWaitAfterShortReplyMs = 30;

// A DDC/CI null message: the device answered but has no reply pending.
bool IsNullMessage(const std::array<uint8_t, kMaxDdcReplySize>& reply, int32_t length) {
  return length == 3 && reply[1] == 0x80 && reply[2] == 0xBE;
}

int32_t QueryDdc2bi(GfxLib& gfx, Clock& clock, ErrorRecord& record, const ProbeTraits& traits,
                    const ChipProbe& probe, uint8_t ddcAddr) {
  DelayMs(clock, traits.waitBeforeWriteMs);
  const std::vector<uint8_t> frame = probe.queryFrame(ddcAddr);
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
    if (length >= probe.ackLength) break;
    if (traits.endsOnNullMessage && IsNullMessage(reply, length)) {
      record.Record(0, "Got NULL msg!");
      return gfx_status::kReplyRejected;
    }
    DelayMs(clock, kWaitAfterShortReplyMs);
  }

  if (readStatus != gfx_status::kSuccess) {
    return traits.failedReadKeepsStatus ? readStatus : gfx_status::kReplyRejected;
  }
  if (length != probe.ackLength) {
    if (!traits.wrongLengthText.empty()) record.Record(0, std::string(traits.wrongLengthText));
    return gfx_status::kReplyRejected;
  }
  if (reply[static_cast<size_t>(length) - 2] != probe.ackCode) {
    record.Record(0, std::string(traits.noAckText));
    return gfx_status::kReplyRejected;
  }
  if (reply[static_cast<size_t>(length) - 1] != probe.ackChecksum(ddcAddr)) {
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

int32_t CheckBranchId(GfxLib& gfx, ErrorRecord& record, const ProbeTraits& traits,
                      const ChipProbe& probe) {
  // One byte more than is read, so the id always ends in a zero byte.
  std::vector<uint8_t> id(static_cast<size_t>(probe.branchIdLength) + 1);
  const int32_t readStatus =
      gfx.NativeAuxRead(probe.branchIdAddress, id.data(), probe.branchIdLength);
  if (readStatus != gfx_status::kSuccess) return readStatus;

  const std::string_view idText(reinterpret_cast<const char*>(id.data()));
  for (const std::string_view prefix : probe.branchIdPrefixes) {
    if (idText.starts_with(prefix)) return gfx_status::kSuccess;
  }

  record.Record(traits.branchIdRecordCode,
                idText.empty() ? std::string("Reading DPCD branch ID string failed!")
                               : StrPrintf("DPCD branch ID string \"%s\" not matched!",
                                           Latin1ToUtf8(idText).c_str()));
  return gfx_status::kNoChipFound;
}

}  // namespace

int32_t ProbePort(GfxLib& gfx, Clock& clock, ErrorRecord& record, const ProbeTraits& traits,
                  const ChipProbe& probe, int32_t probeMode, uint8_t ddcAddr) {
  switch (static_cast<ProbeMode>(probeMode)) {
    case ProbeMode::kDdc2biQuery:
      return QueryDdc2bi(gfx, clock, record, traits, probe, ddcAddr);
    case ProbeMode::kBranchIdCheck:
      return CheckBranchId(gfx, record, traits, probe);
  }
  return traits.unknownModeStatus;
}

}  // namespace vexa
