#include "util/byte_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace vexa::testing {
namespace {

// Delivers at most the next listed number of bytes per call (0 once the list runs out); the
// bytes count up from 0 across calls.
class TrickleSource final : public ByteSource {
 public:
  explicit TrickleSource(std::vector<size_t> deliveries) : deliveries_(std::move(deliveries)) {}

  size_t Read(std::span<uint8_t> out) override {
    const size_t allowed = calls_ < deliveries_.size() ? deliveries_[calls_] : 0;
    ++calls_;
    const size_t n = std::min(allowed, out.size());
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(next_++);
    return n;
  }
  size_t calls() const { return calls_; }

 private:
  std::vector<size_t> deliveries_;
  size_t calls_ = 0;
  size_t next_ = 0;
};

struct ReadCase {
  const char* name;
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
  std::vector<size_t> deliveries;
  bool complete;
  size_t calls;
};

class ReadFullyTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadFullyTest, GivesUpAfterSixCalls) {
  const ReadCase& c = GetParam();
  TrickleSource source(c.deliveries);
  std::vector<uint8_t> out(100, 0xEE);
  EXPECT_EQ(ReadFully(source, out), c.complete);
  EXPECT_EQ(source.calls(), c.calls);
  if (c.complete) {
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], i) << "byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ReadFullyTest,
    ::testing::Values(ReadCase{"OneRead", {100}, true, 1},
                      ReadCase{"SixShortReads", {10, 20, 30, 10, 20, 10}, true, 6},
                      ReadCase{"SevenReadsNeeded", {10, 10, 10, 10, 10, 10, 40}, false, 6},
                      ReadCase{"SourceRunsDry", {50}, false, 6}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa::testing
