#include "transport/tracing_gfx_lib.h"

#include <gtest/gtest.h>

#include <sstream>

#include "testing/scripted_gfx.h"

namespace vexa::testing {
namespace {

TEST(TracingGfxLib, WritesOneLinePerTransactionAndCountsBytes) {
  ScriptedGfx inner;
  inner.ExpectDdcWrite(0x6E, Bytes("51 85 C2 00 00 03 09 72"))
      .ExpectDdcRead(0x6E, Bytes("6E 85 C2 00 00 03 0C 76"))
      .ExpectNativeRead(0x40C, Bytes("10 00 03"))
      .ExpectFailedNativeRead(0x30010, 12, 6)
      .ExpectNativeWrite(0x20000, Bytes("09"));
  std::ostringstream trace;
  TracingGfxLib tracing(inner, &trace);

  const std::vector<uint8_t> open = Bytes("51 85 C2 00 00 03 09 72");
  EXPECT_EQ(tracing.DdcAuxWrite(0x6E, open.data(), 8), 0);
  uint8_t reply[kMaxDdcReplySize] = {};
  int32_t length = 0;
  EXPECT_EQ(tracing.DdcAuxRead(0x6E, reply, &length), 0);
  uint8_t dpcd[12] = {};
  EXPECT_EQ(tracing.NativeAuxRead(0x40C, dpcd, 3), 0);
  EXPECT_EQ(tracing.NativeAuxRead(0x30010, dpcd, 12), 6);
  const uint8_t nine = 0x09;
  EXPECT_EQ(tracing.NativeAuxWrite(0x20000, &nine, 1), 0);

  EXPECT_EQ(trace.str(),
            "DDC-W 0x6E 51 85 C2 00 00 03 09 72 => 0\n"
            "DDC-R 0x6E 6E 85 C2 00 00 03 0C 76 => 0\n"
            "AUX-R 0x0040C 10 00 03 => 0\n"
            "AUX-R 0x30010 => 6\n"
            "AUX-W 0x20000 09 => 0\n");
  EXPECT_EQ(tracing.calls(), 5u);
  // One AUX transaction per call here, the failed read included.
  EXPECT_EQ(tracing.auxTransactions(), 5u);
  EXPECT_EQ(tracing.bytesMoved(), 8u + 8u + 3u + 1u);
}

TEST(TracingGfxLib, CountsAuxTransactionsInSixteenByteUnits) {
  ScriptedGfx inner;
  std::vector<uint8_t> bytes(33, 0x5A);
  inner.ExpectNativeWrite(0x20000, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16))
      .ExpectNativeWrite(0x20000, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 17))
      .ExpectNativeWrite(0x20000, bytes);
  TracingGfxLib tracing(inner, nullptr);
  for (const int32_t length : {16, 17, 33}) {
    EXPECT_EQ(tracing.NativeAuxWrite(0x20000, bytes.data(), length), 0);
  }
  EXPECT_EQ(tracing.calls(), 3u);
  EXPECT_EQ(tracing.auxTransactions(), 1u + 2u + 3u);
}

TEST(TracingGfxLib, CountsWithoutATrace) {
  ScriptedGfx inner;
  inner.ExpectNativeWrite(0x10000, Bytes("00"));
  TracingGfxLib tracing(inner, nullptr);
  const uint8_t zero = 0;
  EXPECT_EQ(tracing.NativeAuxWrite(0x10000, &zero, 1), 0);
  EXPECT_EQ(tracing.calls(), 1u);
  EXPECT_EQ(tracing.GetVendorName(), "Scripted");
}

}  // namespace
}  // namespace vexa::testing
