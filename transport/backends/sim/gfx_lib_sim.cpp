#include "transport/backends/sim/gfx_lib_sim.h"

#include <span>

#include "transport/ddc_reply_framing.h"
#include "transport/probe_port.h"
#include "transport/transfer_chunking.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr const char* kPortName = "DisplayPort";

}  // namespace

int32_t GfxLibSim::ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                             std::string* report) {
  if (displayId == nullptr || report == nullptr) return gfx_status::kInvalidArgument;
  report->clear();
  record_.Clear();
  portType_.clear();
  *report += StrPrintf("Simulated board, port %u (%s): ", kPortDisplayId, kPortName);
  const int32_t probe =
      ProbePort(*this, clock_, record_, kIntelProbeTraits, probe_, probeMode, ddcAddr);
  if (probe != gfx_status::kSuccess) {
    *report += "no chip answered\r\n";
    *report += kNoAvailablePortLine;
    return gfx_status::kNoChipFound;
  }
  *report += "chip found\r\n";
  portType_ = kPortName;
  *displayId = kPortDisplayId;
  return gfx_status::kSuccess;
}

int32_t GfxLibSim::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.Clear(); },
      [&](const TransferChunk& chunk) {
        const auto reply = board_.I2cWrite(
            ddcAddr, std::span(data + chunk.offset, static_cast<size_t>(chunk.length)),
            {chunk.offset == 0, chunk.isLast});
        return Transact(reply, "I2C write", ddcAddr);
      });
}

int32_t GfxLibSim::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  DdcReplySource source;
  source.beginTransaction = [this] { record_.Clear(); };
  source.readLengthBytes = [this](uint8_t addr, uint8_t* out) {
    return Transact(board_.I2cRead(addr, std::span(out, 2), {true, false}), "I2C read", addr);
  };
  source.readRest = [this](uint8_t addr, uint8_t* out, int32_t count, bool endsTransaction) {
    const auto reply =
        board_.I2cRead(addr, std::span(out, static_cast<size_t>(count)), {false, endsTransaction});
    return Transact(reply, "I2C read", addr);
  };
  return ReadFramedDdcReply(ddcAddr, buffer, length, source);
}

int32_t GfxLibSim::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  return TransferBufferInChunks(
      buffer, length, kAuxChunkSize, [this] { record_.Clear(); },
      [&](const TransferChunk& chunk) {
        const uint32_t addr = dpcdAddr + static_cast<uint32_t>(chunk.offset);
        const auto reply = board_.DpcdRead(
            addr, std::span(buffer + chunk.offset, static_cast<size_t>(chunk.length)));
        return Transact(reply, "DPCD read", addr);
      });
}

int32_t GfxLibSim::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.Clear(); },
      [&](const TransferChunk& chunk) {
        const uint32_t addr = dpcdAddr + static_cast<uint32_t>(chunk.offset);
        const auto reply = board_.DpcdWrite(
            addr, std::span(data + chunk.offset, static_cast<size_t>(chunk.length)));
        return Transact(reply, "DPCD write", addr);
      });
}

int32_t GfxLibSim::Transact(sim::AuxReply reply, const char* what, uint32_t address) {
  switch (reply) {
    case sim::AuxReply::kAck:
      return gfx_status::kSuccess;
    case sim::AuxReply::kNack:
      record_.Record(kNoAnswerCode, StrPrintf("%s at 0x%X: no answer (AUX NACK)", what, address));
      return gfx_status::kVendorCallFailed;
    case sim::AuxReply::kTransportFault:
      record_.Record(kTransportFaultCode,
                     StrPrintf("%s at 0x%X: AUX transaction failed", what, address));
      return gfx_status::kVendorCallFailed;
  }
  return gfx_status::kVendorCallFailed;
}

}  // namespace vexa
