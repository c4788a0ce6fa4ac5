#include "app/configuration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "testing/scratch_dir.h"
#include "util/clock.h"

namespace vexa {
namespace {

// Writes a configuration file into a fresh directory and loads it.
class ConfigurationTest : public ::testing::Test {
 protected:
  bool Load(const std::string& text) {
    const std::filesystem::path path = dir_ / "Config.ini";
    std::ofstream(path) << text;
    return LoadConfiguration(ctx, path.string(), config, message);
  }

  std::string Dir() const { return dir_.path().string() + "/"; }

  const testing::ScratchDir dir_;
  VirtualClock clock;
  IspContext ctx{clock};
  Configuration config;
  std::string message;
};

TEST_F(ConfigurationTest, SectionNameIsCaseInsensitive) {
  ASSERT_TRUE(Load("[firmware update]\nFlashEraseTime = 1000\n"));
  EXPECT_EQ(ctx.flashEraseTimeMs, 1000);
}

TEST_F(ConfigurationTest, FileWithoutTheSectionChangesNothing) {
  config.settings.fwFileCount = 9;
  EXPECT_FALSE(Load("[Other]\nFlashEraseTime = 1000\nFWFilePath = a.bin\n"));
  EXPECT_EQ(message, "Please ensure that \"config.ini\" is present and is not corrupted.\r\n");
  EXPECT_EQ(ctx.flashEraseTimeMs, 300);
  EXPECT_EQ(config.settings.fwFileCount, 9);

  EXPECT_FALSE(LoadConfiguration(ctx, Dir() + "missing.ini", config, message));
  EXPECT_FALSE(HasFirmwareUpdateSection(Dir() + "missing.ini"));
}

TEST_F(ConfigurationTest, ProgramStartValuesWhenTheSectionIsEmpty) {
  ASSERT_TRUE(Load("[Firmware Update]\n"));
  const AppSettings& s = config.settings;
  EXPECT_TRUE(s.oneStepProgramming);
  EXPECT_TRUE(s.drvFileReadOnly);
  EXPECT_TRUE(s.fwFileReadOnly);
  EXPECT_FALSE(s.keepLogFile);
  EXPECT_EQ(s.adapterType, AdapterType::kAuto);
  EXPECT_EQ(s.presetDisplayId, 0);
  EXPECT_EQ(s.fwFileCount, 0);
  EXPECT_EQ(ctx.targets[0].ddc2biAddr, 0x6E);
  EXPECT_TRUE(ctx.printTimeStamp);
}

struct KeyCase {
  const char* name;
  const char* lines;
  void (*check)(const IspContext&, const Configuration&);
  friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }
};

class ConfigurationKeys : public ConfigurationTest,
                          public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ConfigurationKeys, ApplyTheirRules) {
  ASSERT_TRUE(Load(std::string("[Firmware Update]\n") + GetParam().lines));
  GetParam().check(ctx, config);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ConfigurationKeys,
    ::testing::Values(
        KeyCase{"AddressZeroMinusOneAndLowByte",
                "Ddc2biAddr = 0\nDdc2biAddrP1 = -1\nDdc2biAddrP2 = 352\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.targets[0].ddc2biAddr, 0x6E);
                  EXPECT_EQ(ctx.targets[1].ddc2biAddr, 0x6E);
                  EXPECT_EQ(ctx.targets[2].ddc2biAddr, 0x60);
                }},
        // 0xFFFFFFFF is -1 in the platform reader's 32-bit result: missing, not 0xFF.
        KeyCase{"AllOnesAddressIsMissing", "Ddc2biAddr = 0xFFFFFFFF\nDdc2biAddrP1 = 4294967295\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.targets[0].ddc2biAddr, 0x6E);
                  EXPECT_EQ(ctx.targets[1].ddc2biAddr, 0x6E);
                }},
        KeyCase{"PortTwoAloneForcesHostForwardingAddress",
                "Ddc2biAddr = 110\nFWFilePathP2 = p2.bin\n",
                [](const IspContext& ctx, const Configuration& config) {
                  EXPECT_EQ(config.settings.fwFileCount, 1);
                  EXPECT_TRUE(ctx.portsConfigured);
                  EXPECT_EQ(ctx.targets[0].ddc2biAddr, 0x60);
                  EXPECT_TRUE(config.fwFilePath[0].empty());
                  EXPECT_NE(config.fwFilePath[2].find("p2.bin"), std::string::npos);
                }},
        // Quotes around nothing leave an empty value: missing, so the long port key is read.
        KeyCase{"QuotedEmptyPathIsMissing",
                "FWFilePath = \"\"\nDriverFilePath = \"\"\nFWFileP1 = \"\"\n"
                "FWFilePathP1 = b.bin\n",
                [](const IspContext&, const Configuration& config) {
                  EXPECT_TRUE(config.fwFilePath[0].empty());
                  EXPECT_TRUE(config.driverFilePath[0].empty());
                  EXPECT_EQ(config.settings.fwFileCount, 1);
                  EXPECT_NE(config.fwFilePath[1].find("b.bin"), std::string::npos);
                }},
        KeyCase{"ShortPortKeyWinsAndCountsOnce", "FWFileP1 = a.bin\nFWFilePathP1 = b.bin\n",
                [](const IspContext&, const Configuration& config) {
                  EXPECT_EQ(config.settings.fwFileCount, 1);
                  EXPECT_NE(config.fwFilePath[1].find("a.bin"), std::string::npos);
                }},
        KeyCase{"NextIspDelayNeedsBothHalvesAbove500", "NextIspDelay = 65636\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.nextIspDelayMs, 3000);
                }},
        KeyCase{"NextIspDelayHexTaken", "NextIspDelay = 0x1F5\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.nextIspDelayMs, 501);
                }},
        KeyCase{"EraseTimeNegativeClampsHigh", "FlashEraseTime = -2\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.flashEraseTimeMs, 30000);
                }},
        KeyCase{"MalformedIntegerCountsAsMissing", "FlashEraseTime = 12ab\nProgBootCode = x\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.flashEraseTimeMs, 300);
                  EXPECT_EQ(ctx.targets[0].progBootCode, 1);
                }},
        KeyCase{"FlagsOnlyZeroTurnsOff",
                "OneStepProgramming = 2\nNotDeleteLogFile = 0\nPrintTimeStamp = 0\n"
                "DrvFileReadOnly = 0\nProgBootCodeP2 = 0\n",
                [](const IspContext& ctx, const Configuration& config) {
                  EXPECT_TRUE(config.settings.oneStepProgramming);
                  EXPECT_FALSE(config.settings.keepLogFile);
                  EXPECT_FALSE(ctx.printTimeStamp);
                  EXPECT_FALSE(config.settings.drvFileReadOnly);
                  EXPECT_TRUE(config.settings.fwFileReadOnly);
                  EXPECT_EQ(ctx.targets[2].progBootCode, 0);
                }},
        KeyCase{"IntelDeviceIdZeroIsPresent", "IntelDeviceId = 0\nNvidiaDeviceId = 5\n",
                [](const IspContext&, const Configuration& config) {
                  EXPECT_EQ(config.settings.adapterType, AdapterType::kIntel);
                  EXPECT_EQ(config.settings.presetDisplayId, 0);
                }},
        KeyCase{"MinusOneDeviceIdIsAbsent", "DeviceID = -1\nAmdDeviceId = 0x1000C\n",
                [](const IspContext&, const Configuration& config) {
                  EXPECT_EQ(config.settings.adapterType, AdapterType::kAmd);
                  EXPECT_EQ(config.settings.presetDisplayId, 0x000C);
                }},
        KeyCase{"LinuxDeviceIdIsReadAfterTheVendorKeys", "LinuxDeviceId = 3\n",
                [](const IspContext&, const Configuration& config) {
                  EXPECT_EQ(config.settings.adapterType, AdapterType::kLinux);
                  EXPECT_EQ(config.settings.presetDisplayId, 3);
                }},
        KeyCase{"VendorKeyWinsOverLinuxDeviceId", "LinuxDeviceId = 3\nAmdDeviceId = 0\n",
                [](const IspContext&, const Configuration& config) {
                  EXPECT_EQ(config.settings.adapterType, AdapterType::kAmd);
                }},
        KeyCase{"FirstOccurrenceWinsAndNamesIgnoreCase",
                "flasherasetime = 1000\nFLASHERASETIME = 2000\n",
                [](const IspContext& ctx, const Configuration&) {
                  EXPECT_EQ(ctx.flashEraseTimeMs, 1000);
                }}),
    [](const auto& info) { return info.param.name; });

TEST_F(ConfigurationTest, PathsResolveAgainstTheConfigurationDirectory) {
  ASSERT_TRUE(
      Load("[Firmware Update]\nDriverFilePath = drv/isp.bin\n"
           "DriverFilePathP1 = /abs/isp.bin\nFWFilePath = \"fw with blank.bin\"\n"));
  EXPECT_EQ(config.driverFilePath[0], Dir() + "drv/isp.bin");
  EXPECT_EQ(config.driverFilePath[1], "/abs/isp.bin");
  EXPECT_EQ(config.fwFilePath[0], Dir() + "fw with blank.bin");
  EXPECT_EQ(config.settings.fwFileCount, 1);
}

// Notepad's "Unicode" saves UTF-16 LE with a byte-order mark; the platform's reader takes it.
TEST_F(ConfigurationTest, Utf16FileIsRead) {
  const std::string text = "[Firmware Update]\r\nFWFilePath = Ma\xC3\xAFs.bin\r\n";
  std::string utf16 = "\xFF\xFE";
  for (size_t i = 0; i < text.size(); ++i) {
    // The one non-ASCII character, U+00EF, in one unit.
    if (text[i] == '\xC3') {
      utf16 += "\xEF";
      utf16 += '\0';
      ++i;
      continue;
    }
    utf16 += text[i];
    utf16 += '\0';
  }
  ASSERT_TRUE(Load(utf16)) << message;
  EXPECT_EQ(config.fwFilePath[0], Dir() + "Ma\xC3\xAFs.bin");
}

TEST_F(ConfigurationTest, PathTooLongForThePathBuffersIsRefused) {
  ASSERT_TRUE(Load("[Firmware Update]\nFWFilePath = /" + std::string(511, 'a') + "\n"));
  EXPECT_TRUE(config.fwFilePath[0].empty());
  EXPECT_EQ(config.settings.fwFileCount, 0);
}

TEST(ResolveConfigPath, KeepsAbsolutePathsAndAppendsOthers) {
  EXPECT_EQ(ResolveConfigPath("/opt/tool/", "fw/a.bin"), "/opt/tool/fw/a.bin");
  EXPECT_EQ(ResolveConfigPath("/opt/tool/", "/data/a.bin"), "/data/a.bin");
}

TEST(DefaultConfigPath, LiesBesideTheExecutable) {
  std::string path;
  std::string message;
  ASSERT_TRUE(DefaultConfigPath(path, message));
  EXPECT_EQ(std::filesystem::path(path).filename(), "Config.ini");
}

}  // namespace
}  // namespace vexa
