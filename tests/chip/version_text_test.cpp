#include "chip/version_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa::testing {
namespace {

// Each case pairs a text as produced with the text the display must show.
struct TextCase {
  const char* name;
  std::string got;
  const char* want;
};

void ExpectTexts(std::initializer_list<TextCase> cases) {
  for (const TextCase& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

constexpr ChipType kUnknownType = static_cast<ChipType>(9);

TEST(VersionText, NamesOfTypesAndModes) {
  ExpectTexts({
      {"type 0", ChipTypeName(ChipType::kNone), ""},
      {"type 1", ChipTypeName(ChipType::kOcelin4100), "Ocelin [4100]"},
      {"type 2", ChipTypeName(ChipType::kOcelin4150), "Ocelin [4150]"},
      {"type 3", ChipTypeName(ChipType::kArivane), "Arivane"},
      {"type 4", ChipTypeName(ChipType::kSolvenia), "Solvenia"},
      {"type 5", ChipTypeName(ChipType::kQuivel), "Quivel"},
      {"type 9", ChipTypeName(kUnknownType), ""},
      {"mode 0", RunModeName(RunMode::kNone), ""},
      {"mode 1", RunModeName(RunMode::kInternalRom), "iROM"},
      {"mode 2", RunModeName(RunMode::kBootCode), "Boot-Code"},
      {"mode 3", RunModeName(RunMode::kApplication), "App"},
      {"mode 4", RunModeName(static_cast<RunMode>(4)), ""},
  });
}

TEST(VersionText, CutPerChipType) {
  ExpectTexts({
      {"first family", CutText(ChipType::kOcelin4150, 0x21), "2.1"},
      {"arivane", CutText(ChipType::kArivane, 0x21), "2.1"},
      {"solvenia minor less one", CutText(ChipType::kSolvenia, 0x21), "2.0"},
      {"quivel offsets", CutText(ChipType::kQuivel, 0x55), "1.0"},
      {"whole 16-bit value shifts", CutText(ChipType::kOcelin4100, 0xFFFF), "4095.15"},
      {"no type", CutText(ChipType::kNone, 0x21), ""},
      {"unknown type", CutText(kUnknownType, 0x21), ""},
  });
}

TEST(VersionText, FirmwareVersionPerChipType) {
  ExpectTexts({
      {"first family", FwVersionText(ChipType::kOcelin4100, 0x010205), "1.02"},
      {"first family two-digit minor", FwVersionText(ChipType::kOcelin4150, 0x0A1400), "10.20"},
      {"arivane", FwVersionText(ChipType::kArivane, (1 << 16) | 0x2B), "1.43"},
      {"arivane masks", FwVersionText(ChipType::kArivane, 0xFE01FF), "2.511"},
      {"solvenia without build", FwVersionText(ChipType::kSolvenia, 0x020300), "2.03"},
      {"solvenia with build", FwVersionText(ChipType::kSolvenia, 0x020304), "2.03.4"},
      {"quivel in hex", FwVersionText(ChipType::kQuivel, 0x1A0B00), "1a.b"},
      {"no type", FwVersionText(ChipType::kNone, 0x010205), ""},
  });
}

TEST(VersionText, RevisionAndBootCode) {
  ExpectTexts({
      {"arivane", RevisionText(ChipType::kArivane, 0x0789), "7.137"},
      {"arivane zero", RevisionText(ChipType::kArivane, 0), "0.0"},
      {"arivane masks five bits", RevisionText(ChipType::kArivane, 0xE789), "7.137"},
      {"first family", RevisionText(ChipType::kOcelin4100, 5), "0.5"},
      {"solvenia", RevisionText(ChipType::kSolvenia, 0x0102), "1.2"},
      {"zero is empty", RevisionText(ChipType::kOcelin4100, 0), ""},
      {"boot code", BootCodeVersionText(0x0103), "1.3"},
      {"boot code decimal", BootCodeVersionText(0x1234), "18.52"},
  });
}

ChipInfo Chip(ChipType type, uint16_t cut, RunMode mode, uint32_t fw, uint32_t rev,
              uint16_t boot = 0) {
  ChipInfo info;
  info.chipType = type;
  info.cut = cut;
  info.runMode = mode;
  info.fwVersion = fw;
  info.fwRevision = rev;
  info.bootCodeVersion = boot;
  return info;
}

TEST(VersionText, OnBoardLineKeepsItsFixedBlanks) {
  constexpr auto kApp = RunMode::kApplication;
  ExpectTexts({
      {"app with cut and revision",
       OnBoardInfoText(Chip(ChipType::kOcelin4100, 0x21, kApp, 0x010205, 5)),
       "Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)"},
      {"app without cut", OnBoardInfoText(Chip(ChipType::kOcelin4100, 0, kApp, 0x010205, 5)),
       "Ocelin [4100] App: v1.02 (Rev: 0.5)"},
      {"app without revision ends in a blank",
       OnBoardInfoText(Chip(ChipType::kOcelin4150, 0x11, kApp, 0x010205, 0)),
       "Ocelin [4150] (on cut1.1) App: v1.02 "},
      {"arivane shows revision 0.0",
       OnBoardInfoText(Chip(ChipType::kArivane, 0, kApp, (1 << 16) | 0x2B, 0)),
       "Arivane App: v1.43 (Rev: 0.0)"},
      {"boot code without cut",
       OnBoardInfoText(Chip(ChipType::kOcelin4150, 0, RunMode::kBootCode, 0, 0, 0x0103)),
       "Ocelin [4150] Boot-Code: v1.3"},
      {"boot code with cut",
       OnBoardInfoText(Chip(ChipType::kSolvenia, 0x21, RunMode::kBootCode, 0, 0, 0x0205)),
       "Solvenia (on cut2.0) Boot-Code: v2.5"},
      {"internal ROM with cut",
       OnBoardInfoText(Chip(ChipType::kArivane, 0x11, RunMode::kInternalRom, 0, 0)),
       "Arivane iROM (on cut1.1) "},
      {"internal ROM without cut",
       OnBoardInfoText(Chip(ChipType::kOcelin4150, 0, RunMode::kInternalRom, 0, 0)),
       "Ocelin [4150] iROM "},
      {"no run mode", OnBoardInfoText(Chip(ChipType::kOcelin4100, 0x21, RunMode::kNone, 1, 1)), ""},
  });
}

TEST(VersionText, FileVersion) {
  ExpectTexts({
      {"with revision", FileVersionText({ChipType::kOcelin4100, 0, 0x010200, 5}),
       "v1.02 (Rev: 0.5)"},
      {"without revision ends in a blank", FileVersionText({ChipType::kSolvenia, 0, 0x020304, 0}),
       "v2.03.4 "},
      {"no version", FileVersionText({ChipType::kQuivel, 0x1A0B, 0, 0}), ""},
  });
}

}  // namespace
}  // namespace vexa::testing
