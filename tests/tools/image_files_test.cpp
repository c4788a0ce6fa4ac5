#include "tools/image_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "chip/fw_file_parser.h"
#include "tools/mkimage_options.h"

namespace vexa::testing {
namespace {

using sim::ChipModel;

tools::BinImageOptions Options(ChipModel model, std::array<uint8_t, 3> version,
                               std::optional<uint16_t> bootCodeVersion = std::nullopt) {
  tools::BinImageOptions options;
  options.model = model;
  options.version = version;
  options.bootCodeVersion = bootCodeVersion;
  return options;
}

// Byte `back` positions before the end.
uint8_t End(const std::vector<uint8_t>& image, size_t back) {
  return image[image.size() - back];
}

std::string Text(const std::vector<uint8_t>& image, size_t back, size_t length) {
  return std::string(image.end() - static_cast<long>(back),
                     image.end() - static_cast<long>(back - length));
}

// The tool's own BIN reader takes every image for the chip type and boot code it was built
// with.
TEST(BinImage, TheToolsReaderRecognisesEveryChipTypeWithAndWithoutBootCode) {
  for (int model = 1; model <= 5; ++model) {
    for (const std::optional<uint16_t> bootCode : {std::optional<uint16_t>{}, {0x0104}}) {
      const auto chip = static_cast<ChipModel>(model);
      const tools::BuiltFile built = tools::BuildBinImage(Options(chip, {1, 2, 3}, bootCode));
      ASSERT_EQ(built.error, "");
      EXPECT_EQ(built.bytes.size(), sim::ProfileOf(chip).flashSize);
      FwFileInfo info;
      EXPECT_TRUE(ParseFwFile(built.bytes, info)) << model;
      EXPECT_EQ(info.chipType, static_cast<ChipType>(model));
      EXPECT_EQ(info.bootCodeVersion, bootCode.value_or(0)) << model;
    }
  }
}

TEST(BinImage, PlacesTheInfoBlocksAtTheEndOfTheirRegions) {
  const auto image = tools::BuildBinImage(Options(ChipModel::kArivane, {0x67, 0x45, 0x89}, 0x0102));
  ASSERT_EQ(image.error, "");
  const auto& b = image.bytes;
  // The boot code's block ends the image: version word, signature, marker 20, 16 and 12
  // bytes before the end.
  EXPECT_EQ(End(b, 20), 0x02);
  EXPECT_EQ(End(b, 19), 0x01);
  EXPECT_EQ(Text(b, 16, 4), "ARIV");
  EXPECT_EQ(End(b, 12), 0xBC);
  // The application's block ends 0x2000 bytes earlier, without the marker.
  EXPECT_EQ(End(b, 0x2014), 0x67);
  EXPECT_EQ(End(b, 0x2013), 0x45);
  EXPECT_EQ(End(b, 0x2012), 0x89);
  EXPECT_EQ(Text(b, 0x2010, 4), "ARIV");
  EXPECT_EQ(End(b, 0x200C), 0x00);

  const auto quivel = tools::BuildBinImage(Options(ChipModel::kQuivel, {1, 2, 3}, 0x0207)).bytes;
  EXPECT_EQ(Text(quivel, 8, 4), "UNDA");
  EXPECT_EQ(End(quivel, 12), 0x07);
  EXPECT_EQ(End(quivel, 11), 0x02);
  EXPECT_EQ(End(quivel, 2), 0xBC);
}

TEST(BinImage, TheFirstFamilysModelsDifferInTheirFirstFourBytes) {
  const auto model4150 = tools::BuildBinImage(Options(ChipModel::kOcelin4150, {1, 2, 3})).bytes;
  EXPECT_TRUE(
      std::all_of(model4150.begin(), model4150.begin() + 4, [](uint8_t b) { return b == 0xFF; }));
  tools::BinImageOptions blank = Options(ChipModel::kOcelin4100, {1, 2, 3});
  blank.dataSize = 1;
  const auto model4100 = tools::BuildBinImage(blank).bytes;
  EXPECT_FALSE(
      std::all_of(model4100.begin(), model4100.begin() + 4, [](uint8_t b) { return b == 0xFF; }));
}

TEST(BinImage, DataEndsWhereAskedAndTheRestIsBlank) {
  tools::BinImageOptions options = Options(ChipModel::kSolvenia, {1, 2, 3});
  options.dataSize = 0x1000;
  options.size = 0x30000;
  const auto image = tools::BuildBinImage(options).bytes;
  ASSERT_EQ(image.size(), 0x30000u);
  EXPECT_FALSE(
      std::all_of(image.begin(), image.begin() + 0x1000, [](uint8_t b) { return b == 0xFF; }));
  EXPECT_TRUE(
      std::all_of(image.begin() + 0x1000, image.end() - 20, [](uint8_t b) { return b == 0xFF; }));
}

TEST(BinImage, RefusesSizesOutsideTheFlash) {
  tools::BinImageOptions tooBig = Options(ChipModel::kArivane, {1, 2, 3});
  tooBig.size = 0x40001;
  EXPECT_EQ(tools::BuildBinImage(tooBig).error,
            "an image for chip type 3 holds 0x14 to 0x40000 bytes");
  tools::BinImageOptions tooSmall = Options(ChipModel::kArivane, {1, 2, 3}, 0x0101);
  tooSmall.size = 0x2000;
  EXPECT_EQ(tools::BuildBinImage(tooSmall).error,
            "an image for chip type 3 with a boot code holds 0x2014 to 0x40000 bytes");
}

TEST(DriverFile, IsTheSealedDriverWithOrWithoutItsLengthHeader) {
  tools::DriverFileOptions options;
  options.model = ChipModel::kQuivel;
  const auto plain = tools::BuildDriverFile(options);
  ASSERT_EQ(plain.error, "");
  EXPECT_EQ(plain.bytes.size(), 0x2000u);
  EXPECT_EQ(std::string(plain.bytes.begin(), plain.bytes.begin() + 4), "VXDR");

  options.model = ChipModel::kArivane;
  options.lengthHeader = true;
  options.length = 0x100;
  const auto headed = tools::BuildDriverFile(options);
  ASSERT_EQ(headed.error, "");
  // Padded to the smallest driver file the tool accepts.
  EXPECT_EQ(headed.bytes.size(), 0x800u);
  EXPECT_EQ(std::vector<uint8_t>(headed.bytes.begin(), headed.bytes.begin() + 8),
            (std::vector<uint8_t>{0x00, 0x01, 0x00, 0x00, 'V', 'X', 'D', 'R'}));
}

TEST(DriverFile, RefusesLengthsTheChipOrTheHeaderCannotTake) {
  tools::DriverFileOptions options;
  options.model = ChipModel::kQuivel;
  options.length = 0x1000;  // ends before the type-5 entry address 0x1D00 (loaded at 0x580)
  EXPECT_EQ(tools::BuildDriverFile(options).error,
            "a driver for chip type 5 is 0x1781 to 0x8000 bytes long");
  options.lengthHeader = true;
  options.length = 0x1850;
  EXPECT_EQ(tools::BuildDriverFile(options).error,
            "a length header counts whole 256-byte pages: the length must be a multiple of "
            "0x100");
}

TEST(MkimageOptions, ReadsABinImageCommand) {
  const std::vector<std::string_view> args = {
      "bin",         "--chip", "3",      "--version", "0x67,0x45,137",
      "--boot-code", "0x0102", "--size", "0x40000",   "--data",
      "4096",        "--seed", "9",      "--out",     "new.bin"};
  const tools::MkimageParse parse = tools::ParseMkimageArgs(args);
  ASSERT_TRUE(parse.command) << parse.error;
  const tools::BinImageOptions& bin = parse.command->bin;
  EXPECT_EQ(parse.command->kind, tools::MkimageCommand::Kind::kBinImage);
  EXPECT_EQ(bin.model, ChipModel::kArivane);
  EXPECT_EQ(bin.version, (std::array<uint8_t, 3>{0x67, 0x45, 0x89}));
  EXPECT_EQ(bin.bootCodeVersion, 0x0102);
  EXPECT_EQ(bin.size, 0x40000u);
  EXPECT_EQ(bin.dataSize, 4096u);
  EXPECT_EQ(bin.seed, 9u);
  EXPECT_EQ(parse.command->output, std::filesystem::path("new.bin"));
}

TEST(MkimageOptions, ReadsADriverCommandAndRefusesWhatItDoesNotKnow) {
  const std::vector<std::string_view> driver = {"driver",   "--chip", "5",     "--header",
                                                "--length", "0x2000", "--out", "d.bin"};
  const tools::MkimageParse parse = tools::ParseMkimageArgs(driver);
  ASSERT_TRUE(parse.command) << parse.error;
  EXPECT_EQ(parse.command->kind, tools::MkimageCommand::Kind::kDriverFile);
  EXPECT_TRUE(parse.command->driver.lengthHeader);
  EXPECT_EQ(parse.command->driver.length, 0x2000u);

  const std::vector<std::pair<std::vector<std::string_view>, std::string>> refused = {
      {{}, "missing the kind of file: bin or driver"},
      {{"bin", "--out", "x"}, "--chip is required"},
      {{"bin", "--chip", "6"}, "--chip: '6' is not a valid value"},
      {{"bin", "--chip", "1", "--version", "1,2"}, "--version takes three bytes: B0,B1,B2"},
      {{"driver", "--chip", "1", "--version", "1,2,3"}, "unknown option --version"},
      {{"bin", "--chip"}, "--chip needs a value"},
      // An option is checked for this kind of file before its value is read.
      {{"bin", "--chip", "1", "--out", "x", "--header"}, "unknown option --header"},
      {{"bin", "--chip", "1", "--out", "x", "--foo"}, "unknown option --foo"},
      {{"bin", "--foo", "--chip", "1", "--out", "x"}, "unknown option --foo"},
      {{"driver", "--chip", "1", "--out", "x", "--size"}, "unknown option --size"},
      {{"driver", "--chip", "1", "--out", "x", "--length"}, "--length needs a value"},
  };
  for (const auto& [args, error] : refused) {
    EXPECT_EQ(tools::ParseMkimageArgs(args).error, error);
  }
}

}  // namespace
}  // namespace vexa::testing
