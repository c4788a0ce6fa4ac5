#pragma once

#include <cstdint>
#include <string>

#include "transport/gfx_lib.h"

namespace vexa {

// A transport that passes every operation to another, unchanged. Wrappers that watch, count
// or hold some operations derive from it and override those alone.
class ForwardingGfxLib : public GfxLib {
 public:
  explicit ForwardingGfxLib(GfxLib& inner) : inner_(inner) {}

  int32_t Initialize() override { return inner_.Initialize(); }
  void Uninitialize() override { inner_.Uninitialize(); }
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override {
    return inner_.ScanPorts(probeMode, displayId, ddcAddr, report);
  }
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override {
    return inner_.DdcAuxRead(ddcAddr, buffer, length);
  }
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override {
    return inner_.DdcAuxWrite(ddcAddr, data, length);
  }
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override {
    return inner_.NativeAuxRead(dpcdAddr, buffer, length);
  }
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override {
    return inner_.NativeAuxWrite(dpcdAddr, data, length);
  }
  void ClearError() override { inner_.ClearError(); }
  int32_t GetErrorCode() override { return inner_.GetErrorCode(); }
  std::string GetErrorText() override { return inner_.GetErrorText(); }
  std::string GetVendorName() override { return inner_.GetVendorName(); }
  std::string GetAdapterName() override { return inner_.GetAdapterName(); }
  std::string GetDriverVersion() override { return inner_.GetDriverVersion(); }
  std::string GetPortType() override { return inner_.GetPortType(); }
  std::string GetPortStatus() override { return inner_.GetPortStatus(); }

 private:
  GfxLib& inner_;
};

}  // namespace vexa
