#include "engine/protocol/register_ram.h"

#include "engine/isp_status.h"
#include "testing/ddc_frames.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

class RegisterRamTest : public EngineTest {
 protected:
  // A run's estimate large enough that the progress these operations add is not capped.
  RegisterRamTest() { ctx.progressTotal = 100000; }

  // Scripts one RAM-read command at address for count bytes, answered with count bytes
  // counting up from `first`.
  void ExpectRamRead(uint32_t address, uint8_t count, uint8_t first) {
    std::vector<uint8_t> params = {static_cast<uint8_t>(address >> 24),
                                   static_cast<uint8_t>(address >> 16),
                                   static_cast<uint8_t>(address >> 8),
                                   static_cast<uint8_t>(address),
                                   0,
                                   0,
                                   0,
                                   count};
    std::vector<uint8_t> data(count);
    for (uint8_t i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(first + i);
    gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x52, params))
        .ExpectDdcRead(0x6E, DataReply(0x6E, 0x52, data));
  }
};

TEST_F(RegisterRamTest, RegisterReadReturnsTheValueBytes) {
  gfx.ExpectDdcWrite(0x6E, Bytes("51 87 C2 00 00 05 06 C8 02 B3"))
      .ExpectDdcRead(0x6E, DataReply(0x6E, 0x06, {0xC8, 0x02, 0x28, 0x11}));
  EXPECT_EQ(ExecuteRegisterRead(ctx, 0xC802), 0x2811);
  // 10 ms after the command, then the reply read's 40 ms lead-in.
  EXPECT_EQ(ElapsedMs(), 50ms);
}

struct RegisterReadFailure {
  const char* name;
  friend void PrintTo(const RegisterReadFailure& c, std::ostream* os) { *os << c.name; }
  int32_t writeStatus;
  std::vector<uint8_t> reply;
  int32_t code;
  const char* text;
};

class RegisterReadFails : public RegisterRamTest,
                          public ::testing::WithParamInterface<RegisterReadFailure> {};

TEST_P(RegisterReadFails, ReturnsMinusOneAndRecords) {
  const RegisterReadFailure& c = GetParam();
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x06, {0x80, 0x02}), c.writeStatus);
  if (c.writeStatus == 0) gfx.ExpectDdcRead(0x6E, c.reply);
  EXPECT_EQ(ExecuteRegisterRead(ctx, 0x8002), -1);
  EXPECT_EQ(ctx.firstErrorCode, c.code);
  EXPECT_EQ(ctx.firstErrorText, c.text);
}

std::vector<uint8_t> CorruptChecksum(std::vector<uint8_t> frame) {
  frame.back() ^= 0xFF;
  return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RegisterReadFails,
    ::testing::Values(
        RegisterReadFailure{"SendFails", 6, {}, 6, "ExecuteRegisterRead: Sending cmd failed!"},
        RegisterReadFailure{"BadChecksum", 0,
                            CorruptChecksum(DataReply(0x6E, 0x06, {0x80, 0x02, 0, 1})), 8,
                            "ExecuteRegisterRead: Reading data failed!"},
        RegisterReadFailure{"WrongOpcode", 0, DataReply(0x6E, 0x52, {0x80, 0x02, 0, 1}), 7,
                            "ExecuteRegisterRead: Reply not correct!"},
        RegisterReadFailure{"NotADataFrame", 0, Bytes("6E 84 01 02 03 04 05"), 7,
                            "ExecuteRegisterRead: Reply not correct!"}),
    [](const auto& info) { return info.param.name; });

TEST_F(RegisterRamTest, RegisterWritesSendTheirBodiesAndCheckTheAck) {
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x07, {0x12, 0x34, 0xAB, 0xCD}))
      .ExpectDdcRead(0x6E, AckReply(0x6E))
      .ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x51, Bytes("00 00 91 00 00 00 00 11")))
      .ExpectDdcRead(0x6E, AckReply(0x6E));
  EXPECT_TRUE(ExecuteRegisterWordWrite(ctx, 0x1234, 0xABCD));
  EXPECT_TRUE(ExecuteRegisterWrite(ctx));
}

TEST_F(RegisterRamTest, RegisterWriteWithoutAckRecordsItsOwnText) {
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x51, Bytes("00 00 91 00 00 00 00 11")))
      .ExpectDdcRead(0x6E, Bytes("6E 85 C2 00 00 03 0B 71"));
  EXPECT_FALSE(ExecuteRegisterWrite(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 11);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteRegisterWrite: No ACK!");
}

TEST_F(RegisterRamTest, RamReadCommandAsksForAtMost127Bytes) {
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x52, Bytes("00 40 00 00 00 00 00 7F")))
      .ExpectDdcRead(0x6E, DataReply(0x6E, 0x52, std::vector<uint8_t>(120, 0x5A)));
  std::vector<uint8_t> out(200, 0);
  EXPECT_TRUE(FormatRamReadCmd(ctx, 0x400000, 200, out));
  EXPECT_EQ(out[119], 0x5A);
  EXPECT_EQ(out[120], 0x00);
}

TEST_F(RegisterRamTest, RamReadNeverCopiesMoreThanTheCallerHolds) {
  // The chip answers 20 bytes to a 4-byte read into a 4-byte buffer.
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x52, Bytes("00 00 10 00 00 00 00 04")))
      .ExpectDdcRead(0x6E, DataReply(0x6E, 0x52, std::vector<uint8_t>(20, 0x77)));
  std::array<uint8_t, 6> guarded{};
  EXPECT_TRUE(FormatRamReadCmd(ctx, 0x1000, 4, std::span(guarded).first(4)));
  EXPECT_EQ(guarded[3], 0x77);
  EXPECT_EQ(guarded[4], 0x00);
}

TEST_F(RegisterRamTest, ReadRamSplitsAtNinetySixBytes) {
  ExpectRamRead(0x20000, 96, 0);
  ExpectRamRead(0x20060, 96, 96);
  ExpectRamRead(0x200C0, 8, 192);
  std::vector<uint8_t> out(200);
  EXPECT_TRUE(ReadRam(ctx, 0x20000, out));
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], i) << i;
}

TEST_F(RegisterRamTest, ReadRamNeverCrossesA64KiBBoundary) {
  ExpectRamRead(0x40FFFA, 6, 0);
  ExpectRamRead(0x410000, 5, 6);
  std::vector<uint8_t> out(11);
  EXPECT_TRUE(ReadRam(ctx, 0x40FFFA, out));
  EXPECT_EQ(out[10], 10);
}

TEST_F(RegisterRamTest, ReadRamStopsAtTheFirstFailureAndZeroSendsNothing) {
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x52, Bytes("00 02 00 00 00 00 00 60")), 6);
  std::vector<uint8_t> out(200);
  EXPECT_FALSE(ReadRam(ctx, 0x20000, out));
  EXPECT_EQ(ctx.firstErrorText, "FormatRamReadCmd: Sending cmd failed!");
  EXPECT_TRUE(ReadRam(ctx, 0x20000, {}));
}

class DriverDownloadTest : public RegisterRamTest {
 protected:
  // Scripts one acknowledged driver chunk of payload[offset, offset + k) at RAM address.
  void ExpectChunk(const std::vector<uint8_t>& payload, size_t offset, size_t k, uint16_t address) {
    std::vector<uint8_t> params = {static_cast<uint8_t>(address >> 8),
                                   static_cast<uint8_t>(address)};
    params.insert(params.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset),
                  payload.begin() + static_cast<std::ptrdiff_t>(offset + k));
    gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x13, params)).ExpectDdcRead(0x6E, AckReply(0x6E));
  }

  void LoadDriver(std::vector<uint8_t> image, uint16_t length) {
    driver = std::move(image);
    ctx.currentDriverImage = driver;
    ctx.currentDriverLength = length;
  }

  std::vector<uint8_t> driver;
};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

TEST_F(DriverDownloadTest, HeadedImageSendsItsOwnLengthAfterTheHeader) {
  // Bytes 2 and 3 of the header play no part, so both images send the same.
  for (const std::array<uint8_t, 4> header : {std::array<uint8_t, 4>{0x00, 0x08, 0x00, 0x00},
                                              std::array<uint8_t, 4>{0x00, 0x08, 0x12, 0x34}}) {
    std::vector<uint8_t> image(header.begin(), header.end());
    const std::vector<uint8_t> payload = Pattern(0x800, 3);
    image.insert(image.end(), payload.begin(), payload.end());
    image.resize(image.size() + 100, 0xEE);  // trailing bytes beyond the header's length
    LoadDriver(image, 0x7777);
    ctx.progressDone = 0;
    const auto start = ElapsedMs();

    for (size_t chunk = 0; chunk < 17; ++chunk) {
      ExpectChunk(payload, chunk * 117, 117, static_cast<uint16_t>(0x1800 + chunk * 117));
    }
    ExpectChunk(payload, 17 * 117, 59, static_cast<uint16_t>(0x1800 + 17 * 117));

    EXPECT_TRUE(ExecuteRamWriteBlock(ctx));
    EXPECT_EQ(ctx.currentDriverLength, 0x800);
    EXPECT_EQ(ctx.progressDone.load(), 0x800u);
    // 1 ms before each of the 17 full chunks, 5 ms before each acknowledge read.
    EXPECT_EQ(ElapsedMs() - start, 17 * 1ms + 18 * 5ms);
  }
}

TEST_F(DriverDownloadTest, UnheadedImageIsSentFromItsFirstByte) {
  const std::vector<uint8_t> image = Pattern(234, 0x40);
  LoadDriver(image, 234);
  ctx.driverLoadAddr = 0xFFC0;  // RAM addresses wrap at 16 bits
  ExpectChunk(image, 0, 117, 0xFFC0);
  ExpectChunk(image, 117, 117, static_cast<uint16_t>(0xFFC0 + 117));
  EXPECT_TRUE(ExecuteRamWriteBlock(ctx));
  EXPECT_EQ(ctx.progressDone.load(), 234u);
}

TEST_F(DriverDownloadTest, UnacknowledgedChunkRecordsItsOffsetAfterFourReads) {
  const std::vector<uint8_t> image = Pattern(300, 1);
  LoadDriver(image, 300);
  ExpectChunk(image, 0, 117, 0x1800);
  std::vector<uint8_t> params = {0x18, 0x75};
  params.insert(params.end(), image.begin() + 117, image.begin() + 234);
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x13, params))
      .ExpectDdcRead(0x6E, Bytes("6E 85 C2 00 00 03 0B 71"))
      .Times(4);

  EXPECT_FALSE(ExecuteRamWriteBlock(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 11);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteRamWriteBlock: AUX writing 0x0075 ... No ACK!");
  EXPECT_EQ(ctx.progressDone.load(), 117u);
}

TEST_F(DriverDownloadTest, ChunkFailureTexts) {
  const std::vector<uint8_t> image = Pattern(10, 1);
  LoadDriver(image, 10);
  std::vector<uint8_t> params = {0x18, 0x00};
  params.insert(params.end(), image.begin(), image.end());
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x13, params), 6);
  EXPECT_FALSE(ExecuteRamWriteBlock(ctx));
  EXPECT_EQ(ctx.firstErrorText, "ExecuteRamWriteBlock: AUX writing 0x0000 ... failed!");

  ClearFirstError(ctx);
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x13, params))
      .ExpectDdcRead(0x6E, {}, 6)
      .Times(4 * 20);
  EXPECT_FALSE(ExecuteRamWriteBlock(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteRamWriteBlock: AUX writing 0x0000 ... Reading ACK error!");
}

TEST_F(DriverDownloadTest, LengthBeyondTheImageIsRefusedBeforeAnythingIsSent) {
  // A header that promises more bytes than the file holds.
  LoadDriver({0x00, 0x40, 0x00, 0x00, 1, 2, 3}, 0);
  EXPECT_FALSE(ExecuteRamWriteBlock(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 3);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteRamWriteBlock: Driver image holds 0x3 of 0x4000 bytes!");

  ClearFirstError(ctx);
  LoadDriver({5, 6, 7}, 200);
  EXPECT_FALSE(ExecuteRamWriteBlock(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 3);
}

TEST(RegisterRamWithoutTransport, EveryOperationFailsAndSendsNothing) {
  VirtualClock clock;
  IspContext ctx(clock);
  EXPECT_EQ(ExecuteRegisterRead(ctx, 0xC802), -1);
  EXPECT_EQ(ctx.firstErrorCode, 2);
  EXPECT_FALSE(ExecuteRegisterWordWrite(ctx, 1, 2));
  EXPECT_FALSE(ExecuteRegisterWrite(ctx));
  std::vector<uint8_t> out(4);
  EXPECT_FALSE(ReadRam(ctx, 0, out));
  const std::vector<uint8_t> driver(20, 1);
  ctx.currentDriverImage = driver;
  ctx.currentDriverLength = 20;
  EXPECT_FALSE(ExecuteRamWriteBlock(ctx));
}

}  // namespace
}  // namespace vexa::testing
