#include "sim/firmware_block.h"

#include <algorithm>

#include "sim/block_crc.h"
#include "util/byte_order.h"

namespace vexa::sim {

std::optional<AddressRecord> ParseAddressRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() != kAddressRecordSize || bytes[0] != 0) return std::nullopt;
  return AddressRecord{BigEndian(bytes.subspan(1, 3)), BigEndian(bytes.subspan(4, 4))};
}

std::optional<AddressRecord> FirmwareBlock::Verified() const {
  if (!record_ || payload_.size() < kBlockTrailerSize ||
      payload_.size() - kBlockTrailerSize != record_->length) {
    return std::nullopt;
  }
  const auto trailer = std::span(payload_).last(kBlockTrailerSize);
  if (trailer[0] != 0 || trailer[1] != 0) return std::nullopt;
  if (FirmwareBlockCrc(data()) != BigEndian(trailer.last(2))) return std::nullopt;
  return record_;
}

std::span<const uint8_t> FirmwareBlock::data() const {
  return std::span(payload_).first(payload_.size() - std::min(payload_.size(), kBlockTrailerSize));
}

}  // namespace vexa::sim
