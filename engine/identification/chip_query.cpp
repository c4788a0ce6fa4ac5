#include "engine/identification/chip_query.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "chip/chip_table.h"
#include "chip/fw_file_parser.h"
#include "engine/isp_status.h"
#include "engine/protocol/dpcd_access.h"
#include "engine/protocol/register_ram.h"

namespace vexa {

namespace {

constexpr uint32_t kBranchBytesAddr = 0x503;
constexpr size_t kBranchBytes = 10;
constexpr uint16_t kChipIdRegister = 0xC802;
constexpr uint16_t kAltChipIdRegister = 0x8002;
constexpr uint16_t kRomCutRegister = 0xC804;
constexpr size_t kFlashInfoBytes = 11;
// Where the info block of a 512 KiB image sits, for 256 KiB chips whose flash holds one.
constexpr uint32_t kLargeImageInfoOffset = 0x7FFEC;

using BranchBytes = std::array<uint8_t, kBranchBytes>;

bool BranchIdIs(const ChipInfo& info, std::string_view id) {
  return std::equal(id.begin(), id.end(), info.branchId.begin(),
                    [](char c, uint8_t byte) { return static_cast<uint8_t>(c) == byte; });
}

// Chip type from the chip-ID registers, kNone when a read fails or the value is unknown.
ChipType IdentifyType(IspContext& ctx) {
  const int32_t id = ExecuteRegisterRead(ctx, kChipIdRegister);
  if (id < 0) return ChipType::kNone;
  if ((id >> 8) == 0x28) return ChipType::kOcelin4150;
  if ((id >> 8) == 0x26) return ChipType::kSolvenia;
  const int32_t alt = ExecuteRegisterRead(ctx, kAltChipIdRegister);
  if (alt < 0) return ChipType::kNone;
  if ((alt & 0xFF) == 0x64) return ChipType::kQuivel;
  if ((alt >> 8) == 0x43) return ChipType::kArivane;
  return ChipType::kNone;
}

void EnterBootCodeMode(ChipInfo& info, const BranchBytes& b) {
  info.runMode = RunMode::kBootCode;
  info.bootCodeVersion = static_cast<uint16_t>(b[7] << 8 | b[8]);
  info.fwVersion = 0;
}

void DecodeVersions(IspContext& ctx, ChipInfo& info, const BranchBytes& b) {
  switch (info.chipType) {
    case ChipType::kOcelin4150:
      if (BranchIdIs(info, "VX4100")) {
        info.chipType = ChipType::kOcelin4100;
        info.fwRevision = b[9];
      } else if (BranchIdIs(info, "4100IR")) {
        info.runMode = RunMode::kInternalRom;
        info.fwVersion = 0;
        const int32_t cut = ExecuteRegisterRead(ctx, kRomCutRegister);
        // A failed read (-1) yields 0xFE, as the low byte of -1 less one.
        info.cut = static_cast<uint16_t>((cut & 0xFF) - 1);
      } else if (BranchIdIs(info, TraitsOf(info.chipType).bootCodeBranchId)) {
        EnterBootCodeMode(info, b);
      }
      break;
    case ChipType::kSolvenia:
      if (BranchIdIs(info, TraitsOf(info.chipType).bootCodeBranchId)) {
        EnterBootCodeMode(info, b);
      } else {
        info.fwVersion = (b[8] >> 4) << 16 | (b[8] & 0x0F) << 8 | b[9];
      }
      break;
    case ChipType::kQuivel:
      if (BranchIdIs(info, TraitsOf(info.chipType).bootCodeBranchId)) EnterBootCodeMode(info, b);
      break;
    case ChipType::kArivane:
      if (BranchIdIs(info, "ARIVG")) {
        info.runMode = RunMode::kInternalRom;
        info.fwVersion = 0;
      } else if (BranchIdIs(info, TraitsOf(info.chipType).bootCodeBranchId)) {
        EnterBootCodeMode(info, b);
      } else {
        info.fwVersion = (b[7] >> 6) << 16 | ((b[7] & 0x3F) << 3 | b[8] >> 5);
        info.fwRevision = (b[8] & 0x1F) << 8 | b[9];
      }
      break;
    default:
      break;
  }
}

bool IsUpperCaseSignature(const std::array<uint8_t, kFlashInfoBytes>& c) {
  return std::all_of(c.begin() + 4, c.begin() + 8, [](uint8_t b) { return b >= 'A' && b <= 'Z'; });
}

bool SignatureIs(const std::array<uint8_t, kFlashInfoBytes>& c, std::string_view signature) {
  return std::equal(signature.begin(), signature.end(), c.begin() + 4,
                    [](char ch, uint8_t byte) { return static_cast<uint8_t>(ch) == byte; });
}

}  // namespace

bool QueryChip(IspContext& ctx, ChipInfo& info) {
  ClearFirstError(ctx);
  info.cut = 0;
  info.runMode = RunMode::kNone;
  info.bootCodeVersion = 0;
  info.fwVersion = 0;
  info.fwRevision = 0;

  // Taken out of replyBuffer at once: the register reads below reuse it.
  BranchBytes b{};
  const bool dpcdRead =
      ReadDpcd(ctx, kBranchBytesAddr, static_cast<int32_t>(b.size())) == isp_status::kOk;
  if (dpcdRead) std::copy_n(ctx.replyBuffer.begin(), b.size(), b.begin());

  info.chipType = IdentifyType(ctx);
  if (info.chipType == ChipType::kNone) return false;
  // Without DPCD access the chip's own copy of its branch registers serves.
  if (!dpcdRead && !ReadRam(ctx, TraitsOf(info.chipType).internalDpcdCopyAddr, b)) return false;

  info.runMode = RunMode::kApplication;
  std::copy_n(b.begin(), info.branchId.size(), info.branchId.begin());
  info.cut = b[6];
  info.fwVersion = b[7] << 16 | b[8] << 8 | b[9];
  DecodeVersions(ctx, info, b);

  if (info.runMode != RunMode::kBootCode) {
    SetChipGeometry(ctx, info.chipType);
    info.bootCodeVersion = ReadFlashBootCodeVersion(ctx, info.chipType);
  }
  return true;
}

uint16_t ReadFlashBootCodeVersion(IspContext& ctx, ChipType type) {
  const uint32_t imageEnd = ImageEnd(type);
  const uint32_t offset = imageEnd - TraitsOf(type).flashInfoOffset;
  std::array<uint8_t, kFlashInfoBytes> c{};
  if (!ReadRam(ctx, ctx.flashBaseAddr + offset, c)) return 0;
  if (!IsUpperCaseSignature(c)) {
    // A 256 KiB chip may carry a 512 KiB image; its info block then sits further up.
    if (imageEnd != 0x40000) return 0;
    if (!ReadRam(ctx, ctx.flashBaseAddr + kLargeImageInfoOffset, c)) return 0;
  }
  const bool markerAt8 = SignatureIs(c, kArivaneSignature);
  const bool markerAt10 = SignatureIs(c, kOcelinSignature) || SignatureIs(c, kSolveniaSignature) ||
                          SignatureIs(c, kQuivelSignature);
  if ((markerAt8 && c[8] != kBootCodeMarker) || (markerAt10 && c[10] != kBootCodeMarker)) return 0;
  return static_cast<uint16_t>(c[0] | c[1] << 8);
}

}  // namespace vexa
