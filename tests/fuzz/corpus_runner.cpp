// Runs a fuzz target's entry point over every file of the corpus folders it is given, so that
// each input that ever crashed or hung a fuzzer stays a regression test in every build,
// whatever the compiler. A crash aborts the run (under the sanitizers, with their report); a
// file that cannot be read fails it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool RunFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return false;
  }
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      if (!RunFile(entry.path())) return 1;
      ++runs;
    }
  }
  std::printf("%d corpus inputs ran\n", runs);
  return runs > 0 ? 0 : 1;
}
