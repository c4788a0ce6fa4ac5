#include "chip/fw_file_parser.h"

#include <algorithm>
#include <string_view>

#include "chip/chip_table.h"

namespace vexa {

namespace {

// Reads a BIN file by positions counted back from its end: At(k) is the byte k positions
// before the end. Callers check the size before reading.
class FileEnd {
 public:
  explicit FileEnd(std::span<const uint8_t> data) : data_(data) {}
  size_t size() const { return data_.size(); }
  uint32_t At(size_t k) const { return data_[data_.size() - k]; }
  bool Holds(std::string_view signature, size_t k) const {
    return std::equal(signature.begin(), signature.end(), data_.end() - static_cast<long>(k),
                      [](char c, uint8_t byte) { return static_cast<uint8_t>(c) == byte; });
  }
  // Version word at k and k-1, little-endian.
  uint16_t Word(size_t k) const { return static_cast<uint16_t>(At(k) | At(k - 1) << 8); }

 private:
  std::span<const uint8_t> data_;
};

// A marker promises a boot-code region and an application info block further back; a file too
// short for them is not accepted.
bool MarkerFits(const FileEnd& e) {
  return e.size() >= kMinBootCodeFileSize;
}

bool ParseArivane(const FileEnd& e, FwFileInfo& info) {
  info.chipType = ChipType::kArivane;
  uint32_t raw = info.fwVersion;
  if (e.At(12) == kBootCodeMarker) {
    if (!MarkerFits(e)) return false;
    info.bootCodeVersion = e.Word(20);
    raw = e.At(0x2014) | e.At(0x2013) << 8 | e.At(0x2012) << 16;
  }
  info.fwVersion = ((raw >> 14) & 3) << 16 | ((raw >> 5) & 0x1FF);
  info.fwRevision = (raw & 0x1F) << 8 | ((raw >> 16) & 0xFF);
  return true;
}

bool ParseOcelin(std::span<const uint8_t> data, const FileEnd& e, FwFileInfo& info) {
  info.chipType = ChipType::kOcelin4100;
  info.fwVersion = e.At(20) << 8 | e.At(19) << 16;
  info.fwRevision = e.At(18);
  if (data.size() >= 4 &&
      std::all_of(data.begin(), data.begin() + 4, [](uint8_t byte) { return byte == 0xFF; })) {
    info.chipType = ChipType::kOcelin4150;
  }
  if (e.At(10) == kBootCodeMarker) {
    if (!MarkerFits(e)) return false;
    info.bootCodeVersion = e.Word(20);
    info.fwVersion = e.At(0x2014) << 8 | e.At(0x2013) << 16;
    info.fwRevision = e.At(0x2012);
  }
  return true;
}

bool ParseSolvenia(const FileEnd& e, FwFileInfo& info) {
  info.chipType = ChipType::kSolvenia;
  if (e.At(10) == kBootCodeMarker) {
    if (!MarkerFits(e)) return false;
    info.bootCodeVersion = e.Word(20);
    info.fwVersion = e.At(0x2013) << 16 | e.At(0x2014) << 8 | e.At(0x2012);
  }
  return true;
}

bool ParseQuivel(const FileEnd& e, FwFileInfo& info) {
  info.chipType = ChipType::kQuivel;
  if (e.At(2) == kBootCodeMarker) {
    if (!MarkerFits(e)) return false;
    info.bootCodeVersion = e.Word(12);
    info.fwVersion = 0;
  }
  return true;
}

}  // namespace

bool ParseFwFile(std::span<const uint8_t> data, FwFileInfo& info) {
  info = FwFileInfo{};
  if (data.size() < kInfoBlockSize) return false;
  const FileEnd e(data);
  info.fwVersion = e.At(20) | e.At(19) << 8 | e.At(18) << 16;

  bool accepted = false;
  if (e.Holds(kArivaneSignature, 16)) {
    accepted = ParseArivane(e, info);
  } else if (e.Holds(kOcelinSignature, 16)) {
    accepted = ParseOcelin(data, e, info);
  } else if (e.Holds(kSolveniaSignature, 16)) {
    accepted = ParseSolvenia(e, info);
  } else if (e.Holds(kQuivelSignature, 8)) {
    accepted = ParseQuivel(e, info);
  }
  if (!accepted) info = FwFileInfo{};
  return accepted;
}

bool FileMatchesChip(ChipType fileType, ChipType chipType) {
  if (fileType == ChipType::kNone) return false;
  return fileType == chipType || (IsFirstFamily(fileType) && IsFirstFamily(chipType));
}

}  // namespace vexa
