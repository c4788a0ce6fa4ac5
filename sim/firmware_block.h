#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vexa::sim {

// Size of the address record the host places in the first buffer half before each block.
inline constexpr size_t kAddressRecordSize = 8;
// Bytes after a block's image bytes: two zero bytes and the CRC.
inline constexpr size_t kBlockTrailerSize = 4;

// Where the next firmware block goes: byte 0 zero, a 24-bit flash address and the 32-bit
// count of image bytes, both most significant byte first.
struct AddressRecord {
  uint32_t flashAddress = 0;
  uint32_t length = 0;
};

// Empty when the record is not 8 bytes or its byte 0 is not zero.
std::optional<AddressRecord> ParseAddressRecord(std::span<const uint8_t> bytes);

// One firmware block arriving through the buffer halves: the image bytes, two zero bytes and
// the CRC of the image bytes, most significant byte first.
class FirmwareBlock {
 public:
  explicit FirmwareBlock(std::optional<AddressRecord> record) : record_(record) {}

  void Append(std::span<const uint8_t> bytes) {
    payload_.insert(payload_.end(), bytes.begin(), bytes.end());
  }

  // The record, when the payload is exactly its length plus the trailer, the trailer's two
  // bytes after the data are zero and the CRC matches; empty otherwise.
  std::optional<AddressRecord> Verified() const;

  // The image bytes; meaningful once Verified() holds.
  std::span<const uint8_t> data() const;

 private:
  std::optional<AddressRecord> record_;
  std::vector<uint8_t> payload_;
};

}  // namespace vexa::sim
