#include "engine/identification/chip_query.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "chip/chip_table.h"
#include "chip/version_text.h"
#include "testing/ddc_frames.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

constexpr uint8_t kAddr = 0x6E;

// Ten DPCD bytes from 0x503: branch ID, hardware revision and three version bytes.
std::vector<uint8_t> Branch(std::string_view id, uint8_t cut, uint8_t b7, uint8_t b8, uint8_t b9) {
  std::vector<uint8_t> bytes(id.begin(), id.end());
  bytes.insert(bytes.end(), {cut, b7, b8, b9});
  return bytes;
}

// An info block as the flash holds it: version word, two bytes, signature and marker bytes.
std::vector<uint8_t> FlashInfo(uint16_t version, std::string_view signature, uint8_t c8,
                               uint8_t c10) {
  std::vector<uint8_t> bytes;
  bytes.reserve(11);
  for (uint8_t byte : {static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
                       uint8_t{0x00}, uint8_t{0x00}}) {
    bytes.push_back(byte);
  }
  for (char c : signature) bytes.push_back(static_cast<uint8_t>(c));
  for (uint8_t byte : {c8, uint8_t{0x00}, c10}) bytes.push_back(byte);
  return bytes;
}

struct Geometry {
  uint32_t flashBase;
  uint16_t loadAddr;
  uint16_t entryAddr;
  uint16_t bootDelayMs;
  bool operator==(const Geometry&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Geometry& g) {
    return os << std::hex << g.flashBase << "/" << g.loadAddr << "/" << g.entryAddr << "/"
              << std::dec << g.bootDelayMs;
  }
};

constexpr Geometry kSentinelGeometry = {0x123000, 0x111, 0x222, 5};
constexpr Geometry kQuivelGeometry = {0x80000, 0x580, 0x1D00, 800};
constexpr Geometry kDefaultGeometry = {0x400000, 0x1800, 0x1800, 800};

class ChipQueryTest : public EngineTest {
 protected:
  void ExpectRegisterRead(uint16_t reg, std::optional<uint16_t> value) {
    const uint8_t hi = static_cast<uint8_t>(reg >> 8);
    const uint8_t lo = static_cast<uint8_t>(reg);
    if (!value) {
      gfx.ExpectDdcWrite(kAddr, RequestFrame(kAddr, 0x06, {hi, lo}), 6);
      return;
    }
    gfx.ExpectDdcWrite(kAddr, RequestFrame(kAddr, 0x06, {hi, lo}))
        .ExpectDdcRead(kAddr, DataReply(kAddr, 0x06,
                                        {hi, lo, static_cast<uint8_t>(*value >> 8),
                                         static_cast<uint8_t>(*value)}));
  }

  // A RAM read of count bytes at address; no data makes the command fail.
  void ExpectRamRead(uint32_t address, uint8_t count, std::optional<std::vector<uint8_t>> data) {
    const std::vector<uint8_t> params = {static_cast<uint8_t>(address >> 24),
                                         static_cast<uint8_t>(address >> 16),
                                         static_cast<uint8_t>(address >> 8),
                                         static_cast<uint8_t>(address),
                                         0,
                                         0,
                                         0,
                                         count};
    if (!data) {
      gfx.ExpectDdcWrite(kAddr, RequestFrame(kAddr, 0x52, params), 6);
      return;
    }
    gfx.ExpectDdcWrite(kAddr, RequestFrame(kAddr, 0x52, params))
        .ExpectDdcRead(kAddr, DataReply(kAddr, 0x52, *data));
  }

  void ExpectChipId(uint16_t c802, std::optional<uint16_t> r8002) {
    ExpectRegisterRead(0xC802, c802);
    if (r8002) ExpectRegisterRead(0x8002, *r8002);
  }

  void SetGeometry(const Geometry& g) {
    ctx.flashBaseAddr = g.flashBase;
    ctx.driverLoadAddr = g.loadAddr;
    ctx.driverEntryAddr = g.entryAddr;
    ctx.driverBootDelayMs = g.bootDelayMs;
  }
  Geometry CurrentGeometry() const {
    return {ctx.flashBaseAddr, ctx.driverLoadAddr, ctx.driverEntryAddr, ctx.driverBootDelayMs};
  }
};

struct QueryCase {
  const char* name;
  friend void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }
  uint16_t c802;
  std::optional<uint16_t> r8002;
  std::vector<uint8_t> branch;
  // Register 0xC804 as the internal ROM of the first family is asked for it (nullopt: fails).
  bool readsRomCut;
  std::optional<uint16_t> c804;
  ChipType chipType;
  RunMode runMode;
  uint16_t cut;
  uint32_t fwVersion;
  uint32_t fwRevision;
  uint16_t bootCodeVersion;
  // Where the flash info block is read (0: not read, boot-code mode).
  uint32_t flashInfoAddr;
  const char* line;
};

class QueryChipDecodes : public ChipQueryTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(QueryChipDecodes, TypeModeAndVersions) {
  const QueryCase& c = GetParam();
  SetGeometry(kSentinelGeometry);
  gfx.ExpectNativeRead(0x503, c.branch);
  ExpectChipId(c.c802, c.r8002);
  if (c.readsRomCut) ExpectRegisterRead(0xC804, c.c804);
  if (c.flashInfoAddr != 0) ExpectRamRead(c.flashInfoAddr, 11, FlashInfo(0x0103, "OCLN", 0, 0xBC));

  ChipInfo info;
  ASSERT_TRUE(QueryChip(ctx, info));
  EXPECT_EQ(info.chipType, c.chipType);
  EXPECT_EQ(info.runMode, c.runMode);
  EXPECT_EQ(info.cut, c.cut);
  EXPECT_TRUE(std::equal(info.branchId.begin(), info.branchId.end(), c.branch.begin()));
  EXPECT_EQ(info.fwVersion, c.fwVersion);
  EXPECT_EQ(info.fwRevision, c.fwRevision);
  EXPECT_EQ(info.bootCodeVersion, c.bootCodeVersion);
  EXPECT_EQ(OnBoardInfoText(info), c.line);
  // Boot-code mode leaves the geometry alone; otherwise it follows the type found.
  const Geometry expected = c.runMode == RunMode::kBootCode   ? kSentinelGeometry
                            : c.chipType == ChipType::kQuivel ? kQuivelGeometry
                                                              : kDefaultGeometry;
  EXPECT_EQ(CurrentGeometry(), expected);
}

constexpr auto kApp = RunMode::kApplication;
constexpr auto kRom = RunMode::kInternalRom;
constexpr auto kBoot = RunMode::kBootCode;
// Info block of a 512 KiB and a 256 KiB image at the default flash mapping, and of a 256 KiB
// image at the mapping of the Quivel.
constexpr uint32_t kLargeInfo = 0x400000 + 0x80000 - 20;
constexpr uint32_t kSmallInfo = 0x400000 + 0x40000 - 20;
constexpr uint32_t kQuivelInfo = 0x80000 + 0x40000 - 12;

INSTANTIATE_TEST_SUITE_P(
    Chips, QueryChipDecodes,
    ::testing::Values(
        QueryCase{"Ocelin4100App", 0x2801, std::nullopt, Branch("VX4100", 0x21, 1, 2, 5), false,
                  std::nullopt, ChipType::kOcelin4100, kApp, 0x21, 0x010205, 5, 0x0103, kLargeInfo,
                  "Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)"},
        QueryCase{"Ocelin4150App", 0x28AA, std::nullopt, Branch("VX4150", 0x11, 1, 2, 5), false,
                  std::nullopt, ChipType::kOcelin4150, kApp, 0x11, 0x010205, 0, 0x0103, kLargeInfo,
                  "Ocelin [4150] (on cut1.1) App: v1.02 "},
        QueryCase{"OcelinInternalRom", 0x2800, std::nullopt, Branch("4100IR", 0x99, 1, 2, 3), true,
                  0x5522, ChipType::kOcelin4150, kRom, 0x21, 0, 0, 0x0103, kLargeInfo,
                  "Ocelin [4150] iROM (on cut2.1) "},
        QueryCase{"OcelinInternalRomCutZero", 0x2800, std::nullopt, Branch("4100IR", 0, 1, 2, 3),
                  true, 0x1200, ChipType::kOcelin4150, kRom, 0xFFFF, 0, 0, 0x0103, kLargeInfo,
                  "Ocelin [4150] iROM (on cut4095.15) "},
        QueryCase{"OcelinInternalRomCutUnread", 0x2800, std::nullopt, Branch("4100IR", 0, 1, 2, 3),
                  true, std::nullopt, ChipType::kOcelin4150, kRom, 0xFE, 0, 0, 0x0103, kLargeInfo,
                  "Ocelin [4150] iROM (on cut15.14) "},
        QueryCase{"OcelinBootCode", 0x2801, std::nullopt, Branch("OCLNBC", 0, 1, 3, 9), false,
                  std::nullopt, ChipType::kOcelin4150, kBoot, 0, 0, 0, 0x0103, 0,
                  "Ocelin [4150] Boot-Code: v1.3"},
        QueryCase{"SolveniaApp", 0x2611, std::nullopt, Branch("SOLV01", 0x21, 0x77, 0x23, 4), false,
                  std::nullopt, ChipType::kSolvenia, kApp, 0x21, 0x020304, 0, 0x0103, kSmallInfo,
                  "Solvenia (on cut2.0) App: v2.03.4 "},
        QueryCase{"SolveniaBootCode", 0x2611, std::nullopt, Branch("SOLVBC", 0x21, 2, 5, 9), false,
                  std::nullopt, ChipType::kSolvenia, kBoot, 0x21, 0, 0, 0x0205, 0,
                  "Solvenia (on cut2.0) Boot-Code: v2.5"},
        QueryCase{"QuivelApp", 0x1100, 0x0064, Branch("QUvl01", 0x55, 0x1A, 0x0B, 0), false,
                  std::nullopt, ChipType::kQuivel, kApp, 0x55, 0x1A0B00, 0, 0x0103, kQuivelInfo,
                  "Quivel (on cut1.0) App: v1a.b "},
        QueryCase{"QuivelIdentifiedByLowByteFirst", 0x1100, 0x4364, Branch("QUvlBC", 0x55, 1, 4, 0),
                  false, std::nullopt, ChipType::kQuivel, kBoot, 0x55, 0, 0, 0x0104, 0,
                  "Quivel (on cut1.0) Boot-Code: v1.4"},
        QueryCase{"ArivaneApp", 0x1100, 0x4300, Branch("ARIV01", 0x11, 0x45, 0x67, 0x89), false,
                  std::nullopt, ChipType::kArivane, kApp, 0x11, (1 << 16) | 0x2B, 0x0789, 0x0103,
                  kSmallInfo, "Arivane (on cut1.1) App: v1.43 (Rev: 7.137)"},
        QueryCase{"ArivaneInternalRomComparesFiveBytes", 0x1100, 0x4300,
                  Branch("ARIVG7", 0x11, 0x45, 0x67, 0x89), false, std::nullopt, ChipType::kArivane,
                  kRom, 0x11, 0, 0, 0x0103, kSmallInfo, "Arivane iROM (on cut1.1) "},
        QueryCase{"ArivaneBootCode", 0x1100, 0x4300, Branch("ARIVBC", 0x11, 3, 1, 0x89), false,
                  std::nullopt, ChipType::kArivane, kBoot, 0x11, 0, 0, 0x0301, 0,
                  "Arivane (on cut1.1) Boot-Code: v3.1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChipQueryTest, UnreadableDpcdIsTakenFromTheChipsOwnCopy) {
  struct Case {
    uint16_t c802;
    std::optional<uint16_t> r8002;
    uint32_t copyAddr;
    const char* branchId;
    ChipType chipType;
  };
  const Case cases[] = {
      {0x2801, std::nullopt, 0x1B503, "OCLNBC", ChipType::kOcelin4150},
      {0x2611, std::nullopt, 0x1B503, "SOLVBC", ChipType::kSolvenia},
      {0x1100, 0x4300, 0x10503, "ARIVBC", ChipType::kArivane},
      {0x1100, 0x0064, 0x9503, "QUvlBC", ChipType::kQuivel},
  };
  for (const Case& c : cases) {
    gfx.ExpectFailedNativeRead(0x503, 10, 6);
    ExpectChipId(c.c802, c.r8002);
    ExpectRamRead(c.copyAddr, 10, Branch(c.branchId, 0x21, 4, 2, 0));
    ChipInfo info;
    EXPECT_TRUE(QueryChip(ctx, info)) << c.branchId;
    EXPECT_EQ(info.chipType, c.chipType) << c.branchId;
    EXPECT_EQ(info.runMode, RunMode::kBootCode) << c.branchId;
    EXPECT_EQ(info.bootCodeVersion, 0x0402) << c.branchId;
  }
  EXPECT_EQ(gfx.Remaining(), 0u);
}

TEST_F(ChipQueryTest, UnreadableBranchBytesKeepTheTypeButFail) {
  gfx.ExpectFailedNativeRead(0x503, 10, 6);
  ExpectChipId(0x2801, std::nullopt);
  ExpectRamRead(0x1B503, 10, std::nullopt);
  ChipInfo info;
  EXPECT_FALSE(QueryChip(ctx, info));
  EXPECT_EQ(info.chipType, ChipType::kOcelin4150);
  EXPECT_EQ(info.runMode, RunMode::kNone);
  EXPECT_NE(ctx.firstErrorCode, 0);
}

TEST_F(ChipQueryTest, UnidentifiedChipLeavesTypeZeroAndGeometryAlone) {
  struct Case {
    const char* name;
    std::optional<uint16_t> c802;
    std::optional<uint16_t> r8002;
    bool readsAlt;
    // Unknown ID values are not an error of the register reads.
    bool errorRecorded;
  };
  const Case cases[] = {
      {"0xC802 unreadable", std::nullopt, std::nullopt, false, true},
      {"0x8002 unreadable", 0x1100, std::nullopt, true, true},
      {"unknown IDs", 0x1100, 0x1100, true, false},
  };
  for (const Case& c : cases) {
    SetGeometry(kSentinelGeometry);
    SetFirstError(ctx, 9, "earlier");
    gfx.ExpectNativeRead(0x503, Branch("VX4100", 0x21, 1, 2, 5));
    ExpectRegisterRead(0xC802, c.c802);
    if (c.readsAlt) ExpectRegisterRead(0x8002, c.r8002);
    ChipInfo info;
    info.chipType = ChipType::kArivane;
    info.cut = 0x21;
    info.runMode = kApp;
    info.bootCodeVersion = 1;
    info.fwVersion = 2;
    info.fwRevision = 3;
    EXPECT_FALSE(QueryChip(ctx, info)) << c.name;
    EXPECT_EQ(info.chipType, ChipType::kNone) << c.name;
    EXPECT_EQ(info.cut, 0) << c.name;
    EXPECT_EQ(info.runMode, RunMode::kNone) << c.name;
    EXPECT_EQ(info.bootCodeVersion, 0) << c.name;
    EXPECT_EQ(info.fwVersion, 0u) << c.name;
    EXPECT_EQ(info.fwRevision, 0u) << c.name;
    EXPECT_EQ(CurrentGeometry(), kSentinelGeometry) << c.name;
    // The earlier error is cleared; only the failing read's own record remains.
    EXPECT_NE(ctx.firstErrorCode, 9) << c.name;
    EXPECT_EQ(ctx.firstErrorCode != 0, c.errorRecorded) << c.name;
    EXPECT_EQ(ctx.firstErrorText.empty(), !c.errorRecorded) << c.name;
  }
}

struct FlashCase {
  const char* name;
  friend void PrintTo(const FlashCase& c, std::ostream* os) { *os << c.name; }
  ChipType chipType;
  uint32_t firstAddr;
  std::optional<std::vector<uint8_t>> first;
  // The look at the 512 KiB position (0: none).
  uint32_t secondAddr;
  std::optional<std::vector<uint8_t>> second;
  uint16_t version;
};

class FlashBootCodeVersion : public ChipQueryTest,
                             public ::testing::WithParamInterface<FlashCase> {};

TEST_P(FlashBootCodeVersion, FromTheInfoBlockAtTheImageEnd) {
  const FlashCase& c = GetParam();
  ExpectRamRead(c.firstAddr, 11, c.first);
  if (c.secondAddr != 0) ExpectRamRead(c.secondAddr, 11, c.second);
  EXPECT_EQ(ReadFlashBootCodeVersion(ctx, c.chipType), c.version);
}

// At the default mapping: the last 20 bytes of 512 KiB and of 256 KiB, and the last 12 bytes of
// 256 KiB.
constexpr uint32_t kAt512K = 0x47FFEC;
constexpr uint32_t kAt256K = 0x43FFEC;
constexpr uint32_t kQuivelAt256K = 0x43FFF4;

INSTANTIATE_TEST_SUITE_P(
    InfoBlocks, FlashBootCodeVersion,
    ::testing::Values(
        FlashCase{"OcelinMarked", ChipType::kOcelin4100, kAt512K,
                  FlashInfo(0x1234, "OCLN", 0, 0xBC), 0, std::nullopt, 0x1234},
        FlashCase{"OcelinMarkerAtTheArivanePosition", ChipType::kOcelin4150, kAt512K,
                  FlashInfo(0x1234, "OCLN", 0xBC, 0), 0, std::nullopt, 0},
        FlashCase{"ArivaneMarked", ChipType::kArivane, kAt256K, FlashInfo(0x1234, "ARIV", 0xBC, 0),
                  0, std::nullopt, 0x1234},
        FlashCase{"ArivaneMarkerAtTheOcelinPosition", ChipType::kArivane, kAt256K,
                  FlashInfo(0x1234, "ARIV", 0, 0xBC), 0, std::nullopt, 0},
        FlashCase{"SolveniaMarked", ChipType::kSolvenia, kAt256K,
                  FlashInfo(0x0201, "SOLV", 0, 0xBC), 0, std::nullopt, 0x0201},
        FlashCase{"QuivelMarked", ChipType::kQuivel, kQuivelAt256K,
                  FlashInfo(0x0301, "UNDA", 0, 0xBC), 0, std::nullopt, 0x0301},
        FlashCase{"OtherLettersNeedNoMarker", ChipType::kSolvenia, kAt256K,
                  FlashInfo(0x0107, "ABCD", 0, 0), 0, std::nullopt, 0x0107},
        FlashCase{"SmallChipLooksAtTheLargeImagePosition", ChipType::kSolvenia, kAt256K,
                  FlashInfo(0x1234, "AB12", 0, 0xBC), kAt512K, FlashInfo(0x5678, "OCLN", 0, 0xBC),
                  0x5678},
        FlashCase{"QuivelLooksAtTheSameLargeImagePosition", ChipType::kQuivel, kQuivelAt256K,
                  FlashInfo(0x1234, "UND4", 0, 0xBC), kAt512K, FlashInfo(0x5678, "SOLV", 0, 0xBC),
                  0x5678},
        FlashCase{"SecondLookTakesAnyBytes", ChipType::kArivane, kAt256K,
                  FlashInfo(0x1234, "ab12", 0, 0), kAt512K, FlashInfo(0x5678, "ab12", 0, 0),
                  0x5678},
        FlashCase{"SecondLookStillTestsTheMarker", ChipType::kArivane, kAt256K,
                  FlashInfo(0x1234, "ab12", 0, 0), kAt512K, FlashInfo(0x5678, "ARIV", 0, 0xBC), 0},
        FlashCase{"LargeChipDoesNotLookFurther", ChipType::kOcelin4100, kAt512K,
                  FlashInfo(0x1234, "AB12", 0, 0), 0, std::nullopt, 0},
        FlashCase{"FirstReadFails", ChipType::kSolvenia, kAt256K, std::nullopt, 0, std::nullopt, 0},
        FlashCase{"SecondReadFails", ChipType::kSolvenia, kAt256K, FlashInfo(0x1234, "AB12", 0, 0),
                  kAt512K, std::nullopt, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChipQueryTest, GeometryIsTheQuivelsOwnOrTheDefault) {
  for (int type = 0; type <= 5; ++type) {
    SetGeometry(kSentinelGeometry);
    SetChipGeometry(ctx, static_cast<ChipType>(type));
    EXPECT_EQ(CurrentGeometry(), type == 5 ? kQuivelGeometry : kDefaultGeometry) << type;
  }
}

}  // namespace
}  // namespace vexa::testing
