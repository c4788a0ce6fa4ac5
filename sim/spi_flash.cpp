#include "sim/spi_flash.h"

#include <algorithm>

namespace vexa::sim {

namespace {

constexpr uint8_t kErased = 0xFF;

}  // namespace

std::vector<uint8_t> ErasedFlashContents(uint32_t size) {
  return std::vector<uint8_t>(size, kErased);
}

SpiFlash::SpiFlash(std::vector<uint8_t> contents) : contents_(std::move(contents)) {}

SpiFlash::SpiFlash(std::vector<uint8_t> contents, const std::filesystem::path& file)
    : contents_(std::move(contents)),
      fileBacked_(true),
      file_(file, std::ios::in | std::ios::out | std::ios::binary) {}

bool SpiFlash::InRange(uint32_t offset, size_t length) const {
  return offset <= contents_.size() && length <= contents_.size() - offset;
}

bool SpiFlash::Erase(uint32_t offset, uint32_t length) {
  if (!InRange(offset, length)) return false;
  if (fileBacked_ && !WriteThrough(offset, ErasedFlashContents(length))) return false;
  std::fill_n(contents_.begin() + offset, length, kErased);
  return true;
}

bool SpiFlash::Program(uint32_t offset, std::span<const uint8_t> data) {
  if (!InRange(offset, data.size())) return false;
  std::vector<uint8_t> programmed(data.begin(), data.end());
  for (size_t i = 0; i < programmed.size(); ++i) programmed[i] &= contents_[offset + i];
  if (!WriteThrough(offset, programmed)) return false;
  std::copy(programmed.begin(), programmed.end(), contents_.begin() + offset);
  return true;
}

bool SpiFlash::WriteThrough(uint32_t offset, std::span<const uint8_t> bytes) {
  if (!fileBacked_) return true;
  if (!file_.is_open()) return false;
  // A write that failed before must not keep the stream refusing the ones after it.
  file_.clear();
  file_.seekp(offset);
  file_.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  file_.flush();
  return !file_.fail();
}

}  // namespace vexa::sim
