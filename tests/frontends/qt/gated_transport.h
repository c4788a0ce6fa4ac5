#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "transport/gfx_lib.h"

namespace vexa::testing {

// A transport that forwards to another and, while its gate is shut, holds every caller that
// opens it or moves bytes until the gate opens: a driver that hangs, for tests that the
// user-interface thread never waits on the transport.
class GatedTransport final : public GfxLib {
 public:
  explicit GatedTransport(GfxLib& inner) : inner_(inner) {}

  void Shut();
  void Open();
  // Blocks until a caller is held at the shut gate.
  void WaitUntilHeld();

  int32_t Initialize() override;
  void Uninitialize() override { inner_.Uninitialize(); }
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override;
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;
  void ClearError() override { inner_.ClearError(); }
  int32_t GetErrorCode() override { return inner_.GetErrorCode(); }
  std::string GetErrorText() override { return inner_.GetErrorText(); }
  std::string GetVendorName() override { return inner_.GetVendorName(); }
  std::string GetAdapterName() override { return inner_.GetAdapterName(); }
  std::string GetDriverVersion() override { return inner_.GetDriverVersion(); }
  std::string GetPortType() override { return inner_.GetPortType(); }
  std::string GetPortStatus() override { return inner_.GetPortStatus(); }

 private:
  void PassGate();

  GfxLib& inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool shut_ = false;
  bool held_ = false;
};

}  // namespace vexa::testing
