#include "transport/probe_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/identification/chip_probe.h"
#include "testing/ddc_frames.h"
#include "testing/scripted_gfx.h"
#include "util/clock.h"

namespace vexa {
namespace {

using testing::AckReply;
using testing::Bytes;
using testing::NullMessage;

constexpr uint8_t kChipAddr = 0x6E;
constexpr int32_t kQuery = static_cast<int32_t>(ProbeMode::kDdc2biQuery);
constexpr int32_t kBranchId = static_cast<int32_t>(ProbeMode::kBranchIdCheck);
const std::vector<uint8_t> kQueryFrame = Bytes("51 85 C2 00 00 03 0A 71");

// A scripted transport that notes the virtual time of every DDC transaction, so tests see
// the waits between them.
class TimedScriptedGfx : public testing::ScriptedGfx {
 public:
  explicit TimedScriptedGfx(const VirtualClock& clock) : clock_(clock) {}

  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override {
    Stamp();
    return ScriptedGfx::DdcAuxWrite(ddcAddr, data, length);
  }
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override {
    Stamp();
    return ScriptedGfx::DdcAuxRead(ddcAddr, buffer, length);
  }

  // Milliseconds of virtual time at each DDC transaction, in order.
  std::vector<int64_t> stampsMs;

 private:
  void Stamp() {
    stampsMs.push_back(
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Elapsed()).count());
  }

  const VirtualClock& clock_;
};

// What each backend's probe is expected to do where they differ.
struct ProbeVariant {
  const char* name;
  ProbeTraits traits;
  int32_t readCount;
  int64_t writeAtMs;
  int64_t firstReadAtMs;
  // Time from one poll read to the next after a failed read and after a short reply.
  int64_t afterFailedReadMs;
  int64_t afterShortReplyMs;
  bool stopsOnNullMessage;
  int32_t allReadsFailedResult;
  const char* wrongLengthText;
  const char* noAckText;
  int32_t branchIdRecordCode;
  int32_t unknownModeStatus;
};

const ProbeVariant kVariants[] = {
    {"Intel", kIntelProbeTraits, 20, 0, 40, 0, 30, true, 7, "", "Checksum error!", 0, 7},
    {"Amd", kAmdProbeTraits, 20, 0, 40, 0, 30, true, 7, "", "Checksum error!", 0, 7},
    {"Nvidia", kNvidiaProbeTraits, 10, 10, 50, 10, 40, false, 6, "Wrong reply length!", "No ACK!",
     1, 4},
};

void PrintTo(const ProbeVariant& variant, std::ostream* out) {
  *out << variant.name;
}

class ProbePortTest : public ::testing::TestWithParam<ProbeVariant> {
 protected:
  int32_t Probe(int32_t mode, uint8_t addr = kChipAddr) {
    return ProbePort(gfx_, clock_, record_, GetParam().traits, IspChipProbe(), mode, addr);
  }

  // Times at which `count` reads spaced by `spacingMs` start.
  std::vector<int64_t> ReadTimes(int count, int64_t spacingMs) const {
    std::vector<int64_t> times;
    for (int i = 0; i < count; ++i) times.push_back(GetParam().firstReadAtMs + i * spacingMs);
    return times;
  }

  VirtualClock clock_;
  TimedScriptedGfx gfx_{clock_};
  ErrorRecord record_;
};

TEST_P(ProbePortTest, AcknowledgeAfterShortRepliesFindsTheChip) {
  struct Case {
    uint8_t addr;
    const char* frame;
  };
  for (const Case& c :
       {Case{0x6E, "51 85 C2 00 00 03 0A 71"}, Case{0x60, "51 85 C2 00 00 03 0A 7F"}}) {
    SCOPED_TRACE(int{c.addr});
    VirtualClock clock;
    TimedScriptedGfx gfx(clock);
    gfx.ExpectDdcWrite(c.addr, Bytes(c.frame))
        .ExpectDdcRead(c.addr, Bytes("6E 81 C2 00"))
        .Times(2)
        .ExpectDdcRead(c.addr, AckReply(c.addr));

    EXPECT_EQ(ProbePort(gfx, clock, record_, GetParam().traits, IspChipProbe(), kQuery, c.addr), 0);
    std::vector<int64_t> expected{GetParam().writeAtMs};
    for (int64_t t : ReadTimes(3, GetParam().afterShortReplyMs)) expected.push_back(t);
    EXPECT_EQ(gfx.stampsMs, expected);
  }
  EXPECT_EQ(record_.code(), 0);
  EXPECT_EQ(record_.text(), "");
}

TEST_P(ProbePortTest, WrongAcknowledgeBytesAreRejected) {
  struct Case {
    const char* reply;
    std::string text;
  };
  for (const Case& c : {Case{"6E 85 C2 00 00 03 0B 76", GetParam().noAckText},
                        Case{"6E 85 C2 00 00 03 0C 77", "Checksum error!"}}) {
    SCOPED_TRACE(c.reply);
    TimedScriptedGfx gfx(clock_);
    gfx.ExpectDdcWrite(kChipAddr, kQueryFrame).ExpectDdcRead(kChipAddr, Bytes(c.reply));
    ErrorRecord record;
    EXPECT_EQ(ProbePort(gfx, clock_, record, GetParam().traits, IspChipProbe(), kQuery, kChipAddr),
              7);
    EXPECT_EQ(record.code(), 0);
    EXPECT_EQ(record.text(), c.text);
  }
}

TEST_P(ProbePortTest, NullMessageEndsOnlyTheProbesThatTestForIt) {
  gfx_.ExpectDdcWrite(kChipAddr, kQueryFrame).ExpectDdcRead(kChipAddr, NullMessage(kChipAddr));
  if (GetParam().stopsOnNullMessage) {
    EXPECT_EQ(Probe(kQuery), 7);
    EXPECT_EQ(record_.text(), "Got NULL msg!");
  } else {
    gfx_.ExpectDdcRead(kChipAddr, AckReply(kChipAddr));
    EXPECT_EQ(Probe(kQuery), 0);
    EXPECT_EQ(record_.text(), "");
  }
}

TEST_P(ProbePortTest, LongReplyStopsPollingAndIsRejected) {
  gfx_.ExpectDdcWrite(kChipAddr, kQueryFrame)
      .ExpectDdcRead(kChipAddr, Bytes("6E 86 C2 00 00 03 0C 00 76"));
  EXPECT_EQ(Probe(kQuery), 7);
  EXPECT_EQ(record_.text(), GetParam().wrongLengthText);
}

TEST_P(ProbePortTest, OnlyShortRepliesExhaustThePollingAndAreRejected) {
  const ProbeVariant& v = GetParam();
  gfx_.ExpectDdcWrite(kChipAddr, kQueryFrame)
      .ExpectDdcRead(kChipAddr, Bytes("6E 81 C2 00"))
      .Times(v.readCount);
  EXPECT_EQ(Probe(kQuery), 7);
  EXPECT_EQ(record_.text(), v.wrongLengthText);
  EXPECT_EQ(clock_.Elapsed(),
            std::chrono::milliseconds(v.firstReadAtMs + v.readCount * v.afterShortReplyMs));
}

TEST_P(ProbePortTest, FailedReadsAreRetriedAndTheLastOneDecides) {
  const ProbeVariant& v = GetParam();
  gfx_.ExpectDdcWrite(kChipAddr, kQueryFrame)
      .ExpectDdcRead(kChipAddr, {}, gfx_status::kVendorCallFailed)
      .Times(v.readCount);
  EXPECT_EQ(Probe(kQuery), v.allReadsFailedResult);
  EXPECT_EQ(record_.text(), "");
  EXPECT_EQ(std::vector<int64_t>(gfx_.stampsMs.begin() + 1, gfx_.stampsMs.end()),
            ReadTimes(v.readCount, v.afterFailedReadMs));
}

TEST_P(ProbePortTest, FailedQueryWriteIsTheResult) {
  gfx_.ExpectDdcWrite(kChipAddr, kQueryFrame, gfx_status::kVendorCallFailed);
  EXPECT_EQ(Probe(kQuery), gfx_status::kVendorCallFailed);
  EXPECT_EQ(clock_.Elapsed(), std::chrono::milliseconds(GetParam().writeAtMs));
}

TEST_P(ProbePortTest, BranchIdMustNameTheChip) {
  struct Case {
    const char* id;
    int32_t result;
    const char* text;
  };
  const Case cases[] = {
      {"4B 45 53 54 3F 3F", 0, ""},  // "KEST??"
      {"4B 45 53 54 00 FE", 0, ""},  // "KEST" and any two bytes
      {"56 58 34 33 30 5A", 0, ""},  // "VX430Z"
      {"56 58 34 33 31 5A", 5, "DPCD branch ID string \"VX431Z\" not matched!"},
      {"4B 45 53 00 54 00", 5, "DPCD branch ID string \"KES\" not matched!"},
      {"56 58 34 33 E9 00", 5, "DPCD branch ID string \"VX43\u00E9\" not matched!"},
      {"00 45 53 54 00 00", 5, "Reading DPCD branch ID string failed!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    testing::ScriptedGfx gfx;
    gfx.ExpectNativeRead(0x503, Bytes(c.id));
    ErrorRecord record;
    EXPECT_EQ(
        ProbePort(gfx, clock_, record, GetParam().traits, IspChipProbe(), kBranchId, kChipAddr),
        c.result);
    EXPECT_EQ(record.text(), c.text);
    EXPECT_EQ(record.code(), c.result == 0 ? 0 : GetParam().branchIdRecordCode);
  }
  EXPECT_EQ(clock_.Elapsed().count(), 0);
}

TEST_P(ProbePortTest, FailedBranchIdReadIsTheResult) {
  gfx_.ExpectFailedNativeRead(0x503, 6, gfx_status::kVendorCallFailed);
  EXPECT_EQ(Probe(kBranchId), gfx_status::kVendorCallFailed);
  EXPECT_EQ(record_.text(), "");
}

TEST_P(ProbePortTest, UnknownProbeModeTouchesNothing) {
  for (int32_t mode : {0, 3}) {
    EXPECT_EQ(Probe(mode), GetParam().unknownModeStatus);
  }
  EXPECT_TRUE(gfx_.Performed().empty());
  EXPECT_EQ(record_.text(), "");
}

INSTANTIATE_TEST_SUITE_P(Backends, ProbePortTest, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<ProbeVariant>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace vexa
