#include "chip/driver_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vexa {
namespace {

std::vector<uint8_t> DriverFile(size_t size, std::vector<uint8_t> head) {
  std::vector<uint8_t> file(size, 0x5A);
  std::copy(head.begin(), head.end(), file.begin());
  return file;
}

struct LayoutCase {
  std::string name;
  std::vector<uint8_t> file;
  std::optional<uint16_t> headerLength;
  std::optional<uint16_t> length;  // nullopt: the file is refused
  size_t payloadOffset;
};

TEST(DriverFileTest, HeaderAndSizeGiveTheLayout) {
  const LayoutCase cases[] = {
      {"unheaded", DriverFile(0x2000, {0x01, 0x10, 0x00, 0x00}), std::nullopt, 0x2000, 0},
      {"headed", DriverFile(0x2000, {0x00, 0x10, 0x00, 0x00}), 0x1000, 0x1000, 4},
      // Bytes 2 and 3 follow the length and are not part of the header.
      {"headed, bytes 2 and 3 set", DriverFile(0x2000, {0x00, 0x10, 0x12, 0x34}), 0x1000, 0x1000,
       4},
      {"header length at its limit", DriverFile(0x4004, {0x00, 0x40, 0x00, 0x00}), 0x4000, 0x4000,
       4},
      {"above the limit is no header", DriverFile(0x8000, {0x00, 0x41, 0x00, 0x00}), std::nullopt,
       0x8000, 0},
      {"header length filling the file", DriverFile(0x804, {0x00, 0x08, 0x00, 0x00}), 0x800, 0x800,
       4},
      {"header length beyond the file", DriverFile(0x803, {0x00, 0x08, 0x00, 0x00}), 0x800,
       std::nullopt, 0},
      {"too small", DriverFile(0x7FF, {0x01}), std::nullopt, std::nullopt, 0},
      {"smallest", DriverFile(0x800, {0x01}), std::nullopt, 0x800, 0},
      {"largest", DriverFile(0x8000, {0x01}), std::nullopt, 0x8000, 0},
      {"too large", DriverFile(0x8001, {0x01}), std::nullopt, std::nullopt, 0},
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(DriverHeaderLength(c.file), c.headerLength) << c.name;
    const std::optional<DriverLayout> layout = ParseDriverFile(c.file);
    ASSERT_EQ(layout.has_value(), c.length.has_value()) << c.name;
    if (!layout) continue;
    EXPECT_EQ(layout->length, *c.length) << c.name;
    EXPECT_EQ(layout->payloadOffset, c.payloadOffset) << c.name;
  }
}

TEST(DriverFileTest, ImageShorterThanAHeaderHasNone) {
  EXPECT_EQ(DriverHeaderLength(std::vector<uint8_t>{0x00, 0x01, 0x00}), std::nullopt);
}

}  // namespace
}  // namespace vexa
