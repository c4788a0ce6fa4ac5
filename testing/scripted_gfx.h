#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "transport/gfx_lib.h"

namespace vexa::testing {

enum class AuxKind { kDdcWrite, kDdcRead, kNativeWrite, kNativeRead };

// One transaction as it went over the wire (or, in a script, as it is expected to).
struct AuxTransaction {
  AuxKind kind;
  uint32_t address;
  // Bytes written, or bytes answered to a read.
  std::vector<uint8_t> bytes;
  int32_t status = 0;
  // DDC reads: the reply length reported to the caller (normally bytes.size()).
  // Native reads: the number of bytes requested.
  int32_t length = 0;
};

std::string Describe(const AuxTransaction& transaction);

// A GfxLib that answers from a script: each test lists the transactions it expects, in order,
// with what comes back. A transaction that differs from the next expected one (kind, address,
// written bytes, read length) fails the test and is answered with status 6; expectations left
// unconsumed fail the test when the transport is destroyed. Every transaction is recorded.
class ScriptedGfx : public GfxLib {
 public:
  ~ScriptedGfx() override;

  ScriptedGfx& ExpectDdcWrite(uint8_t addr, std::vector<uint8_t> bytes, int32_t status = 0);
  // The reply is copied to the caller's buffer; reportedLength overrides the length the caller
  // is told (for replies that claim more or fewer bytes than they carry).
  ScriptedGfx& ExpectDdcRead(uint8_t addr, std::vector<uint8_t> reply, int32_t status = 0,
                             std::optional<int32_t> reportedLength = std::nullopt);
  ScriptedGfx& ExpectNativeWrite(uint32_t addr, std::vector<uint8_t> bytes, int32_t status = 0);
  // A read of data.size() bytes answered with data; on failure pass the requested length.
  ScriptedGfx& ExpectNativeRead(uint32_t addr, std::vector<uint8_t> data, int32_t status = 0);
  ScriptedGfx& ExpectFailedNativeRead(uint32_t addr, int32_t length, int32_t status);
  // Repeats the last expectation so that it is expected `count` times in all.
  ScriptedGfx& Times(int count);

  // The transactions performed so far, and whether the whole script has been consumed.
  const std::vector<AuxTransaction>& Performed() const { return performed_; }
  size_t Remaining() const { return script_.size() - next_; }

  // Called after every transaction, for tests that watch the engine's state on the wire.
  void SetObserver(std::function<void(const AuxTransaction&)> observer) {
    observer_ = std::move(observer);
  }

  // The most bytes a DDC read delivers (kMaxDdcReplySize by default), for tests of a faulty
  // transport that delivers longer replies than the interface allows.
  void SetDdcReadLimit(uint16_t size) { maxDdcReplySize_ = size; }

  // Sets the error record that GetErrorCode and GetErrorText report.
  void SetErrorRecord(int32_t code, std::string text);
  int ClearErrorCalls() const { return clearErrorCalls_; }

  int32_t Initialize() override { return 0; }
  void Uninitialize() override {}
  int32_t ScanPorts(int32_t, uint32_t*, uint8_t, std::string*) override { return 0; }
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;
  void ClearError() override;
  int32_t GetErrorCode() override { return errorCode_; }
  std::string GetErrorText() override { return errorText_; }
  std::string GetVendorName() override { return "Scripted"; }
  std::string GetAdapterName() override { return {}; }
  std::string GetDriverVersion() override { return {}; }
  std::string GetPortType() override { return {}; }
  std::string GetPortStatus() override { return {}; }

 private:
  // Takes the next expectation if it matches `actual`, else fails the test.
  const AuxTransaction* Match(const AuxTransaction& actual);

  std::vector<AuxTransaction> script_;
  size_t next_ = 0;
  std::vector<AuxTransaction> performed_;
  int32_t errorCode_ = 0;
  std::string errorText_;
  int clearErrorCalls_ = 0;
  uint16_t maxDdcReplySize_ = kMaxDdcReplySize;
  std::function<void(const AuxTransaction&)> observer_;
};

// Hex helpers for readable scripts: Bytes("51 85 C2") == {0x51, 0x85, 0xC2}.
std::vector<uint8_t> Bytes(const std::string& hex);

}  // namespace vexa::testing
