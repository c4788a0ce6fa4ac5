#include "sim/board_file.h"

#include <algorithm>
#include <cinttypes>
#include <limits>
#include <span>

#include "util/ini_file.h"
#include "util/text_format.h"
#include "util/utf8_path.h"

namespace vexa::sim {

namespace {

constexpr std::string_view kBoardSection = "Board";
constexpr std::array<std::string_view, kBoardSlotCount> kSlotSections = {"Host", "Port1", "Port2"};

constexpr std::array<std::string_view, 3> kBoardKeys = {"AuxLatencyUs", "VirtualTime",
                                                        "HostBootMs"};
constexpr std::array<std::string_view, 16> kChipKeys = {
    "Chip",       "Cut",         "DdcAddr",          "FlashId",
    "EraseMs",    "MailboxAddr", "MailboxSize",      "AckAddr",
    "Flash",      "Firmware",    "NoAckOpcode",      "FlashIdNever",
    "EraseNever", "BlockReject", "DriverChunkNoAck", "TransportFailAfter"};

// The driver's windows lie above the standard DPCD registers (branch bytes, buffer-info
// pointer and block) and inside the 20-bit DPCD address space.
constexpr int64_t kMailboxWindowMin = 0x1000;
constexpr int64_t kDpcdSpaceEnd = 0x100000;
constexpr int64_t kMaxCount = std::numeric_limits<uint32_t>::max();

struct IntegerRule {
  int64_t min;
  int64_t max;
  bool hex = false;
};

std::string FormatBound(int64_t value, bool hex) {
  return hex ? StrPrintf("0x%" PRIX64, value) : StrPrintf("%" PRId64, value);
}

// Reads the keys of one section into values; the first problem is kept and ends the reading.
class SectionReader {
 public:
  SectionReader(const IniSection& section, std::string_view name, const std::filesystem::path& file,
                std::optional<BoardFileError>& error)
      : section_(section), name_(name), file_(file), error_(error) {}

  void Fail(int line, std::string_view key, std::string message) {
    if (error_) return;
    error_ = BoardFileError{file_, line, std::string(name_), std::string(key), std::move(message)};
  }

  // The line of key, or of the section header when the key is absent.
  int LineOf(std::string_view key) const {
    const IniEntry* entry = section_.Find(key);
    return entry != nullptr ? entry->line : section_.line;
  }

  bool Has(std::string_view key) const { return section_.Find(key) != nullptr; }

  void CheckKeys(std::span<const std::string_view> known) {
    for (const IniEntry& entry : section_.entries) {
      const auto matches = [&](std::string_view name) { return IniNamesEqual(name, entry.key); };
      if (std::none_of(known.begin(), known.end(), matches)) {
        return Fail(entry.line, entry.key, "unknown key");
      }
      if (section_.Find(entry.key) != &entry) {
        return Fail(entry.line, entry.key, "given twice; a key may appear once per section");
      }
    }
  }

  template <typename T>
  void ReadInteger(std::string_view key, IntegerRule rule, T& value) {
    const IniEntry* entry = section_.Find(key);
    if (entry == nullptr || error_) return;
    const auto number = ParseIniInteger(entry->value);
    if (!number) {
      return Fail(entry->line, key,
                  StrPrintf("'%s' is not a number (decimal, or hexadecimal after 0x)",
                            entry->value.c_str()));
    }
    if (*number < rule.min || *number > rule.max) {
      return Fail(entry->line, key,
                  StrPrintf("%s is outside %s to %s", entry->value.c_str(),
                            FormatBound(rule.min, rule.hex).c_str(),
                            FormatBound(rule.max, rule.hex).c_str()));
    }
    value = static_cast<T>(*number);
  }

  void ReadFlag(std::string_view key, bool& value) {
    int64_t number = value ? 1 : 0;
    ReadInteger(key, {0, 1}, number);
    value = number != 0;
  }

  // An empty value counts as absent.
  void ReadPath(std::string_view key, std::optional<std::filesystem::path>& value, int& line) {
    const IniEntry* entry = section_.Find(key);
    if (entry == nullptr || entry->value.empty()) return;
    const std::filesystem::path path = PathFromUtf8(entry->value);
    value = path.is_absolute() ? path : file_.parent_path() / path;
    line = entry->line;
  }

 private:
  const IniSection& section_;
  std::string_view name_;
  const std::filesystem::path& file_;
  std::optional<BoardFileError>& error_;
};

void ReadMailbox(SectionReader& reader, MailboxConfig& mailbox) {
  reader.ReadInteger("MailboxAddr", {kMailboxWindowMin, kDpcdSpaceEnd - 1, true},
                     mailbox.bufferAddr);
  reader.ReadInteger("MailboxSize", {0x20, 0x200, true}, mailbox.bufferSize);
  reader.ReadInteger("AckAddr", {kMailboxWindowMin, kDpcdSpaceEnd - kAckAreaSize, true},
                     mailbox.ackAddr);
  if (mailbox.bufferSize % 2 != 0) {
    return reader.Fail(reader.LineOf("MailboxSize"), "MailboxSize",
                       "must be even: the buffer is used as two halves");
  }
  const int64_t bufferEnd = int64_t{mailbox.bufferAddr} + mailbox.bufferSize;
  if (bufferEnd > kDpcdSpaceEnd) {
    return reader.Fail(reader.LineOf("MailboxAddr"), "MailboxAddr",
                       "the buffer runs past the DPCD address space (0xFFFFF)");
  }
  if (mailbox.ackAddr < bufferEnd && mailbox.bufferAddr < mailbox.ackAddr + kAckAreaSize) {
    const std::string_view key = reader.Has("AckAddr") ? "AckAddr" : "MailboxAddr";
    reader.Fail(reader.LineOf(key), key,
                StrPrintf("the acknowledge area 0x%X..0x%X overlaps the buffer 0x%X..0x%" PRIX64,
                          mailbox.ackAddr, mailbox.ackAddr + kAckAreaSize - 1, mailbox.bufferAddr,
                          bufferEnd - 1));
  }
}

void ReadFaults(SectionReader& reader, ChipFaults& faults) {
  if (reader.Has("NoAckOpcode")) {
    uint8_t opcode = 0;
    reader.ReadInteger("NoAckOpcode", {0, 0xFF, true}, opcode);
    faults.noAckOpcode = opcode;
  }
  reader.ReadInteger("DriverChunkNoAck", {0, kMaxCount}, faults.driverChunkNoAck);
  reader.ReadFlag("FlashIdNever", faults.flashIdNever);
  reader.ReadFlag("EraseNever", faults.eraseNever);
  reader.ReadInteger("BlockReject", {0, kMaxCount}, faults.blockReject);
  reader.ReadInteger("TransportFailAfter", {0, kMaxCount}, faults.transportFailAfter);
}

ChipEntry ReadChip(SectionReader& reader, BoardSlot slot, int sectionLine) {
  ChipEntry entry;
  ChipConfig& config = entry.config;
  reader.CheckKeys(kChipKeys);

  if (!reader.Has("Chip")) {
    reader.Fail(sectionLine, "Chip", "missing: every chip section names its chip type (1 to 5)");
  }
  int64_t model = 1;
  reader.ReadInteger("Chip", {1, 5}, model);
  config.model = *ChipModelFromNumber(model);
  reader.ReadInteger("Cut", {0, 0xFF, true}, config.cut);
  reader.ReadInteger("DdcAddr", {0, 0xFE, true}, config.ddcAddr);
  if (config.ddcAddr % 2 != 0) {
    reader.Fail(reader.LineOf("DdcAddr"), "DdcAddr", "must be an even (8-bit write) I2C address");
  } else if (slot != BoardSlot::kHost && config.ddcAddr == kHostCommandAddr) {
    reader.Fail(reader.LineOf("DdcAddr"), "DdcAddr",
                "0x60 is the host chip's own command interface; a port chip cannot use it");
  }
  reader.ReadInteger("FlashId", {0, 0xFFFF, true}, config.flashId);
  int64_t eraseMs = config.eraseTime.count();
  reader.ReadInteger("EraseMs", {0, 600000}, eraseMs);
  config.eraseTime = std::chrono::milliseconds(eraseMs);
  ReadMailbox(reader, config.mailbox);
  ReadFaults(reader, config.faults);
  reader.ReadPath("Flash", entry.flashFile, entry.flashLine);
  reader.ReadPath("Firmware", entry.firmwareFile, entry.firmwareLine);
  return entry;
}

void ReadBoardSettings(SectionReader& reader, BoardSettings& settings) {
  reader.CheckKeys(kBoardKeys);
  int64_t latencyUs = settings.auxLatency.count();
  reader.ReadInteger("AuxLatencyUs", {0, 1000000}, latencyUs);
  settings.auxLatency = std::chrono::microseconds(latencyUs);
  reader.ReadFlag("VirtualTime", settings.virtualTime);
  int64_t hostBootMs = settings.hostBootTime.count();
  reader.ReadInteger("HostBootMs", {0, 60000}, hostBootMs);
  settings.hostBootTime = std::chrono::milliseconds(hostBootMs);
}

std::optional<BoardSlot> SlotOfSection(std::string_view name) {
  for (size_t slot = 0; slot < kBoardSlotCount; ++slot) {
    if (IniNamesEqual(name, kSlotSections[slot])) return static_cast<BoardSlot>(slot);
  }
  return std::nullopt;
}

// Two chips must not share a flash file: each would overwrite the other's firmware.
void CheckDistinctFlashFiles(const BoardDescription& board, std::optional<BoardFileError>& error) {
  for (size_t slot = 0; slot < kBoardSlotCount && !error; ++slot) {
    const auto& chip = board.chips[slot];
    if (!chip || !chip->flashFile) continue;
    const auto normal = std::filesystem::absolute(*chip->flashFile).lexically_normal();
    for (size_t earlier = 0; earlier < slot; ++earlier) {
      const auto& other = board.chips[earlier];
      if (other && other->flashFile &&
          std::filesystem::absolute(*other->flashFile).lexically_normal() == normal) {
        error =
            BoardFileError{board.file, chip->flashLine, std::string(kSlotSections[slot]), "Flash",
                           StrPrintf("is already the flash file of [%s]",
                                     std::string(kSlotSections[earlier]).c_str())};
        return;
      }
    }
  }
}

}  // namespace

std::string BoardFileError::ToString() const {
  std::string text = Utf8FromPath(file);
  if (line > 0) text += StrPrintf(":%d", line);
  text += ": ";
  if (!section.empty()) text += "[" + section + "] ";
  if (!key.empty()) text += key + ": ";
  return text + message;
}

std::string_view SlotSectionName(BoardSlot slot) {
  return kSlotSections[static_cast<size_t>(slot)];
}

namespace {

BoardFileParse DescribeBoard(const IniDocument& document, const std::filesystem::path& file) {
  std::optional<BoardFileError> error;
  if (!document.issues().empty()) {
    const IniIssue& issue = document.issues().front();
    return {std::nullopt, {file, issue.line, {}, {}, issue.message}};
  }

  BoardDescription board;
  board.file = file;
  for (const IniSection& section : document.sections()) {
    if (document.FindSection(section.name) != &section) {
      error = BoardFileError{
          file, section.line, section.name, {}, "appears twice; a section may appear once"};
      break;
    }
    if (IniNamesEqual(section.name, kBoardSection)) {
      SectionReader reader(section, kBoardSection, file, error);
      ReadBoardSettings(reader, board.settings);
    } else if (const auto slot = SlotOfSection(section.name)) {
      SectionReader reader(section, SlotSectionName(*slot), file, error);
      board.chips[static_cast<size_t>(*slot)] = ReadChip(reader, *slot, section.line);
    } else {
      error = BoardFileError{file,
                             section.line,
                             section.name,
                             {},
                             "unknown section (expected Board, Host, Port1 or Port2)"};
    }
    if (error) break;
  }
  if (!error) CheckDistinctFlashFiles(board, error);
  if (error) return {std::nullopt, *error};
  return {std::move(board), {}};
}

}  // namespace

BoardFileParse ParseBoardFile(std::string_view text, const std::filesystem::path& file) {
  return DescribeBoard(IniDocument::Parse(text), file);
}

BoardFileParse ReadBoardFile(const std::filesystem::path& file) {
  const IniLoadResult loaded = LoadIniFile(file);
  if (!loaded.document) return {std::nullopt, {file, 0, {}, {}, loaded.error}};
  return DescribeBoard(*loaded.document, file);
}

}  // namespace vexa::sim
