#include "chip/version_text.h"

#include "chip/chip_table.h"
#include "util/text_format.h"

namespace vexa {

namespace {

int Hi(uint32_t v) {
  return static_cast<int>((v >> 16) & 0xFF);
}
int Mid(uint32_t v) {
  return static_cast<int>((v >> 8) & 0xFF);
}
int Lo(uint32_t v) {
  return static_cast<int>(v & 0xFF);
}

std::string RevisionPart(ChipType type, uint32_t revision) {
  const std::string text = RevisionText(type, revision);
  return text.empty() ? std::string() : "(Rev: " + text + ")";
}

}  // namespace

std::string ChipTypeName(ChipType type) {
  return std::string(TraitsOf(type).name);
}

std::string RunModeName(RunMode mode) {
  switch (mode) {
    case RunMode::kInternalRom:
      return "iROM";
    case RunMode::kBootCode:
      return "Boot-Code";
    case RunMode::kApplication:
      return "App";
    case RunMode::kNone:
      break;
  }
  return {};
}

std::string CutText(ChipType type, uint16_t cut) {
  const ChipTraits& chip = TraitsOf(type);
  if (chip.type == ChipType::kNone) return {};
  return StrPrintf("%d.%d", (cut >> 4) - chip.cutMajorOffset, (cut & 0x0F) - chip.cutMinorOffset);
}

std::string FwVersionText(ChipType type, uint32_t v) {
  switch (type) {
    case ChipType::kOcelin4100:
    case ChipType::kOcelin4150:
      return StrPrintf("%d.%02d", Hi(v), Mid(v));
    case ChipType::kArivane:
      return StrPrintf("%d.%d", static_cast<int>((v >> 16) & 3), static_cast<int>(v & 0x1FF));
    case ChipType::kSolvenia:
      return Lo(v) != 0 ? StrPrintf("%d.%02d.%d", Hi(v), Mid(v), Lo(v))
                        : StrPrintf("%d.%02d", Hi(v), Mid(v));
    case ChipType::kQuivel:
      return StrPrintf("%x.%x", unsigned(Hi(v)), unsigned(Mid(v)));
    case ChipType::kNone:
      break;
  }
  return {};
}

std::string RevisionText(ChipType type, uint32_t r) {
  if (type == ChipType::kArivane) {
    return StrPrintf("%d.%d", static_cast<int>((r >> 8) & 0x1F), Lo(r));
  }
  if (r == 0) return {};
  return StrPrintf("%d.%d", Mid(r), Lo(r));
}

std::string BootCodeVersionText(uint16_t v) {
  return StrPrintf("%d.%d", v >> 8, v & 0xFF);
}

std::string OnBoardInfoText(const ChipInfo& info) {
  const std::string name = ChipTypeName(info.chipType);
  const std::string cutPart =
      info.cut != 0 ? "(on cut" + CutText(info.chipType, info.cut) + ") " : std::string();
  switch (info.runMode) {
    case RunMode::kApplication:
      return name + " " + cutPart + "App: v" + FwVersionText(info.chipType, info.fwVersion) + " " +
             RevisionPart(info.chipType, info.fwRevision);
    case RunMode::kBootCode:
      return name + " " + cutPart + "Boot-Code: v" + BootCodeVersionText(info.bootCodeVersion);
    case RunMode::kInternalRom:
      return name + " iROM " + cutPart;
    case RunMode::kNone:
      break;
  }
  return {};
}

std::string FileVersionText(const FwFileInfo& info) {
  if (info.fwVersion == 0) return {};
  // A std::string first: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
  return std::string("v") + FwVersionText(info.chipType, info.fwVersion) + " " +
         RevisionPart(info.chipType, info.fwRevision);
}

}  // namespace vexa
