#include "sim/spi_flash.h"

#include <algorithm>
#include <fstream>

namespace vexa::sim {

namespace {

constexpr uint8_t kErased = 0xFF;

}  // namespace

SpiFlash::SpiFlash(std::vector<uint8_t> contents) : contents_(std::move(contents)) {}

SpiFlash::SpiFlash(std::vector<uint8_t> contents, std::filesystem::path file)
    : contents_(std::move(contents)), file_(std::move(file)) {}

bool SpiFlash::InRange(uint32_t offset, size_t length) const {
  return offset <= contents_.size() && length <= contents_.size() - offset;
}

bool SpiFlash::Erase(uint32_t offset, uint32_t length) {
  if (!InRange(offset, length)) return false;
  const std::vector<uint8_t> erased(length, kErased);
  if (!WriteThrough(offset, erased)) return false;
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

bool SpiFlash::WriteThrough(uint32_t offset, std::span<const uint8_t> bytes) const {
  if (!file_) return true;
  std::fstream file(*file_, std::ios::in | std::ios::out | std::ios::binary);
  if (!file) return false;
  file.seekp(offset);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace vexa::sim
