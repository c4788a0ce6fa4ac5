#include "tests/fuzz/fuzzed_gfx.h"

#include <algorithm>

#include "transport/ddc_reply_framing.h"

namespace vexa::fuzz {

namespace {
constexpr int32_t kReadFailed = 6;
}

bool FuzzedGfx::Take(uint8_t* out, size_t count) {
  if (answers_.size() < count) {
    answers_ = {};
    return false;
  }
  std::copy_n(answers_.begin(), count, out);
  answers_ = answers_.subspan(count);
  return true;
}

int32_t FuzzedGfx::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  DdcReplySource source;
  source.readLengthBytes = [this](uint8_t, uint8_t* out) { return Take(out, 2) ? 0 : kReadFailed; };
  source.readRest = [this](uint8_t, uint8_t* out, int32_t count, bool) {
    return count >= 0 && Take(out, static_cast<size_t>(count)) ? 0 : kReadFailed;
  };
  return ReadFramedDdcReply(ddcAddr, buffer, length, source);
}

int32_t FuzzedGfx::NativeAuxRead(uint32_t, uint8_t* buffer, int32_t length) {
  return length >= 0 && Take(buffer, static_cast<size_t>(length)) ? 0 : kReadFailed;
}

}  // namespace vexa::fuzz
