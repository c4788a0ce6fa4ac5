#include "sim/spi_flash.h"

#include <gtest/gtest.h>

#include "testing/scratch_dir.h"
#include "testing/scripted_gfx.h"
#include "util/binary_file.h"

namespace vexa::testing {
namespace {

// Programming only clears bits, as on NOR flash: data written without an erase comes out as
// the AND of old and new, which is how a missing erase shows.
TEST(SpiFlash, ProgrammingClearsBitsAndErasingSetsThem) {
  sim::SpiFlash flash(Bytes("FF FF 0F F0"));
  EXPECT_TRUE(flash.Program(0, Bytes("12 34 FF FF")));
  EXPECT_TRUE(flash.Program(1, Bytes("F0 3C")));
  EXPECT_EQ(std::vector<uint8_t>(flash.contents().begin(), flash.contents().end()),
            Bytes("12 30 0C F0"));
  EXPECT_TRUE(flash.Erase(1, 2));
  EXPECT_EQ(std::vector<uint8_t>(flash.contents().begin(), flash.contents().end()),
            Bytes("12 FF FF F0"));
  EXPECT_FALSE(flash.Program(3, Bytes("00 00")));
  EXPECT_FALSE(flash.Erase(4, 1));
}

TEST(SpiFlash, WritesEveryChangeThroughToItsFile) {
  const ScratchDir dir;
  const auto file = dir / "host.flash";
  ASSERT_TRUE(WriteBinaryFile(file, Bytes("FF FF FF FF")));
  sim::SpiFlash flash(Bytes("FF FF FF FF"), file);
  EXPECT_TRUE(flash.Program(2, Bytes("AB")));
  EXPECT_EQ(ReadBinaryFile(file), Bytes("FF FF AB FF"));
  EXPECT_TRUE(flash.Erase(0, 4));
  EXPECT_EQ(ReadBinaryFile(file), Bytes("FF FF FF FF"));
}

// A change the file cannot take is refused as a whole, so memory and file never disagree.
TEST(SpiFlash, AChangeTheFileCannotTakeIsRefused) {
  sim::SpiFlash flash(Bytes("FF FF"), "/nonexistent/vexa/host.flash");
  EXPECT_FALSE(flash.Program(0, Bytes("00")));
  EXPECT_EQ(std::vector<uint8_t>(flash.contents().begin(), flash.contents().end()), Bytes("FF FF"));
}

}  // namespace
}  // namespace vexa::testing
