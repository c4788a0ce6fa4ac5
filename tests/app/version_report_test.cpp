#include "app/version_report.h"

#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

class VersionReportTest : public EngineTest {
 protected:
  VersionReportTest() {
    ChipInfo& host = ctx.chipInfo[0];
    host.chipType = ChipType::kOcelin4100;
    host.cut = 0x21;
    host.runMode = RunMode::kApplication;
    host.fwVersion = 0x010205;
    host.fwRevision = 5;
    ctx.fwFileInfo[0] = {ChipType::kOcelin4100, 0, 0x010300, 6};
  }

  void Configure(std::initializer_list<size_t> targets) {
    for (size_t i : targets) {
      config.fwFilePath[i] = "fw" + std::to_string(i) + ".bin";
      ++config.settings.fwFileCount;
    }
  }

  Configuration config;
};

TEST_F(VersionReportTest, SingleHostHasNoLabelAndNoIndent) {
  Configure({0});
  EXPECT_EQ(FirmwareVersionReport(ctx, config),
            "Current on-board info:\r\n"
            "   Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)\r\n"
            "New F/W Version: v1.03 (Rev: 0.6)\r\n");
}

TEST_F(VersionReportTest, SeveralTargetsCarryLabelsAndIndentedSecondLines) {
  Configure({0, 1});
  ctx.connectErrorText[1] = "Error (11): SendIspDdcCmd: No ACK!";
  EXPECT_EQ(FirmwareVersionReport(ctx, config),
            "Current on-board info:\r\n"
            "   <Host  > Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)\r\n"
            "            New F/W Version: v1.03 (Rev: 0.6)\r\n"
            "   <Port#1> Connection failed! (Error (11): SendIspDdcCmd: No ACK!)\r\n"
            "            \r\n");
}

TEST_F(VersionReportTest, SinglePortKeepsItsLabelAndReportsAMismatch) {
  Configure({1});
  ctx.chipInfo[1] = ctx.chipInfo[0];
  ctx.chipInfo[1].chipType = ChipType::kOcelin4150;
  ctx.chipInfo[1].fwRevision = 0;
  ctx.fwFileInfo[1] = {ChipType::kOcelin4100, 0, 0x010300, 0};
  EXPECT_EQ(FirmwareVersionReport(ctx, config),
            "Current on-board info:\r\n"
            "   <Port#1> Ocelin [4150] (on cut2.1) App: v1.02 \r\n"
            "F/W BIN file not matched! (Ocelin [4100])\r\n");
}

TEST_F(VersionReportTest, FileWithoutVersionLeavesTheSecondLineEmpty) {
  Configure({0});
  ctx.fwFileInfo[0].fwVersion = 0;
  EXPECT_EQ(FirmwareVersionReport(ctx, config),
            "Current on-board info:\r\n"
            "   Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)\r\n\r\n");
}

}  // namespace
}  // namespace vexa::testing
