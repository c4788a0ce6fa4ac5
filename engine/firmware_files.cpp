#include "engine/firmware_files.h"

#include <cstdint>
#include <new>
#include <optional>

#include "chip/chip_table.h"
#include "chip/fw_file_parser.h"
#include "engine/isp_status.h"
#include "util/byte_source.h"

namespace vexa {

namespace {

constexpr uint32_t kDriverBufferGranule = 512;

struct LoadTexts {
  const char* open;
  const char* tooLarge;
  const char* allocate;
  const char* read;
};

// Copies bytes into out; false when the memory for them cannot be had.
bool CopyInto(ByteBuffer& out, std::span<const uint8_t> bytes) {
  try {
    out.assign(bytes.begin(), bytes.end());
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool Fail(std::string& errorText, const char* text) {
  errorText = text;
  return false;
}

// Reads a whole file into staging; bufferSize gives the staging buffer's size for the file's
// length (zero-filled beyond the file).
template <typename BufferSize>
bool LoadStaged(const std::string& path, OwnedImage& staging, uint64_t maxLength,
                const LoadTexts& texts, BufferSize bufferSize, int32_t& size,
                std::string& errorText) {
  FileByteSource file(path);
  size = 0;
  errorText.clear();
  staging.reset();
  if (!file.IsOpen()) return Fail(errorText, texts.open);
  const uint64_t length = file.Length();
  if (length > maxLength) return Fail(errorText, texts.tooLarge);

  size = static_cast<int32_t>(length);
  ByteBuffer buffer;
  try {
    buffer.resize(bufferSize(static_cast<size_t>(length)));
  } catch (const std::bad_alloc&) {
    return Fail(errorText, texts.allocate);
  }
  if (!ReadFully(file, std::span(buffer).first(static_cast<size_t>(length)))) {
    return Fail(errorText, texts.read);
  }
  staging = std::move(buffer);
  return true;
}

}  // namespace

bool LoadDriverFile(IspContext& ctx, const std::string& path, int32_t& size,
                    std::string& errorText) {
  static constexpr LoadTexts kTexts = {"Open driver file failed!\r\n", "Driver file too large!\r\n",
                                       "Allocate driver buffer error!\r\n",
                                       "Read driver file error!\r\n"};
  return LoadStaged(
      path, ctx.loadedDriverFile, kMaxLoadableDriverFile, kTexts,
      [](size_t length) {
        return (length + kDriverBufferGranule - 1) / kDriverBufferGranule * kDriverBufferGranule;
      },
      size, errorText);
}

bool LoadFwFile(IspContext& ctx, const std::string& path, int32_t& size, std::string& errorText) {
  static constexpr LoadTexts kTexts = {"Open FW file failed!\r\n",
                                       "FW file too large! (larger than any chip's flash)\r\n",
                                       "Allocate FW buffer error!\r\n", "Read FW file error!\r\n"};
  // No chip takes a larger image, so a larger file is refused before it is read into memory.
  return LoadStaged(
      path, ctx.loadedFwFile, LargestImageEnd(), kTexts, [](size_t length) { return length; }, size,
      errorText);
}

bool AssignDriverImage(IspContext& ctx, int32_t index, int32_t size) {
  if (index < 0 || index >= static_cast<int32_t>(kTargetCount)) return false;
  IspTarget& target = ctx.targets[static_cast<size_t>(index)];
  target.driverImage.reset();
  if (!ctx.loadedDriverFile || size <= 0 ||
      static_cast<size_t>(size) > ctx.loadedDriverFile->size()) {
    return false;
  }
  const ByteBuffer& file = *ctx.loadedDriverFile;
  ByteBuffer image(file.begin(), file.begin() + size);
  const std::optional<DriverLayout> layout = ParseDriverFile(image);
  if (!layout) return false;
  target.driverLength = layout->length;
  target.driverImage = std::move(image);
  return true;
}

bool AssignFwImage(IspContext& ctx, int32_t index, int32_t size, FwFileInfo& info) {
  ClearFirstError(ctx);
  info = FwFileInfo{};
  if (index < 0 || index >= static_cast<int32_t>(kTargetCount)) return false;
  IspTarget& target = ctx.targets[static_cast<size_t>(index)];
  target.fileBootCodeVersion = 0;
  target.fwImageSize = 0;
  target.fileChipType = ChipType::kNone;
  target.fwImage.reset();
  if (!ctx.loadedFwFile || size <= 0 || static_cast<size_t>(size) > ctx.loadedFwFile->size()) {
    return false;
  }

  const std::span<const uint8_t> file =
      std::span(*ctx.loadedFwFile).first(static_cast<size_t>(size));
  if (!ParseFwFile(file, info)) {
    SetFirstError(ctx, isp_status::kUnexpectedReply, "Error: No correct F/W signature!");
    return false;
  }
  // The target takes the staged buffer itself when it assigns all of it, so a file is held
  // once; a part of it is copied.
  ByteBuffer image;
  if (file.size() == ctx.loadedFwFile->size()) {
    image = std::move(*ctx.loadedFwFile);
    ctx.loadedFwFile.reset();
  } else if (!CopyInto(image, file)) {
    SetFirstError(ctx, isp_status::kUnexpectedReply, "Error: F/W buffer assignment failed!");
    info = FwFileInfo{};
    return false;
  }
  target.fileChipType = info.chipType;
  if (info.bootCodeVersion != 0) {
    // The parser only accepts a boot-code marker on files longer than the region.
    const size_t regionSize = BootCodeSize(info.chipType);
    ByteBuffer bootCode;
    if (!CopyInto(bootCode, std::span<const uint8_t>(image).last(regionSize))) {
      SetFirstError(ctx, isp_status::kUnexpectedReply,
                    "Error: Boot-code buffer assignment failed!");
      info.bootCodeVersion = 0;
      target.fileChipType = ChipType::kNone;
      return false;
    }
    target.bootCodeImage = std::move(bootCode);
  }
  target.fileBootCodeVersion = info.bootCodeVersion;
  target.fwImageSize = static_cast<uint32_t>(size);
  target.fwImage = std::move(image);
  return true;
}

}  // namespace vexa
