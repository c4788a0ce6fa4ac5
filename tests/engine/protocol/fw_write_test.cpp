#include "engine/protocol/fw_write.h"

#include "engine/engine_log.h"
#include "testing/mailbox_script.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> Text(const std::string& text) {
  return {text.begin(), text.end()};
}

TEST(FwBlockCrc, MatchesTheDriversCheckValues) {
  EXPECT_EQ(FwBlockCrc(Text("abc")), 0xEB62);
  EXPECT_EQ(FwBlockCrc(Text("123456789")), 0x5E86);
}

class FwWriteTest : public EngineTest {
 protected:
  FwWriteTest() {
    ctx.printTimeStamp = false;
    // A run's estimate large enough that the progress these operations add is not capped.
    ctx.progressTotal = 100000;
  }

  // The driver's side of one written block of `block` bytes at flashAddr: the block start,
  // the address record in the first half, the payload in two halves and the acknowledge.
  void ExpectBlock(uint32_t flashAddr, const std::vector<uint8_t>& block) {
    const auto k = static_cast<uint32_t>(block.size());
    mailbox.Command(Bytes("03 10 13"));
    gfx.ExpectNativeRead(MailboxScript::kAck, {0x00})
        .ExpectNativeRead(0x200FF, {0x00})
        .ExpectNativeWrite(
            0x20000,
            {0x00, static_cast<uint8_t>(flashAddr >> 16), static_cast<uint8_t>(flashAddr >> 8),
             static_cast<uint8_t>(flashAddr), static_cast<uint8_t>(k >> 24),
             static_cast<uint8_t>(k >> 16), static_cast<uint8_t>(k >> 8), static_cast<uint8_t>(k)})
        .ExpectNativeWrite(0x200FF, {0x08});

    std::vector<uint8_t> payload = block;
    const uint16_t crc = FwBlockCrc(block);
    payload.insert(payload.end(),
                   {0x00, 0x00, static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)});
    const size_t half = payload.size() / 2;
    ExpectHalf(0x20100, 0x201FF, {payload.begin(), payload.begin() + static_cast<long>(half)});
    ExpectHalf(0x20000, 0x200FF, {payload.begin() + static_cast<long>(half), payload.end()});
    mailbox.Answer(Bytes("03 0C F1")).Clear();
  }

  void ExpectHalf(uint32_t start, uint32_t status, const std::vector<uint8_t>& bytes) {
    gfx.ExpectNativeRead(status, {0x00});
    // Writes of 128 bytes, the largest multiple of 16 the transport takes in one call.
    for (size_t pos = 0; pos < bytes.size(); pos += 128) {
      const size_t end = std::min(bytes.size(), pos + 128);
      gfx.ExpectNativeWrite(
          start + static_cast<uint32_t>(pos),
          {bytes.begin() + static_cast<long>(pos), bytes.begin() + static_cast<long>(end)});
    }
    gfx.ExpectNativeWrite(status, {static_cast<uint8_t>(bytes.size())});
  }

  std::vector<std::string> Log() {
    std::vector<std::string> lines;
    while (auto line = TakeNextLogLine(ctx)) lines.push_back(*line);
    return lines;
  }

  MailboxScript mailbox{gfx};
};

TEST_F(FwWriteTest, PrepareFwBlockAppendsZerosAndTheCrc) {
  int n = 0;
  bool notBlank = false;
  const std::vector<uint8_t> abc = Text("abc");
  ASSERT_TRUE(PrepareFwBlock(ctx, abc, 3, n, notBlank));
  EXPECT_EQ(n, 7);
  EXPECT_TRUE(notBlank);
  EXPECT_EQ(std::vector<uint8_t>(ctx.transferBuffer.begin(), ctx.transferBuffer.begin() + 7),
            Bytes("61 62 63 00 00 EB 62"));

  const std::vector<uint8_t> blank(16, 0xFF);
  ASSERT_TRUE(PrepareFwBlock(ctx, blank, 16, n, notBlank));
  EXPECT_FALSE(notBlank);

  EXPECT_FALSE(PrepareFwBlock(ctx, {}, 3, n, notBlank));
  EXPECT_FALSE(PrepareFwBlock(ctx, abc, 0, n, notBlank));
  EXPECT_FALSE(PrepareFwBlock(ctx, abc, 4, n, notBlank));  // more than the data holds
}

TEST_F(FwWriteTest, SkipsBlankBlocksAndAddressesTheOthersByImageOffset) {
  // Three blocks of 504 bytes: blank, data, blank.
  std::vector<uint8_t> image(3 * 504, 0xFF);
  std::vector<uint8_t> second(504);
  for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<uint8_t>(i);
  std::copy(second.begin(), second.end(), image.begin() + 504);
  ExpectBlock(0x400000 + 0x3E000 + 504, second);
  ctx.progressTotal = 10000;

  EXPECT_TRUE(ExecuteFwWriteBlock(ctx, image, static_cast<uint32_t>(image.size()), 0x3E000));
  EXPECT_EQ(ctx.progressDone.load(), 504u);
}

TEST_F(FwWriteTest, ProgressNeverPassesTheTotal) {
  const std::vector<uint8_t> block = Bytes("01 02 03 04 05 06");
  ExpectBlock(0x400000, block);
  ctx.progressTotal = 4;
  EXPECT_TRUE(ExecuteFwWriteBlock(ctx, block, 6, 0));
  EXPECT_EQ(ctx.progressDone.load(), 4u);
}

TEST_F(FwWriteTest, FailureNamesTheBlocksImageOffset) {
  // Two blank blocks, then a third that the driver does not take.
  std::vector<uint8_t> image(3 * 504, 0xFF);
  image[2 * 504] = 0x00;
  gfx.ExpectNativeWrite(MailboxScript::kBuffer + 1, Bytes("10 13"), 6);
  EXPECT_FALSE(ExecuteFwWriteBlock(ctx, image, static_cast<uint32_t>(image.size()), 0));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteFwWriteBlock (0x3F0): Sending cmd failed!");
}

TEST_F(FwWriteTest, BusyFirstHalfIsWaitedForThenGivenUp) {
  const std::vector<uint8_t> block = Bytes("01 02 03");
  mailbox.Command(Bytes("03 10 13"));
  gfx.ExpectNativeRead(MailboxScript::kAck, {0x00})
      .ExpectNativeRead(0x200FF, {0x08})
      .Times(50)
      .ExpectFailedNativeRead(0x200FF, 1, 6)
      .Times(50);
  EXPECT_FALSE(ExecuteFwWriteBlock(ctx, block, 3, 0));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteFwWriteBlock (0x0): Checking F/W buffer failed!");
  EXPECT_EQ(ElapsedMs(), 15ms + 50 * 30ms + 50 * 10ms);
}

TEST_F(FwWriteTest, PayloadFailureEmbedsThePayloadText) {
  const std::vector<uint8_t> block = Bytes("01 02 03");
  mailbox.Command(Bytes("03 10 13"));
  gfx.ExpectNativeRead(MailboxScript::kAck, {0x00})
      .ExpectNativeRead(0x200FF, {0x00})
      .ExpectNativeWrite(0x20000, Bytes("00 40 00 00 00 00 00 03"))
      .ExpectNativeWrite(0x200FF, {0x08})
      .ExpectNativeRead(0x201FF, {0x01})
      .Times(100);
  EXPECT_FALSE(ExecuteFwWriteBlock(ctx, block, 3, 0));
  EXPECT_EQ(ctx.firstErrorCode, 7);
  EXPECT_EQ(ctx.firstErrorText,
            "ExecuteFwWriteBlock (0x0): Sending F/W payload: F/W buffer not ready!");
}

TEST_F(FwWriteTest, RegionBeyondItsImageWritesNothing) {
  const std::vector<uint8_t> block = Bytes("01 02 03");
  EXPECT_FALSE(ExecuteFwWriteBlock(ctx, block, 4, 0x100));
  EXPECT_EQ(ctx.firstErrorCode, 3);
  EXPECT_EQ(ctx.firstErrorText, "ExecuteFwWriteBlock (0x100): Region beyond the image!");
}

TEST_F(FwWriteTest, UpdateBootCodeWritesTheBootCodeFirstThenTheApplication) {
  std::vector<uint8_t> image(0x40000, 0xFF);
  image[0] = 0x11;
  std::vector<uint8_t> bootCode(0x2000, 0xFF);
  bootCode[0] = 0x22;
  ctx.currentFwImage = image;
  ctx.currentFwImageSize = 0x40000;
  ctx.currentBootCodeImage = bootCode;
  ctx.currentBootCodeAction = BootCodeAction::kUpdateBootCode;
  ctx.currentChipType = ChipType::kArivane;
  ctx.progressTotal = 100000;

  ExpectBlock(0x43E000, std::vector<uint8_t>(bootCode.begin(), bootCode.begin() + 504));
  ExpectBlock(0x400000, std::vector<uint8_t>(image.begin(), image.begin() + 504));

  EXPECT_TRUE(WriteFirmware(ctx));
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Writing boot-code... started\r\n", "Writing boot-code... done!\r\n",
                       "Writing App F/W... started\r\n", "Writing App F/W... done!\r\n"}));
}

TEST_F(FwWriteTest, WholeImageAndKeptBootCodeRegions) {
  std::vector<uint8_t> image(0x1000 + 504, 0xFF);
  image[0x1000] = 0x33;  // data only in the first family's boot-code region
  ctx.currentFwImage = image;
  ctx.currentFwImageSize = static_cast<uint32_t>(image.size());
  ctx.currentChipType = ChipType::kOcelin4150;

  ctx.currentBootCodeAction = BootCodeAction::kKeepBootCode;
  EXPECT_TRUE(WriteFirmware(ctx));  // the application region is blank: nothing to send

  ctx.currentBootCodeAction = BootCodeAction::kWriteWholeImage;
  const long dataBlock = 0x1000 / 504 * 504;
  ExpectBlock(0x400000 + dataBlock,
              std::vector<uint8_t>(image.begin() + dataBlock, image.begin() + dataBlock + 504));
  EXPECT_TRUE(WriteFirmware(ctx));
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Writing App F/W... started\r\n", "Writing App F/W... done!\r\n",
                       "Writing F/W... started\r\n", "Writing F/W... done!\r\n"}));
}

TEST_F(FwWriteTest, EstimateOfABlankImageIsItsDriverLength) {
  IspTarget target;
  target.fwImage = ByteBuffer(0x40000, 0xFF);
  target.fwImageSize = 0x40000;
  target.driverLength = 0x1000;
  target.fileChipType = ChipType::kArivane;
  target.onBoardChipType = ChipType::kArivane;
  target.bootCodeAction = BootCodeAction::kUpdateBootCode;
  ctx.progressTotal = 7;

  EXPECT_EQ(EstimateTargetWork(ctx, target), 0x1000);
  EXPECT_EQ(ctx.eraseProgressBudget, 2200);
  EXPECT_EQ(ctx.progressTotal.load(), 7u + 5000u + 2200u);
}

TEST_F(FwWriteTest, EstimateEndsWithTheHighestSectorThatShowsData) {
  ctx.progressTotal = 0;
  IspTarget target;
  target.fwImage = ByteBuffer(0x40000, 0xFF);
  target.fwImageSize = 0x40000;
  target.driverLength = 0x800;
  target.fileChipType = ChipType::kSolvenia;
  target.bootCodeAction = BootCodeAction::kKeepBootCode;
  // Data in the block at 0x20000, last in its sector at 0x20600.
  (*target.fwImage)[0x20000] = 0;
  (*target.fwImage)[0x20600] = 0;
  (*target.fwImage)[0x20700] = 0;  // not within a sector's first 16 bytes

  EXPECT_EQ(EstimateTargetWork(ctx, target), 0x800 + 0x20800);
  EXPECT_EQ(ctx.eraseProgressBudget, 5200);
  EXPECT_EQ(ctx.progressTotal.load(), 5200u);
}

}  // namespace
}  // namespace vexa::testing
