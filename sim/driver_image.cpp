#include "sim/driver_image.h"

#include <algorithm>
#include <array>

namespace vexa::sim {

namespace {

constexpr std::array<uint8_t, 4> kMagic = {'V', 'X', 'D', 'R'};
constexpr uint8_t kFormatVersion = 1;
constexpr size_t kModelOffset = 4;
constexpr size_t kVersionOffset = 5;
constexpr size_t kLengthOffset = 6;
constexpr size_t kHashOffset = 8;

uint32_t BodyHash(std::span<const uint8_t> body) {
  uint32_t hash = 2166136261u;
  for (const uint8_t byte : body) {
    hash ^= byte;
    hash *= 16777619u;
  }
  return hash;
}

uint32_t LittleEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

void SealDriver(std::span<uint8_t> driver, ChipModel model) {
  std::copy(kMagic.begin(), kMagic.end(), driver.begin());
  driver[kModelOffset] = static_cast<uint8_t>(model);
  driver[kVersionOffset] = kFormatVersion;
  const auto length = static_cast<uint16_t>(driver.size());
  driver[kLengthOffset] = static_cast<uint8_t>(length);
  driver[kLengthOffset + 1] = static_cast<uint8_t>(length >> 8);
  const uint32_t hash = BodyHash(driver.subspan(kDriverDescriptorSize));
  for (size_t i = 0; i < 4; ++i) driver[kHashOffset + i] = static_cast<uint8_t>(hash >> (8 * i));
  std::fill(driver.begin() + kHashOffset + 4, driver.begin() + kDriverDescriptorSize, uint8_t{0});
}

bool CanBootDriver(std::span<const uint8_t> ram, const ChipProfile& chip) {
  const size_t load = chip.driverLoadAddr;
  if (load + kDriverDescriptorSize > ram.size()) return false;
  const auto descriptor = ram.subspan(load, kDriverDescriptorSize);
  if (!std::equal(kMagic.begin(), kMagic.end(), descriptor.begin())) return false;
  const auto model = ChipModelFromNumber(descriptor[kModelOffset]);
  if (!model || !DriverFitsChip(*model, chip.model)) return false;
  if (descriptor[kVersionOffset] != kFormatVersion) return false;

  const size_t length = LittleEndian(descriptor.subspan(kLengthOffset, 2));
  if (length < kDriverDescriptorSize || load + length > ram.size()) return false;
  if (chip.driverEntryAddr < load || chip.driverEntryAddr >= load + length) return false;
  const auto body = ram.subspan(load + kDriverDescriptorSize, length - kDriverDescriptorSize);
  return BodyHash(body) == LittleEndian(descriptor.subspan(kHashOffset, 4));
}

}  // namespace vexa::sim
