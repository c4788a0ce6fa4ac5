#include "transport/backends/intel/gfx_lib_intel.h"

#include <algorithm>
#include <utility>

#include "transport/backends/intel/aux_request_sender.h"
#include "transport/backends/intel/cui_names.h"
#include "transport/ddc_reply_framing.h"
#include "transport/transfer_chunking.h"

namespace vexa {

namespace {

constexpr int32_t kLengthBytesRead = 2;

AuxRequest MakeRequest(AuxCommand command, uint32_t address, int32_t length) {
  AuxRequest request;
  request.command = command;
  request.address = address;
  request.length = static_cast<uint32_t>(length);
  return request;
}

}  // namespace

int32_t GfxLibIntel::Initialize() {
  driverOpen_ = driver_.Open();
  if (driverOpen_) return gfx_status::kSuccess;
  RecordError(kNoDriverCode, "Gfx init failed!");
  return gfx_status::kVendorCallFailed;
}

void GfxLibIntel::Uninitialize() {
  if (!driverOpen_) return;
  driver_.Close();
  driverOpen_ = false;
}

int32_t GfxLibIntel::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.ResetCode(); },
      [&](const TransferChunk& chunk) {
        AuxRequest request =
            MakeRequest(chunk.isLast ? AuxCommand::kI2cWriteEnd : AuxCommand::kI2cWriteContinue,
                        ddcAddr, chunk.length);
        std::copy_n(data + chunk.offset, chunk.length, request.data.begin());
        return Transact(request, "DDC-AUX-Write", "failed!");
      });
}

int32_t GfxLibIntel::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  DdcReplySource source;
  source.beginTransaction = [this] { record_.ResetCode(); };
  source.readLengthBytes = [this](uint8_t addr, uint8_t* out) {
    AuxRequest request = MakeRequest(AuxCommand::kI2cReadContinue, addr, kLengthBytesRead);
    const int32_t status = Transact(request, "DDC-AUX-Read", "Reading len bytes failed!");
    if (status == gfx_status::kSuccess) std::copy_n(request.data.begin(), kLengthBytesRead, out);
    return status;
  };
  source.readRest = [this](uint8_t addr, uint8_t* out, int32_t count, bool endsTransaction) {
    AuxRequest request = MakeRequest(
        endsTransaction ? AuxCommand::kI2cReadEnd : AuxCommand::kI2cReadContinue, addr, count);
    const int32_t status = Transact(request, "DDC-AUX-Read", "Reading data failed!");
    if (status == gfx_status::kSuccess) std::copy_n(request.data.begin(), count, out);
    return status;
  };
  return ReadFramedDdcReply(ddcAddr, buffer, length, source);
}

int32_t GfxLibIntel::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  return TransferBufferInChunks(
      buffer, length, kAuxChunkSize, [this] { record_.ResetCode(); },
      [&](const TransferChunk& chunk) {
        AuxRequest request = MakeRequest(
            AuxCommand::kNativeRead, dpcdAddr + static_cast<uint32_t>(chunk.offset), chunk.length);
        const int32_t status = Transact(request, "Native-AUX-Read", "failed!");
        if (status == gfx_status::kSuccess) {
          std::copy_n(request.data.begin(), chunk.length, buffer + chunk.offset);
        }
        return status;
      });
}

int32_t GfxLibIntel::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.ResetCode(); },
      [&](const TransferChunk& chunk) {
        AuxRequest request = MakeRequest(
            AuxCommand::kNativeWrite, dpcdAddr + static_cast<uint32_t>(chunk.offset), chunk.length);
        std::copy_n(data + chunk.offset, chunk.length, request.data.begin());
        return Transact(request, "Native-AUX-Write", "failed!");
      });
}

int32_t GfxLibIntel::Transact(AuxRequest& request, std::string_view operation,
                              std::string_view failure) {
  request.deviceId = displayId_;
  const int32_t result = driverOpen_ ? SendAuxRequest(driver_, clock_, request) : kNoDriverCode;
  if (result == 0) return gfx_status::kSuccess;
  std::string text(operation);
  if (IsLsPconDevice(displayId_)) text += " (LS-PCON)";
  text += ": ";
  text += failure;
  RecordError(result, std::move(text));
  return gfx_status::kVendorCallFailed;
}

void GfxLibIntel::RecordError(int32_t code, std::string text) {
  if (code != 0) text += " (" + CuiErrorName(code) + ")";
  record_.Record(code, std::move(text));
}

}  // namespace vexa
