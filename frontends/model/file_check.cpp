#include "frontends/model/file_check.h"

#include <filesystem>

#include "util/utf16_text.h"
#include "util/utf8_path.h"

namespace vexa::ui {

namespace {

// A file or a directory: the path names something the user can see in the file system.
bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(PathFromUtf8(path), error);
}

}  // namespace

FileCheck ValidateFilePaths(const Configuration& config, bool portsConfigured) {
  FileCheck check;
  bool anyFirmware = false;
  for (size_t i = 0; i < kTargetCount; ++i) {
    const std::string& path = config.fwFilePath[i];
    if (path.empty()) continue;
    const bool exists = PathExists(path);
    check.firmwareText[i] = exists ? kBlack : kRed;
    anyFirmware = anyFirmware || exists;
  }
  const bool driverExists = PathExists(config.driverFilePath[kHostTarget]);
  check.driverText = driverExists ? kBlack : kRed;
  check.startAllowed = anyFirmware && (driverExists || portsConfigured);
  return check;
}

bool ShowsPathEnd(std::string_view path) {
  return Utf16Length(path) > kLongPathChars;
}

}  // namespace vexa::ui
