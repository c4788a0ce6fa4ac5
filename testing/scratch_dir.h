#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace vexa::testing {

// An empty folder of the running test's own, removed with everything in it when the object
// goes. Its name holds the suite, the test and the process id: CTest runs every test in a
// process of its own, in parallel, so a folder named after less would be shared.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Writes bytes as the file name in the folder and returns its path as UTF-8 text.
  std::string WriteFile(const std::string& name, std::span<const uint8_t> bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace vexa::testing
