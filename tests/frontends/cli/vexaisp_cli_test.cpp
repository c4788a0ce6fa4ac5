// Runs the built vexaisp binary against simulated boards in a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/scratch_dir.h"
#include "tools/image_files.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

// The built tool: VEXAISP_PATH is its path from this test executable's folder.
std::string ToolPath() {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  return (self.parent_path() / VEXAISP_PATH).lexically_normal().string();
}

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<uint8_t> Built(const tools::BuiltFile& file) {
  EXPECT_EQ(file.error, "");
  return file.bytes;
}

class VexaispCliTest : public ::testing::Test {
 protected:
  VexaispCliTest() {
    tools::BinImageOptions oldImage;
    oldImage.model = sim::ChipModel::kArivane;
    oldImage.version = {0x20, 0x45, 0x01};
    tools::BinImageOptions newImage = oldImage;
    newImage.version = {0x67, 0x45, 0x89};
    newImage.seed = 2;
    newImage.dataSize = 0x2000;  // a few blocks keep the run short
    tools::DriverFileOptions driver;
    driver.model = sim::ChipModel::kArivane;
    dir_.WriteFile("old.bin", Built(tools::BuildBinImage(oldImage)));
    dir_.WriteFile("new.bin", Built(tools::BuildBinImage(newImage)));
    dir_.WriteFile("driver.bin", Built(tools::BuildDriverFile(driver)));
    WriteConfig("");
    WriteBoard("");
  }
  void WriteConfig(const std::string& extra) {
    std::ofstream(dir_ / "Config.ini")
        << "[Firmware Update]\nDriverFilePath = driver.bin\nFWFilePath = new.bin\n"
        << extra;
  }
  void WriteBoard(const std::string& hostExtra) {
    std::ofstream(dir_ / "board.ini") << "[Board]\nVirtualTime = 1\n[Host]\nChip = 3\n"
                                         "Flash = host.flash\nFirmware = old.bin\n"
                                      << hostExtra;
  }

  RunResult Run(const std::string& args) {
    const std::string command = "cd '" + dir_.path().string() + "' && '" + ToolPath() +
                                "' --config Config.ini --simulate board.ini " + args +
                                " < /dev/null > out.txt 2> err.txt";
    RunResult result;
    const int status = std::system(command.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadText(dir_ / "out.txt");
    result.err = ReadText(dir_ / "err.txt");
    return result;
  }

  std::string LogFile() { return ReadText(dir_ / "VexaISP.log"); }

  const ScratchDir dir_;
};

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
    ++count;
  }
  return count;
}

TEST_F(VexaispCliTest, DetectShowsTheReportAdapterLineAndStatus) {
  const RunResult result = Run("detect");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "Graphics adapter initialization:\n"
            "  Simulator [Simulated board]: Init done\n"
            "Simulated board, port 1 (DisplayPort): chip found\n"
            // The dialog's text ends in a blank (no port status); the console's does not.
            "Graphics Adapter: Simulator: 0x01 [DisplayPort]\n"
            "Status: Connected\n");
}

TEST_F(VexaispCliTest, VersionsThenUpdateThenVersionsShowsTheNewFirmware) {
  RunResult result = Run("versions");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "Current on-board info:\n"
            "   Arivane (on cut2.1) App: v1.41 (Rev: 0.1)\n"
            "New F/W Version: v1.43 (Rev: 7.137)\n");

  result = Run("--trace trace.txt --stats update --yes");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Writing F/W... done!\n"), std::string::npos);
  EXPECT_NE(result.out.find("ISP completed!\n"), std::string::npos);
  // The statistics count what the trace shows: one call a line, and per line the 16-byte AUX
  // transactions of its bytes (at least one).
  std::istringstream trace(ReadText(dir_ / "trace.txt"));
  uint64_t calls = 0;
  uint64_t auxTransactions = 0;
  for (std::string line; std::getline(trace, line);) {
    std::istringstream words(line);
    std::string word;
    uint64_t bytes = 0;
    words >> word >> word;  // kind and address
    while (words >> word && word != "=>") ++bytes;
    ++calls;
    auxTransactions += std::max<uint64_t>(1, (bytes + 15) / 16);
  }
  EXPECT_NE(result.out.find("Stats: " + std::to_string(auxTransactions) + " AUX transactions in " +
                            std::to_string(calls) + " transport calls, "),
            std::string::npos)
      << result.out;

  result = Run("versions");
  EXPECT_NE(result.out.find("App: v1.43 (Rev: 7.137)\n"), std::string::npos) << result.out;
}

TEST_F(VexaispCliTest, LogFileRestartsUnlessKeptAndRecordsEachRun) {
  Run("update --yes");
  Run("update --yes");
  std::string log = LogFile();
  EXPECT_EQ(Count(log, "Korvane Travik Tool v5.1\r\n"), 1u);
  EXPECT_EQ(Count(log, "-------------------------------------\r\n"), 2u);  // one separator
  EXPECT_NE(log.find("] Start VEXA ISP...\r\n"), std::string::npos);
  EXPECT_TRUE(log.ends_with("ISP completed!\r\n"));

  WriteConfig("NotDeleteLogFile = 1\n");
  Run("update --yes");
  log = LogFile();
  EXPECT_EQ(Count(log, "Korvane Travik Tool v5.1\r\n"), 2u);
  EXPECT_EQ(Count(log, "ISP completed!\r\n"), 2u);
}

TEST_F(VexaispCliTest, TraceShowsEachTransaction) {
  const RunResult result = Run("--trace trace.txt versions");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::istringstream trace(ReadText(dir_ / "trace.txt"));
  std::string first;
  std::string second;
  std::getline(trace, first);
  std::getline(trace, second);
  // The branch-device bytes from DPCD 0x503, then the chip-ID register read.
  EXPECT_TRUE(first.starts_with("AUX-R 0x00503 ")) << first;
  EXPECT_TRUE(first.ends_with(" => 0")) << first;
  EXPECT_EQ(second, "DDC-W 0x6E 51 87 C2 00 00 05 06 C8 02 B3 => 0");
}

TEST_F(VexaispCliTest, FailingRunPrintsItsErrorLineAndExitsOne) {
  WriteBoard("EraseNever = 1\n");
  const RunResult result = Run("update --yes");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.out.ends_with(
      "ISP failed!\nError (1): EraseFlash: Timeout! (SPI flash might need more time to "
      "complete.)\n"))
      << result.out;
}

TEST_F(VexaispCliTest, ConfigurationAndBoardErrorsExitTwo) {
  std::ofstream(dir_ / "Config.ini") << "[Other]\nFWFilePath = new.bin\n";
  RunResult result = Run("detect");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "Config.ini: Please ensure that \"config.ini\" is present and is not corrupted.\n");

  WriteConfig("");
  std::ofstream(dir_ / "board.ini") << "[Board]\nVirtualTime = 1\n[Host]\nChip = 9\n";
  result = Run("versions");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.err.starts_with("Board file: ")) << result.err;
  EXPECT_NE(result.err.find("board.ini:4"), std::string::npos) << result.err;
}

TEST_F(VexaispCliTest, NoChipAtTheAddressExitsThree) {
  WriteBoard("DdcAddr = 0x70\n");
  const RunResult result = Run("update --yes");
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_TRUE(result.err.starts_with("No chip found: Simulator")) << result.err;
}

TEST_F(VexaispCliTest, UpdateFromAPipeNeedsYes) {
  const RunResult result = Run("update");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("--yes"), std::string::npos) << result.err;
  // Nothing was programmed: the log holds no run.
  EXPECT_EQ(LogFile().find("Start VEXA ISP"), std::string::npos);
}

TEST_F(VexaispCliTest, VersionsSaysWhyAFileOrAnyFileIsMissing) {
  WriteConfig("FWFilePathP1 = missing.bin\n");
  RunResult result = Run("versions");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Port#1 BIN file "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("missing.bin: Open FW file failed!"), std::string::npos) << result.err;

  std::ofstream(dir_ / "Config.ini") << "[Firmware Update]\nDriverFilePath = driver.bin\n";
  result = Run("versions");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(result.err.starts_with("No firmware file is configured")) << result.err;
}

TEST_F(VexaispCliTest, UnknownCommandIsNamedAndHelpListsExitCodes) {
  RunResult result = Run("frobnicate");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("unknown command \"frobnicate\""), std::string::npos) << result.err;

  result = Run("--version");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "vexaisp 5.1.0\n");

  result = Run("--help");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("Exit codes: 0 success; 1 "), std::string::npos) << result.out;
}

TEST_F(VexaispCliTest, InspectDescribesBinAndDriverFilesAndRejectsOthers) {
  dir_.WriteFile("junk.bin", std::vector<uint8_t>(100, 0x11));
  const RunResult result = Run("inspect new.bin driver.bin junk.bin");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "new.bin: firmware BIN file\n"
            "  Chip type: 3 (Arivane)\n"
            "  F/W version: v1.43\n"
            "  Revision: 7.137\n"
            "  Boot-code version: none\n"
            "  Size: 0x40000 (262144 bytes)\n"
            "driver.bin: ISP driver file\n"
            "  Size: 0x2000 (8192 bytes)\n"
            "  Header: none\n"
            "  Driver length: 0x2000\n");
  EXPECT_TRUE(result.err.starts_with("junk.bin: rejected: Error: No correct F/W signature!"))
      << result.err;
}

}  // namespace
}  // namespace vexa::testing
