#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/isp_context.h"
#include "transport/adapter_type.h"

namespace vexa {

// Settings of the front ends, from the configuration file.
struct AppSettings {
  bool oneStepProgramming = true;
  bool drvFileReadOnly = true;
  bool fwFileReadOnly = true;
  bool keepLogFile = false;
  AdapterType adapterType = AdapterType::kAuto;
  uint16_t presetDisplayId = 0;
  // Number of targets for which a firmware path was configured (0 to 3).
  uint8_t fwFileCount = 0;
};

// One path (UTF-8) per target: host, Port#1, Port#2.
using TargetPaths = std::array<std::string, kTargetCount>;

struct Configuration {
  AppSettings settings;
  TargetPaths driverFilePath;
  TargetPaths fwFilePath;
};

// Longest path the tool keeps, in UTF-16 units; a longer resolved path leaves its key unset.
inline constexpr size_t kMaxPathUnits = 511;

inline constexpr const char* kConfigFileName = "Config.ini";
inline constexpr const char* kFirmwareUpdateSection = "Firmware Update";

// "Config.ini" beside the executable; false with message set when the executable's own path
// cannot be obtained.
bool DefaultConfigPath(std::string& path, std::string& message);

// Reads the configuration file at configPath into config and the engine settings of ctx.
// False with message set (and nothing changed) when the file is missing, unreadable or has no
// "Firmware Update" section. Relative paths in it are resolved against its directory.
bool LoadConfiguration(IspContext& ctx, const std::string& configPath, Configuration& config,
                       std::string& message);

// An absolute value (holding a drive colon on Windows, starting with '/' elsewhere) unchanged;
// any other value appended to configDir, which ends in a separator.
std::string ResolveConfigPath(const std::string& configDir, const std::string& value);

// True when the file exists and has a "Firmware Update" section (any case).
bool HasFirmwareUpdateSection(const std::string& path);

}  // namespace vexa
