#include "transport/backends/linux/gfx_lib_linux.h"

#include <algorithm>
#include <cerrno>

#include "transport/backends/linux/errno_texts.h"
#include "transport/backends/linux/i2c_dev_abi.h"
#include "transport/ddc_reply_framing.h"
#include "transport/transfer_chunking.h"
#include "util/text_format.h"

namespace vexa {

namespace {

// A DDC/CI reply cannot be read in two I2C transactions from user space (each ioctl ends with
// a stop), so the largest reply the length byte can announce is read at once: address, length
// byte 0xFF, 127 payload bytes, checksum.
constexpr int32_t kLargestDdcReply = 130;
constexpr int32_t kLengthBytes = 2;
// The largest message the kernel's i2c-dev passes.
constexpr int32_t kMaxI2cMessage = 8192;

std::string DpcdWhat(bool read, uint32_t address) {
  return StrPrintf("DPCD %s at 0x%05X", read ? "read" : "write", address);
}

std::string I2cWhat(bool read, uint8_t ddcAddr) {
  return StrPrintf(read ? "I2C read from 0x%02X" : "I2C write to 0x%02X", ddcAddr >> 1);
}

}  // namespace

int32_t GfxLibLinux::Initialize() {
  ports_ = FindAuxPorts(system_, roots_);
  if (!ports_.empty()) return gfx_status::kSuccess;
  record_.Record(kNoAuxDeviceCode, NoAuxNodeText(system_, roots_));
  return gfx_status::kVendorCallFailed;
}

void GfxLibLinux::Uninitialize() {
  CloseNode(aux_);
  CloseNode(i2c_);
}

int32_t GfxLibLinux::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  // One message: a DDC2bi frame split over two ioctls would carry a stop in its middle.
  return TransferBufferInChunks(
      data, length, length, [this] { record_.ResetCode(); },
      [&](const TransferChunk&) { return TransferI2c(ddcAddr, nullptr, data, length); });
}

int32_t GfxLibLinux::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  DdcReplySource source;
  source.chunkSize = kMaxDdcReplySize;
  source.beginTransaction = [this] { record_.ResetCode(); };
  source.readLengthBytes = [this](uint8_t addr, uint8_t* out) {
    const int32_t status = TransferI2c(addr, reply_.data(), nullptr, kLargestDdcReply);
    if (status == gfx_status::kSuccess) std::copy_n(reply_.begin(), kLengthBytes, out);
    replyTaken_ = kLengthBytes;
    return status;
  };
  // The rest of the reply is already here.
  source.readRest = [this](uint8_t, uint8_t* out, int32_t count, bool) {
    std::copy_n(reply_.begin() + replyTaken_, count, out);
    replyTaken_ += count;
    return gfx_status::kSuccess;
  };
  return ReadFramedDdcReply(ddcAddr, buffer, length, source);
}

int32_t GfxLibLinux::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  return TransferBufferInChunks(
      buffer, length, kAuxChunkSize, [this] { record_.ResetCode(); },
      [&](const TransferChunk& chunk) {
        return TransferDpcd(dpcdAddr + static_cast<uint32_t>(chunk.offset), buffer + chunk.offset,
                            nullptr, chunk.length);
      });
}

int32_t GfxLibLinux::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  return TransferBufferInChunks(
      data, length, kAuxChunkSize, [this] { record_.ResetCode(); },
      [&](const TransferChunk& chunk) {
        return TransferDpcd(dpcdAddr + static_cast<uint32_t>(chunk.offset), nullptr,
                            data + chunk.offset, chunk.length);
      });
}

int32_t GfxLibLinux::TransferDpcd(uint32_t address, uint8_t* out, const uint8_t* data,
                                  int32_t length) {
  const std::string what = DpcdWhat(out != nullptr, address);
  // The node's offset is the DPCD address: past the DPCD it would reach whatever the kernel
  // makes of it.
  if (uint64_t{address} + static_cast<uint64_t>(length) > kDpcdSize) {
    record_.Record(kOutOfRangeCode, what + ": beyond the DPCD address range");
    return gfx_status::kVendorCallFailed;
  }
  Node* node = AuxNode();
  if (node == nullptr) return gfx_status::kVendorCallFailed;
  const size_t count = static_cast<size_t>(length);
  const long result = out != nullptr ? system_.Pread(node->fd, out, count, address)
                                     : system_.Pwrite(node->fd, data, count, address);
  return CheckCount(result, length, what, *node);
}

int32_t GfxLibLinux::TransferI2c(uint8_t ddcAddr, uint8_t* out, const uint8_t* data,
                                 int32_t length) {
  const std::string what = I2cWhat(out != nullptr, ddcAddr);
  if (length > kMaxI2cMessage) {
    record_.Record(kOutOfRangeCode, what + ": longer than one I2C message");
    return gfx_status::kVendorCallFailed;
  }
  Node* node = I2cNode();
  if (node == nullptr) return gfx_status::kVendorCallFailed;
  long result = 0;
  if (!i2cSlaveFallback_) {
    i2c_abi::Message message{
        static_cast<uint16_t>(ddcAddr >> 1), out != nullptr ? i2c_abi::kMessageRead : uint16_t{0},
        static_cast<uint16_t>(length), out != nullptr ? out : const_cast<uint8_t*>(data)};
    i2c_abi::RdwrData request{&message, 1};
    result = system_.Ioctl(node->fd, i2c_abi::kRdwr, &request);
    // The request answers with the number of messages done.
    if (result >= 0) result = result == 1 ? length : 0;
    // Some proprietary drivers refuse I2C_RDWR, while plain reads and writes work.
    i2cSlaveFallback_ = result == -EINVAL;
  }
  if (i2cSlaveFallback_) result = I2cThroughSlave(*node, ddcAddr, out, data, length);
  return CheckCount(result, length, what, *node);
}

long GfxLibLinux::I2cThroughSlave(Node& node, uint8_t ddcAddr, uint8_t* out, const uint8_t* data,
                                  int32_t length) {
  // I2C_SLAVE takes the 7-bit address as the argument's value.
  const uintptr_t address = ddcAddr >> 1;
  const int set = system_.Ioctl(node.fd, i2c_abi::kSlave, reinterpret_cast<void*>(address));
  if (set < 0) return set;
  const size_t count = static_cast<size_t>(length);
  return out != nullptr ? system_.Read(node.fd, out, count) : system_.Write(node.fd, data, count);
}

int32_t GfxLibLinux::CheckCount(long result, int32_t length, const std::string& what,
                                const Node& node) {
  if (result < 0) {
    const int error = static_cast<int>(-result);
    record_.Record(error, StrPrintf("%s on %s: %s (%s)", what.c_str(), node.path.c_str(),
                                    TransferFailure(error).c_str(), ErrnoName(error).c_str()));
    return gfx_status::kVendorCallFailed;
  }
  if (result != length) {
    record_.Record(kShortTransferCode, StrPrintf("%s on %s: %ld of %d bytes moved", what.c_str(),
                                                 node.path.c_str(), result, length));
    return gfx_status::kVendorCallFailed;
  }
  return gfx_status::kSuccess;
}

void GfxLibLinux::SelectPort(const AuxPort& port) {
  if (current_ && current_->auxIndex == port.auxIndex) return;
  Uninitialize();
  current_ = port;
  i2cSlaveFallback_ = false;
}

GfxLibLinux::Node* GfxLibLinux::AuxNode() {
  if (!current_) {
    record_.Record(kNoAuxDeviceCode, "No DP AUX port selected");
    return nullptr;
  }
  return OpenNode(aux_, current_->auxNode, false) ? &aux_ : nullptr;
}

GfxLibLinux::Node* GfxLibLinux::I2cNode() {
  if (!current_) {
    record_.Record(kNoAuxDeviceCode, "No DP AUX port selected");
    return nullptr;
  }
  if (!current_->i2cBus) {
    record_.Record(kNoI2cAdapterCode, current_->portName + " has no I2C adapter");
    return nullptr;
  }
  return OpenNode(i2c_, current_->i2cNode, true) ? &i2c_ : nullptr;
}

bool GfxLibLinux::OpenNode(Node& node, const std::string& path, bool isI2cNode) {
  if (node.fd >= 0) return true;
  const int fd = system_.Open(path);
  if (fd < 0) {
    record_.Record(-fd, OpenFailure(path, -fd, isI2cNode));
    return false;
  }
  node.fd = fd;
  node.path = path;
  return true;
}

void GfxLibLinux::CloseNode(Node& node) {
  if (node.fd < 0) return;
  system_.Close(node.fd);
  node.fd = -1;
}

}  // namespace vexa
