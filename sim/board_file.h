#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "sim/board.h"
#include "sim/chip_config.h"

namespace vexa::sim {

// Why a board file was refused, with where: the file, the 1-based line (0 when the problem
// is not on one line) and the section and key concerned (empty when none).
struct BoardFileError {
  std::filesystem::path file;
  int line = 0;
  std::string section;
  std::string key;
  std::string message;

  // "board.ini:7: [Host] Chip: 9 is not a chip type (1 to 5)"
  std::string ToString() const;
};

// One chip section of a board file.
struct ChipEntry {
  ChipConfig config;
  // Resolved against the board file's folder.
  std::optional<std::filesystem::path> flashFile;
  std::optional<std::filesystem::path> firmwareFile;
  // Lines of the two file keys, for errors found when the files are read.
  int flashLine = 0;
  int firmwareLine = 0;
};

// A board file's contents, checked.
struct BoardDescription {
  std::filesystem::path file;
  BoardSettings settings;
  std::array<std::optional<ChipEntry>, kBoardSlotCount> chips;
};

struct BoardFileParse {
  // Empty when the file was refused; error then says why.
  std::optional<BoardDescription> board;
  BoardFileError error;
};

// Reads a board file's text; file names it in errors and anchors its relative paths. Every
// section, key and value is checked: unknown ones are errors, so a misspelt fault is never
// silently ignored.
BoardFileParse ParseBoardFile(std::string_view text, const std::filesystem::path& file);

BoardFileParse ReadBoardFile(const std::filesystem::path& file);

// Section names of the board file per slot.
std::string_view SlotSectionName(BoardSlot slot);

}  // namespace vexa::sim
