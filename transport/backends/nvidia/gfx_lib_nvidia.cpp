#include "transport/backends/nvidia/gfx_lib_nvidia.h"

#include <span>

#include "transport/ddc_reply_framing.h"
#include "transport/transfer_chunking.h"
#include "util/text_format.h"

namespace vexa {

namespace {

// Address and length bytes that open every DDC/CI reply.
constexpr int32_t kLengthBytes = 2;

std::string InitErrorText(int32_t status) {
  switch (status) {
    case nvapi_status::kLibraryNotFound:
      return "Library not found!";
    case nvapi_status::kNoNvidiaAdapter:
      return "Graphics adapter not found!";
    default:
      return StrPrintf("Init failed! (%d)", status);
  }
}

std::string FramingRejectionText(const DdcFramingRejection& rejection) {
  switch (rejection.fault) {
    case DdcFramingFault::kTooShort:
      return StrPrintf("Reply size (%d) not correct!", rejection.totalLength);
    case DdcFramingFault::kWrongAddress:
      return StrPrintf("Reply format not correct! (data[0] = 0x%X)", rejection.addressByte);
  }
  return {};
}

}  // namespace

int32_t GfxLibNvidia::Initialize() {
  record_.Clear();
  const int32_t status = nvapi_.Initialize();
  if (status == nvapi_status::kOk) return gfx_status::kSuccess;
  record_.Record(status, InitErrorText(status));
  return gfx_status::kVendorCallFailed;
}

int32_t GfxLibNvidia::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.Clear(); },
      [&](const TransferChunk& chunk) {
        NvAuxRequest request =
            NewRequest(chunk.isLast ? NvAuxOperation::kI2cWriteEnd : NvAuxOperation::kI2cWriteMore,
                       ddcAddr, chunk.length);
        request.SetData(std::span(data + chunk.offset, static_cast<size_t>(chunk.length)));
        DelayMicroseconds(clock_, kDdcWritePacingUs);
        return Conclude(SendAuxRequest(request), "DdcAuxWrite... failed!");
      });
}

int32_t GfxLibNvidia::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  DdcReplySource source;
  source.beginTransaction = [this] { record_.Clear(); };
  // The length bytes leave the I2C transaction open for the rest of the reply. Whatever comes
  // after them waits out the sink's pacing first.
  source.readLengthBytes = [this](uint8_t addr, uint8_t* out) {
    NvAuxRequest request = NewRequest(NvAuxOperation::kI2cReadMore, addr, kLengthBytes);
    const int32_t status = SendAuxRequest(request);
    if (status != 0) {
      record_.Record(status, status == nvapi_status::kNoImplementation
                                 ? "NVAPI not implemented!"
                                 : "Reading 2 length-bytes failed");
      return status;
    }
    request.CopyDataTo(std::span(out, kLengthBytes));
    return 0;
  };
  source.onAccepted = [this] { DelayMicroseconds(clock_, kLengthBytesPacingUs); };
  source.readRest = [this](uint8_t addr, uint8_t* out, int32_t count, bool endsTransaction) {
    NvAuxRequest request = NewRequest(
        endsTransaction ? NvAuxOperation::kI2cReadEnd : NvAuxOperation::kI2cReadMore, addr, count);
    DelayMicroseconds(clock_, kPacingUs);
    const int32_t status = SendAuxRequest(request);
    if (status != 0) {
      record_.Record(status, "DdcAuxRead... failed!");
      return status;
    }
    request.CopyDataTo(std::span(out, static_cast<size_t>(count)));
    return 0;
  };
  source.onRejected = [this](const DdcFramingRejection& rejection) {
    record_.Record(0, FramingRejectionText(rejection));
  };
  return ReadFramedDdcReply(ddcAddr, buffer, length, source);
}

int32_t GfxLibNvidia::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  return TransferBufferInChunks(
      buffer, length, kAuxChunkSize, [this] { record_.Clear(); },
      [&](const TransferChunk& chunk) {
        NvAuxRequest request =
            NewRequest(NvAuxOperation::kNativeRead, dpcdAddr + static_cast<uint32_t>(chunk.offset),
                       chunk.length);
        DelayMicroseconds(clock_, kPacingUs);
        const int32_t result = SendAuxRequest(request);
        if (result == 0) {
          request.CopyDataTo(std::span(buffer + chunk.offset, static_cast<size_t>(chunk.length)));
        }
        return Conclude(result, "NativeAuxRead... failed!");
      });
}

int32_t GfxLibNvidia::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.Clear(); },
      [&](const TransferChunk& chunk) {
        NvAuxRequest request =
            NewRequest(NvAuxOperation::kNativeWrite, dpcdAddr + static_cast<uint32_t>(chunk.offset),
                       chunk.length);
        request.SetData(std::span(data + chunk.offset, static_cast<size_t>(chunk.length)));
        DelayMicroseconds(clock_, kPacingUs);
        return Conclude(SendAuxRequest(request), "NativeAuxWrite... failed!");
      });
}

int32_t GfxLibNvidia::SendAuxRequest(NvAuxRequest& request) {
  for (int call = 1;; ++call) {
    const int32_t status = nvapi_.DisplayPortAux(current_.display, request.bytes());
    if (status != nvapi_status::kOk) return status;
    switch (request.Reply()) {
      case NvAuxReply::kNack:
        return static_cast<int32_t>(NvAuxReply::kNack);
      case NvAuxReply::kDefer:
        if (call == kMaxAuxCalls) return static_cast<int32_t>(NvAuxReply::kDefer);
        DelayMicroseconds(clock_, kDeferRetryUs);
        continue;
      default:
        // Acknowledged, or a reply status the driver does not define: taken as success.
        return 0;
    }
  }
}

NvAuxRequest GfxLibNvidia::NewRequest(NvAuxOperation operation, uint32_t address,
                                      int32_t length) const {
  return NvAuxRequest(current_.displayId, operation, address, static_cast<size_t>(length),
                      current_.pathBlock);
}

int32_t GfxLibNvidia::Conclude(int32_t status, const char* failText) {
  if (status == 0) return gfx_status::kSuccess;
  record_.Record(status, failText);
  return gfx_status::kVendorCallFailed;
}

}  // namespace vexa
