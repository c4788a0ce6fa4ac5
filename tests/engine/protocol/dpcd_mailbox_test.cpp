#include "engine/protocol/dpcd_mailbox.h"

#include <numeric>

#include "engine/isp_status.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

// Where the buffer-info pointer at 0x40C points in these tests.
constexpr uint32_t kInfoAddr = 0x310;
const std::vector<uint8_t> kInfoPointer = Bytes("10 03 00");

// A 12-byte buffer-info block, little-endian as the driver posts it.
std::vector<uint8_t> InfoBlock(uint32_t bufferAddr, uint16_t bufferSize, uint32_t ackAddr,
                               uint16_t ackSize) {
  std::vector<uint8_t> block;
  for (int i = 0; i < 4; ++i) block.push_back(static_cast<uint8_t>(bufferAddr >> (8 * i)));
  for (int i = 0; i < 2; ++i) block.push_back(static_cast<uint8_t>(bufferSize >> (8 * i)));
  for (int i = 0; i < 4; ++i) block.push_back(static_cast<uint8_t>(ackAddr >> (8 * i)));
  for (int i = 0; i < 2; ++i) block.push_back(static_cast<uint8_t>(ackSize >> (8 * i)));
  return block;
}

class DpcdMailboxTest : public EngineTest {
 protected:
  void ExpectInfoBlock(const std::vector<uint8_t>& block) {
    gfx.ExpectNativeRead(0x40C, kInfoPointer).ExpectNativeRead(kInfoAddr, block);
  }
};

TEST_F(DpcdMailboxTest, ExampleBlockSetsTheWindowAfterATwoMsPause) {
  ExpectInfoBlock(Bytes("00 00 02 00 00 02 00 00 01 00 80 00"));
  ctx.dpcdBufferAddr = 0;
  ctx.dpcdBufferSize = 0;
  ctx.ackBufferAddr = 0;
  ctx.ackBufferSize = 0;
  ctx.halfStatusAddr = {0, 0};

  EXPECT_TRUE(GetDpcdBufferInfo(ctx));
  EXPECT_EQ(ctx.dpcdBufferAddr, 0x20000u);
  EXPECT_EQ(ctx.dpcdBufferSize, 0x200u);
  EXPECT_EQ(ctx.ackBufferAddr, 0x10000u);
  EXPECT_EQ(ctx.ackBufferSize, 0x80u);
  EXPECT_EQ(ctx.halfStatusAddr[0], 0x200FFu);
  EXPECT_EQ(ctx.halfStatusAddr[1], 0x201FFu);
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_EQ(ElapsedMs(), 2ms);
}

struct PointerCase {
  const char* name;
  friend void PrintTo(const PointerCase& c, std::ostream* os) { *os << c.name; }
  std::vector<uint8_t> pointer;
  int32_t readStatus;
  int32_t code;
  const char* text;
};

class DpcdInfoPointer : public DpcdMailboxTest,
                        public ::testing::WithParamInterface<PointerCase> {};

// Each of these fails on the pointer alone: the block is never read.
TEST_P(DpcdInfoPointer, FailsWithoutReadingTheBlock) {
  const PointerCase& c = GetParam();
  if (c.readStatus == 0) {
    gfx.ExpectNativeRead(0x40C, c.pointer);
  } else {
    gfx.ExpectFailedNativeRead(0x40C, 3, c.readStatus);
  }
  EXPECT_FALSE(GetDpcdBufferInfo(ctx));
  EXPECT_EQ(ctx.firstErrorCode, c.code);
  EXPECT_EQ(ctx.firstErrorText, c.text);
  EXPECT_EQ(ElapsedMs(), 0ms);
}

INSTANTIATE_TEST_SUITE_P(
    Pointers, DpcdInfoPointer,
    ::testing::Values(
        PointerCase{"ReadFails", {}, 6, 6, "Getting DPCD buffer info from 0x40C... failed!"},
        PointerCase{"Zero", Bytes("00 00 00"), 0, 7,
                    "Getting DPCD buffer info... failed! (AuxWinAddr = 0)"},
        PointerCase{"BlockPastAddressSpace", Bytes("F8 FF 0F"), 0, 7,
                    "Getting DPCD buffer info... failed! (AuxWinAddr = 0xFFFF8)"}),
    [](const auto& info) { return info.param.name; });

TEST_F(DpcdMailboxTest, BlockReadFailureIsRecordedAndLogged) {
  ctx.printTimeStamp = false;
  gfx.ExpectNativeRead(0x40C, kInfoPointer).ExpectFailedNativeRead(kInfoAddr, 12, 6);

  EXPECT_FALSE(GetDpcdBufferInfo(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "Getting DPCD buffer info from 0x310... failed!");
  ASSERT_EQ(ctx.log.Count(), 1u);
  EXPECT_EQ(ctx.log.EntryAt(0), "Getting DPCD buffer info from 0x310... failed!");
}

TEST_F(DpcdMailboxTest, ZeroSizeFailsWithCodeZeroAfterSettingTheFields) {
  ExpectInfoBlock(InfoBlock(0x30000, 0, 0x18000, 0x40));

  EXPECT_FALSE(GetDpcdBufferInfo(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_EQ(ctx.firstErrorText, "Getting DPCD buffer info... failed! (Buffer size = 0)");
  EXPECT_EQ(ctx.dpcdBufferAddr, 0x30000u);
  EXPECT_EQ(ctx.dpcdBufferSize, 0u);
  EXPECT_EQ(ctx.ackBufferAddr, 0x18000u);
  EXPECT_EQ(ctx.ackBufferSize, 0x40u);

  // Code 0 leaves the slot open: the next failure takes it.
  gfx.ExpectFailedNativeRead(0x40C, 3, 6);
  EXPECT_FALSE(GetDpcdBufferInfo(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "Getting DPCD buffer info from 0x40C... failed!");
}

struct BlockCase {
  const char* name;
  friend void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }
  std::vector<uint8_t> block;
  int32_t code;
  // Empty when the block is accepted.
  const char* text;
};

class DpcdBufferInfoValidation : public DpcdMailboxTest,
                                 public ::testing::WithParamInterface<BlockCase> {};

TEST_P(DpcdBufferInfoValidation, AcceptsOnlyWindowsTheProtocolCanUse) {
  const BlockCase& c = GetParam();
  ExpectInfoBlock(c.block);
  EXPECT_EQ(GetDpcdBufferInfo(ctx), std::string(c.text).empty());
  EXPECT_EQ(ctx.firstErrorCode, c.code);
  EXPECT_EQ(ctx.firstErrorText, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, DpcdBufferInfoValidation,
    ::testing::Values(
        BlockCase{"SmallestUsableBuffer", InfoBlock(0x20000, 18, 0x10000, 1), 0, ""},
        BlockCase{"WindowsEndingAtTheTopOfTheAddressSpace",
                  InfoBlock(0xFFE00, 0x200, 0xFFFFD, 0x80), 0, ""},
        BlockCase{"AckSizeZero", InfoBlock(0x20000, 0x200, 0x10000, 0), 0,
                  "Getting DPCD buffer info... failed! (Buffer size = 0)"},
        BlockCase{"TooSmallForOneBlock", InfoBlock(0x20000, 17, 0x10000, 0x80), 7,
                  "Getting DPCD buffer info... failed! (Buffer size = 0x11)"},
        BlockCase{"LargerThanTheProtocolBuffers", InfoBlock(0x20000, 0x202, 0x10000, 0x80), 7,
                  "Getting DPCD buffer info... failed! (Buffer size = 0x202)"},
        BlockCase{"BufferPastAddressSpace", InfoBlock(0xFFF00, 0x200, 0x10000, 0x80), 7,
                  "Getting DPCD buffer info... failed! (Buffer address = 0xFFF00)"},
        BlockCase{"BufferAddressThatWrapsAround", InfoBlock(0xFFFFFFF0, 0x20, 0x10000, 0x80), 7,
                  "Getting DPCD buffer info... failed! (Buffer address = 0xFFFFFFF0)"},
        BlockCase{"AckPastAddressSpace", InfoBlock(0x20000, 0x200, 0xFFFFE, 0x80), 7,
                  "Getting DPCD buffer info... failed! (ACK buffer address = 0xFFFFE)"}),
    [](const auto& info) { return info.param.name; });

TEST_F(DpcdMailboxTest, CommandBodyGoesFirstAndLengthByteLast) {
  ctx.dpcdBufferAddr = 0x30000;
  gfx.ExpectNativeWrite(0x30001, Bytes("1C FF 00 00 20 00 00 44"))
      .ExpectNativeWrite(0x30000, Bytes("09"));
  EXPECT_EQ(WriteMailboxCommand(ctx, kGetFlashIdCommand), 0);
}

TEST_F(DpcdMailboxTest, CommandWriteFailuresEndTheCommand) {
  gfx.ExpectNativeWrite(0x20001, Bytes("20 01 25"), 6);
  EXPECT_EQ(WriteMailboxCommand(ctx, kResetCommand), 6);

  gfx.ExpectNativeWrite(0x20001, Bytes("10 13")).ExpectNativeWrite(0x20000, Bytes("03"), 3);
  EXPECT_EQ(WriteMailboxCommand(ctx, kBlockStartCommand), 3);
}

TEST_F(DpcdMailboxTest, MalformedCommandsAreRefusedUnsent) {
  for (const std::vector<uint8_t>& command : {Bytes(""), Bytes("01"), Bytes("04 20 01")}) {
    EXPECT_EQ(WriteMailboxCommand(ctx, command), isp_status::kInvalidParameter);
  }
  ctx.dpcdBufferSize = 4;
  EXPECT_EQ(WriteMailboxCommand(ctx, MakeEraseCommand(0xFFFF)), isp_status::kInvalidParameter);
  EXPECT_TRUE(gfx.Performed().empty());
}

TEST(DpcdMailboxEraseCommand, CarriesTheCodeHighByteFirstAndItsXorCheck) {
  constexpr auto erase = MakeEraseCommand(0xFFB2);
  EXPECT_EQ(std::vector<uint8_t>(erase.begin(), erase.end()), Bytes("05 19 FF B2 51"));
}

TEST_F(DpcdMailboxTest, AckAfterEmptyPollsIsAccepted) {
  ctx.ackBufferAddr = 0x12345;
  gfx.ExpectNativeRead(0x12345, Bytes("00"))
      .Times(2)
      .ExpectNativeRead(0x12345, Bytes("09"))
      .ExpectNativeRead(0x12345, Bytes("03"))
      .ExpectNativeRead(0x12345, Bytes("03 0C F1"));
  EXPECT_EQ(WaitMailboxAck(ctx), 0);
  // 3 ms after each empty poll, none after another answer, 1 ms before the full read.
  EXPECT_EQ(ElapsedMs(), 7ms);
}

TEST_F(DpcdMailboxTest, WrongAckIsUnexpected) {
  gfx.ExpectNativeRead(0x10000, Bytes("03")).ExpectNativeRead(0x10000, Bytes("03 0C F2"));
  EXPECT_EQ(WaitMailboxAck(ctx), isp_status::kUnexpectedReply);
}

TEST_F(DpcdMailboxTest, AckThatNeverComesGivesUpAfterSixSeconds) {
  gfx.ExpectNativeRead(0x10000, Bytes("00")).Times(2000);
  EXPECT_EQ(WaitMailboxAck(ctx), isp_status::kUnexpectedReply);
  EXPECT_GE(ElapsedMs(), 6000ms);
}

TEST_F(DpcdMailboxTest, AckPollReportsTheLastFailure) {
  gfx.ExpectFailedNativeRead(0x10000, 1, 6).Times(2000);
  EXPECT_EQ(WaitMailboxAck(ctx), 6);
  EXPECT_EQ(ElapsedMs(), 0ms);
}

TEST_F(DpcdMailboxTest, FailedPollReadsAreRetriedButAFailedAnswerReadEndsIt) {
  gfx.ExpectFailedNativeRead(0x10000, 1, 6)
      .ExpectNativeRead(0x10000, Bytes("03"))
      .ExpectNativeRead(0x10000, Bytes("03 0C F1"));
  EXPECT_EQ(WaitMailboxAck(ctx), 0);

  gfx.ExpectNativeRead(0x10000, Bytes("03")).ExpectFailedNativeRead(0x10000, 3, 6);
  EXPECT_EQ(WaitMailboxAck(ctx), 6);
  EXPECT_EQ(gfx.Remaining(), 0u);
}

TEST_F(DpcdMailboxTest, ClearWritesZeroAndReadsItBack) {
  gfx.ExpectNativeWrite(0x10000, Bytes("00"), 6)
      .Times(3)
      .ExpectNativeWrite(0x10000, Bytes("00"))
      .ExpectNativeRead(0x10000, Bytes("03"))
      .ExpectNativeRead(0x10000, Bytes("00"));
  EXPECT_EQ(ClearMailboxAck(ctx), 0);
}

TEST_F(DpcdMailboxTest, ClearGivesUpAfterHundredAttempts) {
  gfx.ExpectNativeWrite(0x10000, Bytes("00"), 6).Times(100);
  EXPECT_EQ(ClearMailboxAck(ctx), 6);

  gfx.ExpectNativeWrite(0x10000, Bytes("00")).ExpectNativeRead(0x10000, Bytes("03")).Times(100);
  EXPECT_EQ(ClearMailboxAck(ctx), isp_status::kUnexpectedReply);

  gfx.ExpectNativeWrite(0x10000, Bytes("00"))
      .ExpectNativeRead(0x10000, Bytes("03"))
      .Times(99)
      .ExpectFailedNativeRead(0x10000, 1, 3);
  EXPECT_EQ(ClearMailboxAck(ctx), 3);
  EXPECT_EQ(ElapsedMs(), 0ms);
}

class DpcdMailboxPayloadTest : public DpcdMailboxTest {
 protected:
  DpcdMailboxPayloadTest() {
    std::iota(ctx.transferBuffer.begin(), ctx.transferBuffer.end(), uint8_t{0});
  }

  std::vector<uint8_t> TransferBytes(size_t from, size_t count) const {
    return {ctx.transferBuffer.begin() + from, ctx.transferBuffer.begin() + from + count};
  }

  void ExpectAckAndClear() {
    gfx.ExpectNativeRead(0x10000, Bytes("03"))
        .ExpectNativeRead(0x10000, Bytes("03 0C F1"))
        .ExpectNativeWrite(0x10000, Bytes("00"))
        .ExpectNativeRead(0x10000, Bytes("00"));
  }

  std::string errorText;
};

TEST_F(DpcdMailboxPayloadTest, FullBlockGoesThroughBothHalvesSecondHalfFirst) {
  gfx.ExpectNativeRead(0x201FF, Bytes("00"))
      .ExpectNativeWrite(0x20100, TransferBytes(0, 128))
      .ExpectNativeWrite(0x20180, TransferBytes(128, 126))
      .ExpectNativeWrite(0x201FF, Bytes("FE"))
      .ExpectNativeRead(0x200FF, Bytes("00"))
      .ExpectNativeWrite(0x20000, TransferBytes(254, 128))
      .ExpectNativeWrite(0x20080, TransferBytes(382, 126))
      .ExpectNativeWrite(0x200FF, Bytes("FE"));
  ExpectAckAndClear();

  EXPECT_EQ(SendFwPayload(ctx, 508, errorText), 0);
  EXPECT_TRUE(errorText.empty());
  // 10 ms before the acknowledge poll, 1 ms before its full read.
  EXPECT_EQ(ElapsedMs(), 11ms);
}

TEST_F(DpcdMailboxPayloadTest, BusyHalfIsNotReady) {
  gfx.ExpectNativeRead(0x201FF, Bytes("01")).Times(100);
  EXPECT_EQ(SendFwPayload(ctx, 508, errorText), isp_status::kUnexpectedReply);
  EXPECT_EQ(errorText, "F/W buffer not ready!");
  EXPECT_EQ(ElapsedMs(), 0ms);
}

struct PayloadLengthCase {
  const char* name;
  friend void PrintTo(const PayloadLengthCase& c, std::ostream* os) { *os << c.name; }
  uint16_t bufferSize;
  int n;
  bool accepted;
};

class PayloadLength : public DpcdMailboxPayloadTest,
                      public ::testing::WithParamInterface<PayloadLengthCase> {};

// An accepted length gets as far as the free test of the second half, which fails here.
TEST_P(PayloadLength, IsCheckedBeforeAnythingIsSent) {
  const PayloadLengthCase& c = GetParam();
  ctx.dpcdBufferSize = c.bufferSize;
  if (c.accepted) {
    gfx.ExpectFailedNativeRead(0x201FF, 1, 6);
    EXPECT_EQ(SendFwPayload(ctx, c.n, errorText), 6);
    EXPECT_EQ(errorText, "Checking F/W buffer status failed!");
  } else {
    EXPECT_EQ(SendFwPayload(ctx, c.n, errorText), isp_status::kInvalidParameter);
    EXPECT_EQ(errorText, "Invalid parameter!");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, PayloadLength,
    ::testing::Values(PayloadLengthCase{"Zero", 0x200, 0, false},
                      PayloadLengthCase{"Negative", 0x200, -1, false},
                      PayloadLengthCase{"FillsBothHalves", 0x200, 510, true},
                      PayloadLengthCase{"ReachesAStatusByte", 0x200, 511, false},
                      PayloadLengthCase{"OddBufferFilled", 19, 16, true},
                      PayloadLengthCase{"OddBufferFirstHalfOverrun", 19, 17, false},
                      PayloadLengthCase{"WholeTransferBuffer", 0x2000, 512, true},
                      PayloadLengthCase{"BeyondTransferBuffer", 0x2000, 513, false}),
    [](const auto& info) { return info.param.name; });

// The transactions of a 4-byte payload (00 01 02 03) through the default window, in order.
std::vector<AuxTransaction> FourBytePayload() {
  const auto read = [](uint32_t addr, const char* data) {
    return AuxTransaction{AuxKind::kNativeRead, addr, Bytes(data), 0,
                          static_cast<int32_t>(Bytes(data).size())};
  };
  const auto write = [](uint32_t addr, const char* data) {
    return AuxTransaction{AuxKind::kNativeWrite, addr, Bytes(data), 0, 0};
  };
  return {read(0x201FF, "00"), write(0x20100, "00 01"),   write(0x201FF, "02"),
          read(0x200FF, "00"), write(0x20000, "02 03"),   write(0x200FF, "02"),
          read(0x10000, "03"), read(0x10000, "03 0C F1"), write(0x10000, "00"),
          read(0x10000, "00")};
}

void Expect(ScriptedGfx& gfx, const AuxTransaction& t) {
  if (t.kind == AuxKind::kNativeWrite) {
    gfx.ExpectNativeWrite(t.address, t.bytes, t.status);
  } else if (t.status == 0) {
    gfx.ExpectNativeRead(t.address, t.bytes);
  } else {
    gfx.ExpectFailedNativeRead(t.address, t.length, t.status);
  }
}

struct PayloadFailureCase {
  const char* name;
  friend void PrintTo(const PayloadFailureCase& c, std::ostream* os) { *os << c.name; }
  // The step of FourBytePayload that goes wrong, and how, repeated `times`.
  size_t step;
  int32_t status;
  std::vector<uint8_t> answer;
  int times;
  int32_t code;
  const char* text;
};

class PayloadFailure : public DpcdMailboxPayloadTest,
                       public ::testing::WithParamInterface<PayloadFailureCase> {};

TEST_P(PayloadFailure, ReturnsTheStatusAndItsText) {
  const PayloadFailureCase& c = GetParam();
  const std::vector<AuxTransaction> steps = FourBytePayload();
  for (size_t i = 0; i < c.step; ++i) Expect(gfx, steps[i]);
  AuxTransaction failing = steps[c.step];
  failing.status = c.status;
  if (!c.answer.empty()) failing.bytes = c.answer;
  Expect(gfx, failing);
  gfx.Times(c.times);

  EXPECT_EQ(SendFwPayload(ctx, 4, errorText), c.code);
  EXPECT_EQ(errorText, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PayloadFailure,
    ::testing::Values(
        PayloadFailureCase{
            "SecondHalfStatusRead", 0, 6, {}, 1, 6, "Checking F/W buffer status failed!"},
        PayloadFailureCase{"SecondHalfData", 1, 6, {}, 1, 6, "Sending data of payload failed!"},
        PayloadFailureCase{"SecondHalfLength", 2, 6, {}, 1, 6, "Sending length of payload failed!"},
        PayloadFailureCase{
            "FirstHalfStatusRead", 3, 3, {}, 1, 3, "Checking F/W buffer status failed!"},
        PayloadFailureCase{"FirstHalfBusy", 3, 0, Bytes("02"), 100, 7, "F/W buffer not ready!"},
        PayloadFailureCase{"FirstHalfData", 4, 6, {}, 1, 6, "Sending data of payload failed!"},
        PayloadFailureCase{"FirstHalfLength", 5, 6, {}, 1, 6, "Sending length of payload failed!"},
        PayloadFailureCase{"WrongAck", 7, 0, Bytes("03 0C F2"), 1, 7, "Reading ACK failed!"},
        PayloadFailureCase{"AckNeverCleared", 9, 0, Bytes("03"), 100, 7, "Clear ACK failed!"}),
    [](const auto& info) { return info.param.name; });

TEST(DpcdMailboxWithoutTransport, EveryOperationFailsWithTwo) {
  VirtualClock clock;
  IspContext ctx(clock);
  EXPECT_FALSE(GetDpcdBufferInfo(ctx));
  EXPECT_EQ(ctx.firstErrorCode, isp_status::kNoTransport);
  EXPECT_EQ(ctx.firstErrorText, "Getting DPCD buffer info from 0x40C... failed!");

  EXPECT_EQ(WriteMailboxCommand(ctx, kResetCommand), isp_status::kNoTransport);
  EXPECT_EQ(WaitMailboxAck(ctx), isp_status::kNoTransport);
  EXPECT_EQ(ClearMailboxAck(ctx), isp_status::kNoTransport);
  std::string errorText;
  EXPECT_EQ(SendFwPayload(ctx, 4, errorText), isp_status::kNoTransport);
  EXPECT_EQ(errorText, "Checking F/W buffer status failed!");
  EXPECT_EQ(clock.Elapsed(), 0us);
}

}  // namespace
}  // namespace vexa::testing
