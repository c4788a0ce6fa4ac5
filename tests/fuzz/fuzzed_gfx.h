#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "transport/gfx_lib.h"

namespace vexa::fuzz {

// A transport whose chip answers with the fuzzer's bytes: every DDC reply goes through the
// backends' shared framing, every native read takes the next bytes, and every write succeeds.
// Once the bytes run out every read fails (status 6), so any engine loop over it ends.
class FuzzedGfx final : public GfxLib {
 public:
  explicit FuzzedGfx(std::span<const uint8_t> answers) : answers_(answers) {}

  int32_t Initialize() override { return 0; }
  void Uninitialize() override {}
  int32_t ScanPorts(int32_t, uint32_t*, uint8_t, std::string*) override { return 0; }
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t, const uint8_t*, int32_t) override { return 0; }
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t, const uint8_t*, int32_t) override { return 0; }
  void ClearError() override {}
  int32_t GetErrorCode() override { return 0; }
  std::string GetErrorText() override { return {}; }
  std::string GetVendorName() override { return "fuzz"; }
  std::string GetAdapterName() override { return "fuzz"; }
  std::string GetDriverVersion() override { return "fuzz"; }
  std::string GetPortType() override { return "fuzz"; }
  std::string GetPortStatus() override { return "fuzz"; }

  bool Exhausted() const { return answers_.empty(); }

 private:
  // Copies the next count answer bytes to out; false (nothing copied, and nothing left to
  // answer) when fewer remain.
  bool Take(uint8_t* out, size_t count);

  std::span<const uint8_t> answers_;
};

}  // namespace vexa::fuzz
