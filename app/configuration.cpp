#include "app/configuration.h"

#include <filesystem>
#include <optional>

#include "engine/isp_settings.h"
#include "util/executable_path.h"
#include "util/ini_file.h"
#include "util/utf16_text.h"
#include "util/utf8_path.h"

namespace vexa {

namespace {

constexpr const char* kGeneralFailure = "General file access failure.\r\n";
constexpr const char* kConfigMissing =
    "Please ensure that \"config.ini\" is present and is not corrupted.\r\n";
// Every integer key is read with this default, so a key written with it counts as missing.
constexpr int64_t kMissingInteger = -1;

// Reads the keys of the "Firmware Update" section with the semantics of the platform's INI
// functions: an integer that is absent, malformed or -1 is missing; an empty string is missing.
class FirmwareUpdateKeys {
 public:
  explicit FirmwareUpdateKeys(const IniSection& section) : section_(section) {}

  std::optional<int32_t> Integer(const char* key) const {
    const IniEntry* entry = section_.Find(key);
    if (entry == nullptr) return std::nullopt;
    const std::optional<int64_t> value = ParseIniInteger(entry->value);
    if (!value || *value < INT32_MIN || *value > UINT32_MAX) return std::nullopt;
    // Values above INT32_MAX wrap as the platform reader's 32-bit result does, so 0xFFFFFFFF
    // is the default -1 too.
    const auto wrapped = static_cast<int32_t>(static_cast<uint32_t>(*value));
    if (wrapped == kMissingInteger) return std::nullopt;
    return wrapped;
  }

  std::optional<std::string> String(const char* key) const {
    const IniEntry* entry = section_.Find(key);
    if (entry == nullptr) return std::nullopt;
    std::string value = entry->value;
    // A value in double quotes (a path with blanks) is taken without them.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.empty()) return std::nullopt;
    return value;
  }

 private:
  const IniSection& section_;
};

// True for keys present with a non-zero value; missing keys and 0 give `whenMissing` / false.
bool Flag(const FirmwareUpdateKeys& keys, const char* key, bool whenMissing) {
  const std::optional<int32_t> value = keys.Integer(key);
  return value ? *value != 0 : whenMissing;
}

void ReadAdapterChoice(const FirmwareUpdateKeys& keys, AppSettings& settings) {
  struct DeviceKey {
    const char* name;
    AdapterType type;
  };
  static constexpr DeviceKey kDeviceKeys[] = {{"IntelDeviceId", AdapterType::kIntel},
                                              {"DeviceID", AdapterType::kIntel},
                                              {"NvidiaDeviceId", AdapterType::kNvidia},
                                              {"AmdDeviceId", AdapterType::kAmd},
                                              {"LinuxDeviceId", AdapterType::kLinux}};
  for (const DeviceKey& key : kDeviceKeys) {
    if (const std::optional<int32_t> value = keys.Integer(key.name)) {
      settings.adapterType = key.type;
      settings.presetDisplayId = static_cast<uint16_t>(*value);
      return;
    }
  }
}

class PathReader {
 public:
  PathReader(const FirmwareUpdateKeys& keys, std::string configDir)
      : keys_(keys), configDir_(std::move(configDir)) {}

  // The resolved path of the first of `names` that is present; a path too long for the tool's
  // path buffers is refused rather than cut, since a cut path names another file.
  std::optional<std::string> Read(std::initializer_list<const char*> names) const {
    for (const char* name : names) {
      if (const std::optional<std::string> value = keys_.String(name)) {
        std::string path = ResolveConfigPath(configDir_, *value);
        if (Utf16Length(path) > kMaxPathUnits) return std::nullopt;
        return path;
      }
    }
    return std::nullopt;
  }

 private:
  const FirmwareUpdateKeys& keys_;
  std::string configDir_;
};

}  // namespace

bool DefaultConfigPath(std::string& path, std::string& message) {
  const std::optional<std::string> executable = ExecutablePath();
  const size_t separator =
      executable ? executable->find_last_of(kPathSeparators) : std::string::npos;
  if (separator == std::string::npos) {
    message = kGeneralFailure;
    return false;
  }
  path = executable->substr(0, separator + 1) + kConfigFileName;
  return true;
}

bool LoadConfiguration(IspContext& ctx, const std::string& configPath, Configuration& config,
                       std::string& message) {
  const IniLoadResult loaded = LoadIniFile(PathFromUtf8(configPath));
  const IniSection* section =
      loaded.document ? loaded.document->FindSection(kFirmwareUpdateSection) : nullptr;
  if (section == nullptr) {
    message = kConfigMissing;
    return false;
  }
  const FirmwareUpdateKeys keys(*section);
  const size_t separator = configPath.find_last_of(kPathSeparators);
  const PathReader paths(
      keys, separator == std::string::npos ? std::string() : configPath.substr(0, separator + 1));

  Configuration read;
  ReadAdapterChoice(keys, read.settings);
  IspSettingValues engine;
  engine.ddc2biAddr = {keys.Integer("Ddc2biAddr"), keys.Integer("Ddc2biAddrP1"),
                       keys.Integer("Ddc2biAddrP2")};
  read.settings.keepLogFile = Flag(keys, "NotDeleteLogFile", false);
  engine.flashEraseTime = keys.Integer("FlashEraseTime");
  engine.nextIspDelay = keys.Integer("NextIspDelay");
  const std::array<std::initializer_list<const char*>, kTargetCount> driverKeys = {
      {{"DriverFilePath"}, {"DriverFilePathP1"}, {"DriverFilePathP2"}}};
  const std::array<std::initializer_list<const char*>, kTargetCount> fwKeys = {
      {{"FWFilePath"}, {"FWFileP1", "FWFilePathP1"}, {"FWFileP2", "FWFilePathP2"}}};
  for (size_t i = 0; i < kTargetCount; ++i) {
    read.driverFilePath[i] = paths.Read(driverKeys[i]).value_or("");
  }
  engine.progBootCode = {keys.Integer("ProgBootCode"), keys.Integer("ProgBootCodeP1"),
                         keys.Integer("ProgBootCodeP2")};
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (const std::optional<std::string> path = paths.Read(fwKeys[i])) {
      read.fwFilePath[i] = *path;
      ++read.settings.fwFileCount;
      if (i != kHostTarget) engine.portsConfigured = true;
    }
  }
  engine.printTimeStamp = keys.Integer("PrintTimeStamp");
  read.settings.drvFileReadOnly = Flag(keys, "DrvFileReadOnly", true);
  read.settings.fwFileReadOnly = Flag(keys, "FwFileReadOnly", true);
  read.settings.oneStepProgramming = Flag(keys, "OneStepProgramming", true);

  ApplyIspSettings(ctx, engine);
  config = std::move(read);
  return true;
}

std::string ResolveConfigPath(const std::string& configDir, const std::string& value) {
#ifdef _WIN32
  const bool absolute = value.find(':') != std::string::npos;
#else
  const bool absolute = !value.empty() && value.front() == '/';
#endif
  return absolute ? value : configDir + value;
}

bool HasFirmwareUpdateSection(const std::string& path) {
  const IniLoadResult loaded = LoadIniFile(PathFromUtf8(path));
  return loaded.document && loaded.document->FindSection(kFirmwareUpdateSection) != nullptr;
}

}  // namespace vexa
