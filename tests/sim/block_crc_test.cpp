#include "sim/block_crc.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vexa::testing {
namespace {

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(FirmwareBlockCrc, MatchesTheDriversReferenceValues) {
  EXPECT_EQ(sim::FirmwareBlockCrc(AsBytes("abc")), 0xEB62);
  EXPECT_EQ(sim::FirmwareBlockCrc(AsBytes("123456789")), 0x5E86);
  EXPECT_EQ(sim::FirmwareBlockCrc({}), 0x1021);
}

}  // namespace
}  // namespace vexa::testing
