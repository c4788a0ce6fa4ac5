#include "testing/scripted_gfx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace vexa::testing {

namespace {

const char* KindName(AuxKind kind) {
  switch (kind) {
    case AuxKind::kDdcWrite:
      return "DDC-W";
    case AuxKind::kDdcRead:
      return "DDC-R";
    case AuxKind::kNativeWrite:
      return "AUX-W";
    case AuxKind::kNativeRead:
      return "AUX-R";
  }
  return "?";
}

bool IsWrite(AuxKind kind) {
  return kind == AuxKind::kDdcWrite || kind == AuxKind::kNativeWrite;
}

}  // namespace

std::string Describe(const AuxTransaction& t) {
  std::ostringstream out;
  out << KindName(t.kind) << " 0x" << std::hex << std::uppercase << t.address;
  if (t.kind == AuxKind::kNativeRead) out << std::dec << " len " << t.length;
  out << std::hex;
  for (uint8_t byte : t.bytes) out << ' ' << (byte < 0x10 ? "0" : "") << int{byte};
  return out.str();
}

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  std::istringstream in(hex);
  std::string pair;
  while (in >> pair) bytes.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
  return bytes;
}

ScriptedGfx::~ScriptedGfx() {
  if (Remaining() != 0) {
    ADD_FAILURE() << Remaining()
                  << " scripted transactions never happened; next: " << Describe(script_[next_]);
  }
}

ScriptedGfx& ScriptedGfx::ExpectDdcWrite(uint8_t addr, std::vector<uint8_t> bytes, int32_t status) {
  const auto length = static_cast<int32_t>(bytes.size());
  script_.push_back({AuxKind::kDdcWrite, addr, std::move(bytes), status, length});
  return *this;
}

ScriptedGfx& ScriptedGfx::ExpectDdcRead(uint8_t addr, std::vector<uint8_t> reply, int32_t status,
                                        std::optional<int32_t> reportedLength) {
  const int32_t length = reportedLength.value_or(static_cast<int32_t>(reply.size()));
  script_.push_back({AuxKind::kDdcRead, addr, std::move(reply), status, length});
  return *this;
}

ScriptedGfx& ScriptedGfx::ExpectNativeWrite(uint32_t addr, std::vector<uint8_t> bytes,
                                            int32_t status) {
  const auto length = static_cast<int32_t>(bytes.size());
  script_.push_back({AuxKind::kNativeWrite, addr, std::move(bytes), status, length});
  return *this;
}

ScriptedGfx& ScriptedGfx::ExpectNativeRead(uint32_t addr, std::vector<uint8_t> data,
                                           int32_t status) {
  const auto length = static_cast<int32_t>(data.size());
  script_.push_back({AuxKind::kNativeRead, addr, std::move(data), status, length});
  return *this;
}

ScriptedGfx& ScriptedGfx::ExpectFailedNativeRead(uint32_t addr, int32_t length, int32_t status) {
  script_.push_back({AuxKind::kNativeRead, addr, {}, status, length});
  return *this;
}

ScriptedGfx& ScriptedGfx::Times(int count) {
  const AuxTransaction last = script_.back();
  for (int i = 1; i < count; ++i) script_.push_back(last);
  return *this;
}

void ScriptedGfx::SetErrorRecord(int32_t code, std::string text) {
  errorCode_ = code;
  errorText_ = std::move(text);
}

void ScriptedGfx::ClearError() {
  ++clearErrorCalls_;
  errorCode_ = 0;
  errorText_.clear();
}

const AuxTransaction* ScriptedGfx::Match(const AuxTransaction& actual) {
  performed_.push_back(actual);
  if (next_ >= script_.size()) {
    ADD_FAILURE() << "unexpected transaction #" << performed_.size() << ": " << Describe(actual);
    return nullptr;
  }
  const AuxTransaction& expected = script_[next_];
  const bool sameRequest = expected.kind == actual.kind && expected.address == actual.address &&
                           (IsWrite(actual.kind)                  ? expected.bytes == actual.bytes
                            : actual.kind == AuxKind::kNativeRead ? expected.length == actual.length
                                                                  : true);
  if (!sameRequest) {
    ADD_FAILURE() << "transaction #" << performed_.size() << " differs from the script\n"
                  << "  expected: " << Describe(expected) << "\n"
                  << "  actual:   " << Describe(actual);
    return nullptr;
  }
  ++next_;
  if (observer_) observer_(actual);
  return &expected;
}

int32_t ScriptedGfx::DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) {
  if (data == nullptr || length <= 0) return gfx_status::kInvalidArgument;
  const AuxTransaction* expected =
      Match({AuxKind::kDdcWrite, ddcAddr, std::vector<uint8_t>(data, data + length), 0, length});
  return expected ? expected->status : gfx_status::kVendorCallFailed;
}

int32_t ScriptedGfx::DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) {
  if (buffer == nullptr || length == nullptr) return gfx_status::kInvalidArgument;
  const AuxTransaction* expected = Match({AuxKind::kDdcRead, ddcAddr, {}, 0, 0});
  if (expected == nullptr) return gfx_status::kVendorCallFailed;
  const size_t copied = std::min<size_t>(expected->bytes.size(), maxDdcReplySize_);
  std::copy_n(expected->bytes.begin(), copied, buffer);
  performed_.back().bytes = expected->bytes;
  *length = expected->length;
  return expected->status;
}

int32_t ScriptedGfx::NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) {
  if (data == nullptr || length <= 0) return gfx_status::kInvalidArgument;
  const AuxTransaction* expected = Match(
      {AuxKind::kNativeWrite, dpcdAddr, std::vector<uint8_t>(data, data + length), 0, length});
  return expected ? expected->status : gfx_status::kVendorCallFailed;
}

int32_t ScriptedGfx::NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) {
  if (buffer == nullptr || length <= 0) return gfx_status::kInvalidArgument;
  const AuxTransaction* expected = Match({AuxKind::kNativeRead, dpcdAddr, {}, 0, length});
  if (expected == nullptr) return gfx_status::kVendorCallFailed;
  std::copy_n(expected->bytes.begin(), std::min<size_t>(expected->bytes.size(), length), buffer);
  performed_.back().bytes = expected->bytes;
  return expected->status;
}

}  // namespace vexa::testing
