// The configuration reader and LoadConfiguration over any file content. The bytes are written
// to a Config.ini of this process's own scratch folder, as the tool reads it from disk.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/configuration.h"
#include "util/clock.h"
#include "util/ini_file.h"

namespace {

// The process's scratch folder, removed when the process ends.
struct ScratchFolder {
  ScratchFolder()
      : path(std::filesystem::temp_directory_path() /
             ("vexa-config-fuzz-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

std::filesystem::path ConfigPath() {
  static const ScratchFolder folder;
  return folder.path / vexa::kConfigFileName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vexa::IniDocument::Parse({reinterpret_cast<const char*>(data), size});

  const auto path = ConfigPath();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  vexa::VirtualClock clock;
  vexa::IspContext ctx{clock};
  vexa::InitIspContext(ctx);
  vexa::Configuration config;
  std::string message;
  vexa::LoadConfiguration(ctx, path.string(), config, message);
  return 0;
}
