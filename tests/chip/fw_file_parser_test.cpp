#include "chip/fw_file_parser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/chip/bin_image.h"

namespace vexa::testing {
namespace {

struct ParseCase {
  const char* name;
  friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }
  std::vector<uint8_t> image;
  bool accepted;
  ChipType chipType;
  uint16_t bootCodeVersion;
  uint32_t fwVersion;
  uint32_t fwRevision;
};

class ParseFwFileTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseFwFileTest, RecognisesSignatureAndVersions) {
  const ParseCase& c = GetParam();
  // Stale values must not survive into the result.
  FwFileInfo info{ChipType::kSolvenia, 0xAAAA, 0xBBBBBB, 0xCCCC};
  EXPECT_EQ(ParseFwFile(c.image, info), c.accepted);
  EXPECT_EQ(info.chipType, c.chipType);
  EXPECT_EQ(info.bootCodeVersion, c.bootCodeVersion);
  EXPECT_EQ(info.fwVersion, c.fwVersion);
  EXPECT_EQ(info.fwRevision, c.fwRevision);
}

constexpr size_t kWithBootCode = 0x3000;
constexpr size_t kPlain = 0x100;

INSTANTIATE_TEST_SUITE_P(
    Files, ParseFwFileTest,
    ::testing::Values(
        ParseCase{"OcelinAllFfHeadWithBootCodeIsThe4150",
                  OcelinWithBootCode(BinImage(kWithBootCode), {0xFF, 0xFF, 0xFF, 0xFF}), true,
                  ChipType::kOcelin4150, 0x1234, 0x010300, 7},
        ParseCase{"OcelinWithFirstByteZeroIsThe4100",
                  OcelinWithBootCode(BinImage(kWithBootCode), {0x00, 0xFF, 0xFF, 0xFF}), true,
                  ChipType::kOcelin4100, 0x1234, 0x010300, 7},
        ParseCase{"OcelinWithoutMarker",
                  BinImage(kPlain).At(20, {0x02, 0x01, 0x05}).Text(16, "OCLN").Bytes(), true,
                  ChipType::kOcelin4100, 0, 0x010200, 5},
        ParseCase{"ArivaneRawVersion",
                  BinImage(kPlain).At(20, {0x6B, 0x45, 0x89}).Text(16, "ARIV").Bytes(), true,
                  ChipType::kArivane, 0, (1 << 16) | 0x2B, 0x0B89},
        ParseCase{"ArivaneWithBootCodeDecodesTheApplicationBlock",
                  BinImage(kWithBootCode)
                      .At(0x2014, {0x6B, 0x45, 0x89})
                      .At(20, {0x02, 0x01, 0x00})
                      .Text(16, "ARIV")
                      .At(12, {0xBC})
                      .Bytes(),
                  true, ChipType::kArivane, 0x0102, (1 << 16) | 0x2B, 0x0B89},
        ParseCase{"ArivaneIgnoresTheMarkerPositionOfOtherFamilies",
                  BinImage(kWithBootCode)
                      .At(20, {0x6B, 0x45, 0x89})
                      .Text(16, "ARIV")
                      .At(10, {0xBC})
                      .Bytes(),
                  true, ChipType::kArivane, 0, (1 << 16) | 0x2B, 0x0B89},
        ParseCase{"SolveniaWithoutMarkerKeepsTheRawVersion",
                  BinImage(kPlain).At(20, {0x04, 0x03, 0x02}).Text(16, "SOLV").Bytes(), true,
                  ChipType::kSolvenia, 0, 0x020304, 0},
        ParseCase{"SolveniaWithBootCode",
                  BinImage(kWithBootCode)
                      .At(0x2014, {0x03, 0x02, 0x04})
                      .At(20, {0x01, 0x02, 0x09})
                      .Text(16, "SOLV")
                      .At(10, {0xBC})
                      .Bytes(),
                  true, ChipType::kSolvenia, 0x0201, 0x020304, 0},
        ParseCase{"QuivelAfterUnknownFamilyText",
                  BinImage(kWithBootCode)
                      .At(20, {0x01, 0x02, 0x03})
                      .Text(16, "ABCD")
                      .At(12, {0x0B, 0x1A})
                      .Text(8, "UNDA")
                      .At(2, {0xBC})
                      .Bytes(),
                  true, ChipType::kQuivel, 0x1A0B, 0, 0},
        ParseCase{"QuivelWithoutMarkerKeepsTheRawVersion",
                  BinImage(kPlain).At(20, {0x00, 0x0B, 0x1A}).Text(8, "UNDA").Bytes(), true,
                  ChipType::kQuivel, 0, 0x1A0B00, 0},
        ParseCase{"FamilySignatureTakesPrecedenceOverUnda",
                  BinImage(kWithBootCode)
                      .At(20, {0x01, 0x02, 0x03})
                      .Text(16, "SOLV")
                      .Text(8, "UNDA")
                      .At(2, {0xBC})
                      .Bytes(),
                  true, ChipType::kSolvenia, 0, 0x030201, 0},
        ParseCase{"UnknownSignatureIsRejected",
                  BinImage(kPlain).At(20, {0x01, 0x02, 0x03}).Text(16, "OCLM").Bytes(), false,
                  ChipType::kNone, 0, 0, 0},
        ParseCase{"ShortestFileHoldingAnInfoBlock",
                  BinImage(20).At(20, {0x02, 0x01, 0x05}).Text(16, "OCLN").Bytes(), true,
                  ChipType::kOcelin4100, 0, 0x010200, 5},
        ParseCase{"FileShorterThanAnInfoBlockIsRejected", BinImage(19).Text(16, "OCLN").Bytes(),
                  false, ChipType::kNone, 0, 0, 0},
        ParseCase{"EmptyFileIsRejected", {}, false, ChipType::kNone, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct MarkerLayout {
  const char* signature;
  size_t signatureAt;
  size_t markerAt;
};

TEST(ParseFwFileBounds, MarkerNeedsRoomForTheApplicationInfoBlock) {
  const MarkerLayout layouts[] = {
      {"ARIV", 16, 12}, {"OCLN", 16, 10}, {"SOLV", 16, 10}, {"UNDA", 8, 2}};
  for (const MarkerLayout& layout : layouts) {
    for (size_t size : {kMinBootCodeFileSize - 1, kMinBootCodeFileSize}) {
      const std::vector<uint8_t> image = BinImage(size)
                                             .Text(layout.signatureAt, layout.signature)
                                             .At(layout.markerAt, {0xBC})
                                             .Bytes();
      FwFileInfo info;
      EXPECT_EQ(ParseFwFile(image, info), size == kMinBootCodeFileSize)
          << layout.signature << " with " << size << " bytes";
      EXPECT_EQ(info.bootCodeVersion != 0, size == kMinBootCodeFileSize) << layout.signature;
    }
  }
}

TEST(FileMatchesChip, SameTypeOrBothFirstFamily) {
  struct Case {
    int file;
    int chip;
    bool matches;
  };
  const Case cases[] = {{1, 1, true},  {2, 2, true},  {2, 1, true},  {1, 2, true},
                        {3, 3, true},  {5, 5, true},  {0, 0, false}, {3, 4, false},
                        {1, 3, false}, {4, 2, false}, {0, 1, false}, {1, 0, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(FileMatchesChip(static_cast<ChipType>(c.file), static_cast<ChipType>(c.chip)),
              c.matches)
        << "file " << c.file << ", chip " << c.chip;
  }
}

}  // namespace
}  // namespace vexa::testing
