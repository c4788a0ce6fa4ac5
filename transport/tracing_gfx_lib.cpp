#include "transport/tracing_gfx_lib.h"

#include <algorithm>

#include "transport/transfer_chunking.h"
#include "util/text_format.h"

namespace vexa {

namespace {

std::string DdcAddress(uint8_t addr) {
  return StrPrintf("0x%02X", unsigned{addr});
}
std::string DpcdAddress(uint32_t addr) {
  return StrPrintf("0x%05X", addr);
}

std::span<const uint8_t> Moved(const uint8_t* data, int32_t length, int32_t status) {
  if (data == nullptr || length <= 0 || status != gfx_status::kSuccess) return {};
  return {data, static_cast<size_t>(length)};
}

}  // namespace

int32_t TracingGfxLib::Record(const char* kind, const std::string& address,
                              std::span<const uint8_t> bytes, int32_t status) {
  ++calls_;
  constexpr uint64_t kChunk = kAuxChunkSize;
  auxTransactions_ += std::max<uint64_t>(1, (bytes.size() + kChunk - 1) / kChunk);
  bytesMoved_ += bytes.size();
  if (trace_ != nullptr) {
    std::string line = std::string(kind) + " " + address;
    for (uint8_t byte : bytes) line += StrPrintf(" %02X", unsigned{byte});
    *trace_ << line << " => " << status << '\n';
  }
  return status;
}

int32_t TracingGfxLib::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  const int32_t status = ForwardingGfxLib::DdcAuxRead(ddcAddr, buffer, length);
  // The transport copies at most its reply size into the buffer, whatever length says.
  const int32_t shown = length == nullptr ? 0 : std::min<int32_t>(*length, kMaxDdcReplySize);
  return Record("DDC-R", DdcAddress(ddcAddr), Moved(buffer, shown, status), status);
}

int32_t TracingGfxLib::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  const int32_t status = ForwardingGfxLib::DdcAuxWrite(ddcAddr, data, length);
  return Record("DDC-W", DdcAddress(ddcAddr), Moved(data, length, status), status);
}

int32_t TracingGfxLib::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  const int32_t status = ForwardingGfxLib::NativeAuxRead(dpcdAddr, buffer, length);
  return Record("AUX-R", DpcdAddress(dpcdAddr), Moved(buffer, length, status), status);
}

int32_t TracingGfxLib::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  const int32_t status = ForwardingGfxLib::NativeAuxWrite(dpcdAddr, data, length);
  return Record("AUX-W", DpcdAddress(dpcdAddr), Moved(data, length, status), status);
}

}  // namespace vexa
