// vexa-mkimage: writes synthetic firmware BIN images and ISP driver files for the simulated
// board.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/image_files.h"
#include "tools/mkimage_options.h"
#include "util/binary_file.h"
#include "util/utf8_path.h"

int main(int argc, char** argv) {
  using vexa::tools::MkimageCommand;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const vexa::tools::MkimageParse parse = vexa::tools::ParseMkimageArgs(args);
  if (!parse.command) {
    std::fprintf(stderr, "vexa-mkimage: %s\n\n%s", parse.error.c_str(),
                 std::string(vexa::tools::MkimageUsage()).c_str());
    return 2;
  }

  const MkimageCommand& command = *parse.command;
  const vexa::tools::BuiltFile built = command.kind == MkimageCommand::Kind::kBinImage
                                           ? vexa::tools::BuildBinImage(command.bin)
                                           : vexa::tools::BuildDriverFile(command.driver);
  const std::string output = vexa::Utf8FromPath(command.output);
  if (!built.error.empty()) {
    std::fprintf(stderr, "vexa-mkimage: %s\n", built.error.c_str());
    return 1;
  }
  if (!vexa::WriteBinaryFile(command.output, built.bytes)) {
    std::fprintf(stderr, "vexa-mkimage: '%s' cannot be written\n", output.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes\n", output.c_str(), built.bytes.size());
  return 0;
}
