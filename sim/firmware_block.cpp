#include "sim/firmware_block.h"

#include <algorithm>

#include "sim/block_crc.h"

namespace vexa::sim {

namespace {

constexpr size_t kTrailerSize = 4;

uint32_t BigEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (const uint8_t byte : bytes) value = value << 8 | byte;
  return value;
}

}  // namespace

std::optional<AddressRecord> ParseAddressRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() != kAddressRecordSize || bytes[0] != 0) return std::nullopt;
  return AddressRecord{BigEndian(bytes.subspan(1, 3)), BigEndian(bytes.subspan(4, 4))};
}

std::optional<AddressRecord> FirmwareBlock::Verified() const {
  if (!record_ || payload_.size() < kTrailerSize ||
      payload_.size() - kTrailerSize != record_->length) {
    return std::nullopt;
  }
  const auto trailer = std::span(payload_).last(kTrailerSize);
  if (trailer[0] != 0 || trailer[1] != 0) return std::nullopt;
  if (FirmwareBlockCrc(data()) != BigEndian(trailer.last(2))) return std::nullopt;
  return record_;
}

std::span<const uint8_t> FirmwareBlock::data() const {
  return std::span(payload_).first(payload_.size() - std::min(payload_.size(), kTrailerSize));
}

}  // namespace vexa::sim
