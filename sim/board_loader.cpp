#include "sim/board_loader.h"

#include <system_error>
#include <vector>

#include "util/binary_file.h"
#include "util/text_format.h"
#include "util/utf8_path.h"

namespace vexa::sim {

namespace {

// A chip's flash as the board starts with it, and whether its file must be created.
struct PreparedFlash {
  std::vector<uint8_t> contents;
  bool createFile = false;
};

class FlashPreparer {
 public:
  FlashPreparer(const BoardDescription& description, std::optional<BoardFileError>& error)
      : description_(description), error_(error) {}

  PreparedFlash Prepare(BoardSlot slot, const ChipEntry& entry) {
    const uint32_t flashSize = ProfileOf(entry.config.model).flashSize;
    std::error_code ignored;
    if (entry.flashFile && std::filesystem::exists(*entry.flashFile, ignored)) {
      auto contents = ReadBinaryFile(*entry.flashFile);
      if (!contents) {
        Fail(slot, entry.flashLine, "Flash", *entry.flashFile, "cannot be read");
      } else if (contents->size() != flashSize) {
        Fail(slot, entry.flashLine, "Flash", *entry.flashFile,
             StrPrintf("holds %zu bytes; the flash of a type-%d chip holds %u", contents->size(),
                       static_cast<int>(entry.config.model), flashSize));
      }
      return {contents.value_or(std::vector<uint8_t>{}), false};
    }

    PreparedFlash prepared{ErasedFlashContents(flashSize), entry.flashFile.has_value()};
    if (!entry.firmwareFile) return prepared;
    const auto firmware = ReadBinaryFile(*entry.firmwareFile);
    if (!firmware) {
      Fail(slot, entry.firmwareLine, "Firmware", *entry.firmwareFile, "cannot be read");
    } else if (firmware->size() > flashSize) {
      Fail(slot, entry.firmwareLine, "Firmware", *entry.firmwareFile,
           StrPrintf("holds %zu bytes, more than the %u of a type-%d chip's flash",
                     firmware->size(), flashSize, static_cast<int>(entry.config.model)));
    } else {
      std::copy(firmware->begin(), firmware->end(), prepared.contents.begin());
    }
    return prepared;
  }

  void Fail(BoardSlot slot, int line, std::string_view key, const std::filesystem::path& file,
            const std::string& problem) {
    if (error_) return;
    error_ = BoardFileError{description_.file, line, std::string(SlotSectionName(slot)),
                            std::string(key),
                            StrPrintf("'%s' %s", Utf8FromPath(file).c_str(), problem.c_str())};
  }

 private:
  const BoardDescription& description_;
  std::optional<BoardFileError>& error_;
};

}  // namespace

BoardLoad LoadBoard(const BoardDescription& description, Clock& clock) {
  std::optional<BoardFileError> error;
  FlashPreparer preparer(description, error);
  std::array<std::optional<PreparedFlash>, kBoardSlotCount> flashes;
  for (size_t slot = 0; slot < kBoardSlotCount; ++slot) {
    if (const auto& entry = description.chips[slot]) {
      flashes[slot] = preparer.Prepare(static_cast<BoardSlot>(slot), *entry);
    }
  }
  if (error) return {nullptr, *error};

  // Create the missing flash files; if one cannot be written, remove those created before it.
  std::vector<std::filesystem::path> created;
  for (size_t slot = 0; slot < kBoardSlotCount; ++slot) {
    const auto& entry = description.chips[slot];
    if (!entry || !flashes[slot]->createFile) continue;
    if (!WriteBinaryFile(*entry->flashFile, flashes[slot]->contents)) {
      preparer.Fail(static_cast<BoardSlot>(slot), entry->flashLine, "Flash", *entry->flashFile,
                    "cannot be written");
      std::error_code ignored;
      for (const auto& file : created) std::filesystem::remove(file, ignored);
      return {nullptr, *error};
    }
    created.push_back(*entry->flashFile);
  }

  std::array<std::unique_ptr<Chip>, kBoardSlotCount> chips;
  for (size_t slot = 0; slot < kBoardSlotCount; ++slot) {
    const auto& entry = description.chips[slot];
    if (!entry) continue;
    std::vector<uint8_t> contents = std::move(flashes[slot]->contents);
    SpiFlash flash = entry->flashFile ? SpiFlash(std::move(contents), *entry->flashFile)
                                      : SpiFlash(std::move(contents));
    chips[slot] = std::make_unique<Chip>(entry->config, std::move(flash));
  }
  return {std::make_unique<Board>(description.settings, std::move(chips), clock), {}};
}

std::unique_ptr<Clock> MakeBoardClock(const BoardSettings& settings) {
  if (settings.virtualTime) return std::make_unique<VirtualClock>();
  return std::make_unique<RealClock>();
}

}  // namespace vexa::sim
