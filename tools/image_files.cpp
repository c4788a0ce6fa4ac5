#include "tools/image_files.h"

#include <algorithm>
#include <span>

#include "sim/driver_image.h"
#include "util/text_format.h"

namespace vexa::tools {

namespace {

constexpr uint8_t kBlank = 0xFF;
// Driver files hold 0x800 to 0x8000 bytes; a length header can announce at most 0x4000.
constexpr uint32_t kMinDriverFile = 0x800;
constexpr uint32_t kMaxDriverFile = 0x8000;
constexpr uint32_t kMaxHeaderLength = 0x4000;
constexpr uint32_t kHeaderSize = 4;

// Deterministic filler, so the same options always give the same file.
class Filler {
 public:
  explicit Filler(uint32_t seed) : state_(seed == 0 ? 1 : seed) {}
  void Fill(std::span<uint8_t> bytes) {
    for (uint8_t& byte : bytes) {
      state_ ^= state_ << 13;
      state_ ^= state_ >> 17;
      state_ ^= state_ << 5;
      byte = static_cast<uint8_t>(state_ >> 24);
    }
  }

 private:
  uint32_t state_;
};

// Writes the info block that ends at `end`: zeros, the family signature, and the marker
// (0xBC when it describes a boot code, else 0).
void WriteInfoBlock(std::span<uint8_t> image, uint32_t end, const sim::InfoBlockLayout& layout,
                    bool describesBootCode) {
  std::fill(image.begin() + (end - sim::kInfoBlockSize), image.begin() + end, uint8_t{0});
  std::copy(layout.signature.begin(), layout.signature.end(),
            image.begin() + (end - layout.signatureBack));
  image[end - layout.bootMarkerBack] = describesBootCode ? sim::kBootCodeMarker : 0;
}

}  // namespace

BuiltFile BuildBinImage(const BinImageOptions& options) {
  const sim::ChipProfile& profile = sim::ProfileOf(options.model);
  const uint32_t size = options.size == 0 ? profile.flashSize : options.size;
  const bool withBootCode = options.bootCodeVersion.has_value();
  const uint32_t appInfoEnd = withBootCode ? size - sim::kAppInfoOffsetWithBootCode : size;
  const uint32_t minSize =
      withBootCode ? sim::kAppInfoOffsetWithBootCode + sim::kInfoBlockSize : sim::kInfoBlockSize;
  if (size < minSize || size > profile.flashSize) {
    return {{},
            StrPrintf("an image for chip type %d%s holds 0x%X to 0x%X bytes",
                      static_cast<int>(options.model), withBootCode ? " with a boot code" : "",
                      minSize, profile.flashSize)};
  }

  std::vector<uint8_t> image(size, kBlank);
  Filler filler(options.seed);
  const uint32_t appDataEnd = appInfoEnd - sim::kInfoBlockSize;
  filler.Fill(std::span(image).first(
      options.dataSize == 0 ? appDataEnd : std::min(options.dataSize, appDataEnd)));
  // The first family tells its two models' images apart by their first four bytes: all 0xFF
  // on a 4150 image, anything else on a 4100 image.
  if (options.model == sim::ChipModel::kOcelin4150) {
    std::fill_n(image.begin(), 4, kBlank);
  } else if (options.model == sim::ChipModel::kOcelin4100 &&
             std::all_of(image.begin(), image.begin() + 4, [](uint8_t b) { return b == kBlank; })) {
    image[0] = 0;
  }

  WriteInfoBlock(image, appInfoEnd, profile.infoBlock, false);
  std::copy(options.version.begin(), options.version.end(),
            image.begin() + (appInfoEnd - sim::kInfoVersionBack));

  if (withBootCode) {
    const auto bootCode = std::span(image).last(profile.bootCodeSize);
    filler.Fill(bootCode.first(bootCode.size() - sim::kInfoBlockSize));
    WriteInfoBlock(image, size, profile.infoBlock, true);
    const uint32_t versionAt = size - profile.infoBlock.bootVersionBack;
    image[versionAt] = static_cast<uint8_t>(*options.bootCodeVersion & 0xFF);
    image[versionAt + 1] = static_cast<uint8_t>(*options.bootCodeVersion >> 8);
  }
  return {std::move(image), {}};
}

BuiltFile BuildDriverFile(const DriverFileOptions& options) {
  const sim::ChipProfile& profile = sim::ProfileOf(options.model);
  // The driver must reach the chip's entry address from its load address.
  const uint32_t minLength = std::max<uint32_t>(
      profile.driverEntryAddr - profile.driverLoadAddr + 1, sim::kDriverDescriptorSize);
  const uint32_t maxLength = options.lengthHeader ? kMaxHeaderLength : kMaxDriverFile;
  if (options.length < minLength || options.length > maxLength) {
    return {{},
            StrPrintf("a driver for chip type %d%s is 0x%X to 0x%X bytes long",
                      static_cast<int>(options.model),
                      options.lengthHeader ? " behind a length header" : "", minLength, maxLength)};
  }
  if (options.lengthHeader && options.length % 0x100 != 0) {
    return {{},
            "a length header counts whole 256-byte pages: the length must be a multiple of "
            "0x100"};
  }
  if (!options.lengthHeader && options.length < kMinDriverFile) {
    return {{}, StrPrintf("a driver file holds at least 0x%X bytes", kMinDriverFile)};
  }

  const uint32_t start = options.lengthHeader ? kHeaderSize : 0;
  std::vector<uint8_t> file(std::max(start + options.length, kMinDriverFile), 0);
  if (options.lengthHeader) file[1] = static_cast<uint8_t>(options.length >> 8);
  const auto driver = std::span(file).subspan(start, options.length);
  Filler(options.seed).Fill(driver.subspan(sim::kDriverDescriptorSize));
  sim::SealDriver(driver, options.model);
  return {std::move(file), {}};
}

}  // namespace vexa::tools
