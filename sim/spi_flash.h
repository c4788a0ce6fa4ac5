#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace vexa::sim {

// A chip's SPI flash: NOR semantics (erasing sets bytes to 0xFF, programming can only clear
// bits, so data written over data that was not erased comes out as the AND of both), with an
// optional backing file that every erase and program writes through, so a board keeps its
// firmware from one load to the next.
class SpiFlash {
 public:
  // A flash that lives in memory only.
  explicit SpiFlash(std::vector<uint8_t> contents);
  // A flash backed by file, whose contents are already `contents`.
  SpiFlash(std::vector<uint8_t> contents, std::filesystem::path file);

  // Both return false, and change nothing, when the range leaves the flash or the backing
  // file cannot be written.
  bool Erase(uint32_t offset, uint32_t length);
  bool Program(uint32_t offset, std::span<const uint8_t> data);

  std::span<const uint8_t> contents() const { return contents_; }
  uint32_t size() const { return static_cast<uint32_t>(contents_.size()); }

 private:
  bool InRange(uint32_t offset, size_t length) const;
  // Writes bytes at offset into the backing file (nothing to do without one).
  bool WriteThrough(uint32_t offset, std::span<const uint8_t> bytes) const;

  std::vector<uint8_t> contents_;
  std::optional<std::filesystem::path> file_;
};

}  // namespace vexa::sim
