#include "engine/firmware_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "testing/scratch_dir.h"
#include "tests/chip/bin_image.h"
#include "util/clock.h"

namespace vexa::testing {
namespace {

// Bytes that differ from their neighbours, so a copy from the wrong offset shows.
std::vector<uint8_t> Pattern(size_t size, uint8_t seed = 0x12) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
  return bytes;
}

std::vector<uint8_t> WithHead(std::vector<uint8_t> bytes, std::initializer_list<uint8_t> head) {
  std::copy(head.begin(), head.end(), bytes.begin());
  return bytes;
}

class FirmwareFilesTest : public ::testing::Test {
 protected:
  std::string MissingFile() const { return (dir_ / "missing.bin").string(); }

  const ScratchDir dir_;
  VirtualClock clock;
  IspContext ctx{clock};
};

TEST_F(FirmwareFilesTest, DriverFileIsStagedInA512ByteRoundedBuffer) {
  struct Case {
    size_t fileSize;
    size_t bufferSize;
  };
  for (const Case c : {Case{0x801, 0xA00}, Case{0x800, 0x800}, Case{0xFE00, 0xFE00}}) {
    const std::vector<uint8_t> bytes = Pattern(c.fileSize);
    // A non-ASCII name checks that the path is taken as UTF-8.
    const std::string path = dir_.WriteFile("tr\xC3\xA4iber.bin", bytes);
    int32_t size = -1;
    std::string error = "stale";
    ASSERT_TRUE(LoadDriverFile(ctx, path, size, error)) << c.fileSize;
    EXPECT_EQ(size, static_cast<int32_t>(c.fileSize));
    EXPECT_EQ(error, "");
    ASSERT_TRUE(ctx.loadedDriverFile.has_value());
    const ByteBuffer& staged = *ctx.loadedDriverFile;
    ASSERT_EQ(staged.size(), c.bufferSize);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), staged.begin())) << c.fileSize;
    EXPECT_TRUE(std::all_of(staged.begin() + static_cast<long>(c.fileSize), staged.end(),
                            [](uint8_t b) { return b == 0; }));
  }
}

TEST_F(FirmwareFilesTest, FwFileIsStagedWithItsExactSize) {
  const std::vector<uint8_t> bytes = Pattern(0x3001);
  int32_t size = -1;
  std::string error;
  ASSERT_TRUE(LoadFwFile(ctx, dir_.WriteFile("fw.bin", bytes), size, error));
  EXPECT_EQ(size, 0x3001);
  EXPECT_EQ(error, "");
  EXPECT_EQ(ctx.loadedFwFile, bytes);
}

// No chip takes more than 512 KiB: a larger file is refused before it is read, so a huge
// file cannot exhaust memory.
TEST_F(FirmwareFilesTest, FwFileLargerThanAnyFlashIsRefused) {
  int32_t size = -1;
  std::string error;
  EXPECT_TRUE(LoadFwFile(ctx, dir_.WriteFile("max.bin", Pattern(0x80000)), size, error));
  EXPECT_EQ(size, 0x80000);
  EXPECT_FALSE(LoadFwFile(ctx, dir_.WriteFile("big.bin", Pattern(0x80001)), size, error));
  EXPECT_EQ(size, 0);
  EXPECT_EQ(error, "FW file too large! (larger than any chip's flash)\r\n");
  EXPECT_FALSE(ctx.loadedFwFile.has_value());
}

std::vector<uint8_t> SolveniaWithBootCode(size_t size) {
  return BinImage(Pattern(size))
      .At(0x2014, {0x03, 0x02, 0x04})
      .At(20, {0x01, 0x02, 0x09})
      .Text(16, "SOLV")
      .At(10, {0xBC})
      .Bytes();
}

// The target takes the staged buffer itself: the file is held once, not twice.
TEST_F(FirmwareFilesTest, AssignedFileIsHeldOnce) {
  ctx.loadedFwFile = SolveniaWithBootCode(0x40000);
  const uint8_t* staged = ctx.loadedFwFile->data();
  FwFileInfo info;
  ASSERT_TRUE(AssignFwImage(ctx, 1, 0x40000, info)) << ctx.firstErrorText;
  EXPECT_FALSE(ctx.loadedFwFile.has_value());
  ASSERT_TRUE(ctx.targets[1].fwImage.has_value());
  EXPECT_EQ(ctx.targets[1].fwImage->data(), staged);
  EXPECT_EQ(ctx.targets[1].bootCodeImage->size(), 0x2000u);
}

TEST_F(FirmwareFilesTest, EmptyFwFileLoadsButIsNotAssigned) {
  int32_t size = -1;
  std::string error;
  ASSERT_TRUE(LoadFwFile(ctx, dir_.WriteFile("empty.bin", {}), size, error));
  EXPECT_EQ(size, 0);
  FwFileInfo info;
  EXPECT_FALSE(AssignFwImage(ctx, 0, size, info));
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_EQ(ctx.firstErrorText, "");
}

TEST_F(FirmwareFilesTest, LoadFailuresReportTheirTextAndReleaseStaging) {
  const std::string missing = MissingFile();
  const std::string oversized = dir_.WriteFile("big.bin", Pattern(0xFE01));
  // Opening a named pipe would wait for a writer for ever; it is refused like a directory.
  const std::string pipe = (dir_ / "pipe.bin").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    const char* name;
    bool driver;
    std::string path;
    const char* text;
  };
  const Case cases[] = {
      {"missing driver", true, missing, "Open driver file failed!\r\n"},
      {"missing firmware", false, missing, "Open FW file failed!\r\n"},
      {"driver beyond 16-bit buffer", true, oversized, "Driver file too large!\r\n"},
      {"directory as firmware", false, ::testing::TempDir(), "Open FW file failed!\r\n"},
      {"named pipe as firmware", false, pipe, "Open FW file failed!\r\n"},
      {"named pipe as driver", true, pipe, "Open driver file failed!\r\n"},
  };
  for (const Case& c : cases) {
    ctx.loadedDriverFile = ByteBuffer(4, 1);
    ctx.loadedFwFile = ByteBuffer(4, 1);
    int32_t size = 77;
    std::string error;
    const bool loaded =
        c.driver ? LoadDriverFile(ctx, c.path, size, error) : LoadFwFile(ctx, c.path, size, error);
    EXPECT_FALSE(loaded) << c.name;
    EXPECT_EQ(size, 0) << c.name;
    EXPECT_EQ(error, c.text) << c.name;
    EXPECT_FALSE((c.driver ? ctx.loadedDriverFile : ctx.loadedFwFile).has_value()) << c.name;
    // The other kind's staging buffer is not touched.
    EXPECT_TRUE((c.driver ? ctx.loadedFwFile : ctx.loadedDriverFile).has_value()) << c.name;
  }
}

TEST_F(FirmwareFilesTest, DriverFileSizeDecidesWhetherItIsAssigned) {
  struct Case {
    size_t fileSize;
    bool assigned;
  };
  for (const Case c :
       {Case{0x7FF, false}, Case{0x800, true}, Case{0x8000, true}, Case{0x8001, false}}) {
    const std::vector<uint8_t> bytes = Pattern(c.fileSize);
    int32_t size = 0;
    std::string error;
    ASSERT_TRUE(LoadDriverFile(ctx, dir_.WriteFile("driver.bin", bytes), size, error));
    ctx.targets[1].driverImage = ByteBuffer(16, 0xAB);
    EXPECT_EQ(AssignDriverImage(ctx, 1, size), c.assigned) << c.fileSize;
    if (c.assigned) {
      EXPECT_EQ(ctx.targets[1].driverImage, bytes);
      EXPECT_EQ(ctx.targets[1].driverLength, c.fileSize);
    } else {
      // The earlier image is released even when the new one is refused.
      EXPECT_FALSE(ctx.targets[1].driverImage.has_value()) << c.fileSize;
    }
  }
}

struct HeaderCase {
  const char* name;
  friend void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }
  std::vector<uint8_t> file;
  bool assigned;
  uint16_t driverLength;
};

class DriverHeaderTest : public FirmwareFilesTest,
                         public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(DriverHeaderTest, HeaderGivesTheDriverLength) {
  const HeaderCase& c = GetParam();
  ctx.loadedDriverFile = c.file;
  ctx.targets[2].driverLength = 0x7777;
  EXPECT_EQ(AssignDriverImage(ctx, 2, static_cast<int32_t>(c.file.size())), c.assigned);
  EXPECT_EQ(ctx.targets[2].driverImage.has_value(), c.assigned);
  if (c.assigned) {
    EXPECT_EQ(ctx.targets[2].driverLength, c.driverLength);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DriverHeaderTest,
    ::testing::Values(HeaderCase{"Headed", WithHead(Pattern(0x2000), {0x00, 0x10, 0x00, 0x00}),
                                 true, 0x1000},
                      HeaderCase{"HeadedAtTheLimit",
                                 WithHead(Pattern(0x4004), {0x00, 0x40, 0x00, 0x00}), true, 0x4000},
                      HeaderCase{"AboveTheLimitIsNoHeader",
                                 WithHead(Pattern(0x8000), {0x00, 0x50, 0x00, 0x00}), true, 0x8000},
                      HeaderCase{"NonZeroFirstByte",
                                 WithHead(Pattern(0x2000), {0x01, 0x10, 0x00, 0x00}), true, 0x2000},
                      // Bytes 2 and 3 are not part of the header: the download takes 0x1000
                      // bytes after it whatever they hold, so the assigned length does too.
                      HeaderCase{"NonZeroThirdByte",
                                 WithHead(Pattern(0x2000), {0x00, 0x10, 0x01, 0x00}), true, 0x1000},
                      HeaderCase{"NonZeroFourthByte",
                                 WithHead(Pattern(0x2000), {0x00, 0x10, 0x00, 0x01}), true, 0x1000},
                      HeaderCase{"NonZeroThirdAndFourthBytes",
                                 WithHead(Pattern(0x2000), {0x00, 0x10, 0x12, 0x34}), true, 0x1000},
                      HeaderCase{"LengthFillingTheFile",
                                 WithHead(Pattern(0x804), {0x00, 0x08, 0x00, 0x00}), true, 0x800},
                      HeaderCase{"LengthBeyondTheFile",
                                 WithHead(Pattern(0x803), {0x00, 0x08, 0x00, 0x00}), false, 0},
                      HeaderCase{"LengthFarBeyondTheFile",
                                 WithHead(Pattern(0x800), {0x00, 0x10, 0x00, 0x00}), false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareFilesTest, DriverAssignmentNeedsATargetAndAStagedFile) {
  ctx.loadedDriverFile = Pattern(0x800);
  for (IspTarget& target : ctx.targets) target.driverImage = ByteBuffer(16, 0xAB);
  EXPECT_FALSE(AssignDriverImage(ctx, 3, 0x800));
  EXPECT_FALSE(AssignDriverImage(ctx, -1, 0x800));
  for (const IspTarget& target : ctx.targets) EXPECT_TRUE(target.driverImage.has_value());
  // More bytes than the staged file holds.
  EXPECT_FALSE(AssignDriverImage(ctx, 0, 0xA00));
  EXPECT_FALSE(ctx.targets[0].driverImage.has_value());
  ctx.loadedDriverFile.reset();
  EXPECT_FALSE(AssignDriverImage(ctx, 1, 0x800));
  EXPECT_FALSE(ctx.targets[1].driverImage.has_value());
}

TEST_F(FirmwareFilesTest, FwAssignmentCutsOutTheBootCodeRegion) {
  struct Case {
    std::vector<uint8_t> image;
    ChipType chipType;
    uint16_t bootCodeVersion;
    size_t regionSize;
  };
  const Case cases[] = {
      {OcelinWithBootCode(BinImage(Pattern(0x4000)), {0xFF, 0xFF, 0xFF, 0xFF}),
       ChipType::kOcelin4150, 0x1234, 0x1000},
      {SolveniaWithBootCode(0x4000), ChipType::kSolvenia, 0x0201, 0x2000},
  };
  for (const Case& c : cases) {
    ctx.loadedFwFile = c.image;
    SetFirstError(ctx, 3, "earlier");
    FwFileInfo info;
    ASSERT_TRUE(AssignFwImage(ctx, 1, static_cast<int32_t>(c.image.size()), info));
    const IspTarget& target = ctx.targets[1];
    EXPECT_EQ(info.chipType, c.chipType);
    EXPECT_EQ(info.bootCodeVersion, c.bootCodeVersion);
    EXPECT_EQ(target.fileChipType, c.chipType);
    EXPECT_EQ(target.fileBootCodeVersion, c.bootCodeVersion);
    EXPECT_EQ(target.fwImageSize, c.image.size());
    EXPECT_EQ(target.fwImage, c.image);
    const std::vector<uint8_t> region(c.image.end() - static_cast<long>(c.regionSize),
                                      c.image.end());
    EXPECT_EQ(target.bootCodeImage, region);
    EXPECT_EQ(ctx.firstErrorCode, 0);
  }
}

// A target that holds everything an earlier assignment leaves behind.
void FillTarget(IspTarget& target) {
  target.fwImage = ByteBuffer(8, 1);
  target.fwImageSize = 8;
  target.fileChipType = ChipType::kArivane;
  target.fileBootCodeVersion = 0x0555;
  target.bootCodeImage = ByteBuffer{1, 2, 3};
}

TEST_F(FirmwareFilesTest, FwFileWithoutSignatureLeavesTheTargetWithoutImage) {
  FillTarget(ctx.targets[0]);
  SetFirstError(ctx, 3, "earlier");
  ctx.loadedFwFile = BinImage(Pattern(0x400)).Text(16, "XXXX").Text(8, "XXXX").Bytes();
  FwFileInfo info{ChipType::kQuivel, 1, 2, 3};
  EXPECT_FALSE(AssignFwImage(ctx, 0, 0x400, info));
  EXPECT_EQ(ctx.firstErrorCode, 7);
  EXPECT_EQ(ctx.firstErrorText, "Error: No correct F/W signature!");
  EXPECT_EQ(info.chipType, ChipType::kNone);
  EXPECT_EQ(info.fwVersion, 0u);
  const IspTarget& target = ctx.targets[0];
  EXPECT_FALSE(target.fwImage.has_value());
  EXPECT_EQ(target.fwImageSize, 0u);
  EXPECT_EQ(target.fileChipType, ChipType::kNone);
  EXPECT_EQ(target.fileBootCodeVersion, 0);
}

TEST_F(FirmwareFilesTest, FwFileWithoutBootCodeLeavesAnEarlierRegionUnused) {
  FillTarget(ctx.targets[2]);
  const std::vector<uint8_t> image =
      BinImage(Pattern(0x400)).At(20, {0x02, 0x01, 0x05}).Text(16, "OCLN").Bytes();
  ctx.loadedFwFile = image;
  FwFileInfo info;
  ASSERT_TRUE(AssignFwImage(ctx, 2, 0x400, info));
  const IspTarget& target = ctx.targets[2];
  EXPECT_EQ(target.fileChipType, ChipType::kOcelin4100);
  EXPECT_EQ(target.fileBootCodeVersion, 0);
  EXPECT_EQ(target.fwImage, image);
  EXPECT_EQ(target.fwImageSize, 0x400u);
  EXPECT_EQ(target.bootCodeImage, (ByteBuffer{1, 2, 3}));
}

TEST_F(FirmwareFilesTest, FwAssignmentWithNothingToAssignRecordsNoError) {
  struct Case {
    const char* name;
    OwnedImage staged;
    int32_t index;
    int32_t size;
  };
  const std::vector<uint8_t> valid =
      BinImage(0x100).At(20, {0x02, 0x01, 0x05}).Text(16, "OCLN").Bytes();
  const Case cases[] = {
      {"no target", valid, 3, 0x100},
      {"nothing staged", std::nullopt, 0, 0x100},
      {"empty file", ByteBuffer{}, 0, 0},
      {"more than staged", valid, 0, 0x101},
  };
  for (const Case& c : cases) {
    FillTarget(ctx.targets[0]);
    ctx.loadedFwFile = c.staged;
    SetFirstError(ctx, 3, "earlier");
    FwFileInfo info{ChipType::kQuivel, 1, 2, 3};
    EXPECT_FALSE(AssignFwImage(ctx, c.index, c.size, info)) << c.name;
    EXPECT_EQ(ctx.firstErrorCode, 0) << c.name;
    EXPECT_EQ(ctx.firstErrorText, "") << c.name;
    EXPECT_EQ(info.chipType, ChipType::kNone) << c.name;
    EXPECT_EQ(info.bootCodeVersion, 0) << c.name;
    EXPECT_EQ(info.fwVersion, 0u) << c.name;
    EXPECT_EQ(info.fwRevision, 0u) << c.name;
    // A valid target loses its earlier image; index 3 touches none.
    EXPECT_EQ(ctx.targets[0].fwImage.has_value(), c.index == 3) << c.name;
  }
}

}  // namespace
}  // namespace vexa::testing
