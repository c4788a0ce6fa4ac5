#include "sim/flash_firmware.h"

#include <algorithm>

namespace vexa::sim {

namespace {

// Reads the info block that ends at `end`; false when it would start before the flash.
struct InfoBlock {
  std::span<const uint8_t> flash;
  uint32_t end;
  const InfoBlockLayout& layout;

  uint8_t Back(uint32_t back) const { return flash[end - back]; }

  bool Fits() const { return end >= kInfoBlockSize && end <= flash.size(); }

  bool HasSignature() const {
    if (!Fits()) return false;
    const auto start = flash.begin() + (end - layout.signatureBack);
    return std::equal(layout.signature.begin(), layout.signature.end(), start);
  }

  bool DescribesBootCode() const {
    return HasSignature() && Back(layout.bootMarkerBack) == kBootCodeMarker;
  }

  uint16_t BootCodeVersion() const {
    return static_cast<uint16_t>(Back(layout.bootVersionBack) | Back(layout.bootVersionBack - 1)
                                                                    << 8);
  }

  std::array<uint8_t, 3> ApplicationVersion() const {
    return {Back(kInfoVersionBack), Back(kInfoVersionBack - 1), Back(kInfoVersionBack - 2)};
  }
};

// The three on-board version bytes for an application whose info block holds v[0..2]
// (image order). Each type's tool-side reading of the file and of these bytes is mirrored:
// types 1 to 3 report (v1, v0, v2), type 5 (v2, v1, v0); type 4 packs major and minor into
// one byte's nibbles, taking them from (v1, v0, v2) when a boot code follows the application
// and from (v2, v1, v0) when the image ends with the application.
std::array<uint8_t, 3> ApplicationVersionBytes(ChipModel model, const FlashFirmware& firmware) {
  const auto& v = firmware.applicationVersion;
  switch (model) {
    case ChipModel::kOcelin4100:
    case ChipModel::kOcelin4150:
    case ChipModel::kArivane:
      return {v[1], v[0], v[2]};
    case ChipModel::kSolvenia: {
      const auto [major, minor, build] =
          firmware.hasBootCode ? std::array{v[1], v[0], v[2]} : std::array{v[2], v[1], v[0]};
      return {major, static_cast<uint8_t>((major & 0x0F) << 4 | (minor & 0x0F)), build};
    }
    case ChipModel::kQuivel:
      return {v[2], v[1], v[0]};
  }
  return {};
}

}  // namespace

FlashFirmware InspectFlash(const ChipProfile& profile, std::span<const uint8_t> flash) {
  FlashFirmware firmware;
  const auto flashEnd = static_cast<uint32_t>(flash.size());
  const InfoBlock bootBlock{flash, flashEnd, profile.infoBlock};
  if (bootBlock.DescribesBootCode()) {
    firmware.hasBootCode = true;
    firmware.bootCodeVersion = bootBlock.BootCodeVersion();
    firmware.runMode = RunMode::kBootCode;
  }

  const uint32_t appEnd = firmware.hasBootCode ? flashEnd - kAppInfoOffsetWithBootCode : flashEnd;
  const InfoBlock appBlock{flash, appEnd, profile.infoBlock};
  if (appBlock.HasSignature()) {
    firmware.runMode = RunMode::kApplication;
    firmware.applicationVersion = appBlock.ApplicationVersion();
  }
  return firmware;
}

BranchBytes EncodeBranchBytes(const ChipProfile& profile, const FlashFirmware& firmware,
                              uint8_t cut) {
  BranchBytes bytes{};
  std::string_view branchId;
  std::array<uint8_t, 3> version{};
  switch (firmware.runMode) {
    case RunMode::kApplication:
      branchId = profile.applicationBranchId;
      version = ApplicationVersionBytes(profile.model, firmware);
      break;
    case RunMode::kBootCode:
      branchId = profile.bootCodeBranchId;
      version = {static_cast<uint8_t>(firmware.bootCodeVersion >> 8),
                 static_cast<uint8_t>(firmware.bootCodeVersion & 0xFF), 0};
      break;
    case RunMode::kInternalRom:
      branchId = profile.romBranchId;
      break;
  }
  std::copy_n(branchId.begin(), std::min<size_t>(branchId.size(), 6), bytes.begin());
  bytes[6] = cut;
  std::copy(version.begin(), version.end(), bytes.begin() + 7);
  return bytes;
}

}  // namespace vexa::sim
