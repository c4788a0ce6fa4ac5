#include "engine/protocol/isp_init.h"

#include "engine/engine_log.h"
#include "testing/ddc_frames.h"
#include "testing/mailbox_script.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

class IspInitTest : public EngineTest {
 protected:
  IspInitTest() {
    ctx.printTimeStamp = false;
    ctx.currentDriverImage = driver;
    ctx.currentDriverLength = static_cast<uint16_t>(driver.size());
  }

  // The RAM-write parameters of the one-chunk driver: load address 0x1800, then the bytes.
  // (Built in place: GCC 12 warns falsely (-Warray-bounds) on inserting into {0x18, 0x00}.)
  std::vector<uint8_t> DriverChunk() const {
    std::vector<uint8_t> chunk(2 + driver.size());
    chunk[0] = 0x18;
    std::copy(driver.begin(), driver.end(), chunk.begin() + 2);
    return chunk;
  }

  // The chip enters ISP mode, takes the one-chunk driver and boots it.
  void ExpectDriverBooted() {
    const std::vector<uint8_t> chunk = DriverChunk();
    gfx.ExpectDdcWrite(0x6E, Bytes("51 85 C2 00 00 03 09 72"))
        .ExpectDdcRead(0x6E, AckReply(0x6E))
        .ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x20, {0x00}))
        .ExpectDdcRead(0x6E, AckReply(0x6E))
        .ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x13, chunk))
        .ExpectDdcRead(0x6E, AckReply(0x6E))
        .ExpectDdcWrite(0x6E, Bytes("51 87 C2 00 00 05 1D 18 00 7A"))
        .ExpectDdcRead(0x6E, AckReply(0x6E));
  }

  void ExpectMailboxLocated() {
    gfx.ExpectNativeRead(0x40C, Bytes("10 00 03"))
        .ExpectNativeRead(0x30010, Bytes("00 00 02 00 00 02 00 00 01 00 80 00"));
  }

  std::vector<std::string> Log() {
    std::vector<std::string> lines;
    while (auto line = TakeNextLogLine(ctx)) lines.push_back(*line);
    return lines;
  }

  const std::vector<uint8_t> driver = Bytes("01 02 03 04 05 06 07 08 09 0A");
  MailboxScript mailbox{gfx};
};

TEST_F(IspInitTest, BootsTheDriverAndReadsTheFlashId) {
  ExpectDriverBooted();
  ExpectMailboxLocated();
  mailbox.Command(Bytes("09 1C FF 00 00 20 00 00 44"));
  gfx.ExpectNativeRead(MailboxScript::kAck, Bytes("00 00 00 00 00"))
      .ExpectNativeRead(MailboxScript::kAck, Bytes("05 1C C8 13 00"));
  mailbox.Clear();

  EXPECT_TRUE(InitIsp(ctx));
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "ISP initialization... done!\r\n", "Loading ISP driver... started\r\n",
                       "Loading ISP driver... done!\r\n", "Booting up ISP driver... started\r\n",
                       "Booting up ISP driver... done!\r\n", "Get Flash ID... started\r\n",
                       "Flash ID: 0xC813\r\n"}));
  EXPECT_EQ(ctx.transferBuffer[0], 0xC8);
  EXPECT_EQ(ctx.transferBuffer[1], 0x13);
  // Four acknowledge reads (50 ms each with the lead-in), 1 ms between the two ISP commands,
  // 600 ms ISP settle, the chunk's 5 ms, the 800 ms boot delay, 2 ms before the buffer info,
  // and two flash-ID polls (the first unanswered).
  EXPECT_EQ(ElapsedMs(), 3 * 50ms + 1ms + 600ms + 5ms + 800ms + 2ms + (2ms + 10ms) + 2ms);
}

TEST_F(IspInitTest, UnacknowledgedDriverStopsBeforeTheBoot) {
  const std::vector<uint8_t> chunk = DriverChunk();
  gfx.ExpectDdcWrite(0x6E, Bytes("51 85 C2 00 00 03 09 72"))
      .ExpectDdcRead(0x6E, AckReply(0x6E))
      .ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x20, {0x00}))
      .ExpectDdcRead(0x6E, AckReply(0x6E))
      .ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x13, chunk))
      .ExpectDdcRead(0x6E, Bytes("6E 85 C2 00 00 03 0B 71"))
      .Times(4);

  EXPECT_FALSE(InitIsp(ctx));
  EXPECT_EQ(Log().back(), "Loading ISP driver... failed!\r\n");
  EXPECT_EQ(ctx.firstErrorText, "ExecuteRamWriteBlock: AUX writing 0x0000 ... No ACK!");
}

TEST_F(IspInitTest, FlashIdWithoutAnIdTimesOutAndResetsTheChip) {
  ExpectDriverBooted();
  ExpectMailboxLocated();
  mailbox.Command(Bytes("09 1C FF 00 00 20 00 00 44"));
  gfx.ExpectNativeRead(MailboxScript::kAck, Bytes("05 1C 00 13 00")).Times(500);
  mailbox.Clear();
  mailbox.Command(Bytes("04 20 01 25")).Answer(Bytes("03 0C F1")).Clear();

  EXPECT_FALSE(InitIsp(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 7);
  EXPECT_EQ(ctx.firstErrorText, "GetFlashID: Reading timeout!");
  const std::vector<std::string> log = Log();
  EXPECT_EQ(log[log.size() - 2], "Get Flash ID... failed!\r\n");
  EXPECT_EQ(log.back(), "Chip reset... done!\r\n");
}

TEST_F(IspInitTest, FlashIdAnswerForAnotherCommandIsNotCorrect) {
  mailbox.Command(Bytes("09 1C FF 00 00 20 00 00 44"));
  gfx.ExpectNativeRead(MailboxScript::kAck, Bytes("05 1D C8 13 00"));
  mailbox.Clear();
  EXPECT_FALSE(GetFlashID(ctx));
  EXPECT_EQ(ctx.firstErrorText, "GetFlashID: Reply not correct!");
  EXPECT_EQ(ctx.transferBuffer[0], 0xC8);
}

TEST_F(IspInitTest, FailedFlashIdReadsKeepPollingThenReportTheRead) {
  mailbox.Command(Bytes("09 1C FF 00 00 20 00 00 44"));
  gfx.ExpectFailedNativeRead(MailboxScript::kAck, 5, 6).Times(3000);
  EXPECT_FALSE(GetFlashID(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "GetFlashID: Reading data failed!");
  EXPECT_EQ(ElapsedMs(), 3000 * 2ms);
}

TEST_F(IspInitTest, SelectedChipTypeAddsItsRegisterWrites) {
  ctx.ispInitSelector = ChipType::kQuivel;
  gfx.ExpectDdcWrite(0x6E, Bytes("51 85 C2 00 00 03 09 72")).ExpectDdcRead(0x6E, AckReply(0x6E));
  const std::vector<std::pair<uint16_t, uint8_t>> writes = {
      {0x04D0, 0x76}, {0x04D1, 0x2F}, {0x04D2, 0x00}, {0x04D3, 0xF8},
      {0x80C2, 0x5C}, {0x80C3, 0xAB}, {0x80C4, 0x0F}, {0x80C6, 0xD0},
      {0x80C7, 0x04}, {0x80C8, 0x00}, {0x80C0, 0x0A}, {0x80AD, 0x00}};
  for (const auto& [reg, value] : writes) {
    gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x07,
                                          {static_cast<uint8_t>(reg >> 8),
                                           static_cast<uint8_t>(reg), 0x00, value}))
        .ExpectDdcRead(0x6E, AckReply(0x6E));
  }
  gfx.ExpectDdcWrite(0x6E, RequestFrame(0x6E, 0x20, {0x00}), 6);
  EXPECT_FALSE(InitIsp(ctx));
  EXPECT_EQ(Log(), (std::vector<std::string>{"ISP initialization... failed!\r\n"}));
}

}  // namespace
}  // namespace vexa::testing
