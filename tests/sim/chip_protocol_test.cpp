#include <algorithm>

#include "chip/version_text.h"
#include "engine/identification/chip_query.h"
#include "engine/isp_status.h"
#include "engine/protocol/command_channel.h"
#include "engine/protocol/dpcd_mailbox.h"
#include "engine/protocol/flash_erase.h"
#include "engine/protocol/fw_write.h"
#include "engine/protocol/isp_frames.h"
#include "engine/protocol/isp_init.h"
#include "engine/protocol/register_ram.h"
#include "engine/run/aux_forwarding.h"
#include "testing/scripted_gfx.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

// A request frame as given, its last byte the checksum seeded with seed.
std::vector<uint8_t> WithChecksum(std::vector<uint8_t> frame, uint8_t seed) {
  uint8_t checksum = seed;
  for (const uint8_t byte : frame) checksum ^= byte;
  frame.push_back(checksum);
  return frame;
}

struct FrameCase {
  const char* name;
  friend void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }
  std::vector<uint8_t> frame;
  int32_t ackStatus;
};

class RequestFrames : public SimBoardTest, public ::testing::WithParamInterface<FrameCase> {};

// The chip checks every request frame; one that fails a check is ignored, so the host reads
// only null messages and finds no acknowledge.
TEST_P(RequestFrames, OnlyACorrectFrameIsAcknowledged) {
  BuildHostBoard({ChipOf(ChipModel::kOcelin4100), {}});
  const auto& frame = GetParam().frame;
  ASSERT_EQ(gfx->DdcAuxWrite(0x6E, frame.data(), static_cast<int32_t>(frame.size())), 0);
  EXPECT_EQ(ReadIspAck(ctx, true), GetParam().ackStatus);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, RequestFrames,
    ::testing::Values(
        FrameCase{"Correct", Bytes("51 85 C2 00 00 03 09 72"), isp_status::kOk},
        FrameCase{"WrongChecksum", Bytes("51 85 C2 00 00 03 09 73"), isp_status::kNoAck},
        FrameCase{"ChecksumOfAnotherAddress", WithChecksum(Bytes("51 85 C2 00 00 03 09"), 0x60),
                  isp_status::kNoAck},
        FrameCase{"LengthByteTooLong", WithChecksum(Bytes("51 86 C2 00 00 03 09"), 0x6E),
                  isp_status::kNoAck},
        FrameCase{"WrongSource", WithChecksum(Bytes("50 85 C2 00 00 03 09"), 0x6E),
                  isp_status::kNoAck},
        FrameCase{"WrongHeader", WithChecksum(Bytes("51 85 C2 01 00 03 09"), 0x6E),
                  isp_status::kNoAck},
        FrameCase{"WrongInnerLength", WithChecksum(Bytes("51 85 C2 00 00 04 09"), 0x6E),
                  isp_status::kNoAck},
        FrameCase{"UnknownOpcode", WithChecksum(Bytes("51 85 C2 00 00 03 42"), 0x6E),
                  isp_status::kNoAck}),
    [](const auto& info) { return std::string(info.param.name); });

// What the chip runs after it booted, as the tool's chip query shows it.
struct BootCase {
  const char* name;
  friend void PrintTo(const BootCase& c, std::ostream* os) { *os << c.name; }
  ChipModel model;
  // Empty: an erased flash.
  std::optional<tools::BinImageOptions> image;
  bool eraseApplication;
  const char* onBoardText;
};

class BootDecision : public SimBoardTest, public ::testing::WithParamInterface<BootCase> {};

TEST_P(BootDecision, ChipReportsWhatItBooted) {
  const BootCase& c = GetParam();
  std::vector<uint8_t> flash =
      c.image ? BinImage(*c.image) : sim::ErasedFlashContents(sim::ProfileOf(c.model).flashSize);
  if (c.eraseApplication) {
    std::fill(flash.begin(), flash.end() - sim::ProfileOf(c.model).bootCodeSize, 0xFF);
  }
  BuildHostBoard({ChipOf(c.model), flash});
  EXPECT_EQ(OnBoardInfoText(QueryTarget(kHostTarget)), c.onBoardText);
}

INSTANTIATE_TEST_SUITE_P(
    RunModes, BootDecision,
    ::testing::Values(
        // The first family's ROM reports its silicon revision through register 0xC804.
        BootCase{
            "Ocelin4100Rom", ChipModel::kOcelin4100, {}, false, "Ocelin [4150] iROM (on cut2.1) "},
        BootCase{"ArivaneRom", ChipModel::kArivane, {}, false, "Arivane iROM (on cut2.1) "},
        BootCase{
            "SolveniaRom", ChipModel::kSolvenia, {}, false, "Solvenia (on cut2.0) Boot-Code: v0.0"},
        BootCase{"Ocelin4100BootCode", ChipModel::kOcelin4100,
                 ImageOptions(ChipModel::kOcelin4100, {1, 2, 3}, 0x0103), true,
                 "Ocelin [4150] (on cut2.1) Boot-Code: v1.3"},
        BootCase{"QuivelBootCode", ChipModel::kQuivel,
                 ImageOptions(ChipModel::kQuivel, {1, 2, 3}, 0x0207), true,
                 "Quivel (on cut-2.-4) Boot-Code: v2.7"},
        BootCase{"ArivaneApplication", ChipModel::kArivane,
                 ImageOptions(ChipModel::kArivane, {0x67, 0x45, 0x89}, 0x0103), false,
                 "Arivane (on cut2.1) App: v1.43 (Rev: 7.137)"}),
    [](const auto& info) { return std::string(info.param.name); });

// The chip's loader starts only a complete driver built for it, at its entry address; any
// other boot leaves it without a mailbox, which the tool finds when it looks for one.
struct DriverBootCase {
  const char* name;
  friend void PrintTo(const DriverBootCase& c, std::ostream* os) { *os << c.name; }
  ChipModel driverModel;
  uint16_t entryAddr;
  // A driver byte flipped on its way into the file (0: none).
  size_t corruptedByte;
};

class DriverBoot : public SimBoardTest, public ::testing::WithParamInterface<DriverBootCase> {};

TEST_P(DriverBoot, OnlyTheRightDriverStarts) {
  const DriverBootCase& c = GetParam();
  BuildHostBoard({ChipOf(ChipModel::kSolvenia), {}});
  std::vector<uint8_t> driver = DriverFile(c.driverModel);
  if (c.corruptedByte != 0) driver[c.corruptedByte] ^= 0x01;
  StageTarget(kHostTarget, driver, BinImage(ImageOptions(ChipModel::kSolvenia, {1, 2, 3})));
  ctx.targets[kHostTarget].onBoardChipType = ChipType::kSolvenia;
  LoadIspTarget(ctx, kHostTarget);
  ctx.driverEntryAddr = c.entryAddr;

  const bool expectRunning =
      c.driverModel == ChipModel::kSolvenia && c.entryAddr == 0x1800 && c.corruptedByte == 0;
  EXPECT_EQ(InitIsp(ctx), expectRunning) << ctx.firstErrorText;
  EXPECT_EQ(Chip(BoardSlot::kHost).DriverRunning(), expectRunning);
  if (!expectRunning) {
    EXPECT_EQ(ctx.firstErrorText, "Getting DPCD buffer info... failed! (AuxWinAddr = 0)");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DriverBoot,
    ::testing::Values(DriverBootCase{"Matching", ChipModel::kSolvenia, 0x1800, 0},
                      DriverBootCase{"BuiltForAnotherChip", ChipModel::kArivane, 0x1800, 0},
                      DriverBootCase{"WrongEntryAddress", ChipModel::kSolvenia, 0x1900, 0},
                      DriverBootCase{"Corrupted", ChipModel::kSolvenia, 0x1800, 0x700}),
    [](const auto& info) { return std::string(info.param.name); });

// A firmware block sent through the mailbox the way the write pipeline sends it, but with the
// address record and the CRC under the test's control.
class FirmwareBlocks : public SimBoardTest {
 protected:
  void SetUp() override {
    BuildHostBoard({ChipOf(ChipModel::kArivane), {}});
    StageTarget(kHostTarget, DriverFile(ChipModel::kArivane),
                BinImage(ImageOptions(ChipModel::kArivane, {1, 2, 3})));
    ASSERT_TRUE(StartHostDriver()) << ctx.firstErrorText;
  }

  int32_t SendBlock(uint32_t flashAddress, const std::vector<uint8_t>& data, uint16_t crc) {
    EXPECT_EQ(WriteMailboxCommand(ctx, kBlockStartCommand), 0);
    const auto k = static_cast<uint32_t>(data.size());
    const std::vector<uint8_t> record = {0,
                                         static_cast<uint8_t>(flashAddress >> 16),
                                         static_cast<uint8_t>(flashAddress >> 8),
                                         static_cast<uint8_t>(flashAddress),
                                         static_cast<uint8_t>(k >> 24),
                                         static_cast<uint8_t>(k >> 16),
                                         static_cast<uint8_t>(k >> 8),
                                         static_cast<uint8_t>(k)};
    const uint8_t recordLength = 8;
    EXPECT_EQ(gfx->NativeAuxWrite(ctx.dpcdBufferAddr, record.data(), 8), 0);
    EXPECT_EQ(gfx->NativeAuxWrite(ctx.halfStatusAddr[0], &recordLength, 1), 0);

    std::copy(data.begin(), data.end(), ctx.transferBuffer.begin());
    const std::array<uint8_t, 4> trailer = {0, 0, static_cast<uint8_t>(crc >> 8),
                                            static_cast<uint8_t>(crc)};
    std::copy(trailer.begin(), trailer.end(), ctx.transferBuffer.begin() + k);
    std::string errorText;
    return SendFwPayload(ctx, static_cast<int>(k + 4), errorText);
  }

  bool FlashErased() {
    const auto flash = Chip(BoardSlot::kHost).flash().contents();
    return std::all_of(flash.begin(), flash.end(), [](uint8_t b) { return b == 0xFF; });
  }

  const std::vector<uint8_t> data_ = Bytes("12 34 56 78 9A BC DE F0");
  const uint16_t crc_ = FwBlockCrc(data_);
  static constexpr uint32_t kFlashBase = 0x400000;
  static constexpr uint32_t kFlashSize = 0x40000;
};

TEST_F(FirmwareBlocks, ABlockWithItsCrcIsWritten) {
  EXPECT_EQ(SendBlock(kFlashBase + 0x100, data_, crc_), isp_status::kOk);
  const auto flash = Chip(BoardSlot::kHost).flash().contents();
  EXPECT_TRUE(std::equal(data_.begin(), data_.end(), flash.begin() + 0x100));
}

TEST_F(FirmwareBlocks, ABadCrcIsRefusedAndNothingWritten) {
  EXPECT_EQ(SendBlock(kFlashBase, data_, crc_ ^ 0x0001), isp_status::kUnexpectedReply);
  EXPECT_EQ(ctx.replyBuffer[2], 0xF2);
  EXPECT_TRUE(FlashErased());
}

TEST_F(FirmwareBlocks, AddressesOutsideTheFlashAreRefused) {
  for (const uint32_t address :
       {kFlashBase - 8, kFlashBase + kFlashSize - 4, kFlashBase + kFlashSize, 0x000100u}) {
    EXPECT_EQ(SendBlock(address, data_, crc_), isp_status::kUnexpectedReply) << std::hex << address;
    ClearMailboxAck(ctx);
  }
  EXPECT_TRUE(FlashErased());
}

// The application-only erase codes name a flash size; on a flash of the other size the
// region they spare would not be the boot code, so the driver refuses them.
TEST_F(FirmwareBlocks, AnEraseCodeForTheOtherFlashSizeIsRefused) {
  ASSERT_EQ(SendBlock(kFlashBase, data_, crc_), isp_status::kOk);
  EXPECT_FALSE(EraseFlash(ctx, kEraseApp512K));
  EXPECT_EQ(ctx.firstErrorText, "EraseFlash: ACK not correct!");
  EXPECT_FALSE(FlashErased());
}

// While the host forwards to a port, everything but its own command interface at 0x60 goes
// to that port's chip, and to no other.
TEST_F(SimBoardTest, ForwardingReachesOnlyTheSelectedPort) {
  BuildBoard({SimChipSetup{ChipOf(ChipModel::kOcelin4100), {}},
              SimChipSetup{ChipOf(ChipModel::kArivane), {}},
              SimChipSetup{ChipOf(ChipModel::kSolvenia), {}}});
  const auto branchId = [&] {
    std::array<uint8_t, 6> id{};
    EXPECT_EQ(gfx->NativeAuxRead(0x503, id.data(), 6), 0);
    return std::string(id.begin(), id.end());
  };
  const uint8_t mark = 0x5A;
  ctx.currentDdcAddr = 0x6E;

  ASSERT_TRUE(EnableAuxForwarding(ctx, 1));
  EXPECT_EQ(branchId(), "ARIVG0");
  EXPECT_EQ(ExecuteRegisterRead(ctx, 0x8002), 0x4301);
  ASSERT_EQ(gfx->NativeAuxWrite(0x2000, &mark, 1), 0);
  ctx.currentDdcAddr = sim::kHostCommandAddr;
  EXPECT_EQ(ExecuteRegisterRead(ctx, 0xC802), 0x2801);  // the host, still at 0x60
  ctx.currentDdcAddr = 0x6E;
  ASSERT_TRUE(CancelAuxForwarding(ctx, 1));

  ASSERT_TRUE(EnableAuxForwarding(ctx, 2));
  EXPECT_EQ(branchId(), "SOLVBC");
  uint8_t seen = 0xFF;
  EXPECT_EQ(gfx->NativeAuxRead(0x2000, &seen, 1), 0);
  EXPECT_EQ(seen, 0);
  ASSERT_TRUE(CancelAuxForwarding(ctx, 2));

  EXPECT_EQ(branchId(), "4100IR");
  EXPECT_EQ(gfx->NativeAuxRead(0x2000, &seen, 1), 0);
  EXPECT_EQ(seen, 0);
}

// The host reset at 0x60 (sent without reading an acknowledge) reboots the host chip: its
// forwarding ends and it leaves ISP mode, so RAM writes are no longer taken.
TEST_F(SimBoardTest, HostResetEndsForwardingAndIspMode) {
  BuildBoard({SimChipSetup{ChipOf(ChipModel::kOcelin4100), {}},
              SimChipSetup{ChipOf(ChipModel::kArivane), {}},
              {}});
  ctx.currentDdcAddr = sim::kHostCommandAddr;
  const std::array<uint8_t, 1> halt = {0x00};
  ASSERT_TRUE(SendIspDdcCmd(ctx, isp_opcode::kIspOpen));
  ASSERT_TRUE(SendIspDdcCmd(ctx, isp_opcode::kResetControl, halt));
  const std::array<uint8_t, 5> ramWrite = {4, 0x13, 0x18, 0x00, 0xAA};
  ASSERT_EQ(SendIspCommand(ctx, ramWrite), 0);
  EXPECT_EQ(ReadIspAck(ctx, true), isp_status::kOk);
  ASSERT_TRUE(EnableAuxForwarding(ctx, 1));

  const std::array<uint8_t, 3> hostReset = {2, 0x20, 0x01};
  ASSERT_EQ(SendIspCommand(ctx, hostReset), 0);
  EXPECT_EQ(board->forwardedPort(), 0);
  // While it boots the host answers nothing; then it answers, out of ISP mode.
  EXPECT_EQ(SendIspCommand(ctx, ramWrite), isp_status::kDriverCallFailed);
  WaitForHostBoot();
  ASSERT_EQ(SendIspCommand(ctx, ramWrite), 0);
  EXPECT_EQ(ReadIspAck(ctx, true), isp_status::kNoAck);
}

TEST_F(SimBoardTest, AnEmptyPortDoesNotAnswer) {
  BuildHostBoard({ChipOf(ChipModel::kOcelin4100), {}});
  ASSERT_TRUE(EnableAuxForwarding(ctx, 2));
  uint8_t byte = 0;
  EXPECT_EQ(gfx->NativeAuxRead(0x503, &byte, 1), gfx_status::kVendorCallFailed);
  EXPECT_EQ(ExecuteRegisterRead(ctx, 0xC802), -1);
  EXPECT_EQ(ctx.firstErrorCode, gfx_status::kVendorCallFailed);
}

}  // namespace
}  // namespace vexa::testing
