#include "engine/isp_context.h"

#include "engine/engine_log.h"
#include "engine/isp_settings.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

class IspContextTest : public EngineTest {};

TEST_F(IspContextTest, ResetStartsARunFromAClearState) {
  AddIspLog(ctx, "left over\r\n");
  AddIspLog(ctx, "not yet taken\r\n");
  ctx.logReadIndex = 1;
  ctx.runStatus = RunStatus::kFailed;
  ctx.progressDone = 10;
  ctx.progressTotal = 20;
  SetFirstError(ctx, 7, "old");
  gfx.SetErrorRecord(6, "old transport error");
  ctx.ispInitSelector = ChipType::kQuivel;

  ResetIspContext(ctx);

  EXPECT_EQ(ctx.runStatus.load(), RunStatus::kNotStarted);
  EXPECT_EQ(ctx.log.Count(), 0u);
  EXPECT_EQ(ctx.logReadIndex.load(), 0u);
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_EQ(ctx.firstErrorText, "");
  for (const IspTarget& target : ctx.targets) EXPECT_EQ(target.status, TargetStatus::kIdle);
  EXPECT_EQ(ctx.progressDone.load(), 0u);
  EXPECT_EQ(ctx.progressTotal.load(), 0u);
  EXPECT_EQ(ctx.ispInitSelector, ChipType::kNone);
  EXPECT_EQ(gfx.ClearErrorCalls(), 1);
  EXPECT_EQ(gfx.GetErrorCode(), 0);
}

TEST_F(IspContextTest, ProgressNeverPassesTheTotalNorGoesBack) {
  ctx.progressTotal = 100;
  AdvanceProgress(ctx, 60);
  EXPECT_EQ(ctx.progressDone.load(), 60u);
  AdvanceProgress(ctx, 60);
  EXPECT_EQ(ctx.progressDone.load(), 100u);
  AdvanceProgressTo(ctx, 50);
  EXPECT_EQ(ctx.progressDone.load(), 100u);
  ctx.progressDone = 20;
  AdvanceProgressTo(ctx, 70);
  EXPECT_EQ(ctx.progressDone.load(), 70u);
  AdvanceProgressTo(ctx, 500);
  EXPECT_EQ(ctx.progressDone.load(), 100u);
}

TEST(IspContextWithoutTransport, ResetSkipsTheTransport) {
  VirtualClock clock;
  IspContext ctx(clock);
  ResetIspContext(ctx);
  EXPECT_EQ(ctx.targets[2].status.load(), TargetStatus::kIdle);
}

TEST_F(IspContextTest, FirstErrorWinsUntilCleared) {
  SetFirstError(ctx, 7, "A");
  SetFirstError(ctx, 11, "B");
  EXPECT_EQ(ctx.firstErrorCode, 7);
  EXPECT_EQ(ctx.firstErrorText, "A");

  ClearFirstError(ctx);
  SetFirstError(ctx, 11, "B");
  EXPECT_EQ(ctx.firstErrorCode, 11);
  EXPECT_EQ(ctx.firstErrorText, "B");
}

TEST_F(IspContextTest, CodeZeroRecordStaysReplaceable) {
  SetFirstError(ctx, 0, "soft");
  SetFirstError(ctx, 7, "hard");
  EXPECT_EQ(ctx.firstErrorCode, 7);
  EXPECT_EQ(ctx.firstErrorText, "hard");
}

TEST_F(IspContextTest, FreeTargetBuffersReleasesImagesAndDropsBorrows) {
  IspTarget& port = ctx.targets[1];
  port.driverImage = ByteBuffer{1, 2, 3};
  port.fwImage = ByteBuffer(64, 0xAA);
  port.bootCodeImage = ByteBuffer(16, 0xBB);
  port.fileChipType = ChipType::kArivane;
  port.fwImageSize = 64;
  port.driverLength = 3;
  port.ddc2biAddr = 0x70;
  LoadIspTarget(ctx, 1);
  EXPECT_EQ(ctx.currentFwImage.size(), 64u);
  EXPECT_EQ(ctx.currentDdcAddr, 0x70);

  FreeTargetBuffers(ctx);

  EXPECT_FALSE(port.driverImage);
  EXPECT_FALSE(port.fwImage);
  EXPECT_FALSE(port.bootCodeImage);
  EXPECT_EQ(port.fileChipType, ChipType::kNone);
  EXPECT_EQ(port.fwImageSize, 64u);  // other fields keep their values
  EXPECT_TRUE(ctx.currentFwImage.empty());
  EXPECT_TRUE(ctx.currentDriverImage.empty());
}

TEST_F(IspContextTest, InitRestoresProgramStartValues) {
  ctx.targets[0].ddc2biAddr = 0x60;
  ctx.targets[2].progBootCode = 0;
  ctx.flashEraseTimeMs = 1000;
  ctx.dpcdBufferSize = 0x100;
  ctx.targets[1].status = TargetStatus::kFailed;

  InitIspContext(ctx);

  EXPECT_EQ(ctx.activeGfxLib, nullptr);
  EXPECT_EQ(ctx.targets[0].ddc2biAddr, 0x6E);
  EXPECT_EQ(ctx.targets[2].progBootCode, 1);
  EXPECT_EQ(ctx.targets[1].status.load(), TargetStatus::kSelected);
  EXPECT_EQ(ctx.flashEraseTimeMs, 300);
  EXPECT_EQ(ctx.nextIspDelayMs, 3000);
  EXPECT_EQ(ctx.flashBaseAddr, 0x400000u);
  EXPECT_EQ(ctx.driverBootDelayMs, 800);
  EXPECT_EQ(ctx.dpcdBufferSize, 0x200);
  EXPECT_EQ(ctx.halfStatusAddr[1], 0x201FFu);
}

struct SettingCase {
  const char* name;
  friend void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name; }
  IspSettingValues values;
  uint8_t hostAddr;
  uint8_t port2Addr;
  uint8_t hostProgBootCode;
  uint16_t nextIspDelayMs;
  uint16_t flashEraseTimeMs;
  bool printTimeStamp;
};

class ApplyIspSettingsTest : public EngineTest,
                             public ::testing::WithParamInterface<SettingCase> {};

TEST_P(ApplyIspSettingsTest, AppliesTheRules) {
  const SettingCase& c = GetParam();
  ApplyIspSettings(ctx, c.values);
  EXPECT_EQ(ctx.targets[0].ddc2biAddr, c.hostAddr);
  EXPECT_EQ(ctx.targets[2].ddc2biAddr, c.port2Addr);
  EXPECT_EQ(ctx.targets[0].progBootCode, c.hostProgBootCode);
  EXPECT_EQ(ctx.nextIspDelayMs, c.nextIspDelayMs);
  EXPECT_EQ(ctx.flashEraseTimeMs, c.flashEraseTimeMs);
  EXPECT_EQ(ctx.printTimeStamp, c.printTimeStamp);
}

IspSettingValues With(void (*set)(IspSettingValues&)) {
  IspSettingValues values;
  set(values);
  return values;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ApplyIspSettingsTest,
    ::testing::Values(
        SettingCase{"AllMissing", {}, 0x6E, 0x6E, 1, 3000, 300, true},
        SettingCase{"AddressLowByteAndZero", With([](IspSettingValues& v) {
                      v.ddc2biAddr = {352, std::nullopt, 0};
                    }),
                    0x60, 0x6E, 1, 3000, 300, true},
        SettingCase{"PortsForceHostForwardingAddress", With([](IspSettingValues& v) {
                      v.ddc2biAddr[0] = 0x6E;
                      v.portsConfigured = true;
                    }),
                    0x60, 0x6E, 1, 3000, 300, true},
        SettingCase{"ProgBootCodeZero", With([](IspSettingValues& v) { v.progBootCode[0] = 0; }),
                    0x6E, 0x6E, 0, 3000, 300, true},
        SettingCase{"NextIspDelayTooShort", With([](IspSettingValues& v) { v.nextIspDelay = 400; }),
                    0x6E, 0x6E, 1, 3000, 300, true},
        SettingCase{"NextIspDelayTaken", With([](IspSettingValues& v) { v.nextIspDelay = 800; }),
                    0x6E, 0x6E, 1, 800, 300, true},
        SettingCase{"NextIspDelayLowBitsTooShort",
                    With([](IspSettingValues& v) { v.nextIspDelay = 0x10000 + 400; }), 0x6E, 0x6E,
                    1, 3000, 300, true},
        SettingCase{"EraseTimeTooShort", With([](IspSettingValues& v) { v.flashEraseTime = 50; }),
                    0x6E, 0x6E, 1, 3000, 300, true},
        SettingCase{"EraseTimeClampedUp", With([](IspSettingValues& v) { v.flashEraseTime = 200; }),
                    0x6E, 0x6E, 1, 3000, 300, true},
        SettingCase{"EraseTimeClampedDown",
                    With([](IspSettingValues& v) { v.flashEraseTime = 40000; }), 0x6E, 0x6E, 1,
                    3000, 30000, true},
        SettingCase{"EraseTimeTaken", With([](IspSettingValues& v) { v.flashEraseTime = 1000; }),
                    0x6E, 0x6E, 1, 3000, 1000, true},
        SettingCase{"EraseTimeNegative", With([](IspSettingValues& v) { v.flashEraseTime = -2; }),
                    0x6E, 0x6E, 1, 3000, 30000, true},
        SettingCase{"TimeStampsOff", With([](IspSettingValues& v) { v.printTimeStamp = 0; }), 0x6E,
                    0x6E, 1, 3000, 300, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vexa::testing
