#include "transport/backends/amd/gfx_lib_amd.h"

#include <algorithm>
#include <array>
#include <span>

#include "transport/ddc_reply_framing.h"
#include "transport/transfer_chunking.h"
#include "util/text_format.h"

namespace vexa {

namespace {

// The library's file name, and the other name it is looked for under when that one does not
// load.
constexpr const char* kLibraryFile = "atiadlxx.dll";
constexpr const char* kFallbackLibraryFile = "atiadlxy.dll";

// The library's start-up and enumeration entry points; any of them missing is one failure.
constexpr std::array kEnumerationEntryPoints = {
    AdlEntryPoint::kMainControlCreate,          AdlEntryPoint::kMainControlDestroy,
    AdlEntryPoint::kAdapterNumberOfAdaptersGet, AdlEntryPoint::kAdapterAdapterInfoGet,
    AdlEntryPoint::kDisplayDisplayInfoGet,      AdlEntryPoint::kAdapterActiveGet,
};

// Enumerate only adapters with a display connected.
constexpr int32_t kConnectedAdaptersOnly = 1;

// DDC block access: the option and command index of a plain I2C transfer.
constexpr int32_t kDdcBlockOption = 0x20;
constexpr int32_t kDdcBlockCommandIndex = 0;
// One block access carries a whole reply, and as much of a write.
constexpr int32_t kDdcBlockSize = kMaxDdcReplySize;

// Pacing and retries.
constexpr uint32_t kPacingUs = 700;
constexpr uint32_t kDeferRetryUs = 5000;
constexpr int32_t kNativeCallsAtMost = 3;
constexpr uint32_t kLengthByteRetryUs = 20000;
constexpr int32_t kLengthByteCallsAtMost = 31;
constexpr int32_t kLengthByteCount = 2;

}  // namespace

int32_t GfxLibAmd::Initialize() {
  if (!adl_.OpenLibrary(kLibraryFile) && !adl_.OpenLibrary(kFallbackLibraryFile)) {
    return FailToOpen("Loading DLL... failed!");
  }
  if (!std::ranges::all_of(kEnumerationEntryPoints,
                           [this](AdlEntryPoint e) { return adl_.ResolveEntryPoint(e); })) {
    return FailToOpen("Init handles... failed!");
  }
  if (!adl_.ResolveEntryPoint(AdlEntryPoint::kDisplayNativeAuxChannelAccess)) {
    return FailToOpen("Getting Native AUX ch... failed!");
  }
  if (!adl_.ResolveEntryPoint(AdlEntryPoint::kDisplayDdcBlockAccessGet)) {
    return FailToOpen("Getting DDC lock access... failed!");
  }
  if (adl_.MainControlCreate(kConnectedAdaptersOnly) != 0) return FailToOpen("Init ADL... failed!");
  return gfx_status::kSuccess;
}

// The transfers have no begin hook: the record keeps the first failure until it is cleared.
int32_t GfxLibAmd::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(data, length, kAuxChunkSize, {}, [&](const TransferChunk& chunk) {
    auto request = adl::NativeAuxRequest::Write(
        dpcdAddr + static_cast<uint32_t>(chunk.offset),
        std::span(data + chunk.offset, static_cast<size_t>(chunk.length)));
    DelayMicroseconds(clock_, kPacingUs);
    return CheckResult(AuxRequest(request), "NativeAuxWrite");
  });
}

int32_t GfxLibAmd::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  return TransferBufferInChunks(buffer, length, kAuxChunkSize, {}, [&](const TransferChunk& chunk) {
    auto request =
        adl::NativeAuxRequest::Read(dpcdAddr + static_cast<uint32_t>(chunk.offset), chunk.length);
    const int32_t status = AuxRequest(request);
    if (status == 0) std::ranges::copy(request.data(), buffer + chunk.offset);
    return CheckResult(status, "NativeAuxRead");
  });
}

int32_t GfxLibAmd::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(data, length, kDdcBlockSize, {}, [&](const TransferChunk& chunk) {
    DelayMicroseconds(clock_, kPacingUs);
    // The I2C address, then the chunk.
    std::array<uint8_t, kDdcBlockSize + 1> send{ddcAddr};
    std::copy_n(data + chunk.offset, chunk.length, send.begin() + 1);
    return CheckResult(
        DdcBlockAccess(std::span(send).first(static_cast<size_t>(chunk.length) + 1), {}),
        "DdcAuxWrite");
  });
}

int32_t GfxLibAmd::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  DdcReplySource source;
  source.chunkSize = kDdcBlockSize;
  source.readLengthBytes = [this](uint8_t addr, uint8_t* out) {
    return ReadLengthBytes(addr, out);
  };
  source.readRest = [this](uint8_t addr, uint8_t* out, int32_t count, bool) {
    DelayMicroseconds(clock_, kPacingUs);
    return CheckResult(DdcRead(addr, std::span(out, static_cast<size_t>(count))), "DdcAuxRead");
  };
  return ReadFramedDdcReply(ddcAddr, buffer, length, source);
}

int32_t GfxLibAmd::ReadLengthBytes(uint8_t ddcAddr, uint8_t* out) {
  const std::span<uint8_t> lengthBytes(out, kLengthByteCount);
  int32_t result = DdcRead(ddcAddr, lengthBytes);
  for (int32_t call = 1; result != 0 && call < kLengthByteCallsAtMost; ++call) {
    DelayMicroseconds(clock_, kLengthByteRetryUs);
    result = DdcRead(ddcAddr, lengthBytes);
  }
  return CheckResult(result, "DdcAuxRead");
}

int32_t GfxLibAmd::DdcRead(uint8_t ddcAddr, std::span<uint8_t> reply) {
  std::ranges::fill(reply, 0);
  const std::array<uint8_t, 1> readAddress{static_cast<uint8_t>(ddcAddr | 1)};
  return DdcBlockAccess(readAddress, reply);
}

int32_t GfxLibAmd::DdcBlockAccess(std::span<const uint8_t> send, std::span<uint8_t> reply) {
  return adl_.DdcBlockAccessGet(port_.adapterIndex, port_.displayIndex, kDdcBlockOption,
                                kDdcBlockCommandIndex, send, reply);
}

int32_t GfxLibAmd::AuxRequest(adl::NativeAuxRequest& request) {
  for (int32_t call = 1;; ++call) {
    const int32_t result =
        adl_.NativeAuxChannelAccess(port_.adapterIndex, port_.displayIndex, request.bytes());
    if (result != 0) return result;
    const int32_t replyStatus = request.replyStatus();
    if (replyStatus == adl::kAuxReplyAcknowledged) return 0;
    if (replyStatus == 0) return kOwnErrorCode;
    if (replyStatus != adl::kAuxReplyDeferred) return replyStatus;
    DelayMicroseconds(clock_, kDeferRetryUs);
    if (call == kNativeCallsAtMost) return adl::kAuxReplyDeferred;
  }
}

int32_t GfxLibAmd::CheckResult(int32_t result, const char* operation) {
  if (result == 0) return gfx_status::kSuccess;
  record_.Record(result, StrPrintf("%s... failed! (%d)", operation, result));
  return gfx_status::kVendorCallFailed;
}

int32_t GfxLibAmd::FailToOpen(const char* text) {
  record_.Record(kOwnErrorCode, text);
  return gfx_status::kVendorCallFailed;
}

}  // namespace vexa
