#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <vector>

namespace vexa::sim {

// The contents of an erased flash of size bytes: every byte 0xFF.
std::vector<uint8_t> ErasedFlashContents(uint32_t size);

// A chip's SPI flash: NOR semantics (erasing sets bytes to 0xFF, programming can only clear
// bits, so data written over data that was not erased comes out as the AND of both), with an
// optional backing file that every erase and program writes through, so a board keeps its
// firmware from one load to the next. Move-only: a file-backed flash holds its file open.
class SpiFlash {
 public:
  // A flash that lives in memory only.
  explicit SpiFlash(std::vector<uint8_t> contents);
  // A flash backed by file, whose contents are already `contents`. The file stays open for
  // the flash's lifetime; if it cannot be opened, every change is refused.
  SpiFlash(std::vector<uint8_t> contents, const std::filesystem::path& file);

  // Both return false, and change nothing, when the range leaves the flash or the backing
  // file cannot be written.
  bool Erase(uint32_t offset, uint32_t length);
  bool Program(uint32_t offset, std::span<const uint8_t> data);

  std::span<const uint8_t> contents() const { return contents_; }
  uint32_t size() const { return static_cast<uint32_t>(contents_.size()); }

 private:
  bool InRange(uint32_t offset, size_t length) const;
  // Writes bytes at offset into the backing file and flushes them, so the file is always
  // current (nothing to do without one).
  bool WriteThrough(uint32_t offset, std::span<const uint8_t> bytes);

  std::vector<uint8_t> contents_;
  bool fileBacked_ = false;
  std::fstream file_;
};

}  // namespace vexa::sim
