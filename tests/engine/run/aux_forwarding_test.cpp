#include "engine/run/aux_forwarding.h"

#include "testing/ddc_frames.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

class AuxForwardingTest : public EngineTest {};

TEST_F(AuxForwardingTest, EnableGoesToTheHostAndRestoresTheAddress) {
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x61, {0x01})).ExpectDdcRead(0x60, AckReply(0x60));
  EXPECT_TRUE(EnableAuxForwarding(ctx, 1));
  EXPECT_EQ(ctx.currentDdcAddr, 0x6E);
  EXPECT_EQ(gfx.Performed()[0].bytes, Bytes("51 86 C2 00 00 04 61 01 11"));
  // 10 ms after the command, then the acknowledge read's own 40 ms lead-in.
  EXPECT_EQ(ElapsedMs(), 50ms);
}

TEST_F(AuxForwardingTest, CancelWaitsAsLongBeforeItsAcknowledge) {
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x62, {0x02})).ExpectDdcRead(0x60, AckReply(0x60));
  EXPECT_TRUE(CancelAuxForwarding(ctx, 2));
  EXPECT_EQ(ElapsedMs(), 50ms);
}

TEST_F(AuxForwardingTest, PortThreeSendsNothing) {
  EXPECT_FALSE(EnableAuxForwarding(ctx, 3));
  EXPECT_FALSE(CancelAuxForwarding(ctx, 3));
  EXPECT_TRUE(gfx.Performed().empty());
}

struct ReadBackCase {
  const char* name;
  std::vector<uint8_t> reply;
  int32_t status;
  int reads;
  const char* text;
  friend void PrintTo(const ReadBackCase& c, std::ostream* os) { *os << c.name; }
};

class ForwardingReadBack : public AuxForwardingTest,
                           public ::testing::WithParamInterface<ReadBackCase> {};

TEST_P(ForwardingReadBack, IsRecordedWithCodeEleven) {
  const ReadBackCase& c = GetParam();
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x62, {0x02}))
      .ExpectDdcRead(0x60, c.reply, c.status)
      .Times(c.reads);
  EXPECT_FALSE(CancelAuxForwarding(ctx, 2));
  EXPECT_EQ(ctx.firstErrorCode, 11);
  EXPECT_EQ(ctx.firstErrorText, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForwardingReadBack,
    ::testing::Values(ReadBackCase{"Nack", Bytes("60 85 C2 00 00 03 0B 7F"), 0, 1,
                                   "Cancelling AUX forwarding... Read back: NACK"},
                      ReadBackCase{
                          "Defer", {}, 12, 20, "Cancelling AUX forwarding... Read back: Defer"},
                      ReadBackCase{"Checksum", Bytes("60 85 C2 00 00 03 0C 00"), 0, 1,
                                   "Cancelling AUX forwarding... Read back: Checksum error"}),
    [](const auto& info) { return info.param.name; });

TEST_F(AuxForwardingTest, FirstReadBackErrorStaysAndWriteFailuresRecordNothing) {
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x61, {0x01}))
      .ExpectDdcRead(0x60, {}, 12)
      .Times(20)
      .ExpectDdcWrite(0x60, RequestFrame(0x60, 0x61, {0x01}))
      .ExpectDdcRead(0x60, Bytes("60 85 C2 00 00 03 0B 7F"));
  EXPECT_FALSE(EnableAuxForwarding(ctx, 1));
  EXPECT_FALSE(EnableAuxForwarding(ctx, 1));
  EXPECT_EQ(ctx.firstErrorText, "Enabling AUX forwarding... Read back: Defer");

  ClearFirstError(ctx);
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x61, {0x02}), 6);
  EXPECT_FALSE(EnableAuxForwarding(ctx, 2));
  EXPECT_EQ(ctx.firstErrorCode, 0);
}

TEST_F(AuxForwardingTest, OpenAndCloseSequences) {
  ctx.targets[1].ddc2biAddr = 0x70;
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x09, {}))
      .ExpectDdcRead(0x60, AckReply(0x60))
      .ExpectDdcWrite(0x60, RequestFrame(0x60, 0x61, {0x01}))
      .ExpectDdcRead(0x60, AckReply(0x60))
      .ExpectDdcWrite(0x60, RequestFrame(0x60, 0x62, {0x01}))
      .ExpectDdcRead(0x60, AckReply(0x60))
      .ExpectDdcWrite(0x60, RequestFrame(0x60, 0x0A, {}))
      .ExpectDdcRead(0x60, AckReply(0x60));
  EXPECT_EQ(OpenPort(ctx, 1, OnOpenFrameFailure::kGiveUp), PortOpen::kOpened);
  EXPECT_EQ(ctx.currentDdcAddr, 0x70);
  ClosePort(ctx, 1);
  EXPECT_EQ(ctx.currentDdcAddr, 0x60);
}

TEST_F(AuxForwardingTest, FailedOpenFrameStopsTheQueryButNotProgramming) {
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x09, {}), 6);
  EXPECT_EQ(OpenPort(ctx, 2, OnOpenFrameFailure::kGiveUp), PortOpen::kOpenFrameFailed);

  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x09, {}), 6)
      .ExpectDdcWrite(0x60, RequestFrame(0x60, 0x61, {0x02}))
      .ExpectDdcRead(0x60, AckReply(0x60));
  EXPECT_EQ(OpenPort(ctx, 2, OnOpenFrameFailure::kTryEnable), PortOpen::kOpened);
}

}  // namespace
}  // namespace vexa::testing
