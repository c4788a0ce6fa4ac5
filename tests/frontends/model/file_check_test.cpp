#include "frontends/model/file_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>

#include "testing/scratch_dir.h"

namespace vexa::ui {
namespace {

class FileCheckTest : public ::testing::Test {
 protected:
  FileCheckTest() {
    for (const char* name : {"driver.bin", "host.bin", "p1.bin"}) std::ofstream(dir_ / name) << "x";
  }

  std::string Present(const char* name) const { return (dir_ / name).string(); }
  std::string Missing(const char* name) const { return (dir_ / "missing" / name).string(); }

  const vexa::testing::ScratchDir dir_;
};

TEST_F(FileCheckTest, StartNeedsAFirmwareFileAndTheDriver) {
  Configuration config;
  config.driverFilePath[0] = Present("driver.bin");
  config.fwFilePath = {Present("host.bin"), "", Missing("p2.bin")};
  FileCheck check = ValidateFilePaths(config, false);
  EXPECT_EQ(check.driverText, kBlack);
  EXPECT_EQ(check.firmwareText[0], kBlack);
  EXPECT_FALSE(check.firmwareText[1]);  // an empty path keeps its box's colour
  EXPECT_EQ(check.firmwareText[2], kRed);
  EXPECT_TRUE(check.startAllowed);

  config.fwFilePath[0] = Missing("host.bin");
  EXPECT_FALSE(ValidateFilePaths(config, false).startAllowed);
}

TEST_F(FileCheckTest, MissingDriverStopsStartOnlyWithoutDownstreamPorts) {
  Configuration config;
  config.driverFilePath[0] = Missing("driver.bin");
  config.fwFilePath = {"", Present("p1.bin"), ""};
  FileCheck check = ValidateFilePaths(config, false);
  EXPECT_EQ(check.driverText, kRed);
  EXPECT_FALSE(check.startAllowed);

  // The ports' drivers come from the configuration file; the host's may not be needed.
  check = ValidateFilePaths(config, true);
  EXPECT_EQ(check.driverText, kRed);
  EXPECT_TRUE(check.startAllowed);
}

TEST_F(FileCheckTest, TheBlankStandInNamesNoFile) {
  Configuration config;
  config.driverFilePath[0] = Present("driver.bin");
  config.fwFilePath[0] = std::string(1, ' ');  // not = " ": GCC 12 warns falsely (-Wrestrict)
  const FileCheck check = ValidateFilePaths(config, false);
  EXPECT_EQ(check.firmwareText[0], kRed);
  EXPECT_FALSE(check.startAllowed);
}

TEST(LongPath, ShowsTheEndOnlyBeyondSixtyCharacters) {
  EXPECT_FALSE(ShowsPathEnd(std::string(60, 'a')));
  EXPECT_TRUE(ShowsPathEnd(std::string(61, 'a')));
  // Characters, not bytes: 60 two-byte letters still fit.
  std::string umlauts;
  for (int i = 0; i < 60; ++i) umlauts += "\xC3\xA4";
  EXPECT_FALSE(ShowsPathEnd(umlauts));
}

}  // namespace
}  // namespace vexa::ui
