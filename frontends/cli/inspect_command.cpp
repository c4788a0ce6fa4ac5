#include <cstdio>

#include "chip/version_text.h"
#include "engine/firmware_files.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/console.h"
#include "frontends/cli/exit_codes.h"
#include "util/clock.h"
#include "util/text_format.h"

namespace vexa::cli {

namespace {

std::string SizeText(int32_t size) {
  return StrPrintf("0x%X (%d bytes)", static_cast<unsigned>(size), size);
}

// What the tool reads from a BIN file, or why it rejects it; false when rejected.
bool DescribeFile(const std::string& path, std::string& text) {
  VirtualClock clock;
  IspContext ctx(clock);
  int32_t size = 0;
  std::string error;
  if (!LoadFwFile(ctx, path, size, error)) {
    text = path + ": rejected: " + ConsoleText(error);
    return false;
  }
  FwFileInfo info;
  if (AssignFwImage(ctx, 0, size, info)) {
    const std::string version = FwVersionText(info.chipType, info.fwVersion);
    const std::string revision = RevisionText(info.chipType, info.fwRevision);
    text = path + ": firmware BIN file\n" +
           StrPrintf("  Chip type: %d (%s)\n", static_cast<int>(info.chipType),
                     ChipTypeName(info.chipType).c_str()) +
           "  F/W version: " + (info.fwVersion != 0 ? std::string("v") + version : "none") + "\n" +
           "  Revision: " + (revision.empty() ? "none" : revision) + "\n" +
           "  Boot-code version: " +
           (info.bootCodeVersion != 0 ? std::string("v") + BootCodeVersionText(info.bootCodeVersion)
                                      : "none") +
           "\n  Size: " + SizeText(size) + "\n";
    return true;
  }
  const std::string binError = ctx.firstErrorText;

  // Not a BIN file: perhaps an ISP driver.
  if (LoadDriverFile(ctx, path, size, error) && AssignDriverImage(ctx, 0, size)) {
    const ByteBuffer& image = *ctx.targets[0].driverImage;
    const bool headed = DriverHeaderLength(image).has_value();
    text = path + ": ISP driver file\n  Size: " + SizeText(size) + "\n  Header: " +
           (headed ? StrPrintf("%02X %02X %02X %02X", image[0], image[1], image[2], image[3])
                   : std::string("none")) +
           StrPrintf("\n  Driver length: 0x%X\n", unsigned{ctx.targets[0].driverLength});
    return true;
  }
  text =
      path + ": rejected: " + binError +
      StrPrintf(" Nor is it an ISP driver (0x%X to 0x%X bytes, a length header within the file).",
                kMinDriverFileSize, kMaxDriverFileSize);
  return false;
}

}  // namespace

int RunInspect(const CliOptions& options) {
  bool allRead = true;
  for (const std::string& path : options.files) {
    std::string text;
    const bool read = DescribeFile(path, text);
    allRead = allRead && read;
    if (read) {
      PrintOut(text);
    } else {
      PrintError(text);
    }
  }
  return allRead ? kExitSuccess : kExitFailed;
}

}  // namespace vexa::cli
