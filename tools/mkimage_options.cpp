#include "tools/mkimage_options.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "util/ini_file.h"
#include "util/utf8_path.h"

namespace vexa::tools {

namespace {

constexpr std::string_view kUsage =
    "Usage:\n"
    "  vexa-mkimage bin --chip N --out FILE [--version B0,B1,B2] [--boot-code 0xMMmm]\n"
    "                   [--size BYTES] [--data BYTES] [--seed N]\n"
    "  vexa-mkimage driver --chip N --out FILE [--length BYTES] [--header] [--seed N]\n"
    "\n"
    "bin     a firmware BIN image for chip type N (1 to 5). --version gives the application's\n"
    "        three info-block version bytes in file order; --boot-code adds a boot-code region\n"
    "        with that version (high byte major); --size defaults to the chip type's flash size;\n"
    "        --data limits the application data (the rest stays blank, 0xFF).\n"
    "driver  an ISP driver file the simulated chip of type N boots; --length is the number of\n"
    "        driver bytes (default 0x2000), --header puts the 4-byte length header first.\n"
    "Numbers are decimal, or hexadecimal after 0x.\n";

class ArgReader {
 public:
  explicit ArgReader(std::span<const std::string_view> args) : args_(args) {}

  bool Done() const { return next_ >= args_.size(); }
  std::string_view Next() { return args_[next_++]; }

  // The value after an option; empty with the error set when it is missing.
  std::optional<std::string_view> Value(std::string_view option, std::string& error) {
    if (Done()) {
      error = std::string(option) + " needs a value";
      return std::nullopt;
    }
    return Next();
  }

 private:
  std::span<const std::string_view> args_;
  size_t next_ = 0;
};

bool ReadNumber(std::string_view option, std::string_view text, int64_t min, int64_t max,
                int64_t& value, std::string& error) {
  const auto number = ParseIniInteger(text);
  if (!number || *number < min || *number > max) {
    error = std::string(option) + ": '" + std::string(text) + "' is not a valid value";
    return false;
  }
  value = *number;
  return true;
}

bool ReadVersionBytes(std::string_view text, std::array<uint8_t, 3>& version, std::string& error) {
  for (size_t i = 0; i < version.size(); ++i) {
    const size_t comma = text.find(',');
    if ((comma == std::string_view::npos) != (i == version.size() - 1)) {
      error = "--version takes three bytes: B0,B1,B2";
      return false;
    }
    int64_t byte = 0;
    if (!ReadNumber("--version", text.substr(0, comma), 0, 0xFF, byte, error)) return false;
    version[i] = static_cast<uint8_t>(byte);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
  }
  return true;
}

// The options each kind of file takes; --header is the only one without a value.
constexpr std::array<std::string_view, 7> kBinOptions = {
    "--chip", "--out", "--seed", "--version", "--boot-code", "--size", "--data"};
constexpr std::array<std::string_view, 5> kDriverOptions = {"--chip", "--out", "--seed", "--length",
                                                            "--header"};

bool TakesOption(MkimageCommand::Kind kind, std::string_view option) {
  if (kind == MkimageCommand::Kind::kBinImage) {
    return std::find(kBinOptions.begin(), kBinOptions.end(), option) != kBinOptions.end();
  }
  return std::find(kDriverOptions.begin(), kDriverOptions.end(), option) != kDriverOptions.end();
}

// Applies one option to the command; false with the error set when it is refused. The option
// is checked before its value is read, so an unknown one never takes the next argument.
bool ApplyOption(std::string_view option, ArgReader& reader, MkimageCommand& command,
                 bool& chipGiven, std::string& error) {
  if (!TakesOption(command.kind, option)) {
    error = "unknown option " + std::string(option);
    return false;
  }
  if (option == "--header") {
    command.driver.lengthHeader = true;
    return true;
  }
  const auto value = reader.Value(option, error);
  if (!value) return false;
  int64_t number = 0;
  if (option == "--out") {
    command.output = PathFromUtf8(*value);
  } else if (option == "--chip") {
    if (!ReadNumber(option, *value, 1, 5, number, error)) return false;
    command.bin.model = command.driver.model = *sim::ChipModelFromNumber(number);
    chipGiven = true;
  } else if (option == "--seed") {
    if (!ReadNumber(option, *value, 0, UINT32_MAX, number, error)) return false;
    command.bin.seed = command.driver.seed = static_cast<uint32_t>(number);
  } else if (option == "--version") {
    return ReadVersionBytes(*value, command.bin.version, error);
  } else if (option == "--boot-code") {
    if (!ReadNumber(option, *value, 0, 0xFFFF, number, error)) return false;
    command.bin.bootCodeVersion = static_cast<uint16_t>(number);
  } else if (option == "--size") {
    if (!ReadNumber(option, *value, 1, UINT32_MAX, number, error)) return false;
    command.bin.size = static_cast<uint32_t>(number);
  } else if (option == "--data") {
    if (!ReadNumber(option, *value, 1, UINT32_MAX, number, error)) return false;
    command.bin.dataSize = static_cast<uint32_t>(number);
  } else if (option == "--length") {
    if (!ReadNumber(option, *value, 1, UINT32_MAX, number, error)) return false;
    command.driver.length = static_cast<uint32_t>(number);
  }
  return true;
}

}  // namespace

MkimageParse ParseMkimageArgs(std::span<const std::string_view> args) {
  ArgReader reader(args);
  if (reader.Done()) return {std::nullopt, "missing the kind of file: bin or driver"};
  MkimageCommand command;
  const std::string_view kind = reader.Next();
  if (kind == "driver") {
    command.kind = MkimageCommand::Kind::kDriverFile;
  } else if (kind != "bin") {
    return {std::nullopt, "unknown kind of file '" + std::string(kind) + "': bin or driver"};
  }

  bool chipGiven = false;
  std::string error;
  while (!reader.Done()) {
    if (!ApplyOption(reader.Next(), reader, command, chipGiven, error)) {
      return {std::nullopt, error};
    }
  }
  if (!chipGiven) return {std::nullopt, "--chip is required"};
  if (command.output.empty()) return {std::nullopt, "--out is required"};
  return {command, {}};
}

std::string_view MkimageUsage() {
  return kUsage;
}

}  // namespace vexa::tools
