#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/image_files.h"

namespace vexa::tools {

// One invocation of vexa-mkimage: which file to build, and where to write it.
struct MkimageCommand {
  enum class Kind { kBinImage, kDriverFile };
  Kind kind = Kind::kBinImage;
  BinImageOptions bin;
  DriverFileOptions driver;
  std::filesystem::path output;
};

struct MkimageParse {
  // Empty when the arguments were refused; error then says why.
  std::optional<MkimageCommand> command;
  std::string error;
};

// Reads the arguments after the program name. Numbers are decimal or hexadecimal after 0x.
MkimageParse ParseMkimageArgs(std::span<const std::string_view> args);

std::string_view MkimageUsage();

}  // namespace vexa::tools
