#include "engine/engine_log.h"

#include "engine/isp_status.h"
#include "util/text_format.h"
#include "util/utf16_text.h"

namespace vexa {

void AddIspLog(IspContext& ctx, std::string_view message) {
  if (!ctx.printTimeStamp) {
    ctx.log.Append(std::string(message));
    return;
  }
  const WallTime now = ctx.clock.LocalTime();
  std::string line =
      StrPrintf("[%02d:%02d:%02d.%03d] ", now.hour, now.minute, now.second, now.millisecond);
  line.append(message);
  ctx.log.Append(CutToUtf16Units(line, kMaxLogLineUnits));
}

std::optional<std::string> TakeNextLogLine(IspContext& ctx) {
  const uint32_t index = ctx.logReadIndex.load();
  std::optional<std::string> entry = ctx.log.EntryAt(index);
  if (entry) ctx.logReadIndex.store(index + 1);
  return entry;
}

std::string FormatFirstError(const IspContext& ctx) {
  if (ctx.firstErrorCode == isp_status::kDriverCallFailed) {
    // The transport's record as it was when the failure happened.
    const int32_t code = ctx.firstErrorGfxCode;
    const char* text = ctx.firstErrorGfxText.c_str();
    // Small negative codes (-65535..-1) are the backends' own; everything else is a vendor
    // status word, shown in hexadecimal.
    if (static_cast<uint32_t>(code) >= 0xFFFF0001u)
      return StrPrintf("Gfx Error (%d): %s", code, text);
    return StrPrintf("Gfx Error (0x%X): %s", static_cast<uint32_t>(code), text);
  }
  return StrPrintf("Error (%d): %s", ctx.firstErrorCode, ctx.firstErrorText.c_str());
}

}  // namespace vexa
