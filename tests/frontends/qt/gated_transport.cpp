#include "tests/frontends/qt/gated_transport.h"

namespace vexa::testing {

void GatedTransport::Shut() {
  const std::lock_guard lock(mutex_);
  shut_ = true;
  held_ = false;
}

void GatedTransport::Open() {
  const std::lock_guard lock(mutex_);
  shut_ = false;
  changed_.notify_all();
}

void GatedTransport::WaitUntilHeld() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return held_; });
}

void GatedTransport::PassGate() {
  std::unique_lock lock(mutex_);
  if (!shut_) return;
  held_ = true;
  changed_.notify_all();
  changed_.wait(lock, [this] { return !shut_; });
}

int32_t GatedTransport::Initialize() {
  PassGate();
  return inner_.Initialize();
}

int32_t GatedTransport::ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                                  std::string* report) {
  PassGate();
  return inner_.ScanPorts(probeMode, displayId, ddcAddr, report);
}

int32_t GatedTransport::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  PassGate();
  return inner_.DdcAuxRead(ddcAddr, buffer, length);
}

int32_t GatedTransport::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  PassGate();
  return inner_.DdcAuxWrite(ddcAddr, data, length);
}

int32_t GatedTransport::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  PassGate();
  return inner_.NativeAuxRead(dpcdAddr, buffer, length);
}

int32_t GatedTransport::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  PassGate();
  return inner_.NativeAuxWrite(dpcdAddr, data, length);
}

}  // namespace vexa::testing
