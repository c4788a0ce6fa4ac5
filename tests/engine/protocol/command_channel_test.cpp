#include "engine/protocol/command_channel.h"

#include <array>

#include "engine/isp_status.h"
#include "engine/protocol/isp_frames.h"
#include "engine/protocol/register_ram.h"
#include "testing/ddc_frames.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

class CommandChannelTest : public EngineTest {};

TEST_F(CommandChannelTest, OpenFrameGoesOutWithChecksumAndIsAcknowledged) {
  gfx.ExpectDdcWrite(0x6E, Bytes("51 85 C2 00 00 03 09 72"))
      .ExpectDdcRead(0x6E, Bytes("6E 85 C2 00 00 03 0C 76"));
  EXPECT_TRUE(SendIspDdcCmd(ctx, isp_opcode::kIspOpen));
  EXPECT_EQ(ctx.firstErrorCode, 0);
  // 10 ms between command and acknowledge read, plus the read's own 40 ms lead-in.
  EXPECT_EQ(ElapsedMs(), 50ms);
}

TEST_F(CommandChannelTest, ChecksumFollowsTheChipAddress) {
  ctx.currentDdcAddr = 0x60;
  gfx.ExpectDdcWrite(0x60, RequestFrame(0x60, 0x0A, {})).ExpectDdcRead(0x60, AckReply(0x60));
  EXPECT_TRUE(SendIspDdcCmd(ctx, isp_opcode::kIspClose));
}

struct AckCase {
  const char* name;
  friend void PrintTo(const AckCase& c, std::ostream* os) { *os << c.name; }
  std::vector<uint8_t> reply;
  int32_t status;
};

class AckClassification : public CommandChannelTest,
                          public ::testing::WithParamInterface<AckCase> {};

TEST_P(AckClassification, ClassifiesTheReply) {
  gfx.ExpectDdcRead(0x6E, GetParam().reply);
  EXPECT_EQ(ReadIspAck(ctx, false), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, AckClassification,
    ::testing::Values(AckCase{"Acknowledge", Bytes("6E 85 C2 00 00 03 0C 76"), 0},
                      AckCase{"WrongChecksum", Bytes("6E 85 C2 00 00 03 0C 77"), 8},
                      AckCase{"WrongOpcode", Bytes("6E 85 C2 00 00 03 0B 71"), 11},
                      AckCase{"DataReplyInsteadOfAck", DataReply(0x6E, 0x06, {1, 2, 3, 4}), 11}),
    [](const auto& info) { return info.param.name; });

TEST_F(CommandChannelTest, AckReadRetriesRejectsAndDefersTwentyTimes) {
  gfx.ExpectDdcRead(0x6E, {}, gfx_status::kReplyRejected).Times(20);
  EXPECT_EQ(ReadIspAck(ctx, false), isp_status::kNoAck);
  EXPECT_EQ(ElapsedMs(), 0ms);

  gfx.ExpectDdcRead(0x6E, {}, isp_status::kDefer).Times(20);
  EXPECT_EQ(ReadIspAck(ctx, false), isp_status::kDefer);
  EXPECT_EQ(ElapsedMs(), 200ms);
}

TEST_F(CommandChannelTest, ShortAckReplyIsReadAgainAfterThirtyMs) {
  gfx.ExpectDdcRead(0x6E, Bytes("6E 82 C2 00 00")).ExpectDdcRead(0x6E, AckReply(0x6E));
  EXPECT_EQ(ReadIspAck(ctx, true), isp_status::kOk);
  EXPECT_EQ(ElapsedMs(), 70ms);
}

TEST_F(CommandChannelTest, AckReplyLengthsOutsideTheReplyAreaAreNotAnAcknowledge) {
  // Twenty replies that stay short are checked as they are: this one fails its checksum.
  gfx.ExpectDdcRead(0x6E, Bytes("6E 7E"), 0).Times(20);
  EXPECT_EQ(ReadIspAck(ctx, false), isp_status::kChecksumError);
  // A reply that claims more bytes than the reply area holds.
  gfx.ExpectDdcRead(0x6E, AckReply(0x6E), 0, 400);
  EXPECT_EQ(ReadIspAck(ctx, false), isp_status::kNoAck);
}

struct DdcCmdFailure {
  const char* name;
  friend void PrintTo(const DdcCmdFailure& c, std::ostream* os) { *os << c.name; }
  int32_t writeStatus;
  std::vector<uint8_t> reply;
  int32_t readStatus;
  int32_t code;
  const char* text;
};

class SendIspDdcCmdFailure : public CommandChannelTest,
                             public ::testing::WithParamInterface<DdcCmdFailure> {};

TEST_P(SendIspDdcCmdFailure, RecordsTheFirstError) {
  const DdcCmdFailure& c = GetParam();
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x20, {0x00}), c.writeStatus);
  if (c.writeStatus == 0) {
    gfx.ExpectDdcRead(0x6E, c.reply, c.readStatus).Times(c.readStatus == 0 ? 1 : 20);
  }
  const std::array<uint8_t, 1> halt = {0x00};

  EXPECT_FALSE(SendIspDdcCmd(ctx, isp_opcode::kResetControl, halt));
  EXPECT_EQ(ctx.firstErrorCode, c.code);
  EXPECT_EQ(ctx.firstErrorText, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SendIspDdcCmdFailure,
    ::testing::Values(
        DdcCmdFailure{"WriteFails", 6, {}, 0, 6, "SendIspDdcCmd: Sending AUX failed!"},
        DdcCmdFailure{"NoAck", 0, Bytes("6E 85 C2 00 00 03 0B 71"), 0, 11,
                      "SendIspDdcCmd: No ACK!"},
        DdcCmdFailure{"BadChecksum", 0, Bytes("6E 85 C2 00 00 03 0C 00"), 0, 8,
                      "SendIspDdcCmd: Reading ACK checksum error!"},
        DdcCmdFailure{"ReadsFail", 0, {}, 6, 6, "SendIspDdcCmd: Reading ACK failed!"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CommandChannelTest, ReplyCopiesInnerPartOfADataReply) {
  gfx.ExpectDdcRead(0x6E, DataReply(0x6E, 0x06, {0xC8, 0x02, 0x28, 0x11}));
  ReplyData out{};
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kOk);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6), Bytes("07 06 C8 02 28 11"));
}

TEST_F(CommandChannelTest, ReplyWithBadChecksumMarksTheOutput) {
  std::vector<uint8_t> reply = DataReply(0x6E, 0x06, {0xC8, 0x02, 0x28, 0x11});
  reply.back() ^= 0x01;
  gfx.ExpectDdcRead(0x6E, reply);
  ReplyData out{};
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kChecksumError);
  EXPECT_EQ(out[0], 0x00);
  EXPECT_EQ(out[1], 0xFF);
}

TEST_F(CommandChannelTest, ChipThatOnlySendsNullMessagesGivesUpAfterFiftyReads) {
  gfx.ExpectDdcRead(0x6E, NullMessage(0x6E)).Times(50);
  ReplyData out{};
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kUnexpectedReply);
  EXPECT_EQ(out[0], 0x01);
  EXPECT_EQ(out[1], 0xBE);
  EXPECT_EQ(ElapsedMs(), 40ms + 50 * 10ms);
}

TEST_F(CommandChannelTest, NullMessagesThenDataSucceeds) {
  gfx.ExpectDdcRead(0x6E, NullMessage(0x6E))
      .Times(3)
      .ExpectDdcRead(0x6E, {}, isp_status::kDefer)
      .ExpectDdcRead(0x6E, DataReply(0x6E, 0x52, {0xAA}));
  ReplyData out{};
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kOk);
  EXPECT_EQ(out[1], 0x52);
  EXPECT_EQ(ElapsedMs(), 40ms + 4 * 10ms);
}

TEST_F(CommandChannelTest, FrameWithoutIspHeaderLeavesOutputUntouched) {
  gfx.ExpectDdcRead(0x6E, Bytes("6E 84 01 02 03 04 05"));
  ReplyData out{};
  out.fill(0x5A);
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kOk);
  EXPECT_EQ(out[0], 0x5A);
  EXPECT_EQ(out[1], 0x5A);
}

TEST_F(CommandChannelTest, ReplyLengthsThatCannotHoldAFrameAreRejectedSafely) {
  ReplyData out{};
  // Header C2 00 00 within the reply, but no room for the inner part and checksum.
  gfx.ExpectDdcRead(0x6E, Bytes("6E 80 C2 00 00"));
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kUnexpectedReply);
  // Two bytes only: the cleared area carries no ISP header.
  gfx.ExpectDdcRead(0x6E, Bytes("6E 7F"));
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kOk);
  // More bytes claimed than the reply area holds.
  gfx.ExpectDdcRead(0x6E, DataReply(0x6E, 0x06, {1, 2, 3, 4}), 0, 300);
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kUnexpectedReply);
}

TEST_F(CommandChannelTest, ReplyLongerThanTheOutputIsRefusedWithoutOverflow) {
  // A transport that allows 200-byte replies, and a chip answering with 140 data bytes: an
  // inner part of 142 bytes, more than ReplyData holds.
  gfx.SetDdcReadLimit(200);
  const std::vector<uint8_t> longReply =
      DataReply(0x6E, isp_opcode::kRamRead, std::vector<uint8_t>(140, 0xA5));
  struct {
    ReplyData out{};
    std::array<uint8_t, 16> after{};
  } guarded;
  gfx.ExpectDdcRead(0x6E, longReply);
  EXPECT_EQ(ReadIspReply(ctx, guarded.out), isp_status::kUnexpectedReply);
  EXPECT_EQ(guarded.out, ReplyData{});
  EXPECT_EQ(guarded.after, (std::array<uint8_t, 16>{}));

  // A RAM read answered so records it like any reply that cannot be read.
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, isp_opcode::kRamRead, {0, 0, 0, 0, 0, 0, 0, 127}))
      .ExpectDdcRead(0x6E, longReply);
  std::array<uint8_t, 127> bytes{};
  EXPECT_FALSE(FormatRamReadCmd(ctx, 0, 127, bytes));
  EXPECT_EQ(ctx.firstErrorCode, isp_status::kUnexpectedReply);
  EXPECT_EQ(ctx.firstErrorText, "FormatRamReadCmd: Reading data failed!");
}

TEST_F(CommandChannelTest, SendIspCommandFramesTheBody) {
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x06, {0xC8, 0x02}));
  const std::vector<uint8_t> body = Bytes("03 06 C8 02");
  EXPECT_EQ(SendIspCommand(ctx, body), isp_status::kOk);
}

TEST_F(CommandChannelTest, SendIspCommandRefusesBodiesItCannotFrame) {
  // The longest body whose frame length still fits the 7-bit length byte (0xFF).
  std::vector<uint8_t> longest(124, 0x00);
  longest[0] = 123;
  std::vector<uint8_t> expected = RequestFrame(0x6E, 0x00, std::vector<uint8_t>(122, 0x00));
  ASSERT_EQ(expected[1], 0xFF);
  gfx.ExpectDdcWrite(0x6E, expected);
  EXPECT_EQ(SendIspCommand(ctx, longest), isp_status::kOk);

  for (uint8_t count : {124, 125, 126, 200}) {
    std::vector<uint8_t> body(size_t{count} + 1, 0x00);
    body[0] = count;
    EXPECT_EQ(SendIspCommand(ctx, body), isp_status::kInvalidParameter) << int{count};
  }
  const std::vector<uint8_t> truncated = Bytes("05 07 01");
  EXPECT_EQ(SendIspCommand(ctx, truncated), isp_status::kInvalidParameter);
  EXPECT_EQ(gfx.Performed().size(), 1u);
}

TEST(CommandChannelWithoutTransport, EveryOperationFailsWithTwoAndSendsNothing) {
  VirtualClock clock;
  IspContext ctx(clock);
  const std::vector<uint8_t> body = Bytes("03 06 C8 02");
  EXPECT_EQ(SendIspCommand(ctx, body), isp_status::kNoTransport);
  EXPECT_EQ(ReadIspAck(ctx, true), isp_status::kNoTransport);
  ReplyData out{};
  EXPECT_EQ(ReadIspReply(ctx, out), isp_status::kNoTransport);

  EXPECT_FALSE(SendIspDdcCmd(ctx, isp_opcode::kIspOpen));
  EXPECT_EQ(ctx.firstErrorCode, isp_status::kNoTransport);
  EXPECT_EQ(ctx.firstErrorText, "SendIspDdcCmd: Sending AUX failed!");
}

TEST_F(CommandChannelTest, UnframeableCommandSendsNothingAndRecordsNothing) {
  const std::vector<uint8_t> params(123, 0x00);
  EXPECT_FALSE(SendIspDdcCmd(ctx, isp_opcode::kRamWrite, params));
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_TRUE(ctx.firstErrorText.empty());
  EXPECT_TRUE(gfx.Performed().empty());
}

// Every frame the engine sends comes from one builder; these are its frames byte for byte.
TEST(IspFrameBuilder, FramesTheCommandsOfTheProtocol) {
  struct Case {
    uint8_t ddcAddr;
    uint8_t opcode;
    std::vector<uint8_t> params;
    const char* frame;
  };
  const Case cases[] = {
      {0x6E, isp_opcode::kIspOpen, {}, "51 85 C2 00 00 03 09 72"},
      {0x6E, isp_opcode::kIspClose, {}, "51 85 C2 00 00 03 0A 71"},
      {0x60, isp_opcode::kIspClose, {}, "51 85 C2 00 00 03 0A 7F"},
      {0x6E, isp_opcode::kResetControl, {0x00}, "51 86 C2 00 00 04 20 00 5F"},
      {0x6E, isp_opcode::kDriverBoot, {0x18, 0x00}, "51 87 C2 00 00 05 1D 18 00 7A"},
  };
  for (const Case& c : cases) {
    std::array<uint8_t, kMaxIspFrameSize> frame{};
    const size_t length = BuildIspFrame(c.ddcAddr, c.opcode, {c.params}, frame);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + length), Bytes(c.frame))
        << c.frame;
  }
  // Parameters in parts are framed as one run; a frame larger than the output is refused.
  std::array<uint8_t, 12> out{};
  const std::array<uint8_t, 2> address = {0x18, 0x00};
  const std::array<uint8_t, 2> data = {0xAA, 0xBB};
  ASSERT_EQ(BuildIspFrame(0x6E, isp_opcode::kRamWrite, {address, data}, out), 12u);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.end()),
            RequestFrame(0x6E, isp_opcode::kRamWrite, {0x18, 0x00, 0xAA, 0xBB}));
  EXPECT_EQ(BuildIspFrame(0x6E, isp_opcode::kRamWrite, {address, data}, std::span(out).first(11)),
            0u);
}

}  // namespace
}  // namespace vexa::testing
