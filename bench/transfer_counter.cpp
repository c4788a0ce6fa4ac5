#include "bench/transfer_counter.h"

#include <algorithm>

namespace vexa::bench {

void TransferCounter::CountTransfer(int64_t bytes) {
  closedUnits_ += UnitsOf(openWriteBytes_);
  openWriteBytes_ = 0;
  closedUnits_ +=
      std::max<uint64_t>(1, UnitsOf(static_cast<uint64_t>(std::max<int64_t>(bytes, 0))));
}

int32_t TransferCounter::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  const int32_t status = ForwardingGfxLib::DdcAuxRead(ddcAddr, buffer, length);
  // A reply's length is unknown until its address and length bytes have been read, so those
  // two take a transaction of their own before the rest.
  CountTransfer(2);
  if (status == 0 && *length > 2) closedUnits_ += UnitsOf(static_cast<uint64_t>(*length - 2));
  return status;
}

int32_t TransferCounter::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  CountTransfer(length);
  return ForwardingGfxLib::DdcAuxWrite(ddcAddr, data, length);
}

int32_t TransferCounter::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  CountTransfer(length);
  return ForwardingGfxLib::NativeAuxRead(dpcdAddr, buffer, length);
}

int32_t TransferCounter::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  if (openWriteBytes_ == 0 || dpcdAddr != openWriteEnd_) {
    closedUnits_ += UnitsOf(openWriteBytes_);
    openWriteBytes_ = 0;
  }
  openWriteBytes_ += static_cast<uint64_t>(std::max(length, 1));
  openWriteEnd_ = dpcdAddr + static_cast<uint32_t>(std::max(length, 0));
  return ForwardingGfxLib::NativeAuxWrite(dpcdAddr, data, length);
}

}  // namespace vexa::bench
